// Runs of the program for order headers and order operations on the
// embedded database: the records in each terminal group's send buffer byte
// for byte, the rows afterwards with the operation counts, and an
// update-request run that re-marks and sends both tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/download_main.h"
#include "support/platform.h"
#include "tests/order_test_rows.h"
#include "tests/test_env.h"

namespace {

using namespace order_test;

class OrderRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    Groups(tree_);
    Plat_SetClock(1709798702);
    struct tm tm;
    Plat_LocalTime(1709798702, &tm);
    strftime(stamp_, sizeof stamp_, "%Y%m%d%H%M%S", &tm);
  }
  void TearDown() override { Plat_SetClock(0); }

  int Run(const char* marker, const char* keyword = nullptr) {
    const char* args[] = {"velmarkon", marker, keyword};
    return Download_Main(keyword ? 3 : 2, args, &kProgramEntries);
  }
  std::string File(int group) {
    return ReadFileBytes(tree_.buff() + "/SndDnl" + std::to_string(group) + ".buf");
  }

  TestTree tree_;
  char stamp_[15];
};

TEST_F(OrderRunTest, BothKeywordsSendReleaseAndCountTheOperations) {
  Header(tree_, "000000001000", "FB01", "M1", "NEU", 3, 0);
  Header(tree_, "000000001001", "FB02", "M1", "LOE", 3, 0);
  Header(tree_, "000000001002", "FB03", "M1", "AEN", 10, 2);
  Header(tree_, "000000001003", "FB04", "M2", "NEU", 3, 1);
  Operation(tree_, "000000001000", "00010", "FB01", "M1", "NEU");
  Operation(tree_, "000000001000", "00020", "FB02", "M1", "NEU", 10);
  Operation(tree_, "000000001002", "00010", "FB03", "M1", "LOE");
  Operation(tree_, "000000001002", "00020", "FB04", "M1", "AEN");
  Operation(tree_, "000000001003", "00010", "FB01", "M2", "NEU");

  ASSERT_EQ(Run("M1", "Kvs501Apk"), 0);
  EXPECT_EQ(File(1), Record(1, stamp_, "APK", "NEU", HeaderBody("000000001000", 0, '3')) +
                         Record(1, stamp_, "APK", "AEN", HeaderBody("000000001002", 2, '0')));
  EXPECT_EQ(File(2), Record(2, stamp_, "APK", "LOE", HeaderBody("000000001001", 0, '3')));
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl3.buf"));

  ASSERT_EQ(Run("M1", "Kvs504App"), 0);
  std::string apk1 = File(1).substr(0, 2 * 552);
  EXPECT_EQ(File(1),
            apk1 + Record(1, stamp_, "APP", "NEU", OperationBody("000000001000", "00010", '3')) +
                Record(1, stamp_, "APP", "LOE", OperationBody("000000001002", "00010", '3')));
  EXPECT_EQ(File(2).substr(552),
            Record(2, stamp_, "APP", "NEU", OperationBody("000000001000", "00020", '0')));
  EXPECT_EQ(File(3), Record(3, stamp_, "APP", "AEN", OperationBody("000000001002", "00020", '3')));

  std::string old = "2024-03-01 12:00:00";
  std::vector<std::vector<std::string>> headers = {
      {"000000001000", "<NULL>", "<NULL>", "2", "<now>"},  // two new operations
      {"000000001002", "<NULL>", "<NULL>", "1", "<now>"},  // one deleted, one changed
      {"000000001003", "M2", "NEU", "1", old},
  };
  EXPECT_EQ(FreshRows(tree_,
                      "SELECT ApkApk, ApkDwn, ApkDna, ApkAfo, ApkDat FROM Kvs501Apk ORDER BY 1", 4),
            headers);
  std::vector<std::vector<std::string>> operations = {
      {"000000001000", "00010", "<NULL>", "<NULL>", "<now>"},
      {"000000001000", "00020", "<NULL>", "<NULL>", "<now>"},
      {"000000001002", "00020", "<NULL>", "<NULL>", "<now>"},
      {"000000001003", "00010", "M2", "NEU", old},
  };
  EXPECT_EQ(
      FreshRows(tree_, "SELECT AppApk, AppApp, AppDwn, AppDna, AppDat FROM Kvs504App ORDER BY 1, 2",
                4),
      operations);
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});

  // Nothing is left with the marker: a second run writes nothing.
  ASSERT_EQ(Run("M1", "Kvs501Apk"), 0);
  ASSERT_EQ(Run("M1", "Kvs504App"), 0);
  EXPECT_EQ(File(1).size(), 4u * 552);
  EXPECT_EQ(File(2).size(), 2u * 552);
  EXPECT_EQ(File(3).size(), 552u);
}

TEST_F(OrderRunTest, UpdateRequestRemarksAndSendsBothTables) {
  Header(tree_, "000000001000", "FB01", "", "", 3, 2);
  Header(tree_, "000000001001", "FB02", "", "", 9, 1);  // closed: not sent again
  Operation(tree_, "000000001000", "00010", "FB01", "", "");
  Operation(tree_, "000000001000", "00020", "FB02", "", "");
  Operation(tree_, "000000001001", "00010", "FB03", "", "");
  // Headers from 000000000001 on (taken whole); operations after
  // (000000001000, 00010) and before (000000001001, 00010).
  tree_.Exec(
      "INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, "
      "UpdAlb, UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb) "
      "VALUES ('UPD', '000000000001', '000000000002', '000000001000', '000000001001', '00010', "
      "'00010', '          ', '          ', '          ', '          ', '     ', '     ', "
      "'     ', '     ', '        ', '        ', '     ', '     ')");

  ASSERT_EQ(Run("M1"), 0);

  EXPECT_EQ(File(1), Record(1, stamp_, "APK", "AEN", HeaderBody("000000001000", 2, '3')));
  EXPECT_EQ(File(2), Record(2, stamp_, "APP", "AEN", OperationBody("000000001000", "00020", '3')));
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl3.buf"));
  std::vector<std::vector<std::string>> headers = {
      {"000000001000", "<NULL>", "KoraSys", "2"},
      {"000000001001", "<NULL>", "hans", "1"},
  };
  EXPECT_EQ(tree_.Query("SELECT ApkApk, ApkDwn, ApkErf, ApkAfo FROM Kvs501Apk ORDER BY 1"),
            headers);
  EXPECT_EQ(tree_.Value("SELECT COUNT(*) FROM Kvs504App WHERE AppErf = 'KoraSys'"), "1");
  EXPECT_EQ(tree_.Value("SELECT UpdAkv FROM Kvs543Upd"), "            ");
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});
}

}  // namespace
