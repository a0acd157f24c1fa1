// Interruption reason statements on the embedded database: which rows the
// cursors deliver and in what order, every column into its own field, the
// 16-bit status, and what read, update and delete leave behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/sql.h"
#include "db/ubg.h"
#include "tests/download_kit.h"
#include "tests/row_fields.h"
#include "tests/test_env.h"

namespace {

class UbgDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
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

  TestTree tree_;
};

// Reason R1 as every statement delivers it (see ExpectRow); no statement
// reads UbgDat.
const char kReasonR1[] =
    "UbgUbg=R1|UbgKnz=1|UbgFbe=FB02|UbgBez=Bez eins|UbgTxt=Txt1|UbgZf1=z1|UbgZf2=z2|UbgZf3=z3|"
    "UbgAst=7|UbgRst=1.5|UbgAsf=2.5|UbgSt1=s1|UbgSt2=s2|UbgSt3=s3|UbgSf1=3.25|UbgSf2=4.25|"
    "UbgSf3=5.25|UbgDna=NEU|UbgDwn=M1|UbgSta=-32768|UbgErf=erf1";

TEST_F(UbgDbTest, DownloadCursorDeliversMarkedRowsByAreaWithEveryColumn) {
  UbgRow row;
  memset(&row, 'x', sizeof row);
  CopyText(row.UbgDat, "untouched");
  ASSERT_EQ(Ubg_OpenDnl("M1"), 0);
  ASSERT_EQ(Ubg_FetchDnl(&row), 0);
  EXPECT_STREQ(row.UbgUbg, "R2");  // FB01 before FB02
  EXPECT_STREQ(row.UbgBez, "");    // NULL columns read as empty and 0
  EXPECT_EQ(row.UbgAst, 0);
  EXPECT_EQ(row.UbgSta, 0);
  ASSERT_EQ(Ubg_FetchDnl(&row), 0);
  ExpectRow(row, std::string(kReasonR1) + "|UbgDat=untouched");
  ExpectCursorEnd(Ubg_FetchDnl, Ubg_CloseDnl, &row);

  ASSERT_EQ(Ubg_OpenDnl(""), 0);  // an empty marker selects nothing
  EXPECT_EQ(Ubg_FetchDnl(&row), SQL_NOTFOUND);
  EXPECT_EQ(Ubg_CloseDnl(), 0);
}

TEST_F(UbgDbTest, RangeCursorBoundsAreExclusiveAndStatusIs16Bits) {
  struct Case {
    const char* from;
    const char* to;
    const char* codes;
  } cases[] = {
      {"R1", "R4", "R2,R3,"}, {"R0", "R5", "R1,R2,R3,R4,"}, {"R", "R10", "R1,"}, {"R4", "R1", ""}};
  for (const Case& c : cases) {
    UbgRow row{};
    std::string seen;
    ASSERT_EQ(Ubg_OpenRange(c.from, c.to), 0);
    while (Ubg_FetchRange(&row) == 0) {
      seen += std::string(row.UbgUbg) + ",";
      if (strcmp(row.UbgUbg, "R1") == 0) ExpectRow(row, kReasonR1);
    }
    EXPECT_EQ(Ubg_CloseRange(), 0);
    EXPECT_EQ(seen, c.codes) << c.from << ".." << c.to;
  }
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
