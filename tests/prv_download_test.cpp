// Personnel download: the exact bodies of both records of a person, the two
// records per row and what each release path does to the row, failures with
// their log entries, and the re-marking of all valid personnel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "download/frame.h"
#include "download/prv_dnl.h"
#include "run/download_main.h"
#include "support/msg.h"
#include "support/text.h"
#include "tests/download_kit.h"
#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

namespace {

using testkit::B;

PrvRow Person(const char* pnr, const char* kst, int32_t ber, const char* dna, int32_t awa,
              const char* awn) {
  PrvRow row{};
  CopyText(row.PrvPnr, pnr);
  CopyText(row.PrvKst, kst);
  row.PrvBer = ber;
  CopyText(row.PrvDna, dna);
  row.PrvAwa = awa;
  CopyText(row.PrvAwn, awn);
  CopyText(row.PrvFbe, "FB01");
  return row;
}

// The fields besides the body: the personnel number in field8; the frame's
// fields stay as it filled them.
void ExpectHead(const DownloadMessage& msg, const char* action, const char* table,
                const char* pnr) {
  ExpectMessageFields(msg, {.kind = "NEU", .action = action, .table = table, .field8 = pnr});
  EXPECT_STREQ(msg.date, "20240307");
  EXPECT_STREQ(msg.time, "090502");
  EXPECT_STREQ(msg.marker, "M1");
  EXPECT_EQ(msg.seq, 2);
}

TEST(PrvBody, PersonnelRecordForFittingAndOverlongValues) {
  struct Case {
    PrvRow row;
    const char* action;
    std::string body;
  } cases[] = {
      {Person("1001", "K4100", 1, "NEU", 1, ""), "AEN", "1001    K4100  AX"},
      {Person("12345678", "1234567", 2, "AEN", 0, ""), "AEN", "123456781234567MX"},
      {Person("1", "", 0, "LOE", 3, ""), "LOE", "1" + B(7 + 7 + 1) + "X"},
      {Person("2", "", 3, "", 3, ""), "AEN", "2" + B(7 + 7 + 1) + "X"},
      // Longer cost centres push the letter right; the "X" stays at 17.
      {Person("7", "12345678", 1, "LOE", 2, ""), "AEN", "7       12345678X"},
      {Person("7", "1234567890", 2, "NEU", 0, ""), "AEN", "7       12345678X0M"},
  };
  for (const Case& c : cases) {
    DownloadMessage msg;
    Dnl_Begin(&msg, "20240307", "090502", "M1", 2);
    ASSERT_EQ(Prv_DnlSatz(&msg, c.row), 0);
    EXPECT_EQ(std::string(msg.body), c.body) << c.row.PrvKst;
    ExpectHead(msg, c.action, "PNR", c.row.PrvPnr);
  }
}

TEST(PrvBody, SecondRecordCarriesPrvAwnAndTheActionUnchanged) {
  struct Case {
    PrvRow row;
    std::string body;
  } cases[] = {
      {Person("1001", "K1", 1, "NEU", 1, "U1"), "U1      1001    X"},
      {Person("12345678", "K1", 1, "LOE", 3, "ABCDEFGH"), "ABCDEFGH12345678X"},
      {Person("5", "K1", 1, "", 0, ""), B(8) + "5" + B(7) + "X"},
  };
  for (const Case& c : cases) {
    DownloadMessage msg;
    Dnl_Begin(&msg, "20240307", "090502", "M1", 2);
    ASSERT_EQ(Prv_DnlSatz(&msg, c.row), 0);  // the same message is filled again
    ASSERT_EQ(Prv_AwnSatz(&msg, c.row), 0);
    EXPECT_EQ(std::string(msg.body), c.body);
    ExpectHead(msg, c.row.PrvDna, "AWN", c.row.PrvPnr);
  }
}

// The columns of a person in the order the tests give their values.
const char* const kPrvColumns =
    "PrvPnr, PrvGvo, PrvGbi, PrvBer, PrvKst, PrvFbe, PrvDna, PrvDwn, PrvAwa, PrvAwn, "
    "PrvAnw, PrvAvn, PrvAbi, PrvApl, PrvApp, PrvNam";

class PrvDownloadTest : public GroupsDownloadTest {
 protected:
  PrvDownloadTest() : GroupsDownloadTest("Kvs510Prv", "PrvPnr", kPrvColumns) {}
  // Validity, leave columns and name of a person, '|'-separated.
  std::string Rest(const char* pnr) {
    return tree_.Value(
        std::string(
            "SELECT coalesce(CAST(PrvGvo AS VARCHAR(19)),'-') || '|' || coalesce(CAST(PrvGbi AS "
            "VARCHAR(19)),'-') || '|' || "
            "coalesce(PrvAwn,'-') || '|' || coalesce(CAST(PrvAvn AS VARCHAR(19)),'-') || '|' || "
            "coalesce(CAST(PrvAbi AS VARCHAR(19)),'-') || '|' || PrvAnw || '|' || PrvApl || '|' || "
            "PrvApp "
            "|| '|' || coalesce(PrvNam,'-') FROM Kvs510Prv WHERE PrvPnr='") +
        pnr + "'");
  }
  PrvRow Fetched(const char* marker) {
    return FetchedRow(Prv_OpenDnl, Prv_FetchDnl, Prv_CloseDnl, marker);
  }
};

const char* const kLeave = "'2024-01-01 00:00:00', '2030-12-31 00:00:00', 1, 'K4100', ";

TEST_F(PrvDownloadTest, TwoRecordsPerPersonAndEachReleasePath) {
  std::string leave = "'U9', 4, '2024-03-01 07:30:00', '2024-03-02 16:00:00', 5, 6, 'Name')";
  Insert(std::string("('1001', ") + kLeave + "'FB01', 'NEU', 'M1', 1, " + leave + "," +
         "('1002', " + kLeave + "'FB02', 'LOE', 'M1', 3, " + leave + "," +  //
         "('1003', " + kLeave + "'FB03', 'LOE', 'M1', 2, " + leave + "," +  //
         "('1004', " + kLeave + "'FB99', 'AEN', 'M1', 1, " + leave + "," +  //
         "('1005', " + kLeave + "'FB01', 'NEU', 'M2', 1, " + leave);
  EXPECT_EQ(Prv_Dnl("20240307", "090502", "M1"), 0);

  auto rec = [](const char* table, const char* action, const std::string& body) {
    return SentRecord{table, "240307", "090502", action, body};
  };
  std::vector<SentRecord> group1 = {rec("PNR", "AEN", "1001    K4100  AX"),
                                    rec("AWN", "NEU", "U9      1001    X")};
  std::vector<SentRecord> group2 = {
      rec("PNR", "LOE", "1002    K4100  AX"), rec("AWN", "LOE", "U9      1002    X"),
      rec("PNR", "AEN", "1003    K4100  AX"), rec("AWN", "LOE", "U9      1003    X")};
  EXPECT_EQ(SentRecords(tree_, 1), group1);
  EXPECT_EQ(SentRecords(tree_, 2), group2);

  const std::string kept =
      "2024-01-01 00:00:00|2030-12-31 00:00:00|U9|2024-03-01 07:30:00|2024-03-02 16:00:00|4|5|6|"
      "Name";
  EXPECT_EQ(Marks("1001"), "<NULL>/<NULL>");
  EXPECT_EQ(Rest("1001"), kept);
  EXPECT_EQ(Marks("1002"), "<gone>");
  // A withdrawn leave: the person stays, the leave and the validity dates
  // are emptied.
  EXPECT_EQ(Marks("1003"), "<NULL>/<NULL>");
  EXPECT_EQ(Rest("1003"), "-|-|-|-|-|0|0|0|Name");
  EXPECT_EQ(Marks("1004"), "AEN/M1");  // not sent: stays for the next run
  EXPECT_EQ(Rest("1004"), kept);
  EXPECT_EQ(Marks("1005"), "NEU/M2");
  std::vector<std::string> log = {"ReadFile|IP-Ermitteln|1403",
                                  "Prv_Dnl|Fehler beim Senden von PrvS\xE4tze|1403",
                                  "ReadFile|IP-Ermitteln|1403"};  // the second record too
  EXPECT_EQ(Log(), log);
}

TEST_F(PrvDownloadTest, NothingMarkedOrNoTable) {
  ExpectNothingMarkedThenNoTable(Prv_Dnl, "Kvs510Prv", "Prv_Dnl|fehlerhafte Pvr_OpenDnl|-942");
}

TEST_F(PrvDownloadTest, ReleaseDecidesOnTheRowAsReadAgainButOnlyAsItWasSent) {
  struct Case {
    const char* sent;        // the action code the row was sent with
    const char* action_now;  // and what it holds at its release
    int awa_now;
    int32_t rc;
    const char* marks;
  } cases[] = {
      {"LOE", "LOE", 3, 0, "<gone>"},                // PrvAwa read again decides
      {"LOE", "LOE", 1, 0, "<NULL>/<NULL>"},         // a withdrawn leave
      {"AEN", "NEU", 3, DNL_LEFT_MARKED, "NEU/M1"},  // changed since: sent again later
      {"AEN", "LOE", 3, DNL_LEFT_MARKED, "LOE/M1"},
  };
  for (const Case& c : cases) {
    Insert(std::string("('1001', ") + kLeave + "'FB01', '" + c.sent +
           "', 'M1', 0, 'U9', 4, NULL, NULL, 5, 6, 'Name')");
    PrvRow row = Fetched("M1");
    tree_.Exec(std::string("UPDATE Kvs510Prv SET PrvDna='") + c.action_now +
               "', PrvAwa=" + std::to_string(c.awa_now));
    EXPECT_EQ(Prv_Frei(row), c.rc) << c.sent << c.action_now << c.awa_now;
    EXPECT_EQ(Marks("1001"), c.marks) << c.sent << c.action_now << c.awa_now;
    Clear();
  }
  std::vector<std::string> log = {"Prv_Frei|Zeile geaendert, bleibt markiert|0",
                                  "Prv_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), log);
}

TEST_F(PrvDownloadTest, PersonDeletedBeforeItsReleaseIsReported) {
  Insert(std::string("('1001', ") + kLeave +
         "'FB01', 'NEU', 'M1', 0, 'U9', 4, NULL, NULL, 5, 6, 'Name')");
  ExpectReleaseOfDeletedRow(Prv_Frei, Fetched("M1"), "Kvs510Prv",
                            "PrvDnl|Fehler bei Prv_PKeyReadk|1403");
}

TEST_F(PrvDownloadTest, RefusedReleaseKeepsThePersonMarked) {
  auto row = [](const char* values) {
    return std::string("('1001', ") + kLeave + "'FB01', " + values +
           ", 'U9', 4, NULL, NULL, 5, 6, 'Name')";
  };
  ExpectReleasesRefused(
      Prv_Dnl, "1001",
      {{"DELETE", row("'LOE', 'M1', 3"), "LOE/M1", "Prv_Frei|Fehler bei Prv_PKeyDel|<0"},
       {"UPDATE", row("'LOE', 'M1', 2"), "LOE/M1", "PrvDnl|Fehler bei Prv_PKeyUpd|<0"}},
      [&] {
        EXPECT_EQ(Rest("1001"), "2024-01-01 00:00:00|2030-12-31 00:00:00|U9|-|-|4|5|6|Name");
      });
  EXPECT_EQ(SentRecords(tree_, 1).size(), 4u);  // both records, sent all the same
}

TEST_F(PrvDownloadTest, ReMarkingTakesEveryValidPersonWhateverTheRequestSays) {
  std::string valid = "NULL, NULL, 0, NULL, NULL, NULL, NULL, 'Name')";
  auto person = [&](const char* pnr, const std::string& gvo) {
    return "('" + std::string(pnr) + "', " + gvo + ", NULL, 1, 'K1', 'FB01', NULL, NULL, " + valid;
  };
  auto day = [](int d) { return std::string("'").append(DateText(d)).append("'"); };
  Insert(person("00000000", "NULL") + "," + person("0999", day(-1)) + "," + person("1500", day(0)) +
         "," + person("1600", day(1)) + "," + person("5000", "NULL") + "," +
         person("99999999", day(-30)) + "," + person("A123", "NULL"));
  ExpectOwnBounds<9>(Prv_Sel, "1000", "2000", "00000000", "99999999");
  auto marked = tree_.Query(
      "SELECT PrvPnr, PrvDna, PrvDwn, PrvErf, PrvNam FROM Kvs510Prv WHERE PrvDwn IS NOT NULL "
      "ORDER BY PrvPnr");
  std::vector<std::vector<std::string>> want = {{"00000000", "AEN", "M7", "KoraSys", "Name"},
                                                {"0999", "AEN", "M7", "KoraSys", "Name"},
                                                {"1500", "AEN", "M7", "KoraSys", "Name"},
                                                {"5000", "AEN", "M7", "KoraSys", "Name"},
                                                {"99999999", "AEN", "M7", "KoraSys", "Name"}};
  EXPECT_EQ(marked, want);
  EXPECT_EQ(tree_.Value("SELECT PrvGvo FROM Kvs510Prv WHERE PrvPnr='0999'"), DateText(-1));
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs510Prv WHERE PrvDat IS NOT NULL"), "5");
  EXPECT_TRUE(Log().empty());
}

TEST_F(PrvDownloadTest, ReMarkingGoesOnAfterARefusedRowAndIsSilentWithoutTable) {
  Insert(std::string("('1001', ") + kLeave +
         "'FB01', NULL, NULL, 0, NULL, 0, NULL, NULL, 0, 0, "
         "NULL), ('1002', " +
         kLeave + "'FB01', NULL, NULL, 0, NULL, 0, NULL, NULL, 0, 0, NULL)");
  auto remark = [] {
    char from[9] = "", to[9] = "";
    Prv_Sel("M7", from, to);
  };
  ExpectRemarkingRefused(remark, "Kvs510Prv", "Prv_Sel|Fehelr bei Prv_PKeyDel|<0", 2);
  ExpectRemarkingSilentWithoutTable(remark, "Kvs510Prv");
}

}  // namespace
