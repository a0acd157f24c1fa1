// Whole runs of the program for the workplace groups and workplaces: the
// keywords Kvs530Apg and Kvs531Apl, every byte of the records, the rows
// afterwards, and an update-request run that re-marks both tables.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "run/download_main.h"
#include "support/platform.h"
#include "tests/test_env.h"

namespace {

using testkit::B;
using testkit::L;
using testkit::R;

class WorkplaceRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Plat_SetClock(1709798702);
    tree_.Connect();
    tree_.Exec(
        "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
        "(1, '10.0.0.1', '4711', 'FB01', 'FB01'), (2, '192.168.100.200', '65535', 'FB02', "
        "'FB02');"
        "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
        "('G1', '2020-01-01 00:00:00', NULL, '4100'), ('G2', '2020-01-01 00:00:00', '" +
        DateText(0) +
        "', '4200');"
        "INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgTxt, ApgKst, ApgFbe, ApgZf1, ApgZf2, ApgZf3, "
        "ApgDna, ApgDwn, ApgSta) VALUES "
        "('G1', 'Montage', 'Halle 1', 'OWN', 'FB01', 'a', 'b', 'c', 'NEU', 'M1', 1),"
        "('G2', 'Lackiererei', NULL, NULL, 'FB02', NULL, NULL, NULL, 'AEN', 'M1', 1);"
        "INSERT INTO Kvs531Apl (AplApl, AplBez, AplTxt, AplApg, AplFbe, AplSts, AplApr, AplZf1, "
        "AplZf2, AplZf3, AplUdt, AplDna, AplDwn) VALUES "
        "('P1', 'S\xC3\xA4ge 1', 'Saege', 'G1', 'FB01', 1, 42, 'x', 'y', '0123456789', "
        "'2024-03-01 06:00:00', 'NEU', 'M1'),"
        "('P2', 'Spritzkabine', NULL, 'G2', 'FB02', 0, 7, NULL, NULL, NULL, NULL, 'AEN', 'M1'),"
        "('P3', 'Alte Presse', NULL, 'G1', 'FB02', 2, 0, NULL, NULL, NULL, NULL, 'LOE', 'M1');");
    struct tm tm;
    Plat_LocalTime(Plat_Now(), &tm);
    char stamp[15];
    strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm);
    stamp_ = stamp;
  }
  void TearDown() override { Plat_SetClock(0); }

  int Run(const char* keyword) {
    const char* args[] = {"velmarkon", "M1", keyword};
    return Download_Main(keyword ? 3 : 2, args, &kProgramEntries);
  }
  std::string Record(int group, const char* table, const char* action, const std::string& body) {
    std::string ip = group == 1 ? "10.0.0.1" : "192.168.100.200",
                port = group == 1 ? "4711" : "65535";
    return "$" + L(ip, 15) + L(port, 5) + stamp_ + "999" + R(ip, 15) + R(port, 5) + B(28) + "0460" +
           table + stamp_.substr(2, 6) + stamp_.substr(8, 6) + "BDE" + action + body +
           B(438 - body.size()) + "*\r\n";
  }
  std::string File(int group) {
    return ReadFileBytes(tree_.buff() + "/SndDnl" + std::to_string(group) + ".buf");
  }
  std::vector<std::vector<std::string>> Marks(const char* table, const char* key) {
    std::string k(key), p = k.substr(0, 3);
    return tree_.Query("SELECT " + k + ", " + p + "Dna, " + p + "Dwn FROM " + table + " ORDER BY " +
                       k);
  }

  TestTree tree_;
  std::string stamp_;
};

TEST_F(WorkplaceRunTest, BothKeywordsSendAndReleaseTheirRows) {
  ASSERT_EQ(Run("Kvs530Apg"), 0);
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});
  // The group whose assignment ends today is still sent.
  std::string g1 = L("G1", 10) + L("Montage", 30) + L("Halle 1", 8) + L("FB01", 10) + L("4100", 7) +
                   B(10) + R("a", 10) + R("b", 20) + R("c", 30);
  std::string g2 = L("G2", 10) + L("Lackiererei", 30) + B(8) + L("FB02", 10) + L("4200", 7) +
                   B(10) + B(10) + B(20) + B(30);
  EXPECT_EQ(File(1), Record(1, "MAG", "NEU", g1));
  EXPECT_EQ(File(2), Record(2, "MAG", "AEN", g2));
  std::vector<std::vector<std::string>> groups = {{"G1", "<NULL>", "<NULL>"},
                                                  {"G2", "<NULL>", "<NULL>"}};
  EXPECT_EQ(Marks("Kvs530Apg", "ApgApg"), groups);
  EXPECT_EQ(tree_.Value("SELECT ApgKst FROM Kvs530Apg WHERE ApgApg = 'G1'"), "OWN");

  // A workplace that is not sent does not fail the download, but the run did
  // not do all it was asked.
  ASSERT_EQ(Run("Kvs531Apl"), EXIT_FAILURES_LOGGED);
  // ... but its group's assignment no longer counts for the workplace.
  std::vector<std::string> log = {"Apl_Dnl|Fehler beim Senden von AplS\xE4tze|1403"};
  EXPECT_EQ(LogEntries(tree_.log()), log);
  std::string p1 = L("P1", 10) + L("S\xE4ge 1", 30) + L("Saege", 8) + L("FB01", 10) + L("4100", 7) +
                   L("G1", 10) + B(20) + "   421" + R("x", 10) + R("y", 20) + B(20) + "012" + "X" +
                   B(100);
  std::string p3 = L("P3", 10) + L("Alte Presse", 30) + B(8) + L("FB02", 10) + L("4100", 7) +
                   L("G1", 10) + B(20) + "    02" + B(10) + B(20) + B(23) + "X" + B(100);
  EXPECT_EQ(File(1).substr(552), Record(1, "MAS", "NEU", p1));
  EXPECT_EQ(File(2).substr(552), Record(2, "MAS", "LOE", p3));
  std::vector<std::vector<std::string>> places = {{"P1", "<NULL>", "<NULL>"}, {"P2", "AEN", "M1"}};
  EXPECT_EQ(Marks("Kvs531Apl", "AplApl"), places);
  EXPECT_EQ(tree_.Value("SELECT AplUdt FROM Kvs531Apl WHERE AplApl = 'P1'"), "2024-03-01 06:00:00");
}

TEST_F(WorkplaceRunTest, UpdateRequestRemarksBothTablesWhole) {
  tree_.Exec(
      "DELETE FROM Kvs531Apl; DELETE FROM Kvs530Apg;"
      "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
      "('1000', '2020-01-01 00:00:00', NULL, '4100'), ('2000', '2020-01-01 00:00:00', NULL, "
      "'4200');"
      "INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgFbe) VALUES ('1000', 'Montage', 'FB01'), "
      "('2000', 'Lackiererei', 'FB02'), ('G1', 'Montage', 'FB01');"
      "INSERT INTO Kvs531Apl (AplApl, AplBez, AplApg, AplFbe) VALUES ('3000', 'Bohrwerk', "
      "'1000', 'FB01'), ('P1', 'Presse', '1000', 'FB01');"
      "INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, "
      "UpdAlb, UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb) "
      "VALUES ('UPD', '            ', '            ', '            ', '            ', '     ', "
      "'     ', '5000', '6000', '5000', '6000', '     ', '     ', '     ', '     ', '        ', "
      "'        ', '     ', '     ');");
  ASSERT_EQ(Run(nullptr), 0);
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});
  // Every group and workplace numbered between "0000000000" and "9999999999"
  // went out with "AEN", whatever range was asked for; "G1" and "P1" sort
  // after that range and stay as they were.
  ASSERT_EQ(File(1).size(), 2u * 552);
  ASSERT_EQ(File(2).size(), 1u * 552);
  EXPECT_EQ(File(1).substr(90, 31), "MAG" + stamp_.substr(2, 12) + "BDEAEN1000      ");
  EXPECT_EQ(File(2).substr(90, 31), "MAG" + stamp_.substr(2, 12) + "BDEAEN2000      ");
  EXPECT_EQ(File(1).substr(552 + 90, 31), "MAS" + stamp_.substr(2, 12) + "BDEAEN3000      ");
  EXPECT_EQ(tree_.Query("SELECT ApgApg, ApgDna, ApgDwn, ApgErf FROM Kvs530Apg ORDER BY ApgApg"),
            (std::vector<std::vector<std::string>>{{"1000", "<NULL>", "<NULL>", "KoraSys"},
                                                   {"2000", "<NULL>", "<NULL>", "KoraSys"},
                                                   {"G1", "<NULL>", "<NULL>", "<NULL>"}}));
  EXPECT_EQ(tree_.Query("SELECT AplApl, AplDna, AplDwn, AplErf FROM Kvs531Apl ORDER BY AplApl"),
            (std::vector<std::vector<std::string>>{{"3000", "<NULL>", "<NULL>", "KoraSys"},
                                                   {"P1", "<NULL>", "<NULL>", "<NULL>"}}));
  EXPECT_EQ(tree_.Value("SELECT UpdAgv FROM Kvs543Upd"), B(10));
}

}  // namespace
