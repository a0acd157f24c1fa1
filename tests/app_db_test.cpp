// Statements on the order operations: the download cursor with all 60
// columns, the key range on the pair (order number, operation number), and
// what the end of that range and a failed read leave in the row.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/app.h"
#include "db/sql.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"

namespace {

using testkit::Quoted;

class AppDbTest : public StatementTest {
 protected:
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

  // The row Operation stores, as the statements deliver it (see ExpectRow).
  static std::string OperationRow(const std::string& apk, const std::string& app,
                                  const std::string& fbe, const std::string& dwn,
                                  const std::string& dna) {
    return "AppApk=" + apk + "|AppApp=" + app + "|AppFbe=" + fbe + "|AppDna=" + dna +
           "|AppDwn=" + dwn +
           "|AppVaf=00005|AppNaf=00020|AppBz1=Drehen|AppBz2=Schlichten|AppTxt=Txt|AppSts=3|"
           "AppSis=-32768|AppBdiDate=20240301|AppBdiTime=010203|AppBdsDate=20240302|"
           "AppBdsTime=000000|AppSbdDate=20240303|AppSbdTime=030405|AppEdiDate=20240304|"
           "AppEdiTime=040506|AppEdsDate=20240305|AppEdsTime=000000|AppSedDate=20240306|"
           "AppSedTime=060708|AppRadDate=20240307|AppRadTime=070809|AppRedDate=20240308|"
           "AppRedTime=080910|"
           "AppAgs=70000|AppAbs=-70000|AppAes=5|"  // 32 bits everywhere
           "AppSme=1.25|AppIme=2.5|AppAme=3.75|AppMee=STK|AppSza=4.5|AppStr=5.5|AppSte=6.5|"
           "AppIta=7.5|AppItr=8.5|AppIte=9.5|AppApg=DREH|AppApl=DREH-01|AppKt1=kt1|AppKz1=z1|"
           "AppKt2=kt2|AppKz2=z2|AppKt3=kt3|AppKz3=z3|AppKt4=kt4|AppKz4=z4|AppKst=4100|"
           "AppZf1=f1|AppZf2=f2|AppZf3=f3|AppKnz=K|AppSsn=32767|AppSta=-32000|"
           "AppDat=20240301120000|AppErf=hans";
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
};

TEST_F(AppDbTest, DownloadCursorDeliversEveryColumnOfTheMarkedRowsByArea) {
  Operation("000000001000", "00010", "FB02", "M1", "NEU");
  Operation("000000001000", "00020", "FB01", "M1", "AEN");
  Operation("000000001000", "00030", "FB01", "M2", "NEU");

  const auto rows = Fetched(App_OpenDnl("M1"), App_FetchDnl, App_CloseDnl, Filled<AppRow>(0));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0].AppApp, "00020");
  ExpectRow(rows[1], OperationRow("000000001000", "00010", "FB02", "M1", "NEU"));
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
  ExpectFields(r, "AppSsn=32767|AppSta=-32000|AppBz1=Drehen");
  EXPECT_EQ(App_FetchRange(&r, 1), SQL_NOTFOUND);
  AppRow only_key = OnlyKey(&AppRow::AppApk, "000000001000");
  CopyText(only_key.AppApp, "00010");
  ExpectSameBytes(r, only_key);
  EXPECT_EQ(App_CloseRange(1), 0);

  ASSERT_EQ(App_PKeyRead(&r), 0);
  ExpectFields(r, "AppBz1=Drehen|AppSta=-32000|AppDat=20240301120000");
  strcpy(r.AppApp, "00011");
  EXPECT_EQ(App_PKeyRead(&r), SQL_NOTFOUND);
  CopyText(only_key.AppApp, "00011");
  ExpectSameBytes(r, only_key);
}

}  // namespace
