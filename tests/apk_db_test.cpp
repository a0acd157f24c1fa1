// Statements on the order headers: the download cursor by marker with every
// column, the exclusive key range in both orders, the exchange widths of the
// integer columns, and read, update and delete by order number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/apk.h"
#include "db/sql.h"
#include "support/platform.h"
#include "tests/order_test_rows.h"
#include "tests/test_env.h"

namespace {

std::string Quoted(const std::string& v) { return v.empty() ? "NULL" : "'" + v + "'"; }

class ApkDbTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }
  void TearDown() override { Plat_SetClock(0); }

  // An order header with every column set. The integers beyond 16 bits show
  // which statements exchange them with 16 bits.
  void Header(const std::string& apk, const std::string& fbe, const std::string& dwn,
              const std::string& dna, int sts = 3) {
    tree_.Exec(
        "INSERT INTO Kvs501Apk (ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, "
        "ApkKb2, ApkBgs, ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee, "
        "ApkBdi, ApkEdi, ApkFbe, ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn, ApkDna, ApkDwn, "
        "ApkSta, ApkDat, ApkErf, ApkAba) VALUES ('" +
        apk + "', 'Welle " + apk + "', 'lang', 'ABCDEFGHIJ', " + std::to_string(sts) +
        ", 70001, 'K123456', 'Kunde 1', 'Kunde 2', '2024-03-07 10:30:00', '2024-04-01 00:00:00', "
        "12, 65540, 'T-4711', 'Teil 1', 'Teil 2', 123.45, -1.5, 'STK', '2024-03-07 06:30:15', "
        "'2024-03-08 22:01:02', " +
        Quoted(fbe) + ", '4100', 'z1', 'z2', 'z3', 'J', 70000, " + Quoted(dna) + ", " +
        Quoted(dwn) + ", 40000, '2024-03-01 12:00:00', 'hans', 70002)");
  }

  TestTree tree_;
};

TEST_F(ApkDbTest, DownloadCursorDeliversTheMarkedRowsByAreaWithEveryColumn) {
  Header("000000001000", "FB02", "M1", "NEU");
  Header("000000001001", "FB01", "M1", "LOE");
  Header("000000001002", "FB01", "M2", "NEU");
  Header("000000001003", "FB01", "", "");

  ASSERT_EQ(Apk_OpenDnl("M1"), 0);
  ApkRow r;
  memset(&r, 0, sizeof r);
  ASSERT_EQ(Apk_FetchDnl(&r), 0);
  EXPECT_STREQ(r.ApkApk, "000000001001");
  ASSERT_EQ(Apk_FetchDnl(&r), 0);
  EXPECT_STREQ(r.ApkApk, "000000001000");
  EXPECT_STREQ(r.ApkBz1, "Welle 000000001000");
  EXPECT_STREQ(r.ApkBz2, "lang");
  EXPECT_STREQ(r.ApkTxt, "ABCDEFGHIJ");
  EXPECT_EQ(r.ApkSts, 3);
  EXPECT_EQ(r.ApkSis, 70001 - 65536);  // 16 bits
  EXPECT_STREQ(r.ApkKun, "K123456");
  EXPECT_STREQ(r.ApkKb1, "Kunde 1");
  EXPECT_STREQ(r.ApkKb2, "Kunde 2");
  EXPECT_STREQ(r.ApkBgs, "20240307");
  EXPECT_STREQ(r.ApkEns, "20240401");
  EXPECT_EQ(r.ApkAfo, 12);
  EXPECT_EQ(r.ApkEaf, 4);  // 16 bits
  EXPECT_STREQ(r.ApkTnr, "T-4711");
  EXPECT_STREQ(r.ApkTb1, "Teil 1");
  EXPECT_STREQ(r.ApkTb2, "Teil 2");
  EXPECT_DOUBLE_EQ(r.ApkSme, 123.45);
  EXPECT_DOUBLE_EQ(r.ApkIme, -1.5);
  EXPECT_STREQ(r.ApkMee, "STK");
  EXPECT_STREQ(r.ApkBdiDate, "20240307");
  EXPECT_STREQ(r.ApkBdiTime, "063015");
  EXPECT_STREQ(r.ApkEdiDate, "20240308");
  EXPECT_STREQ(r.ApkEdiTime, "220102");
  EXPECT_STREQ(r.ApkFbe, "FB02");
  EXPECT_STREQ(r.ApkKst, "4100");
  EXPECT_STREQ(r.ApkZf1, "z1");
  EXPECT_STREQ(r.ApkZf2, "z2");
  EXPECT_STREQ(r.ApkZf3, "z3");
  EXPECT_STREQ(r.ApkKnz, "J");
  EXPECT_EQ(r.ApkSsn, 70000);  // 32 bits through this cursor
  EXPECT_STREQ(r.ApkDna, "NEU");
  EXPECT_STREQ(r.ApkDwn, "M1");
  EXPECT_EQ(r.ApkSta, 40000);
  EXPECT_STREQ(r.ApkDat, "20240301120000");
  EXPECT_STREQ(r.ApkErf, "hans");
  EXPECT_EQ(r.ApkAba, 70002);

  // The end leaves the record as it was.
  ApkRow before = r;
  EXPECT_EQ(Apk_FetchDnl(&r), SQL_NOTFOUND);
  EXPECT_EQ(memcmp(&r, &before, sizeof r), 0);
  EXPECT_EQ(Apk_CloseDnl(), 0);
}

TEST_F(ApkDbTest, NullColumnsFetchAsEmptyTextAndZero) {
  tree_.Exec("INSERT INTO Kvs501Apk (ApkApk, ApkDwn, ApkFbe) VALUES ('000000000001', 'M1', 'F')");
  ApkRow r;
  memset(&r, 'x', sizeof r);
  ASSERT_EQ(Apk_OpenDnl("M1"), 0);
  ASSERT_EQ(Apk_FetchDnl(&r), 0);
  EXPECT_STREQ(r.ApkBgs, "");
  EXPECT_STREQ(r.ApkBdiTime, "");
  EXPECT_STREQ(r.ApkDat, "");
  EXPECT_STREQ(r.ApkDna, "");
  EXPECT_EQ(r.ApkSme, 0.0);
  EXPECT_EQ(r.ApkAfo, 0);
  EXPECT_EQ(Apk_CloseDnl(), 0);
}

TEST_F(ApkDbTest, KeyRangeExcludesBothBoundsInEitherOrder) {
  for (const char* apk : {"000000000000", "000000001000", "000000001001", "999999999999"})
    Header(apk, "F", "", "");
  struct {
    int16_t variant;
    std::string want;
  } cases[] = {{1, "000000001000,000000001001,"}, {2, "000000001001,000000001000,"}};
  for (const auto& c : cases) {
    ASSERT_EQ(Apk_OpenRange("000000000000", "999999999999", c.variant), 0);
    ApkRow r;
    memset(&r, 0, sizeof r);
    std::string got;
    while (Apk_FetchRange(&r, c.variant) == 0) {
      got += std::string(r.ApkApk) + ",";
      // 16 bits in this cursor: ApkSsn, ApkSta and ApkAba as well.
      EXPECT_EQ(r.ApkSsn, 70000 - 65536);
      EXPECT_EQ(r.ApkSta, 40000 - 65536);
      EXPECT_EQ(r.ApkAba, 70002 - 65536);
      EXPECT_STREQ(r.ApkDat, "");  // not part of the range cursor
    }
    // The end keeps the last row's record.
    EXPECT_STREQ(r.ApkApk, c.variant == 1 ? "000000001001" : "000000001000");
    EXPECT_EQ(got, c.want) << "variant " << c.variant;
    EXPECT_EQ(Apk_CloseRange(c.variant), 0);
  }
  EXPECT_EQ(Apk_OpenRange("0", "9", 3), SQL_CURSOR_INVALID);
}

TEST_F(ApkDbTest, ReadByKeyFillsTheRecordOrLeavesOnlyTheKey) {
  Header("000000001000", "FB02", "M1", "NEU");
  ApkRow r;
  memset(&r, 0, sizeof r);
  strcpy(r.ApkApk, "000000001000");
  strcpy(r.ApkDat, "untouched");
  ASSERT_EQ(Apk_PKeyRead(&r), 0);
  EXPECT_STREQ(r.ApkBz1, "Welle 000000001000");
  EXPECT_STREQ(r.ApkDna, "NEU");
  EXPECT_STREQ(r.ApkDwn, "M1");
  EXPECT_EQ(r.ApkSsn, 70000 - 65536);
  EXPECT_EQ(r.ApkAba, 70002);  // 32 bits in the read
  EXPECT_STREQ(r.ApkDat, "untouched");

  strcpy(r.ApkApk, "000000009999");
  EXPECT_EQ(Apk_PKeyRead(&r), SQL_NOTFOUND);
  ApkRow only_key;
  memset(&only_key, 0, sizeof only_key);
  strcpy(only_key.ApkApk, "000000009999");
  EXPECT_EQ(memcmp(&r, &only_key, sizeof r), 0);
}

TEST_F(ApkDbTest, UpdateWritesEveryColumnAndStampsTheChange) {
  Header("000000001000", "FB02", "M1", "NEU");
  Plat_SetClock(1709798702);
  ApkRow r;
  memset(&r, 0, sizeof r);
  strcpy(r.ApkApk, "000000001000");
  ASSERT_EQ(Apk_PKeyRead(&r), 0);
  strcpy(r.ApkDwn, "");
  strcpy(r.ApkDna, "");
  strcpy(r.ApkEdiDate, "");
  strcpy(r.ApkEdiTime, "");
  strcpy(r.ApkBdiDate, "20240506");
  strcpy(r.ApkBdiTime, "070809");
  r.ApkSts = 65539;  // 16 bits on the way in
  r.ApkAfo = 13;
  r.ApkAba = 70002;
  strcpy(r.ApkDat, "19990101000000");  // the database's time wins
  ASSERT_EQ(Apk_PKeyUpd(&r), 0);

  auto row = order_test::FreshRows(
      tree_,
      "SELECT ApkDwn, ApkDna, ApkBgs, ApkBdi, ApkEdi, ApkSts, ApkAfo, ApkDat, ApkAba, ApkSsn, "
      "ApkEaf, ApkSme, ApkBz1 FROM Kvs501Apk WHERE ApkApk = '000000001000'",
      7);
  ASSERT_EQ(row.size(), 1u);
  std::vector<std::string> want = {"<NULL>",
                                   "<NULL>",
                                   "2024-03-07 00:00:00",  // the date alone comes back
                                   "2024-05-06 07:08:09",
                                   "<NULL>",
                                   "3",
                                   "13",
                                   "<now>",
                                   "70002",
                                   "4464",
                                   "4",
                                   "123.45",
                                   "Welle 000000001000"};
  EXPECT_EQ(row[0], want);

  // A key that is not there changes nothing; a refused value is rolled back.
  strcpy(r.ApkApk, "000000009999");
  EXPECT_EQ(Apk_PKeyUpd(&r), SQL_NOTFOUND);
  EXPECT_EQ(tree_.Value("SELECT COUNT(*) FROM Kvs501Apk"), "1");
  strcpy(r.ApkApk, "000000001000");
  strcpy(r.ApkBgs, "20241399");
  strcpy(r.ApkBz1, "changed");
  EXPECT_LT(Apk_PKeyUpd(&r), 0);
  EXPECT_EQ(tree_.Value("SELECT ApkBz1 FROM Kvs501Apk"), "Welle 000000001000");
}

TEST_F(ApkDbTest, DeleteByKey) {
  Header("000000001000", "F", "", "");
  Header("000000001001", "F", "", "");
  EXPECT_EQ(Apk_PKeyDel("000000001000"), 0);
  EXPECT_EQ(Apk_PKeyDel("000000001000"), SQL_NOTFOUND);
  EXPECT_EQ(tree_.Value("SELECT ApkApk FROM Kvs501Apk"), "000000001001");
}

}  // namespace
