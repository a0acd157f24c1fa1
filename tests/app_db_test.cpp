// Statements on the order operations: the download cursor with all 60
// columns, the key range on the pair (order number, operation number) and on
// order numbers alone, the exchange widths, and read, update and delete.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/app.h"
#include "db/sql.h"
#include "support/platform.h"
#include "tests/download_kit.h"
#include "tests/order_test_rows.h"
#include "tests/test_env.h"

namespace {

using testkit::Quoted;

class AppDbTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }
  void TearDown() override { Plat_SetClock(0); }

  // An operation with every column set; the dates differ by their day.
  void Operation(const std::string& apk, const std::string& app, const std::string& fbe = "F",
                 const std::string& dwn = "", const std::string& dna = "", int sts = 3) {
    tree_.Exec(
        "INSERT INTO Kvs504App (AppApk, AppApp, AppVaf, AppNaf, AppBz1, AppBz2, AppTxt, AppSts, "
        "AppSis, AppBdi, AppBds, AppSbd, AppEdi, AppEds, AppSed, AppRad, AppRed, AppAgs, AppAbs, "
        "AppAes, AppSme, AppIme, AppAme, AppMee, AppSza, AppStr, AppSte, AppIta, AppItr, AppIte, "
        "AppApg, AppApl, AppKt1, AppKz1, AppKt2, AppKz2, AppKt3, AppKz3, AppKt4, AppKz4, AppFbe, "
        "AppKst, AppZf1, AppZf2, AppZf3, AppKnz, AppDna, AppDwn, AppSsn, AppSta, AppDat, AppErf) "
        "VALUES ('" +
        apk + "', '" + app + "', '00005', '00020', 'Drehen', 'Schlichten', 'Txt', " +
        std::to_string(sts) +
        ", -32768, '2024-03-01 01:02:03', '2024-03-02 00:00:00', '2024-03-03 03:04:05', "
        "'2024-03-04 04:05:06', '2024-03-05 00:00:00', '2024-03-06 06:07:08', "
        "'2024-03-07 07:08:09', '2024-03-08 08:09:10', 70000, -70000, 5, 1.25, 2.5, 3.75, 'STK', "
        "4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 'DREH', 'DREH-01', 'kt1', 'z1', 'kt2', 'z2', 'kt3', 'z3', "
        "'kt4', 'z4', " +
        Quoted(fbe) + ", '4100', 'f1', 'f2', 'f3', 'K', " + Quoted(dna) + ", " + Quoted(dwn) +
        ", 32767, -32000, '2024-03-01 12:00:00', 'hans')");
  }

  // The keys a range cursor delivers, "apk/app," each.
  std::string Range(const char* la, const char* lp, const char* ua, const char* up,
                    int16_t variant) {
    EXPECT_EQ(App_OpenRange(la, lp, ua, up, variant), 0);
    AppRow r;
    memset(&r, 0, sizeof r);
    std::string got;
    while (App_FetchRange(&r, variant) == 0) got += std::string(r.AppApk) + "/" + r.AppApp + ",";
    EXPECT_EQ(App_CloseRange(variant), 0);
    return got;
  }

  TestTree tree_;
};

TEST_F(AppDbTest, DownloadCursorDeliversEveryColumnOfTheMarkedRowsByArea) {
  Operation("000000001000", "00010", "FB02", "M1", "NEU");
  Operation("000000001000", "00020", "FB01", "M1", "AEN");
  Operation("000000001000", "00030", "FB01", "M2", "NEU");

  ASSERT_EQ(App_OpenDnl("M1"), 0);
  AppRow r;
  memset(&r, 0, sizeof r);
  ASSERT_EQ(App_FetchDnl(&r), 0);
  EXPECT_STREQ(r.AppApp, "00020");
  ASSERT_EQ(App_FetchDnl(&r), 0);
  EXPECT_STREQ(r.AppApk, "000000001000");
  EXPECT_STREQ(r.AppApp, "00010");
  EXPECT_STREQ(r.AppVaf, "00005");
  EXPECT_STREQ(r.AppNaf, "00020");
  EXPECT_STREQ(r.AppBz1, "Drehen");
  EXPECT_STREQ(r.AppBz2, "Schlichten");
  EXPECT_STREQ(r.AppTxt, "Txt");
  EXPECT_EQ(r.AppSts, 3);
  EXPECT_EQ(r.AppSis, -32768);
  const char* parts[8][2] = {{r.AppBdiDate, r.AppBdiTime}, {r.AppBdsDate, r.AppBdsTime},
                             {r.AppSbdDate, r.AppSbdTime}, {r.AppEdiDate, r.AppEdiTime},
                             {r.AppEdsDate, r.AppEdsTime}, {r.AppSedDate, r.AppSedTime},
                             {r.AppRadDate, r.AppRadTime}, {r.AppRedDate, r.AppRedTime}};
  const char* want_parts[8][2] = {{"20240301", "010203"}, {"20240302", "000000"},
                                  {"20240303", "030405"}, {"20240304", "040506"},
                                  {"20240305", "000000"}, {"20240306", "060708"},
                                  {"20240307", "070809"}, {"20240308", "080910"}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_STREQ(parts[i][0], want_parts[i][0]) << i;
    EXPECT_STREQ(parts[i][1], want_parts[i][1]) << i;
  }
  EXPECT_EQ(r.AppAgs, 70000);  // 32 bits everywhere
  EXPECT_EQ(r.AppAbs, -70000);
  EXPECT_EQ(r.AppAes, 5);
  double nums[] = {r.AppSme, r.AppIme, r.AppAme, r.AppSza, r.AppStr,
                   r.AppSte, r.AppIta, r.AppItr, r.AppIte};
  double want_nums[] = {1.25, 2.5, 3.75, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5};
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(nums[i], want_nums[i]) << i;
  EXPECT_STREQ(r.AppMee, "STK");
  EXPECT_STREQ(r.AppApg, "DREH");
  EXPECT_STREQ(r.AppApl, "DREH-01");
  EXPECT_STREQ(r.AppKt1, "kt1");
  EXPECT_STREQ(r.AppKz1, "z1");
  EXPECT_STREQ(r.AppKt4, "kt4");
  EXPECT_STREQ(r.AppKz4, "z4");
  EXPECT_STREQ(r.AppFbe, "FB02");
  EXPECT_STREQ(r.AppKst, "4100");
  EXPECT_STREQ(r.AppZf1, "f1");
  EXPECT_STREQ(r.AppZf3, "f3");
  EXPECT_STREQ(r.AppKnz, "K");
  EXPECT_STREQ(r.AppDna, "NEU");
  EXPECT_STREQ(r.AppDwn, "M1");
  EXPECT_EQ(r.AppSsn, 32767);
  EXPECT_EQ(r.AppSta, -32000);
  EXPECT_STREQ(r.AppDat, "20240301120000");
  EXPECT_STREQ(r.AppErf, "hans");

  ExpectCursorEnd(App_FetchDnl, App_CloseDnl, &r);
}

TEST_F(AppDbTest, KeyRangeComparesTheOrderNumberFirstAndExcludesBothBounds) {
  for (const char* app : {"00010", "00020", "00030"}) Operation("000000001000", app);
  for (const char* app : {"00001", "99999"}) Operation("000000001001", app);
  for (const char* app : {"00005", "00010", "00020"}) Operation("000000001002", app);
  Operation("000000001003", "00001");

  EXPECT_EQ(Range("000000001000", "00020", "000000001002", "00010", 1),
            "000000001000/00030,000000001001/00001,000000001001/99999,000000001002/00005,");
  EXPECT_EQ(Range("000000001000", "00010", "000000001000", "00030", 1), "000000001000/00020,");
  EXPECT_EQ(Range("000000001000", "00020", "000000001000", "00021", 1), "");
  EXPECT_EQ(App_OpenRange("0", "0", "9", "9", 2), SQL_CURSOR_INVALID);
}

TEST_F(AppDbTest, RangeEndAndFailedReadLeaveOnlyTheKey) {
  Operation("000000001000", "00010");
  ASSERT_EQ(App_OpenRange("000000000999", "00000", "000000001001", "00000", 1), 0);
  AppRow r;
  memset(&r, 0, sizeof r);
  ASSERT_EQ(App_FetchRange(&r, 1), 0);
  EXPECT_EQ(r.AppSsn, 32767);
  EXPECT_EQ(r.AppSta, -32000);
  EXPECT_STREQ(r.AppBz1, "Drehen");
  EXPECT_EQ(App_FetchRange(&r, 1), SQL_NOTFOUND);
  AppRow only_key;
  memset(&only_key, 0, sizeof only_key);
  strcpy(only_key.AppApk, "000000001000");
  strcpy(only_key.AppApp, "00010");
  EXPECT_EQ(memcmp(&r, &only_key, sizeof r), 0);
  EXPECT_EQ(App_CloseRange(1), 0);

  ASSERT_EQ(App_PKeyRead(&r), 0);
  EXPECT_STREQ(r.AppBz1, "Drehen");
  EXPECT_EQ(r.AppSta, -32000);
  EXPECT_STREQ(r.AppDat, "20240301120000");
  strcpy(r.AppApp, "00011");
  EXPECT_EQ(App_PKeyRead(&r), SQL_NOTFOUND);
  strcpy(only_key.AppApp, "00011");
  EXPECT_EQ(memcmp(&r, &only_key, sizeof r), 0);
}

}  // namespace
