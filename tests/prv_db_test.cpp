// Personnel statements on the embedded database: the download cursor, the
// key-range cursor with its validity filter and inclusive bounds, and the
// read by number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/prv.h"
#include "db/sql.h"
#include "support/text.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"

namespace {

// 'YYYY-MM-DD HH:MM:SS' as the statements exchange it: yyyymmdd.
std::string Digits8(const std::string& date) {
  return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2);
}

class PrvDbTest : public StatementTest {
 protected:
  void SetUp() override {
    StatementTest::SetUp();
    tree_.Exec(
        "INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvGbi, PrvBer, PrvKst, PrvFbe, PrvMmb, PrvZf1, "
        "PrvZf2, PrvZf3, PrvDna, PrvDwn, PrvAwa, PrvAwn, PrvAnw, PrvAvn, PrvAbi, PrvApl, PrvApp, "
        "PrvSta, PrvDat, PrvErf, PrvPzm, PrvNam, PrvStr, PrvOrt) VALUES "
        "('1001', '" +
        DateText(-1) +
        "', '2030-12-31 00:00:00', 1, 'K4100', 'FB02', 5, 'z1', "
        "'z2', 'z3', 'NEU', 'M1', 1, 'U1', 2, '2024-03-01 07:30:00', '2024-03-02 16:00:05', 11, "
        "12, -32768, '2024-01-02 03:04:05', 'erf1', 13, 'Name', 'Strasse 1', 'Ort')");
    tree_.Exec(
        "INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvFbe, PrvDna, PrvDwn) VALUES "
        "('1002', NULL, 'FB01', 'AEN', 'M1'), ('1003', '" +
        DateText(0) +
        "', 'FB01', NULL, "
        "NULL), ('1004', '" +
        DateText(1) +
        "', 'FB01', 'NEU', 'M2'), ('0999', NULL, 'FB01', "
        "NULL, NULL), ('2000', '" +
        DateText(-400) +
        "', 'FB01', NULL, NULL), ('2001', NULL, "
        "'FB01', NULL, '')");
  }
};

// Person 1001 with the columns every statement exchanges (see ExpectRow).
std::string Person1001() {
  return "PrvPnr=1001|PrvGvo=" + Digits8(DateText(-1)) +
         "|PrvGbi=20301231|PrvBer=1|PrvKst=K4100|PrvFbe=FB02|PrvMmb=5|PrvZf1=z1|PrvZf2=z2|"
         "PrvZf3=z3|PrvDna=NEU|PrvDwn=M1|PrvAwa=1|PrvAwn=U1|PrvAnw=2|PrvAvn=20240301073000|"
         "PrvAbi=20240302160005|PrvApl=11|PrvApp=12|"
         "PrvSta=-32768|"  // travels in 16 bits
         "PrvErf=erf1|PrvPzm=13";
}

// Person 1001 as the range cursor and the read deliver it: with name and
// address.
std::string Person1001WithAddress() {
  return Person1001() + "|PrvNam=Name|PrvStr=Strasse 1|PrvOrt=Ort";
}

TEST_F(PrvDbTest, DownloadCursorDeliversMarkedPersonsByArea) {
  PrvRow start = Filled<PrvRow>(0);
  CopyText(start.PrvNam, "keep");
  CopyText(start.PrvOrt, "keep too");
  const auto rows = Fetched(Prv_OpenDnl("M1"), Prv_FetchDnl, Prv_CloseDnl, start);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0].PrvPnr, "1002");  // FB01 before FB02
  EXPECT_STREQ(rows[0].PrvGvo, "");      // NULL dates read as empty
  // PrvNam, PrvStr and PrvOrt are not selected by this cursor.
  ExpectRow(rows[1], Person1001() + "|PrvDat=20240102030405|PrvNam=keep|PrvOrt=keep too");
}

TEST_F(PrvDbTest, RangeCursorHasInclusiveTextBoundsAndOnlyValidPersons) {
  const std::vector<RangeCase> cases = {
      // 1004 becomes valid tomorrow; persons without a first day are valid.
      {"1001", "2000", "1001,1002,1003,2000,"},
      {"00000000", "99999999", "0999,1001,1002,1003,2000,2001,"},
      {"1", "1002", "1001,1002,"},
      {"2000", "1001", ""},
  };
  PrvRow start = Filled<PrvRow>(0);
  CopyText(start.PrvDat, "untouched");
  const std::string want = Person1001WithAddress() + "|PrvDat=untouched";
  ExpectRangeKeys(cases, Prv_OpenRange, Prv_FetchRange, Prv_CloseRange, start, &PrvRow::PrvPnr,
                  [&](const PrvRow& r) {
                    if (strcmp(r.PrvPnr, "1001") == 0) ExpectRow(r, want);
                  });
}

TEST_F(PrvDbTest, ReadByNumber) {
  PrvRow row;
  memset(&row, 0, sizeof row);
  CopyText(row.PrvPnr, "1001");
  ASSERT_EQ(Prv_PKeyReadk(&row), 0);
  ExpectRow(row, Person1001WithAddress());  // PrvDat not read

  CopyText(row.PrvPnr, "7777");
  EXPECT_EQ(Prv_PKeyReadk(&row), SQL_NOTFOUND);
}

}  // namespace
