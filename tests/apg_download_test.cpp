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
#include "tests/test_env.h"

namespace {

using testkit::B;
using testkit::L;
using testkit::R;

TEST(ApgBody, FittingValuesEndAt135WithoutTheMark) {
  struct Case {
    const char *apg, *bez, *txt, *fbe, *kst, *zf1, *zf2, *zf3;
    std::string body;
  } cases[] = {
      {"G1", "Montage", "ABCDEFGHIJ", "FB01", "4100", "z1", "z2", "z3",
       L("G1", 10) + L("Montage", 30) + "ABCDEFGH" + L("FB01", 10) + L("4100", 7) + B(10) +
           R("z1", 10) + R("z2", 20) + R("z3", 30)},
      {"0123456789", "B", "T", "FB0123456", "1234567", "0123456789", "01234567890123456789",
       "012345678901234567890123456789",
       "0123456789" + L("B", 30) + L("T", 8) + "FB0123456 " + "1234567" + B(10) + "0123456789" +
           "01234567890123456789" + "012345678901234567890123456789"},
      {"", "", "", "", "", "", "", "", B(135)},
  };
  for (const Case& c : cases) {
    ApgRow row = {};
    CopyText(row.ApgApg, c.apg);
    CopyText(row.ApgBez, c.bez);
    CopyText(row.ApgTxt, c.txt);
    CopyText(row.ApgFbe, c.fbe);
    CopyText(row.ApgKst, c.kst);
    CopyText(row.ApgZf1, c.zf1);
    CopyText(row.ApgZf2, c.zf2);
    CopyText(row.ApgZf3, c.zf3);
    CopyText(row.ApgDna, "AEN");
    DownloadMessage m = {};
    ASSERT_EQ(Apg_DnlSatz(&m, row), 0);
    ASSERT_EQ(c.body.size(), 135u);
    EXPECT_EQ(std::string(m.body), c.body) << c.apg;
    EXPECT_EQ(m.body[136], 'X');  // behind the end: never reaches the record
    ExpectMessageFields(m, {.kind = "NEU", .action = "AEN", .table = "MAG", .field10 = c.apg});
  }
}

TEST(ApgBody, LongerValuesShiftTheRestAndTheBodyEndsWithTheMark) {
  struct Case {
    const char *kst, *zf1, *zf2;
    std::string line;  // the formatted line; the body keeps its first 136
  } cases[] = {
      // a cost centre of 9 moves every later field two to the right
      {"123456789", "z1", "z2",
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + "123456789" + B(10) +
           R("z1", 10) + R("z2", 20) + R("z3", 30)},
      {"0123456789", "", "",
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + "0123456789" + B(10) + B(10) +
           B(20) + R("z3", 30)},
      {"4100", "012345678901234567890123456789", "012345678901234567890123456789",
       L("G1", 10) + L("Bez", 30) + L("Txt", 8) + L("FB01", 10) + L("4100", 7) + B(10) +
           "012345678901234567890123456789" + "012345678901234567890123456789" + R("z3", 30)},
  };
  for (const Case& c : cases) {
    ApgRow row = {};
    CopyText(row.ApgApg, "G1");
    CopyText(row.ApgBez, "Bez");
    CopyText(row.ApgTxt, "Txt");
    CopyText(row.ApgFbe, "FB01");
    CopyText(row.ApgKst, c.kst);
    CopyText(row.ApgZf1, c.zf1);
    CopyText(row.ApgZf2, c.zf2);
    CopyText(row.ApgZf3, "z3");
    DownloadMessage m = {};
    ASSERT_EQ(Apg_DnlSatz(&m, row), 0);
    ASSERT_GT(c.line.size(), 136u);
    EXPECT_EQ(std::string(m.body), c.line.substr(0, 136) + "X" + B(118)) << c.kst;
  }
}

class ApgDownloadTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
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
  std::string Marks(const std::string& apg) { return RowMarks("Kvs530Apg", "Apg", "ApgApg", apg); }
  static ApgRow Sent(const char* apg, const char* dna) {
    ApgRow row = {};
    CopyText(row.ApgApg, apg);
    CopyText(row.ApgDna, dna);
    CopyText(row.ApgDwn, "M1");
    return row;
  }
};

TEST_F(ApgDownloadTest, ReleaseActsOnlyOnTheGroupAsItWasSent) {
  Group("G1", "FB01", "M1", "NEU");
  Group("G2", "FB01", "M1", "LOE");  // changed to "LOE" after it was sent as "AEN"
  Group("G3", "FB01", "M1", "AEN");  // changed to "AEN" after it was sent as "LOE"
  Group("G4", "FB01", "M1", "LOE");
  EXPECT_EQ(Apg_Frei(Sent("G1", "NEU")), 0);
  EXPECT_EQ(Apg_Frei(Sent("G2", "AEN")), DNL_LEFT_MARKED);
  EXPECT_EQ(Apg_Frei(Sent("G3", "LOE")), DNL_LEFT_MARKED);
  EXPECT_EQ(Apg_Frei(Sent("G4", "LOE")), 0);
  EXPECT_EQ(Marks("G1"), "<NULL>/<NULL>");
  EXPECT_EQ(Marks("G2"), "LOE/M1");  // its deletion goes with the next run
  EXPECT_EQ(Marks("G3"), "AEN/M1");
  EXPECT_EQ(Marks("G4"), "<gone>");
  EXPECT_EQ(tree_.Value("SELECT ApgBez FROM Kvs530Apg WHERE ApgApg = 'G1'"), "Bez G1");
  EXPECT_EQ(tree_.Value("SELECT ApgDat FROM Kvs530Apg WHERE ApgApg = 'G1'").substr(0, 10),
            DateText(0).substr(0, 10));
  std::vector<std::string> want = {"Apg_Frei|Zeile geaendert, bleibt markiert|0",
                                   "Apg_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), want);
}

TEST_F(ApgDownloadTest, ReleaseThatCannotReadTheGroupWritesNothing) {
  // The group vanished after it was sent: reported, no update is tried.
  EXPECT_EQ(Apg_Frei(Sent("GONE", "NEU")), SQL_NOTFOUND);
  std::vector<std::string> want = {"ApgDnl|Fehler bei Apg_PKeyRead|1403"};
  EXPECT_EQ(Log(), want);

  // The database cannot be reached: the group keeps every column and its marks.
  Group("G1", "FB01", "M1", "NEU");
  dbDisconnect();
  EXPECT_EQ(Apg_Frei(Sent("G1", "NEU")), SQL_NOT_CONNECTED);
  want.push_back("ApgDnl|Fehler bei Apg_PKeyRead|-3114");
  EXPECT_EQ(Log(), want);
  EXPECT_EQ(Marks("G1"), "NEU/M1");
  EXPECT_EQ(tree_.Value("SELECT ApgBez FROM Kvs530Apg"), "Bez G1");
}

TEST_F(ApgDownloadTest, RemarkingUsesItsOwnExclusiveBounds) {
  for (const char* apg : {"0000000000", "0000000001", "5", "9999999998", "9999999999"})
    Group(apg, "FB01", "", "");
  Group("7", "FB02", "OLD", "NEU");
  char from[11] = "5", to[11] = "6";  // the caller's range does not count
  Apg_Sel("M7", from, to);
  EXPECT_STREQ(from, "0000000000");
  EXPECT_STREQ(to, "9999999999");
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
