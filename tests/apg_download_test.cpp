// The workplace group download: the "MAG" body byte for byte, the release by
// the re-read action code, a release that cannot read the group again, the
// re-marking's fixed exclusive range, and the download loop with its
// failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/session.h"
#include "db/sql.h"
#include "download/apg_dnl.h"
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

TEST(ApgBody, FittingValuesEndAt135WithoutTheMark) {
  struct Case {
    table_rows::GroupValues row;
    std::string body;
  } cases[] = {
      {{"G1", "Montage", "ABCDEFGHIJ", "FB01", "4100", "z1", "z2", "z3", "AEN"},
       L("G1", 10) + L("Montage", 30) + "ABCDEFGH" + L("FB01", 10) + L("4100", 7) + B(10) +
           R("z1", 10) + R("z2", 20) + R("z3", 30)},
      {{"0123456789", "B", "T", "FB0123456", "1234567", "0123456789", "01234567890123456789",
        "012345678901234567890123456789", "AEN"},
       "0123456789" + L("B", 30) + L("T", 8) + "FB0123456 " + "1234567" + B(10) + "0123456789" +
           "01234567890123456789" + "012345678901234567890123456789"},
      {{"", "", "", "", "", "", "", "", "AEN"}, B(135)},
  };
  for (const Case& c : cases) {
    DownloadMessage m = {};
    ASSERT_EQ(Apg_DnlSatz(&m, table_rows::GroupRow(c.row)), 0);
    ASSERT_EQ(c.body.size(), 135u);
    EXPECT_EQ(std::string(m.body), c.body) << c.row.apg;
    EXPECT_EQ(m.body[136], 'X');  // behind the end: never reaches the record
    ExpectMessageFields(m, {.kind = "NEU", .action = "AEN", .table = "MAG", .field10 = c.row.apg});
  }
}

TEST(ApgBody, LongerValuesShiftTheRestAndTheBodyEndsWithTheMark) {
  struct Case {
    table_rows::GroupValues row;
    std::string line;  // the formatted line; the body keeps its first 136
  } cases[] = {
      // a cost centre of 9 moves every later field two to the right
      {{"G1", "Bez", "Txt", "FB01", "123456789", "z1", "z2", "z3"},
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + "123456789" + B(10) +
           R("z1", 10) + R("z2", 20) + R("z3", 30)},
      {{"G1", "Bez", "Txt", "FB01", "0123456789", "", "", "z3"},
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + "0123456789" + B(10) + B(10) +
           B(20) + R("z3", 30)},
      {{"G1", "Bez", "Txt", "FB01", "4100", "012345678901234567890123456789",
        "012345678901234567890123456789", "z3"},
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + L("4100", 7) + B(10) +
           "012345678901234567890123456789" + "012345678901234567890123456789" + R("z3", 30)},
  };
  for (const Case& c : cases) {
    DownloadMessage m = {};
    ASSERT_EQ(Apg_DnlSatz(&m, table_rows::GroupRow(c.row)), 0);
    ASSERT_GT(c.line.size(), 136u);
    EXPECT_EQ(std::string(m.body), c.line.substr(0, 136) + "X" + B(118)) << c.row.kst;
  }
}

class ApgDownloadTest : public TableDownloadTest {
 protected:
  ApgDownloadTest() : TableDownloadTest("Kvs530Apg", "ApgApg") {}
  void SetUp() override {
    TableDownloadTest::SetUp();
    AddGroupPerArea(tree_);
  }
  void Group(const std::string& apg, const std::string& fbe, const std::string& dwn,
             const std::string& dna) {
    tree_.Exec(
        "INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgKst, ApgFbe, ApgDna, ApgDwn, ApgSta) "
        "VALUES ('" +
        apg + "', 'Bez " + apg + "', 'OWN', '" + fbe + "', " +
        (dna.empty() ? "NULL" : "'" + dna + "'") + ", " + (dwn.empty() ? "NULL" : "'" + dwn + "'") +
        ", 1)");
  }
  void Assign(const std::string& apg, const std::string& kst, int from = -1) {
    tree_.Exec("INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES ('" + apg + "', '" +
               DateText(from) + "', NULL, '" + kst + "')");
  }
  static ApgRow Sent(const char* apg, const char* dna) {
    return SentRow(&ApgRow::ApgApg, &ApgRow::ApgDna, &ApgRow::ApgDwn, apg, dna);
  }
};

TEST_F(ApgDownloadTest, ReleaseActsOnlyOnTheGroupAsItWasSent) {
  Group("G1", "FB01", "M1", "NEU");
  Group("G2", "FB01", "M1", "LOE");  // changed to "LOE" after it was sent as "AEN"
  Group("G3", "FB01", "M1", "AEN");  // changed to "AEN" after it was sent as "LOE"
  Group("G4", "FB01", "M1", "LOE");
  ExpectReleases(Apg_Frei, Sent,
                 {{"G1", "NEU", 0, "<NULL>/<NULL>"},
                  {"G2", "AEN", DNL_LEFT_MARKED, "LOE/M1"},  // its deletion goes with the next run
                  {"G3", "LOE", DNL_LEFT_MARKED, "AEN/M1"},
                  {"G4", "LOE", 0, "<gone>"}});
  EXPECT_EQ(tree_.Value("SELECT ApgBez FROM Kvs530Apg WHERE ApgApg = 'G1'"), "Bez G1");
  EXPECT_EQ(tree_.Value("SELECT ApgDat FROM Kvs530Apg WHERE ApgApg = 'G1'").substr(0, 10),
            DateText(0).substr(0, 10));
  std::vector<std::string> want = {"Apg_Frei|Zeile geaendert, bleibt markiert|0",
                                   "Apg_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), want);
}

TEST_F(ApgDownloadTest, ReleaseThatCannotReadTheGroupWritesNothing) {
  // The group vanished after it was sent, or the database cannot be reached:
  // reported, no update is tried; the group keeps every column.
  ExpectReleaseWithoutItsRow(Apg_Frei, Sent, "ApgDnl|Fehler bei Apg_PKeyRead|", "G1",
                             [&] { Group("G1", "FB01", "M1", "NEU"); });
  EXPECT_EQ(tree_.Value("SELECT ApgBez FROM Kvs530Apg"), "Bez G1");
}

TEST_F(ApgDownloadTest, RemarkingUsesItsOwnExclusiveBounds) {
  for (const char* apg : {"0000000000", "0000000001", "5", "9999999998", "9999999999"})
    Group(apg, "FB01", "", "");
  Group("7", "FB02", "OLD", "NEU");
  // the caller's range does not count
  ExpectOwnBounds<11>(Apg_Sel, "5", "6", "0000000000", "9999999999");
  auto rows = tree_.Query(
      "SELECT ApgApg, ApgDna, ApgDwn, ApgErf, ApgKst, ApgSta FROM Kvs530Apg ORDER BY ApgApg");
  std::vector<std::vector<std::string>> want = {
      {"0000000000", "<NULL>", "<NULL>", "<NULL>", "OWN", "1"},
      {"0000000001", "AEN", "M7", "KoraSys", "OWN", "1"},
      {"5", "AEN", "M7", "KoraSys", "OWN", "1"},
      {"7", "AEN", "M7", "KoraSys", "OWN", "1"},
      {"9999999998", "AEN", "M7", "KoraSys", "OWN", "1"},
      {"9999999999", "<NULL>", "<NULL>", "<NULL>", "OWN", "1"},
  };
  EXPECT_EQ(rows, want);
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(ApgDownloadTest, SendsEachValidAssignmentAndKeepsTheUnsentMarked) {
  Group("G1", "FB02", "M1", "NEU");
  Assign("G1", "K1");
  Group("G2", "FB01", "M1", "LOE");
  Assign("G2", "K2");
  Group("G3", "FB09", "M1", "AEN");  // no terminal group serves FB09
  Assign("G3", "K3");
  Group("G4", "FB01", "M1", "AEN");  // its assignment starts tomorrow
  Assign("G4", "K4", 1);
  Group("G5", "FB01", "M1", "AEN");  // two assignments: sent twice
  Assign("G5", "K5A", -3);
  Assign("G5", "K5B", -2);
  ASSERT_EQ(Apg_Dnl("20240307", "090502", "M1"), 0);

  std::vector<std::string> want = {"ReadFile|IP-Ermitteln|1403",
                                   "Apg_Dnl|Fehler beim Senden von ApgS\xE4tze|1403"};
  EXPECT_EQ(Log(), want);
  std::string f1 = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  std::string f2 = ReadFileBytes(tree_.buff() + "/SndDnl2.buf");
  ASSERT_EQ(f1.size(), 3u * 552);
  ASSERT_EQ(f2.size(), 1u * 552);
  EXPECT_EQ(f2.substr(90, 3 + 12 + 3 + 3), "MAG240307090502BDENEU");
  EXPECT_EQ(f2.substr(111, 10), L("G1", 10));
  EXPECT_EQ(f2.substr(111 + 58, 7), L("K1", 7));  // the assignment's, not the group's own
  std::string kst;
  for (int i = 0; i < 3; ++i) kst += f1.substr(i * 552 + 111 + 58, 7) + f1.substr(i * 552 + 108, 3);
  EXPECT_TRUE(kst == "K2     LOEK5A    AENK5B    AEN" || kst == "K2     LOEK5B    AENK5A    AEN")
      << kst;
  EXPECT_EQ(Marks("G1"), "<NULL>/<NULL>");
  EXPECT_EQ(Marks("G2"), "<gone>");
  EXPECT_EQ(Marks("G3"), "AEN/M1");
  EXPECT_EQ(Marks("G4"), "AEN/M1");
  EXPECT_EQ(Marks("G5"), "<NULL>/<NULL>");
}

TEST_F(ApgDownloadTest, CursorThatCannotOpenIsReported) {
  tree_.Exec("DROP TABLE Kvs537Ksg");
  EXPECT_EQ(Apg_Dnl("20240307", "090502", "M1"), -942);
  std::vector<std::string> want = {"Apg_Dnl|fehlerhafter Apg_OpenDnl|-942"};
  EXPECT_EQ(Log(), want);
}

}  // namespace
