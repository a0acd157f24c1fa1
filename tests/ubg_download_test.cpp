// Interruption reason download: the exact body of a reason record, which
// reasons are sent to which terminal group, the release of each sent reason
// on all its paths, and the re-marking in update-request mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "download/frame.h"
#include "download/ubg_dnl.h"
#include "run/download_main.h"
#include "support/msg.h"
#include "support/text.h"
#include "tests/download_kit.h"
#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

namespace {

using testkit::B;

TEST(UbgBody, LayoutForFittingAndOverlongValues) {
  const std::string bez30 = "Werkzeugbruch an der Maschine!";  // 30 characters
  struct Case {
    int32_t knz;
    const char* ubg;
    const char* bez;
    const char* txt;
    std::string body;
  } cases[] = {
      {1, "A1", "Stoerung", "", "UA1  Stoerung" + B(22) + "Stoerung" + B(22 + 8) + "X"},
      {2, "B234", bez30.c_str(), "12345678", "SB234" + bez30 + bez30 + "12345678X"},
      {0, "C", "", "abc", "SC   " + B(60) + "     abcX"},
      {-1, "D", "x", "ABCDEFGHI", "SD   x" + B(29) + "x" + B(29) + "ABCDEFGHX"},
      // A text of 10 characters runs one place past the "X" over its ninth.
      {1, "E", "y", "ABCDEFGHIJ", "UE   y" + B(29) + "y" + B(29) + "ABCDEFGHXJ"},
  };
  for (const Case& c : cases) {
    UbgRow row{};
    row.UbgKnz = c.knz;
    CopyText(row.UbgUbg, c.ubg);
    CopyText(row.UbgBez, c.bez);
    CopyText(row.UbgTxt, c.txt);
    CopyText(row.UbgDna, "LOE");
    CopyText(row.UbgFbe, "FB01");
    DownloadMessage msg;
    Dnl_Begin(&msg, "20240307", "090502", "M1", 4);
    ASSERT_EQ(Ubg_DnlSatz(&msg, row), 0);
    EXPECT_EQ(std::string(msg.body), c.body) << c.ubg;
    EXPECT_EQ(msg.body[256], ' ');
    // What the writer does not print follows the body text unchanged.
    ExpectMessageFields(msg, {.kind = "NEU", .action = "LOE", .table = "UBG"});
    EXPECT_STREQ(msg.date, "20240307");
    EXPECT_STREQ(msg.time, "090502");
    EXPECT_STREQ(msg.marker, "M1");
    EXPECT_EQ(msg.seq, 4);
  }
}

// The columns of a reason in the order the tests give their values.
const char* const kUbgColumns =
    "UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgDna, UbgDwn, UbgSta, UbgErf";

class UbgDownloadTest : public GroupsDownloadTest {
 protected:
  UbgDownloadTest() : GroupsDownloadTest("Kvs521Ubg", "UbgUbg", kUbgColumns) {}
  // A marked reason as the download cursor delivers it.
  UbgRow Fetched(const char* marker) {
    return FetchedRow(Ubg_OpenDnl, Ubg_FetchDnl, Ubg_CloseDnl, marker);
  }
};

TEST_F(UbgDownloadTest, SendsMarkedReasonsByAreaAndReleasesThem) {
  Insert(
      "('A1', 1, 'FB02', 'Zwei', 'T1', 'AEN', 'M1', 5, 'u1'),"
      "('A2', 2, 'FB01', 'Eins', NULL, 'NEU', 'M1', 0, 'u2'),"
      "('A3', 1, 'FB03', 'Weg', NULL, 'LOE', 'M1', 0, 'u3'),"
      "('A4', 1, 'FB01', 'Anderer Lauf', NULL, 'NEU', 'M2', 0, 'u4'),"
      "('A5', 1, 'FB99', 'Ohne Gruppe', NULL, 'NEU', 'M1', 0, 'u5'),"
      "('A6', 1, 'FB01', 'Nicht markiert', NULL, NULL, NULL, 0, 'u6')");
  EXPECT_EQ(Ubg_Dnl("20240307", "090502", "M1"), 0);

  auto rec = [](const char* action, const std::string& body) {
    return SentRecord{"UBG", "240307", "090502", action, body};
  };
  std::vector<SentRecord> group1 = {rec("NEU", "SA2  Eins" + B(26) + "Eins" + B(34) + "X")};
  std::vector<SentRecord> group2 = {rec("AEN", "UA1  Zwei" + B(26) + "Zwei" + B(26) + "      T1X"),
                                    rec("LOE", "UA3  Weg" + B(27) + "Weg" + B(35) + "X")};
  EXPECT_EQ(SentRecords(tree_, 1), group1);
  EXPECT_EQ(SentRecords(tree_, 2), group2);

  EXPECT_EQ(Marks("A1"), "<NULL>/<NULL>");
  EXPECT_EQ(Marks("A2"), "<NULL>/<NULL>");
  EXPECT_EQ(Marks("A3"), "<gone>");
  EXPECT_EQ(Marks("A4"), "NEU/M2");
  EXPECT_EQ(Marks("A5"), "NEU/M1");  // not sent: stays for the next run
  EXPECT_EQ(Marks("A6"), "<NULL>/<NULL>");
  // The release writes the rest of the row back as it was.
  EXPECT_EQ(tree_.Value("SELECT UbgBez || UbgTxt || UbgSta || UbgErf FROM Kvs521Ubg "
                        "WHERE UbgUbg='A1'"),
            "ZweiT15u1");
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDat IS NOT NULL"), "2");
  std::vector<std::string> log = {"ReadFile|IP-Ermitteln|1403",
                                  "Ubg_Dnl|Fehler beim Senden von UbgS\xE4tze|1403"};
  EXPECT_EQ(Log(), log);
}

TEST_F(UbgDownloadTest, NothingMarkedOrNoTable) {
  ExpectNothingMarkedThenNoTable(Ubg_Dnl, "Kvs521Ubg", "Ubg_Dnl|fehlerhafte Ubg_OpenDnl|-942");
}

TEST_F(UbgDownloadTest, ReleaseActsOnlyOnTheReasonAsItWasSent) {
  struct Case {
    const char* action_now;  // the action code when the release reads the row
    const char* marker_now;
    int32_t rc;
    const char* after;
  } cases[] = {{"LOE", "M1", 0, "<gone>"},
               {"NEU", "M1", DNL_LEFT_MARKED, "NEU/M1"},  // changed since it was sent
               {"LOE", "M2", DNL_LEFT_MARKED, "LOE/M2"},  // marked for another run
               {"LOE", "", 0, "LOE/<NULL>"}};             // not marked any more: left be
  for (const Case& c : cases) {
    Insert("('R1', 1, 'FB01', 'x', NULL, 'LOE', 'M1', 0, NULL)");
    UbgRow row = Fetched("M1");
    tree_.Exec(std::string("UPDATE Kvs521Ubg SET UbgDna='") + c.action_now +
               "', UbgDwn=" + (*c.marker_now ? std::string("'") + c.marker_now + "'" : "NULL"));
    EXPECT_EQ(Ubg_Frei(row), c.rc) << c.action_now << c.marker_now;
    EXPECT_EQ(Marks("R1"), c.after) << c.action_now << c.marker_now;
    Clear();
  }
  std::vector<std::string> log = {"Ubg_Frei|Zeile geaendert, bleibt markiert|0",
                                  "Ubg_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), log);
}

TEST_F(UbgDownloadTest, ReasonDeletedBeforeItsReleaseIsLeftAlone) {
  Insert("('R1', 1, 'FB01', 'x', NULL, 'NEU', 'M1', 0, NULL)");
  ExpectReleaseOfDeletedRow(Ubg_Frei, Fetched("M1"), "Kvs521Ubg",
                            "UbgDnl|Fehler bei Ubg_PKeyRead|1403");
}

TEST_F(UbgDownloadTest, RefusedReleaseKeepsTheRowMarked) {
  ExpectReleasesRefused(Ubg_Dnl, "R1",
                        {{"DELETE", "('R1', 1, 'FB01', 'x', NULL, 'LOE', 'M1', 0, NULL)", "LOE/M1",
                          "Ubg_Frei|Fehler bei Ubg_PKeyDel|<0"},
                         {"UPDATE", "('R1', 1, 'FB01', 'x', NULL, 'AEN', 'M1', 0, NULL)", "AEN/M1",
                          "UbgDnl|Fehler bei Ubg_PKeyUpd|<0"}});
  EXPECT_EQ(SentRecords(tree_, 1).size(), 2u);  // sent all the same
}

TEST_F(UbgDownloadTest, ReMarkingTakesEveryCodeBetweenTheFixedKeysAsText) {
  Insert(
      "('0000', 1, 'FB01', 'vier Nullen', NULL, NULL, NULL, 0, NULL),"
      "('0001', 1, 'FB01', 'eins', NULL, NULL, NULL, 0, NULL),"
      "('1500', 1, 'FB01', 'im Auftrag', NULL, NULL, NULL, 0, NULL),"
      "('5000', 1, 'FB02', 'schon markiert', NULL, 'NEU', 'M1', 0, 'alt'),"
      "('9999', 1, 'FB02', 'neunen', NULL, NULL, NULL, 0, NULL),"
      "('A100', 1, 'FB01', 'Buchstabe', NULL, NULL, NULL, 0, NULL),"
      "('a', 1, 'FB01', 'klein', NULL, NULL, NULL, 0, NULL)");
  // the request's range is not used
  ExpectOwnBounds<6>(Ubg_Sel, "1000", "2000", "00000", "99999");
  auto marked = tree_.Query(
      "SELECT UbgUbg, UbgDna, UbgDwn, UbgErf FROM Kvs521Ubg WHERE UbgDwn IS NOT NULL "
      "ORDER BY UbgUbg");
  std::vector<std::vector<std::string>> want = {{"0001", "AEN", "M7", "KoraSys"},
                                                {"1500", "AEN", "M7", "KoraSys"},
                                                {"5000", "AEN", "M7", "KoraSys"},
                                                {"9999", "AEN", "M7", "KoraSys"}};
  EXPECT_EQ(marked, want);
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDat IS NOT NULL"), "4");
  EXPECT_TRUE(Log().empty());

  EXPECT_EQ(Ubg_Dnl("20240307", "090502", "M7"), 0);
  EXPECT_EQ(SentRecords(tree_, 1).size() + SentRecords(tree_, 2).size(), 4u);
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NOT NULL"), "0");
}

TEST_F(UbgDownloadTest, ReMarkingGoesOnAfterARefusedRowAndIsSilentWithoutTable) {
  Insert(
      "('0001', 1, 'FB01', 'eins', NULL, NULL, NULL, 0, NULL),"
      "('0002', 1, 'FB01', 'zwei', NULL, NULL, NULL, 0, NULL)");
  auto remark = [] {
    char from[6] = "", to[6] = "";
    Ubg_Sel("M7", from, to);
  };
  ExpectRemarkingRefused(remark, "Kvs521Ubg", "Ubg_Sel|Fehelr bei Ubg_PKeyDel|<0", 2);
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NOT NULL"), "0");
  ExpectRemarkingSilentWithoutTable(remark, "Kvs521Ubg");
}

}  // namespace
