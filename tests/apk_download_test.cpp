// The order header download: the "APK" body byte for byte with its number,
// date, count and status fields, the release's effects in the database, the
// re-marking of the whole table, and the loop that stops at the first row
// that fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/session.h"
#include "db/sql.h"
#include "download/apk_dnl.h"
#include "download/frame.h"
#include "support/platform.h"
#include "support/text.h"
#include "tests/order_test_rows.h"
#include "tests/table_rows.h"
#include "tests/test_env.h"

namespace {

using namespace order_test;

// The values in the order of the body's fields, then the action code and the
// area (table_rows::HeaderValues).
ApkRow BaseHeader() {
  return table_rows::HeaderRow({"000000001234", "Welle 40mm", "Schaft", "ABCDEFGHIJ", "T-4711",
                                "Teil 1", "Teil 2", 123.45, "STK", "20240307", "20240412", 12, 3,
                                "Frei 1", "Frei 2", "Frei 3", "AEN", "FB01"});
}

TEST(ApkBody, RepresentativeRowByteForByteAndTheMessageFields) {
  std::string want = "000000001234" + L("Welle 40mm", 30) + L("Schaft", 30) + "ABCDEFGH" +
                     L("T-4711", 20) + L("Teil 1", 30) + L("Teil 2", 30) + "00000123450" + "STK" +
                     "240307" + "240412" + "12   " + "3" + L("Frei 1", 10) + L("Frei 2", 20) +
                     L("Frei 3", 30) + "X  ";
  ASSERT_EQ(want.size(), 255u);
  ExpectBodyInBothKinds(Apk_DnlSatz, BaseHeader(), want,
                        {.action = "AEN",  // the row's own, also for a repeat
                         .table = "APK",
                         .key = "000000001234"});
}

TEST(ApkBody, FieldsCutPadAndConvertAtTheirPositions) {
  ExpectBodyCases<ApkRow>(
      Apk_DnlSatz, BaseHeader(), 255, "X  ",
      {
          {"sme zero", [](ApkRow& r) { r.ApkSme = 0; }, 160, "00000000000"},
          {"sme negative", [](ApkRow& r) { r.ApkSme = -1.5; }, 160, "-0000001500"},
          {"sme largest", [](ApkRow& r) { r.ApkSme = 99999999.999; }, 160, "99999999999"},
          {"sme smallest", [](ApkRow& r) { r.ApkSme = -9999999.999; }, 160, "-9999999999"},
          {"sme too large is cut", [](ApkRow& r) { r.ApkSme = 123456789.5; }, 160,
           "12345678950STK"},
          {"sme rounds", [](ApkRow& r) { r.ApkSme = 0.0005; }, 160, "00000000001"},
          {"txt cut to 8", [](ApkRow& r) { CopyText(r.ApkTxt, "AB"); }, 72, "AB      T-4711"},
          {"full texts",
           [](ApkRow& r) {
             CopyText(r.ApkBz1, "123456789012345678901234567890");
             CopyText(r.ApkTnr, "ABCDEFGHIJKLMNOPQRST");
           },
           12, "123456789012345678901234567890Schaft"},
          {"tnr full", [](ApkRow& r) { CopyText(r.ApkTnr, "ABCDEFGHIJKLMNOPQRST"); }, 80,
           "ABCDEFGHIJKLMNOPQRSTTeil 1"},
          {"empty dates", [](ApkRow& r) { r.ApkBgs[0] = r.ApkEns[0] = '\0'; }, 171,
           "STK" + B(12) + "12"},
          {"zf1 cut to 10, empty zf2",
           [](ApkRow& r) {
             CopyText(r.ApkZf1, "0123456789ABCDEF");
             r.ApkZf2[0] = '\0';
           },
           191, "30123456789" + B(20) + "Frei 3"},
          {"empty zf1", [](ApkRow& r) { r.ApkZf1[0] = '\0'; }, 192, B(10) + "Frei 2"},
          {"zf3 full", [](ApkRow& r) { CopyText(r.ApkZf3, "abcdefghijklmnopqrstuvwxyz0123"); }, 222,
           "abcdefghijklmnopqrstuvwxyz0123X  "},
          {"status 10", [](ApkRow& r) { r.ApkSts = 10; }, 191, "0"},
          {"status 12", [](ApkRow& r) { r.ApkSts = 12; }, 191, "1"},
          {"status 0", [](ApkRow& r) { r.ApkSts = 0; }, 191, "0"},
          {"status negative", [](ApkRow& r) { r.ApkSts = -5; }, 191, "-"},
          {"count 0", [](ApkRow& r) { r.ApkAfo = 0; }, 186, "0    3"},
          {"count 32767", [](ApkRow& r) { r.ApkAfo = 32767; }, 186, "327673"},
          {"count -32768 keeps the status", [](ApkRow& r) { r.ApkAfo = -32768; }, 186, "-32763"},
      });
}

class ApkDownloadTest : public OrderDownloadTest {
 protected:
  // The row as the download cursor delivers it (with its change time).
  ApkRow Fetched(const std::string& apk, const char* dna) {
    ApkRow r = {};
    CopyText(r.ApkApk, apk.c_str());
    EXPECT_EQ(Apk_PKeyRead(&r), 0);
    CopyText(r.ApkDna, dna);
    CopyText(r.ApkDat, "20240301120000");
    return r;
  }
  std::vector<std::string> Row(const std::string& apk) const {
    return MarksRow("Kvs501Apk", "Apk", "ApkApk = '" + apk + "'");
  }
  // Makes the database refuse to take the marks off this order header.
  void RefuseUnmarking(const std::string& apk) {
    tree_.Exec("ALTER TABLE Kvs501Apk ADD COLUMN ApkTst INTEGER CHECK (ApkApk <> '" + apk +
               "' OR ApkDwn IS NOT NULL)");
  }
};

TEST_F(ApkDownloadTest, ReleaseDeletesOrUnmarksTheRowAsItWasSent) {
  Header(tree_, "000000001000", "FB01", "M1", "LOE");
  Header(tree_, "000000001001", "FB01", "M1", "NEU");
  Header(tree_, "000000001002", "FB01", "M1", "AEN");
  Header(tree_, "000000001003", "FB01", "M1", "NEU");

  EXPECT_EQ(Apk_Frei(Fetched("000000001000", "LOE")), 0);
  EXPECT_EQ(Apk_Frei(Fetched("000000001001", "NEU")), 0);
  EXPECT_EQ(Apk_Frei(Fetched("000000001002", "AEN")), 0);
  // A row that carries another action code than the one sent has changed
  // since: it is left as it is, for the next run to send.
  EXPECT_EQ(Apk_Frei(Fetched("000000001003", "LOE")), DNL_LEFT_MARKED);

  std::vector<std::string> unmarked = {"<NULL>", "<NULL>", "<now>", "hans"};
  EXPECT_EQ(Row("000000001000")[0], "<gone>");
  EXPECT_EQ(Row("000000001001"), unmarked);
  EXPECT_EQ(Row("000000001002"), unmarked);
  EXPECT_EQ(Row("000000001003"),
            (std::vector<std::string>{"M1", "NEU", "2024-03-01 12:00:00", "hans"}));
  std::vector<std::string> want = {"Apk_Frei|Zeile geaendert, bleibt markiert|0"};
  EXPECT_EQ(Log(), want);
}

TEST_F(ApkDownloadTest, ReleaseFailuresAreReportedAndKeepTheMarks) {
  Header(tree_, "000000001000", "FB01", "M1", "NEU");
  RefuseUnmarking("000000001000");
  ApkRow gone = Fetched("000000001000", "NEU");
  CopyText(gone.ApkApk, "000000009999");

  EXPECT_EQ(Apk_Frei(gone), SQL_NOTFOUND);
  int32_t rc = Apk_Frei(Fetched("000000001000", "NEU"));
  EXPECT_LT(rc, 0);
  std::vector<std::string> want = {"ApkDnl|Fehler bei Apk_PKeyRead|1403",
                                   "ApkDnl|Fehler bei Apk_PKeyUpd|" + std::to_string(rc)};
  EXPECT_EQ(Log(), want);
  std::vector<std::string> marked = {"M1", "NEU", "2024-03-01 12:00:00", "hans"};
  EXPECT_EQ(Row("000000001000"), marked);
}

TEST_F(ApkDownloadTest, RemarkingTakesTheWholeTableButStatus7And9AndTheBoundKeys) {
  Header(tree_, "000000000000", "FB01", "", "");
  Header(tree_, "000000001000", "FB01", "", "");
  Header(tree_, "000000001001", "FB01", "", "", 7);
  Header(tree_, "000000001002", "FB01", "", "", 9);
  Header(tree_, "000000001003", "FB02", "M2", "LOE");  // waiting for another marker
  Header(tree_, "000000001004", "FB02", "", "", 10);
  Header(tree_, "999999999999", "FB01", "", "");
  char lower[13] = "000000001002", upper[13] = "000000001003";

  Auk_To_Apk("M1", lower, upper);

  EXPECT_STREQ(lower, "000000000000");
  EXPECT_STREQ(upper, "999999999999");
  auto rows = FreshRows(
      tree_, "SELECT ApkApk, ApkDwn, ApkDna, ApkErf, ApkDat FROM Kvs501Apk ORDER BY 1", 4);
  std::string old = "2024-03-01 12:00:00";
  std::vector<std::vector<std::string>> want = {
      {"000000000000", "<NULL>", "<NULL>", "hans", old},
      {"000000001000", "M1", "AEN", "KoraSys", "<now>"},
      {"000000001001", "<NULL>", "<NULL>", "hans", old},
      {"000000001002", "<NULL>", "<NULL>", "hans", old},
      {"000000001003", "M1", "AEN", "KoraSys", "<now>"},
      {"000000001004", "M1", "AEN", "KoraSys", "<now>"},
      {"999999999999", "<NULL>", "<NULL>", "hans", old},
  };
  EXPECT_EQ(rows, want);
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

TEST_F(ApkDownloadTest, RemarkingReportsARefusedRowAndGoesOn) {
  Header(tree_, "000000001000", "FB01", "", "");
  Header(tree_, "000000001001", "FB01", "", "");
  tree_.Exec(
      "ALTER TABLE Kvs501Apk ADD COLUMN ApkTst INTEGER CHECK (ApkApk <> '000000001000' OR "
      "ApkErf <> 'KoraSys')");
  char lower[13] = "", upper[13] = "";
  Auk_To_Apk("M1", lower, upper);
  EXPECT_EQ(LogLt0(), std::vector<std::string>{"Auk_To_Apk|Fehelr bei Apk_PKeyDel|<0"});
  EXPECT_EQ(Row("000000001000")[0], "<NULL>");
  EXPECT_EQ(Row("000000001001")[0], "M1");
}

TEST_F(ApkDownloadTest, RemarkingWithoutItsTableDoesNothingAndReportsNothing) {
  tree_.Exec("DROP TABLE Kvs501Apk");
  char lower[13] = "", upper[13] = "";
  Auk_To_Apk("M1", lower, upper);
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

// Three marked rows by area FB01, FB02X (no terminal group), FB03.
TEST_F(ApkDownloadTest, LoopStopsAtTheFirstRowThatCannotBeSent) {
  Header(tree_, "000000001000", "FB01", "M1", "NEU");
  Header(tree_, "000000001001", "FB02X", "M1", "NEU");
  Header(tree_, "000000001002", "FB03", "M1", "LOE");

  EXPECT_EQ(Apk_Dnl("20240307", "090502", "M1"), 0);

  std::string file = ReadFileBytes(tree_.buff() + "/SndDnl1.buf");
  ASSERT_EQ(file.size(), 552u);
  EXPECT_EQ(file.substr(111, 12), "000000001000");
  std::vector<std::string> want = {"ReadFile|IP-Ermitteln|1403",
                                   "Apk_Dnl|Fehler beim Senden von ApkS\xE4tze|1403"};
  EXPECT_EQ(Log(), want);
  EXPECT_EQ(Row("000000001000")[0], "<NULL>");
  EXPECT_EQ(Row("000000001001")[0], "M1");
  EXPECT_EQ(Row("000000001002")[0], "M1");  // never reached
}

TEST_F(ApkDownloadTest, LoopStopsAtTheFirstRowThatCannotBeReleased) {
  Header(tree_, "000000001000", "FB01", "M1", "NEU");
  Header(tree_, "000000001001", "FB03", "M1", "NEU");
  RefuseUnmarking("000000001000");

  EXPECT_EQ(Apk_Dnl("20240307", "090502", "M1"), 0);

  // The record is out; the row keeps its marks and goes again next time.
  EXPECT_EQ(ReadFileBytes(tree_.buff() + "/SndDnl1.buf").size(), 552u);
  EXPECT_EQ(LogLt0(), std::vector<std::string>{"ApkDnl|Fehler bei Apk_PKeyUpd|<0"});
  EXPECT_EQ(Row("000000001000")[0], "M1");
  EXPECT_EQ(Row("000000001001")[0], "M1");
}

TEST_F(ApkDownloadTest, NoMarkedRowAndCursorFailure) {
  Header(tree_, "000000001000", "FB01", "M2", "NEU");
  EXPECT_EQ(Apk_Dnl("20240307", "090502", "M1"), 0);
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl1.buf"));
  EXPECT_EQ(Log(), std::vector<std::string>{});

  dbCommit();  // as at the end of a run: a database server lets the table go
  tree_.Exec("DROP TABLE Kvs501Apk");
  EXPECT_EQ(Apk_Dnl("20240307", "090502", "M1"), SQL_TABLE_UNKNOWN);
  std::vector<std::string> want = {"Apk_Dnl|fehlerhafte Apk_OpenDnl|-942"};
  EXPECT_EQ(Log(), want);
}

}  // namespace
