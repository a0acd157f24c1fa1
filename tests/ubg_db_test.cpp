// Interruption reason statements on the embedded database: which rows the
// cursors deliver and in what order, every column into its own field, the
// 16-bit status, and what a read leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/sql.h"
#include "db/ubg.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"

namespace {

class UbgDbTest : public StatementTest {
 protected:
  void SetUp() override {
    StatementTest::SetUp();
    tree_.Exec(
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgZf1, UbgZf2, UbgZf3, "
        "UbgAst, UbgRst, UbgAsf, UbgSt1, UbgSt2, UbgSt3, UbgSf1, UbgSf2, UbgSf3, UbgDna, UbgDwn, "
        "UbgSta, UbgDat, UbgErf) VALUES "
        "('R1', 1, 'FB02', 'Bez eins', 'Txt1', 'z1', 'z2', 'z3', 7, 1.5, 2.5, 's1', 's2', 's3', "
        "3.25, 4.25, 5.25, 'NEU', 'M1', -32768, '2024-01-02 03:04:05', 'erf1'),"
        "('R2', 2, 'FB01', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
        "NULL, NULL, NULL, 'AEN', 'M1', NULL, NULL, NULL),"
        "('R3', 1, 'FB00', 'other marker', NULL, NULL, NULL, NULL, 0, 0, 0, NULL, NULL, NULL, "
        "0, 0, 0, 'NEU', 'M2', 0, NULL, NULL),"
        "('R4', 1, 'FB00', 'not marked', NULL, NULL, NULL, NULL, 0, 0, 0, NULL, NULL, NULL, "
        "0, 0, 0, NULL, NULL, 0, NULL, NULL)");
  }
};

// Reason R1 as every statement delivers it (see ExpectRow); no statement
// reads UbgDat.
const char kReasonR1[] =
    "UbgUbg=R1|UbgKnz=1|UbgFbe=FB02|UbgBez=Bez eins|UbgTxt=Txt1|UbgZf1=z1|UbgZf2=z2|UbgZf3=z3|"
    "UbgAst=7|UbgRst=1.5|UbgAsf=2.5|UbgSt1=s1|UbgSt2=s2|UbgSt3=s3|UbgSf1=3.25|UbgSf2=4.25|"
    "UbgSf3=5.25|UbgDna=NEU|UbgDwn=M1|UbgSta=-32768|UbgErf=erf1";

TEST_F(UbgDbTest, DownloadCursorDeliversMarkedRowsByAreaWithEveryColumn) {
  UbgRow start = Filled<UbgRow>('x');
  CopyText(start.UbgDat, "untouched");
  const auto rows = Fetched(Ubg_OpenDnl("M1"), Ubg_FetchDnl, Ubg_CloseDnl, start);
  ASSERT_EQ(rows.size(), 2u);
  // R2 (FB01 before FB02): its NULL columns read as empty and 0.
  ExpectRow(rows[0], "UbgUbg=R2|UbgKnz=2|UbgFbe=FB01|UbgDna=AEN|UbgDwn=M1|UbgDat=untouched");
  ExpectRow(rows[1], std::string(kReasonR1) + "|UbgDat=untouched");

  // An empty marker selects nothing.
  EXPECT_TRUE(Fetched(Ubg_OpenDnl(""), Ubg_FetchDnl, Ubg_CloseDnl, start).empty());
}

TEST_F(UbgDbTest, RangeCursorBoundsAreExclusiveAndStatusIs16Bits) {
  const std::vector<RangeCase> cases = {
      {"R1", "R4", "R2,R3,"}, {"R0", "R5", "R1,R2,R3,R4,"}, {"R", "R10", "R1,"}, {"R4", "R1", ""}};
  ExpectRangeKeys(cases, Ubg_OpenRange, Ubg_FetchRange, Ubg_CloseRange, Filled<UbgRow>(0),
                  &UbgRow::UbgUbg, [](const UbgRow& r) {
                    if (strcmp(r.UbgUbg, "R1") == 0) ExpectRow(r, kReasonR1);
                  });
}

TEST_F(UbgDbTest, ReadOfAMissingCodeLeavesOnlyTheKey) {
  UbgRow row;
  memset(&row, 'x', sizeof row);
  CopyText(row.UbgUbg, "R1");
  ASSERT_EQ(Ubg_PKeyRead(&row), 0);
  ExpectRow(row, kReasonR1, "UbgDat");

  CopyText(row.UbgUbg, "ZZ");
  EXPECT_EQ(Ubg_PKeyRead(&row), SQL_NOTFOUND);
  ExpectSameBytes(row, OnlyKey(&UbgRow::UbgUbg, "ZZ"));
}

}  // namespace
