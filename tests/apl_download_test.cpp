// The workplace download: the "MAS" body byte for byte with the group's cost
// centre, the two paths of the cost-centre lookup, the release by the re-read
// action code, a release that cannot read the workplace again, the
// re-marking's fixed exclusive range, and the download loop.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/session.h"
#include "db/sql.h"
#include "download/apl_dnl.h"
#include "download/frame.h"
#include "run/download_main.h"
#include "support/msg.h"
#include "support/text.h"
#include "tests/download_kit.h"
#include "tests/table_rows.h"
#include "tests/test_env.h"

namespace {

using testkit::B;
using testkit::L;
using testkit::R;

class AplDownloadTest : public TableDownloadTest {
 protected:
  AplDownloadTest() : TableDownloadTest("Kvs531Apl", "AplApl") {}
  void SetUp() override {
    TableDownloadTest::SetUp();
    AddGroupPerArea(tree_);
    tree_.Exec(
        "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
        "('G1', '2020-01-01 00:00:00', NULL, '4100'), ('G9', '" +
        DateText(-1) + "', NULL, '123456789')");
    AddCostCentreValidities(tree_);
  }
  void Place(const std::string& apl, const std::string& fbe, const std::string& apg,
             const std::string& dwn, const std::string& dna) {
    tree_.Exec(
        "INSERT INTO Kvs531Apl (AplApl, AplBez, AplApg, AplFbe, AplApr, AplSts, AplUdt, "
        "AplDna, AplDwn) VALUES ('" +
        apl + "', 'Bez " + apl + "', '" + apg + "', '" + fbe + "', 42, 1, '2024-03-07 08:15:30', " +
        (dna.empty() ? "NULL" : "'" + dna + "'") + ", " + (dwn.empty() ? "NULL" : "'" + dwn + "'") +
        ")");
  }
  static AplRow Sent(const char* apl, const char* dna) {
    return SentRow(&AplRow::AplApl, &AplRow::AplDna, &AplRow::AplDwn, apl, dna);
  }
};

TEST_F(AplDownloadTest, BodyKeeps154CharactersAndTheMark) {
  struct Case {
    const char* apg;
    int32_t apr, sts;
    const char* zf3;
    std::string kst, apr_text, sts_text;
    std::string tail;  // from position 95 (later by a longer cost centre) to 153
  } cases[] = {
      {"G1", 42, 1, "ABCDEFGHIJ", "4100", "42", "1",
       "   421" + R("z1", 10) + R("z2", 20) + B(20) + "ABC"},
      {"G1", 42, 1, "ABCDEFG", "4100", "42", "1", "   421" + R("z1", 10) + R("z2", 20) + B(23)},
      // two digits of status move the rest one to the right
      {"G1", 42, 12, "ABCDEFGHIJ", "4100", "42", "12",
       "   4212" + R("z1", 10) + R("z2", 20) + B(20) + "AB"},
      // numbers longer than the room the terminals expect are written whole
      {"G1", 12345678, -32768, "ABCDEFGHIJ", "4100", "12345678", "-32768",
       "12345678-32768" + R("z1", 10) + R("z2", 20) + B(15)},
      {"G1", INT32_MIN, 0, "ABCDEFGHIJ", "4100", "-2147483648", "0",
       "-21474836480" + R("z1", 10) + R("z2", 20) + B(17)},
      // a cost centre of 9 moves every later field two to the right
      {"G9", 42, 1, "ABCDEFGHIJ", "123456789", "42", "1",
       "   421" + R("z1", 10) + R("z2", 20) + B(20) + "A"},
  };
  for (const Case& c : cases) {
    AplRow row = table_rows::PlaceRow({.apl = "P1",
                                       .bez = "Platz eins",
                                       .txt = "0123456789",
                                       .fbe = "FB01",
                                       .apg = c.apg,
                                       .apr = c.apr,
                                       .sts = c.sts,
                                       .zf1 = "z1",
                                       .zf2 = "z2",
                                       .zf3 = c.zf3,
                                       .dna = "LOE"});
    DownloadMessage m = {};
    ASSERT_EQ(Apl_DnlSatz(&m, row), 0) << c.apr;
    std::string line = L("P1", 10) + L("Platz eins", 30) + "01234567" + L("FB01", 10) +
                       L(c.kst, 7) + L(c.apg, 10) + B(20) + R(c.apr_text, 5) + c.sts_text +
                       R("z1", 10) + R("z2", 20) + R(c.zf3, 30);
    std::string body(m.body);
    EXPECT_EQ(body, line.substr(0, 154) + "X" + B(100)) << c.apr;
    ASSERT_EQ(body.size(), 255u);
    size_t shift = c.kst.size() > 7 ? c.kst.size() - 7 : 0;
    EXPECT_EQ(body.substr(95 + shift, 59 - shift), c.tail) << c.apr;
    ExpectMessageFields(m, {.kind = "NEU",
                            .action = "LOE",
                            .table = "MAS",
                            .field10 = c.apg});  // the group, not the workplace
  }
}

TEST_F(AplDownloadTest, CostCentreMustBeSingleAndValidAfterToday) {
  struct Case {
    const char* apg;
    int32_t rc;
  } cases[] = {{"ENDS_TODAY", SQL_NOTFOUND}, {"ENDS_TMRW", 0},
               {"STARTS_TMR", SQL_NOTFOUND}, {"OPEN", 0},
               {"TWO", SQL_TOO_MANY_ROWS},   {"NONE", SQL_NOTFOUND}};
  for (const Case& c : cases) {
    AplRow row = {};
    CopyText(row.AplApl, "P1");
    CopyText(row.AplApg, c.apg);
    DownloadMessage m = {};
    EXPECT_EQ(Apl_DnlSatz(&m, row), c.rc) << c.apg;
  }
}

TEST_F(AplDownloadTest, ReleaseActsOnlyOnTheWorkplaceAsItWasSent) {
  Place("P1", "FB01", "G1", "M1", "NEU");
  Place("P2", "FB01", "G1", "M1", "LOE");  // changed to "LOE" after it was sent as "AEN"
  Place("P3", "FB01", "G1", "M1", "AEN");  // changed to "AEN" after it was sent as "LOE"
  Place("P4", "FB01", "G1", "M1", "LOE");
  ExpectReleases(Apl_Frei, Sent,
                 {{"P1", "NEU", 0, "<NULL>/<NULL>"},
                  {"P2", "AEN", DNL_LEFT_MARKED, "LOE/M1"},
                  {"P3", "LOE", DNL_LEFT_MARKED, "AEN/M1"},
                  {"P4", "LOE", 0, "<gone>"}});
  // The release writes no other column: the date keeps its stored form.
  EXPECT_EQ(tree_.Value("SELECT AplUdt FROM Kvs531Apl WHERE AplApl = 'P1'"), "2024-03-07 08:15:30");
  std::vector<std::string> want = {"Apl_Frei|Zeile geaendert, bleibt markiert|0",
                                   "Apl_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), want);
}

TEST_F(AplDownloadTest, ReleaseThatCannotReadTheWorkplaceWritesNothing) {
  ExpectReleaseWithoutItsRow(Apl_Frei, Sent, "AplDnl|Fehler bei Apl_PKeyRead|", "P1",
                             [&] { Place("P1", "FB01", "G1", "M1", "NEU"); });
}

TEST_F(AplDownloadTest, ReleaseOfAWorkplaceWithAnUnreadableDateWritesOnlyItsMarks) {
  // The download cursor takes the date as it stands; the read again fails on
  // it, but the marks the release decides on arrive, and the release writes
  // nothing but them.
  Place("P1", "FB01", "G1", "M1", "NEU");
  try {
    tree_.Exec("PRAGMA ignore_check_constraints=ON; UPDATE Kvs531Apl SET AplUdt = 'kaputt'");
  } catch (const std::exception&) {
    GTEST_SKIP() << "the database refuses unreadable dates";
  }
  EXPECT_EQ(Apl_Frei(Sent("P1", "NEU")), 0);
  EXPECT_EQ(Marks("P1"), "<NULL>/<NULL>");
  EXPECT_EQ(tree_.Value("SELECT AplUdt FROM Kvs531Apl"), "kaputt");
  EXPECT_EQ(tree_.Value("SELECT AplBez FROM Kvs531Apl"), "Bez P1");
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(AplDownloadTest, RemarkingUsesItsOwnExclusiveBounds) {
  for (const char* apl : {"0000000000", "0000000001", "5", "9999999999"})
    Place(apl, "FB01", "G1", "", "");
  Place("7", "FB01", "G1", "OLD", "NEU");
  ExpectOwnBounds<11>(Apl_Sel, "5", "6", "0000000000", "9999999999");
  auto rows =
      tree_.Query("SELECT AplApl, AplDna, AplDwn, AplErf, AplUdt FROM Kvs531Apl ORDER BY AplApl");
  std::string udt = "2024-03-07 08:15:30";
  std::vector<std::vector<std::string>> want = {
      {"0000000000", "<NULL>", "<NULL>", "<NULL>", udt},
      {"0000000001", "AEN", "M7", "KoraSys", udt},
      {"5", "AEN", "M7", "KoraSys", udt},
      {"7", "AEN", "M7", "KoraSys", udt},
      {"9999999999", "<NULL>", "<NULL>", "<NULL>", udt},
  };
  EXPECT_EQ(rows, want);
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(AplDownloadTest, WorkplaceWithoutOneValidCostCentreStaysMarked) {
  Place("P1", "FB02", "G1", "M1", "NEU");
  Place("P2", "FB01", "G1", "M1", "LOE");
  Place("P3", "FB03", "ENDS_TODAY", "M1", "AEN");
  Place("P4", "FB04", "TWO", "M1", "AEN");
  Place("P5", "FB09", "G1", "M1", "AEN");  // no terminal group serves FB09
  Place("P6", "FB01", "G1", "M2", "AEN");  // another marker
  ASSERT_EQ(Apl_Dnl("20240307", "090502", "M1"), 0);
  const std::string sent = "Apl_Dnl|Fehler beim Senden von AplS\xE4tze|";
  std::vector<std::string> want = {sent + "1403", sent + "-2112", "ReadFile|IP-Ermitteln|1403",
                                   sent + "1403"};
  EXPECT_EQ(Log(), want);
  std::string f1 = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  std::string f2 = ReadFileBytes(tree_.buff() + "/SndDnl2.buf");
  ASSERT_EQ(f1.size(), 552u);
  ASSERT_EQ(f2.size(), 552u);
  EXPECT_EQ(f1.substr(90, 21), "MAS240307090502BDELOE");
  EXPECT_EQ(f1.substr(111, 10), L("P2", 10));
  EXPECT_EQ(f2.substr(111, 10), L("P1", 10));
  EXPECT_EQ(f2.substr(111 + 58, 7), L("4100", 7));
  EXPECT_EQ(Marks("P1"), "<NULL>/<NULL>");
  EXPECT_EQ(Marks("P2"), "<gone>");
  EXPECT_EQ(Marks("P3"), "AEN/M1");
  EXPECT_EQ(Marks("P4"), "AEN/M1");
  EXPECT_EQ(Marks("P5"), "AEN/M1");
  EXPECT_EQ(Marks("P6"), "AEN/M2");
}

// The workplaces of a group share its cost centre: read once per group and
// download, each group its own answer (G171 shares G1's place in the
// download's table of groups), and afresh by the next download.
TEST_F(AplDownloadTest, WorkplacesOfAGroupShareItsCostCentreAndTheNextDownloadReadsItAfresh) {
  tree_.Exec(
      "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
      "('G171', '2020-01-01 00:00:00', NULL, '4300')");
  for (const char* apl : {"P1", "P3"}) Place(apl, "FB01", "G1", "M1", "AEN");
  for (const char* apl : {"P2", "P4"}) Place(apl, "FB01", "TWO", "M1", "AEN");
  Place("P5", "FB01", "G171", "M1", "AEN");
  ASSERT_EQ(Apl_Dnl("20240307", "090502", "M1"), 0);
  const std::string sent = "Apl_Dnl|Fehler beim Senden von AplS\xE4tze|";
  EXPECT_EQ(Log(), (std::vector<std::string>{sent + "-2112", sent + "-2112"}));
  std::string f = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  ASSERT_EQ(f.size(), 3 * 552u);
  const char* want[][2] = {{"P1", "4100"}, {"P3", "4100"}, {"P5", "4300"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.substr(552 * i + 111, 10), L(want[i][0], 10));
    EXPECT_EQ(f.substr(552 * i + 111 + 58, 7), L(want[i][1], 7));
  }
  tree_.Exec("UPDATE Kvs537Ksg SET KsgKst = '4200' WHERE KsgApg = 'G1'");
  tree_.Exec("UPDATE Kvs531Apl SET AplDwn = 'M2', AplDna = 'AEN' WHERE AplApl = 'P3'");
  ASSERT_EQ(Apl_Dnl("20240307", "090502", "M2"), 0);
  f = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  ASSERT_EQ(f.size(), 4 * 552u);
  EXPECT_EQ(f.substr(3 * 552 + 111 + 58, 7), L("4200", 7));
}

}  // namespace
