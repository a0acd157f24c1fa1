// Statements on the order headers: the download cursor by marker with every
// column, the exclusive key range, the exchange widths of the integer
// columns, the read by order number, and the releases, the re-marking and
// the operation count, which change only their own columns and act only on
// the row as it was sent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/apk.h"
#include "db/sql.h"
#include "support/platform.h"
#include "tests/order_test_rows.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"
#include "tests/test_server.h"

namespace {

using testkit::Quoted;

class ApkDbTest : public StatementTest {
 protected:
  // An order header with every column set (status 3).
  void Header(const std::string& apk, const std::string& fbe, const std::string& dwn,
              const std::string& dna) {
    tree_.Exec(
        "INSERT INTO Kvs501Apk (ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, "
        "ApkKb2, ApkBgs, ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee, "
        "ApkBdi, ApkEdi, ApkFbe, ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn, ApkDna, ApkDwn, "
        "ApkSta, ApkDat, ApkErf, ApkAba) VALUES ('" +
        apk + "', 'Welle " + apk +
        "', 'lang', 'ABCDEFGHIJ', 3, -7001, 'K123456', 'Kunde 1', 'Kunde 2', "
        "'2024-03-07 10:30:00', '2024-04-01 00:00:00', 12, 32767, 'T-4711', 'Teil 1', 'Teil 2', "
        "123.45, -1.5, 'STK', '2024-03-07 06:30:15', "
        "'2024-03-08 22:01:02', " +
        Quoted(fbe) + ", '4100', 'z1', 'z2', 'z3', 'J', -32768, " + Quoted(dna) + ", " +
        Quoted(dwn) + ", 30000, '2024-03-01 12:00:00', 'hans', 32000)");
  }

  // The row Header stores, as the statements deliver it (see ExpectRow).
  static std::string HeaderRow(const std::string& apk, const std::string& fbe,
                               const std::string& dwn, const std::string& dna) {
    return "ApkApk=" + apk + "|ApkBz1=Welle " + apk + "|ApkFbe=" + fbe + "|ApkDna=" + dna +
           "|ApkDwn=" + dwn +
           "|ApkBz2=lang|ApkTxt=ABCDEFGHIJ|ApkSts=3|ApkSis=-7001|ApkKun=K123456|"
           "ApkKb1=Kunde 1|ApkKb2=Kunde 2|ApkBgs=20240307|ApkEns=20240401|ApkAfo=12|"
           "ApkEaf=32767|ApkTnr=T-4711|ApkTb1=Teil 1|ApkTb2=Teil 2|ApkSme=123.45|ApkIme=-1.5|"
           "ApkMee=STK|ApkBdiDate=20240307|ApkBdiTime=063015|ApkEdiDate=20240308|"
           "ApkEdiTime=220102|ApkKst=4100|ApkZf1=z1|ApkZf2=z2|ApkZf3=z3|ApkKnz=J|"
           "ApkSsn=-32768|ApkSta=30000|ApkDat=20240301120000|ApkErf=hans|ApkAba=32000";
  }
};

TEST_F(ApkDbTest, DownloadCursorDeliversTheMarkedRowsByAreaWithEveryColumn) {
  Header("000000001000", "FB02", "M1", "NEU");
  Header("000000001001", "FB01", "M1", "LOE");
  Header("000000001002", "FB01", "M2", "NEU");
  Header("000000001003", "FB01", "", "");

  const auto rows = Fetched(Apk_OpenDnl("M1"), Apk_FetchDnl, Apk_CloseDnl, Filled<ApkRow>(0));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0].ApkApk, "000000001001");
  ExpectRow(rows[1], HeaderRow("000000001000", "FB02", "M1", "NEU"));
}

TEST_F(ApkDbTest, NullColumnsFetchAsEmptyTextAndZero) {
  tree_.Exec("INSERT INTO Kvs501Apk (ApkApk, ApkDwn, ApkFbe) VALUES ('000000000001', 'M1', 'F')");
  ApkRow r;
  memset(&r, 'x', sizeof r);
  ASSERT_EQ(Apk_OpenDnl("M1"), 0);
  ASSERT_EQ(Apk_FetchDnl(&r), 0);
  ExpectRow(r, "ApkApk=000000000001|ApkDwn=M1|ApkFbe=F");
  EXPECT_EQ(Apk_CloseDnl(), 0);
}

TEST_F(ApkDbTest, ValuesBeyondTheirHostVariableFailTheirRowNotTheCursor) {
  // Each statement exchanges some integers with 16 bits and others with 32:
  // a stored value beyond the width fails that one row with -1455, and the
  // cursor goes on with the next.
  struct Case {
    const char* column;
    const char* value;
    int32_t dnl, range, read;  // result of each statement for the row
  } cases[] = {
      {"ApkSis", "32768", SQL_OVERFLOW, SQL_OVERFLOW, SQL_OVERFLOW},
      {"ApkAfo", "-32769", SQL_OVERFLOW, SQL_OVERFLOW, SQL_OVERFLOW},
      {"ApkSsn", "40000", 0, SQL_OVERFLOW, SQL_OVERFLOW},
      {"ApkSta", "40000", 0, SQL_OVERFLOW, SQL_OVERFLOW},
      {"ApkAba", "40000", 0, SQL_OVERFLOW, 0},
      {"ApkAba", "2147483648", SQL_OVERFLOW, SQL_OVERFLOW, SQL_OVERFLOW},
      {"ApkSts", "'x1'", SQL_INVALID_NUMBER, SQL_INVALID_NUMBER, SQL_INVALID_NUMBER},
      {"ApkSme", "'1,5'", SQL_INVALID_NUMBER, SQL_INVALID_NUMBER, SQL_INVALID_NUMBER},
      {"ApkBgs", "'2024-02-30'", SQL_INVALID_DATE, SQL_INVALID_DATE, SQL_INVALID_DATE},
  };
  if (Test_OnServer()) GTEST_SKIP() << "the server's column types refuse these values";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + "=" + c.value);
    tree_.Exec("DELETE FROM Kvs501Apk");
    Header("000000001000", "FB01", "M1", "NEU");
    Header("000000001001", "FB01", "M1", "NEU");
    Header("000000001002", "FB01", "M1", "NEU");
    tree_.Exec(std::string("PRAGMA ignore_check_constraints=ON; UPDATE Kvs501Apk SET ") + c.column +
               "=" + c.value + " WHERE ApkApk='000000001001'");
    ApkRow r;
    memset(&r, 0, sizeof r);
    ASSERT_EQ(Apk_OpenDnl("M1"), 0);
    std::string got;
    int32_t rc;
    while ((rc = Apk_FetchDnl(&r)) != SQL_NOTFOUND) {
      got += std::string(r.ApkApk) + ":" + std::to_string(rc) + " ";
      if (rc != 0) {
        ASSERT_TRUE(Sql_RowFailed());
      }
    }
    Apk_CloseDnl();
    EXPECT_EQ(got, "000000001000:0 000000001001:" + std::to_string(c.dnl) + " 000000001002:0 ");
    ASSERT_EQ(Apk_OpenRange("000000000000", "999999999999", 1), 0);
    got.clear();
    while ((rc = Apk_FetchRange(&r, 1)) != SQL_NOTFOUND)
      got += std::string(r.ApkApk) + ":" + std::to_string(rc) + " ";
    Apk_CloseRange(1);
    EXPECT_EQ(got, "000000001000:0 000000001001:" + std::to_string(c.range) + " 000000001002:0 ");
    strcpy(r.ApkApk, "000000001001");
    EXPECT_EQ(Apk_PKeyRead(&r), c.read);
  }
}

TEST_F(ApkDbTest, KeyRangeExcludesBothBounds) {
  for (const char* apk : {"000000000000", "000000001000", "000000001001", "999999999999"})
    Header(apk, "F", "", "");
  const auto rows = Fetched(
      Apk_OpenRange("000000000000", "999999999999", 1),
      [](ApkRow* row) { return Apk_FetchRange(row, 1); }, [] { return Apk_CloseRange(1); },
      Filled<ApkRow>(0));
  EXPECT_EQ(Joined(rows, &ApkRow::ApkApk, ","), "000000001000,000000001001,");
  for (const ApkRow& row : rows) EXPECT_STREQ(row.ApkDat, "");  // not part of the range cursor
  EXPECT_EQ(Apk_OpenRange("0", "9", 2), SQL_CURSOR_INVALID);
}

TEST_F(ApkDbTest, ReadByKeyFillsTheRecordOrLeavesOnlyTheKey) {
  Header("000000001000", "FB02", "M1", "NEU");
  ApkRow r;
  memset(&r, 0, sizeof r);
  strcpy(r.ApkApk, "000000001000");
  strcpy(r.ApkDat, "untouched");
  ASSERT_EQ(Apk_PKeyRead(&r), 0);
  // The read does not fill ApkDat.
  ExpectRow(r, HeaderRow("000000001000", "FB02", "M1", "NEU") + "|ApkDat=untouched");

  strcpy(r.ApkApk, "000000009999");
  EXPECT_EQ(Apk_PKeyRead(&r), SQL_NOTFOUND);
  ExpectSameBytes(r, OnlyKey(&ApkRow::ApkApk, "000000009999"));
}

// Every column but marker, action code and change time, as stored.
const char kOtherColumns[] =
    "SELECT ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, ApkKb2, ApkBgs, "
    "ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee, ApkBdi, ApkEdi, "
    "ApkFbe, ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn, ApkSta, ApkErf, ApkAba FROM "
    "Kvs501Apk ORDER BY ApkApk";

TEST_F(ApkDbTest, ReleasesActOnlyOnTheRowAsSentAndWriteOnlyTheirColumns) {
  // sent: what the download cursor delivered; the row may have changed since.
  struct Case {
    const char* what;
    bool del;
    const char *dwn, *dna, *dat;  // as sent
    int32_t want;
  } cases[] = {
      {"un-mark as sent", false, "M1", "AEN", "20240301120000", 0},
      {"delete as sent", true, "M1", "LOE", "20240301120000", 0},
      {"marked again by another marker", false, "M0", "AEN", "20240301120000", SQL_NOTFOUND},
      {"changed to another action", true, "M1", "AEN", "20240301120000", SQL_NOTFOUND},
      {"changed since (a newer change time)", false, "M1", "AEN", "20240301115959", SQL_NOTFOUND},
      {"sent without a change time", false, "M1", "AEN", "", SQL_NOTFOUND},
  };
  Plat_SetClock(1709798702);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree_.Exec("DELETE FROM Kvs501Apk");
    Header("000000001000", "FB01", "M1", c.del ? "LOE" : "AEN");
    Header("000000001001", "FB01", "M1", "AEN");
    auto before = tree_.Query(kOtherColumns);
    ApkRow sent;
    memset(&sent, 0, sizeof sent);
    strcpy(sent.ApkApk, "000000001000");
    strcpy(sent.ApkDwn, c.dwn);
    strcpy(sent.ApkDna, c.dna);
    strcpy(sent.ApkDat, c.dat);
    EXPECT_EQ(c.del ? Apk_PKeyDel(sent) : Apk_PKeyFrei(sent), c.want);
    auto after = tree_.Query(kOtherColumns);
    auto marks = order_test::FreshRows(
        tree_, "SELECT ApkDwn, ApkDna, ApkDat FROM Kvs501Apk ORDER BY ApkApk", 2);
    if (c.want != 0) {
      EXPECT_EQ(after, before);
      EXPECT_EQ(marks[0],
                (std::vector<std::string>{"M1", c.del ? "LOE" : "AEN", "2024-03-01 12:00:00"}));
    } else if (c.del) {
      ASSERT_EQ(after.size(), 1u);
      EXPECT_EQ(after[0], before[1]);
    } else {
      EXPECT_EQ(after, before);
      EXPECT_EQ(marks[0], (std::vector<std::string>{"<NULL>", "<NULL>", "<now>"}));
    }
    // The other order header is never touched.
    EXPECT_EQ(marks.back(), (std::vector<std::string>{"M1", "AEN", "2024-03-01 12:00:00"}));
  }
  // A row stored without a change time is matched by the empty one.
  tree_.Exec("UPDATE Kvs501Apk SET ApkDat=NULL");
  ApkRow sent;
  memset(&sent, 0, sizeof sent);
  strcpy(sent.ApkApk, "000000001001");
  strcpy(sent.ApkDwn, "M1");
  strcpy(sent.ApkDna, "AEN");
  EXPECT_EQ(Apk_PKeyFrei(sent), 0);
}

TEST_F(ApkDbTest, ReMarkingAndTheOperationCountWriteOnlyTheirColumns) {
  Header("000000001000", "FB01", "", "");
  tree_.Exec("UPDATE Kvs501Apk SET ApkAfo = 40000");  // beyond 16 bits: no harm in a count
  Header("000000001001", "FB01", "", "");
  tree_.Exec("UPDATE Kvs501Apk SET ApkAfo = NULL WHERE ApkApk = '000000001001'");
  Plat_SetClock(1709798702);
  auto before = tree_.Query(
      "SELECT ApkBz1, ApkSts, ApkSis, ApkBgs, ApkBdi, ApkSsn, ApkSta, ApkAba FROM Kvs501Apk "
      "ORDER BY ApkApk");
  ApkRow r;
  memset(&r, 0, sizeof r);
  strcpy(r.ApkApk, "000000001000");
  strcpy(r.ApkErf, "ignored");  // the re-marking names its own user
  ASSERT_EQ(Apk_PKeyMark(r, "UPD1"), 0);
  ASSERT_EQ(Apk_PKeyAfo("000000001000", +1), 0);
  ASSERT_EQ(Apk_PKeyAfo("000000001001", -1), 0);
  EXPECT_EQ(Apk_PKeyAfo("000000009999", +1), SQL_NOTFOUND);
  EXPECT_EQ(tree_.Query("SELECT ApkBz1, ApkSts, ApkSis, ApkBgs, ApkBdi, ApkSsn, ApkSta, ApkAba "
                        "FROM Kvs501Apk ORDER BY ApkApk"),
            before);
  auto rows = order_test::FreshRows(
      tree_, "SELECT ApkDwn, ApkDna, ApkErf, ApkDat, ApkAfo FROM Kvs501Apk ORDER BY ApkApk", 3);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"UPD1", "AEN", "KoraSys", "<now>", "40001"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"<NULL>", "<NULL>", "hans", "<now>", "-1"}));
}

}  // namespace
