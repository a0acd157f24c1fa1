// Interruption reason statements on the embedded database: which rows the
// cursors deliver and in what order, every column into its own field, the
// 16-bit status, and what read, update and delete leave behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/sql.h"
#include "db/ubg.h"
#include "tests/download_kit.h"
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

  // Every column of a reason as text, for before/after comparisons.
  std::vector<std::string> Columns(const char* code, bool with_dat) {
    auto rows = tree_.Query(
        std::string("SELECT UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgZf1, UbgZf2, UbgZf3, "
                    "UbgAst, UbgRst, UbgAsf, UbgSt1, UbgSt2, UbgSt3, UbgSf1, UbgSf2, UbgSf3, "
                    "UbgDna, UbgDwn, UbgSta, UbgErf") +
        (with_dat ? ", UbgDat" : "") + " FROM Kvs521Ubg WHERE UbgUbg='" + code + "'");
    return rows.empty() ? std::vector<std::string>{} : rows[0];
  }

  TestTree tree_;
};

void ExpectR1(const UbgRow& r, int32_t sta) {
  EXPECT_STREQ(r.UbgUbg, "R1");
  EXPECT_EQ(r.UbgKnz, 1);
  EXPECT_STREQ(r.UbgFbe, "FB02");
  EXPECT_STREQ(r.UbgBez, "Bez eins");
  EXPECT_STREQ(r.UbgTxt, "Txt1");
  EXPECT_STREQ(r.UbgZf1, "z1");
  EXPECT_STREQ(r.UbgZf2, "z2");
  EXPECT_STREQ(r.UbgZf3, "z3");
  EXPECT_EQ(r.UbgAst, 7);
  EXPECT_DOUBLE_EQ(r.UbgRst, 1.5);
  EXPECT_DOUBLE_EQ(r.UbgAsf, 2.5);
  EXPECT_STREQ(r.UbgSt1, "s1");
  EXPECT_STREQ(r.UbgSt2, "s2");
  EXPECT_STREQ(r.UbgSt3, "s3");
  EXPECT_DOUBLE_EQ(r.UbgSf1, 3.25);
  EXPECT_DOUBLE_EQ(r.UbgSf2, 4.25);
  EXPECT_DOUBLE_EQ(r.UbgSf3, 5.25);
  EXPECT_STREQ(r.UbgDna, "NEU");
  EXPECT_STREQ(r.UbgDwn, "M1");
  EXPECT_EQ(r.UbgSta, sta);
  EXPECT_STREQ(r.UbgErf, "erf1");
}

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
  ExpectR1(row, -32768);
  EXPECT_STREQ(row.UbgDat, "untouched");
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
      if (strcmp(row.UbgUbg, "R1") == 0) ExpectR1(row, -32768);
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
  ExpectR1(row, -32768);

  CopyText(row.UbgUbg, "ZZ");
  EXPECT_EQ(Ubg_PKeyRead(&row), SQL_NOTFOUND);
  UbgRow key_only;
  memset(&key_only, 0, sizeof key_only);
  CopyText(key_only.UbgUbg, "ZZ");
  EXPECT_EQ(memcmp(&row, &key_only, sizeof row), 0);
}

}  // namespace
