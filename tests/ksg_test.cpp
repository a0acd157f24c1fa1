// The cost-centre list: its statements, its body and the whole run of
// "velmarkon MARKER Kvs537Ksg".
#include "db/ksg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/sql.h"
#include "download/ksg_dnl.h"
#include "run/download_main.h"
#include "support/platform.h"
#include "tests/download_kit.h"
#include "tests/test_env.h"

namespace {

std::string Body(const char* kst) {
  KsgRow row = {};
  CopyText(row.KsgKst, kst);
  DownloadMessage m = {};
  EXPECT_EQ(Ksg_DnlSatz(&m, row), 0);
  EXPECT_STREQ(m.kind, "NEU");
  EXPECT_STREQ(m.action, "NEU");
  EXPECT_STREQ(m.table, "KST");
  return std::string(m.body, strnlen(m.body, sizeof m.body));
}

TEST(KsgBody, NumberTextAndEndMark) {
  struct Case {
    const char* kst;
    std::string body;
  } cases[] = {
      {"4100", "4100   Kostenstelle" + std::string(13 + 5, ' ') + "X"},
      {"", std::string(7, ' ') + "Kostenstelle" + std::string(18, ' ') + "X"},
      {"12345678", "12345678Kostenstelle" + std::string(13 + 4, ' ') + "X"},
      // a long number shifts the rest: the mark stands over one of the blanks
      {"ABCDEFGHIJ", "ABCDEFGHIJKostenstelle" + std::string(13, ' ') + "  X  "},
  };
  for (const Case& c : cases) EXPECT_EQ(Body(c.kst), c.body) << c.kst;
  EXPECT_EQ(Body("4100").size(), 38u);
  EXPECT_EQ(Body("ABCDEFGHIJ").size(), 40u);
}

class KsgTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }
  TestTree tree_;
};

TEST_F(KsgTest, ValidityOfTheCostCentreOfAGroup) {
  AddCostCentreValidities(tree_);
  struct Case {
    const char* apg;
    int32_t rc;
    const char* kst;
  } cases[] = {{"ENDS_TODAY", 1403, nullptr},       {"ENDS_TMRW", 0, "K2"},
               {"STARTS_TMR", 1403, nullptr},       {"OPEN", 0, "K4"},
               {"TWO", SQL_TOO_MANY_ROWS, nullptr}, {"NONE", 1403, nullptr}};
  for (const Case& c : cases) {
    KsgRow row;
    memset(&row, ' ', sizeof row);
    CopyText(row.KsgApg, c.apg);
    EXPECT_EQ(Ksg_ApgRead(&row), c.rc) << c.apg;
    if (c.kst) {
      EXPECT_STREQ(row.KsgKst, c.kst);
    }
  }
}

TEST_F(KsgTest, ListPairsEveryCostCentreWithEveryAreaOfType1) {
  tree_.Exec(
      "INSERT INTO o1003Kststelle (KstNum) VALUES ('K1'), ('K2'), ('K3');"
      "INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB2', 1), ('FB1', 1), ('FB3', 2);");
  ASSERT_EQ(Ksg_OpenDnl("M1"), 0);
  KsgRow row = {};
  std::string areas, centres;
  while (Ksg_FetchDnl(&row) == 0) {
    areas += row.KsgFbe + std::string(",");
    centres += row.KsgKst;
  }
  EXPECT_EQ(Ksg_CloseDnl(), 0);
  EXPECT_EQ(areas, "FB1,FB1,FB1,FB2,FB2,FB2,");
  EXPECT_EQ(centres.size(), 12u);
}

class KsgRunTest : public KsgTest {
 protected:
  void SetUp() override {
    KsgTest::SetUp();
    tree_.Exec(
        "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
        "(1, '10.0.0.1', '4711', 'FB1', 'FB1'), (2, '192.168.100.200', '65535', 'FB2', 'FB2');"
        "INSERT INTO o1003Kststelle (KstNum) VALUES ('4100'), ('ABCDEFGHIJ');"
        "INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB2', 1), ('FB1', 1), ('FB3', 2);");
    Plat_SetClock(1709798702);
  }
  void TearDown() override { Plat_SetClock(0); }
  int Run(const char* marker) {
    const char* args[] = {"velmarkon", marker, "Kvs537Ksg"};
    return Download_Main(3, args, &kProgramEntries);
  }
};

// Every byte of the records the run writes.
std::string Record(const std::string& ip_l, const std::string& port_l, const std::string& ip_r,
                   const std::string& port_r, const std::string& stamp, const std::string& kst) {
  std::string body = kst.size() <= 7 ? kst + std::string(7 - kst.size(), ' ') : kst;
  body += "Kostenstelle" + std::string(13, ' ') + "     ";
  if (body.size() < 38) body.resize(38, ' ');
  body[37] = 'X';
  return "$" + ip_l + port_l + stamp + "999" + ip_r + port_r + std::string(28, ' ') + "0460KST" +
         stamp.substr(2, 6) + stamp.substr(8, 6) + "BDENEU" + body +
         std::string(438 - body.size(), ' ') + "*\r\n";
}

TEST_F(KsgRunTest, RunFillsEachGroupsFileWithTheList) {
  ASSERT_EQ(Run("M1"), 0);
  struct tm tm;
  Plat_LocalTime(Plat_Now(), &tm);
  char stamp[15];
  strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm);
  std::string f1 = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  std::string f2 = ReadFileBytes(tree_.buff() + "/SndDnl2.buf");
  ASSERT_EQ(f1.size(), 2u * 552);
  ASSERT_EQ(f2.size(), 2u * 552);
  std::string ip1 = "10.0.0.1", ip2 = "192.168.100.200";
  // The cost centres of one area come in the order the database returns them.
  for (const std::string* f : {&f1, &f2}) {
    bool g1 = f == &f1;
    std::string l = g1 ? ip1 + std::string(7, ' ') : ip2, r = g1 ? std::string(7, ' ') + ip1 : ip2;
    std::string pl = g1 ? "4711 " : "65535", pr = g1 ? " 4711" : "65535";
    std::string a = Record(l, pl, r, pr, stamp, "4100"),
                b = Record(l, pl, r, pr, stamp, "ABCDEFGHIJ");
    std::string got0 = f->substr(0, 552), got1 = f->substr(552);
    EXPECT_TRUE((got0 == a && got1 == b) || (got0 == b && got1 == a)) << *f;
  }
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl3.buf"));
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});

  // A second run sends the same list again; the repeat marker changes nothing.
  ASSERT_EQ(Run("InfToGen"), 0);
  std::string again = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  ASSERT_EQ(again.size(), 4u * 552);
  EXPECT_EQ(again.substr(90, 3 + 6 + 6 + 6), again.substr(2 * 552 + 90, 21));
}

TEST_F(KsgRunTest, NoAreaOfType1WritesNothing) {
  tree_.Exec("UPDATE Kvs559Fbe SET FbeTyp = 2");
  ASSERT_EQ(Run("M1"), 0);
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl1.buf"));
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});
}

TEST_F(KsgRunTest, AreaWithoutTerminalGroupIsReportedAndTheRestSent) {
  tree_.Exec("INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB15', 1)");
  // The list has no release and reports no send failure itself; the run did
  // not do all it was asked.
  ASSERT_EQ(Run("M1"), EXIT_FAILURES_LOGGED);
  std::vector<std::string> want = {"ReadFile|IP-Ermitteln|1403", "ReadFile|IP-Ermitteln|1403"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
  EXPECT_EQ(ReadFileBytes(tree_.buff() + "/SndDnl2.buf").size(), 2u * 552);
}

TEST_F(KsgRunTest, CursorThatCannotOpenIsReported) {
  tree_.Exec("DROP TABLE o1003Kststelle");
  EXPECT_EQ(Run("M1"), ExitStatus(-942));
  std::vector<std::string> want = {"Ksg_Dnl|fehlerhafte Ksg_OpenDnl|-942"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
}

}  // namespace
