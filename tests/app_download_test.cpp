// The order operation download: the "APP" body byte for byte with its short
// numbers, the release with the order header's operation count, the
// re-marking of a strict (order number, operation number) range, and the
// loop that goes on after a failing row.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/apk.h"
#include "db/session.h"
#include "db/sql.h"
#include "download/app_dnl.h"
#include "download/frame.h"
#include "support/platform.h"
#include "support/text.h"
#include "tests/order_test_rows.h"
#include "tests/table_rows.h"
#include "tests/test_env.h"

namespace {

using namespace order_test;

// The length of the body field, which the operation's body fills with blanks.
constexpr size_t kBodyField = sizeof(DownloadMessage::body);

// The values in the order of the body's fields, then the action code and the
// area (table_rows::OperationValues).
AppRow BaseOperation() {
  return table_rows::OperationRow(
      {"000000001234", "00010",  "Drehen", "Schlichten", "ABCDEFGHIJ", "DREH",  123.45,  "STK",
       12.25,          0.75,     123.45,   "20240307",   "20240308",   "00005", "00020", 3,
       "Frei 1",       "Frei 2", "Frei 3", 40.5,         -1.5,         "NEU",   "FB01"});
}

TEST(AppBody, RepresentativeRowByteForByteAndTheMessageFields) {
  std::string want =
      "000000001234"
      "00010" +
      L("Drehen", 30) + L("Schlichten", 30) + "ABCDEFGH" + L("DREH", 10) + "00000123450" + "STK" +
      "0001225" + "0000075" + "0012345" + "240307" + "240308" + "00005" + "00020" + "3" +
      L("Frei 1", 10) + L("Frei 2", 20) + L("Frei 3", 30) + "00000040500" + "-0000001500" + B(11) +
      "X";
  ASSERT_EQ(want.size(), 247u);
  // Blanks after the mark fill the body field.
  ExpectBodyInBothKinds(
      App_DnlSatz, BaseOperation(), want + B(kBodyField - 247),
      {.action = "NEU", .table = "APP", .key = "000000001234", .field5 = "00010"});
}

TEST(AppBody, ShortNumbersStatusDatesAndCutTexts) {
  ExpectBodyCases<AppRow>(
      App_DnlSatz, BaseOperation(), kBodyField, std::string("X") + B(kBodyField - 247),
      {
          {"sza half", [](AppRow& r) { r.AppSza = 0.5; }, 123, "0000050"},
          {"sza zero", [](AppRow& r) { r.AppSza = 0; }, 123, "0000000"},
          {"str large loses leading digits", [](AppRow& r) { r.AppStr = 123456.78; }, 109,
           "2345678"},
          {"str negative", [](AppRow& r) { r.AppStr = -1.5; }, 109, "0000150"},
          {"ste huge stays 7 wide", [](AppRow& r) { r.AppSte = 1e12; }, 116, "00000000012345"},
          {"sme negative", [](AppRow& r) { r.AppSme = -1.5; }, 95, "-0000001500STK"},
          {"ime too large is cut", [](AppRow& r) { r.AppIme = 123456789.5; }, 213, "12345678950"},
          {"status 10", [](AppRow& r) { r.AppSts = 10; }, 152, "0Frei 1"},
          {"status 37", [](AppRow& r) { r.AppSts = 37; }, 152, "3"},
          {"empty dates", [](AppRow& r) { r.AppBdsDate[0] = r.AppEdsDate[0] = '\0'; }, 130,
           B(12) + "00005"},
          {"txt and apg full", [](AppRow& r) { CopyText(r.AppApg, "0123456789"); }, 77,
           "ABCDEFGH0123456789"},
          {"zf cut",
           [](AppRow& r) {
             CopyText(r.AppZf1, "0123456789ABCDEF");
             CopyText(r.AppZf2, "0123456789012345678901234");
           },
           153,
           "0123456789"
           "01234567890123456789Frei 3"},
          {"empty operation texts", [](AppRow& r) { r.AppVaf[0] = r.AppNaf[0] = '\0'; }, 142,
           B(10) + "3"},
      });
}

class AppDownloadTest : public OrderDownloadTest {
 protected:
  AppRow Fetched(const std::string& apk, const std::string& app, const char* dna) {
    AppRow r = {};
    CopyText(r.AppApk, apk.c_str());
    CopyText(r.AppApp, app.c_str());
    App_PKeyRead(&r);  // as the download cursor delivered it
    CopyText(r.AppApk, apk.c_str());
    CopyText(r.AppApp, app.c_str());
    CopyText(r.AppDna, dna);
    CopyText(r.AppDwn, "M1");
    CopyText(r.AppDat, "20240301120000");
    return r;
  }
  std::vector<std::string> Row(const std::string& apk, const std::string& app) const {
    return MarksRow("Kvs504App", "App", "AppApk = '" + apk + "' AND AppApp = '" + app + "'");
  }
  std::string Count(const std::string& apk) {
    return tree_.Value("SELECT ApkAfo FROM Kvs501Apk WHERE ApkApk = '" + apk + "'");
  }
};

TEST_F(AppDownloadTest, ReleaseKeepsTheOrderHeadersOperationCount) {
  Header(tree_, "000000001000", "FB01", "", "", 3, 2);
  Operation(tree_, "000000001000", "00010", "FB01", "M1", "NEU");
  Operation(tree_, "000000001000", "00020", "FB01", "M1", "AEN");
  Operation(tree_, "000000001000", "00030", "FB01", "M1", "LOE");
  struct {
    const char *app, *dna, *count;
  } steps[] = {{"00010", "NEU", "3"}, {"00020", "AEN", "3"}, {"00030", "LOE", "2"}};
  for (const auto& s : steps) {
    EXPECT_EQ(App_Frei(Fetched("000000001000", s.app, s.dna)), 0) << s.app;
    EXPECT_EQ(Count("000000001000"), s.count) << s.app;
  }
  std::vector<std::string> unmarked = {"<NULL>", "<NULL>", "<now>", "hans"};
  EXPECT_EQ(Row("000000001000", "00010"), unmarked);
  EXPECT_EQ(Row("000000001000", "00020"), unmarked);
  EXPECT_EQ(Row("000000001000", "00030")[0], "<gone>");
  // The order header's own marks stay as they were; its change time is new.
  EXPECT_EQ(tree_.Value("SELECT ApkDwn FROM Kvs501Apk"), "<NULL>");
  EXPECT_EQ(Fresh(tree_.Value("SELECT ApkDat FROM Kvs501Apk")), "<now>");
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(AppDownloadTest, ReleaseFailuresAndAMissingOrderHeader) {
  Header(tree_, "000000001000", "FB01", "", "", 3, 5);
  Operation(tree_, "000000001000", "00010", "FB01", "M1", "NEU");
  Operation(tree_, "000000002000", "00010", "FB01", "M1", "NEU");  // no order header

  // An operation that is gone: "LOE" reports the delete, others stay silent.
  EXPECT_EQ(App_Frei(Fetched("000000001000", "00099", "LOE")), SQL_NOTFOUND);
  EXPECT_EQ(App_Frei(Fetched("000000001000", "00099", "NEU")), SQL_NOTFOUND);
  EXPECT_EQ(Count("000000001000"), "5");
  // Without its order header the operation is released all the same: there
  // is no count to keep.
  EXPECT_EQ(App_Frei(Fetched("000000002000", "00010", "NEU")), 0);
  EXPECT_EQ(Row("000000002000", "00010")[0], "<NULL>");
  // An un-marking the database refuses leaves the count alone.
  dbCommit();  // as at the end of a run: a database server lets the table go
  tree_.Exec(
      "ALTER TABLE Kvs504App ADD COLUMN AppTst INTEGER CHECK (AppApk <> '000000001000' OR "
      "AppDwn IS NOT NULL)");
  int32_t rc = App_Frei(Fetched("000000001000", "00010", "NEU"));
  EXPECT_LT(rc, 0);
  EXPECT_EQ(Count("000000001000"), "5");
  EXPECT_EQ(Row("000000001000", "00010")[0], "M1");
  std::vector<std::string> want = {"App_Frei|Fehler bei Apk_PKeyDel|1403",
                                   "APP_Frei|Fehler bei App_PKeyUpd|" + std::to_string(rc)};
  EXPECT_EQ(Log(), want);
}

TEST_F(AppDownloadTest, RemarkingHonoursTheStrictPairBoundsAndSkipsStatus7And9) {
  struct {
    const char *apk, *app;
    int sts;
    bool marked;
  } ops[] = {
      {"000000001000", "00010", 3, false}, {"000000001000", "00020", 3, false},
      {"000000001000", "00030", 3, true},  {"000000001001", "00001", 7, false},
      {"000000001001", "00002", 9, false}, {"000000001001", "00003", 10, true},
      {"000000001001", "99999", 3, true},  {"000000001002", "00005", 3, true},
      {"000000001002", "00010", 3, false}, {"000000001003", "00001", 3, false},
  };
  for (const auto& o : ops) Operation(tree_, o.apk, o.app, "FB01", "", "", o.sts);
  char order_from[13] = "000000001000", order_to[13] = "000000001002";
  char op_from[6] = "00020", op_to[6] = "00010";

  App_Sel("M1", order_from, order_to, op_from, op_to);

  for (const auto& o : ops) {
    std::vector<std::string> want = {"<NULL>", "<NULL>", "2024-03-01 12:00:00", "hans"};
    if (o.marked) want = {"M1", "AEN", "<now>", "KoraSys"};
    EXPECT_EQ(Row(o.apk, o.app), want) << o.apk << "/" << o.app;
  }
  EXPECT_STREQ(order_from, "000000001000");  // the caller's bounds stay
  EXPECT_STREQ(op_to, "00010");
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(AppDownloadTest, RemarkingReportsARefusedRowAndGoesOn) {
  Operation(tree_, "000000001000", "00010", "FB01", "", "");
  Operation(tree_, "000000001000", "00020", "FB01", "", "");
  tree_.Exec(
      "ALTER TABLE Kvs504App ADD COLUMN AppTst INTEGER CHECK (AppApp <> '00010' OR "
      "AppErf <> 'KoraSys')");
  char of[13] = "000000000999", ot[13] = "000000001001", pf[6] = "00000", pt[6] = "00000";
  App_Sel("M1", of, ot, pf, pt);
  EXPECT_EQ(LogLt0(), std::vector<std::string>{"App_Sel|Fehelr bei App_PKeyDel|<0"});
  EXPECT_EQ(Row("000000001000", "00010")[0], "<NULL>");
  EXPECT_EQ(Row("000000001000", "00020")[0], "M1");
}

// Three marked operations by area FB01, FB02X (no terminal group), FB03.
TEST_F(AppDownloadTest, LoopGoesOnAfterARowThatCannotBeSent) {
  Header(tree_, "000000001000", "FB01", "", "", 3, 0);
  Operation(tree_, "000000001000", "00010", "FB01", "M1", "NEU");
  Operation(tree_, "000000001000", "00020", "FB02X", "M1", "NEU");
  Operation(tree_, "000000001000", "00030", "FB03", "M1", "NEU");

  EXPECT_EQ(App_Dnl("20240307", "090502", "M1"), 0);

  std::string file = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  ASSERT_EQ(file.size(), 2u * 552);
  EXPECT_EQ(file.substr(111 + 12, 5), "00010");
  EXPECT_EQ(file.substr(552 + 111 + 12, 5), "00030");
  std::vector<std::string> want = {"ReadFile|IP-Ermitteln|1403",
                                   "App_Dnl|Fehler beim Senden von AppS\xE4tze|1403"};
  EXPECT_EQ(Log(), want);
  EXPECT_EQ(Row("000000001000", "00010")[0], "<NULL>");
  EXPECT_EQ(Row("000000001000", "00020")[0], "M1");
  EXPECT_EQ(Row("000000001000", "00030")[0], "<NULL>");
  EXPECT_EQ(Count("000000001000"), "2");
}

TEST_F(AppDownloadTest, CursorFailureIsReported) {
  tree_.Exec("DROP TABLE Kvs504App");
  EXPECT_EQ(App_Dnl("20240307", "090502", "M1"), SQL_TABLE_UNKNOWN);
  std::vector<std::string> want = {"App_Dnl|fehlerhafte App_OpenDnl|-942"};
  EXPECT_EQ(Log(), want);
}

}  // namespace
