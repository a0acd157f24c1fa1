// The field lists of tests/row_fields.h against the row records themselves:
// every field listed once, in declaration order, so that a whole-row check
// leaves no field out.
#include "tests/row_fields.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

template <class Row>
class RowFieldsTest : public ::testing::Test {};

using Rows = ::testing::Types<ApkRow, AppRow, ApgRow, AplRow, PrvRow, UbgRow>;
TYPED_TEST_SUITE(RowFieldsTest, Rows);

TYPED_TEST(RowFieldsTest, ListEveryFieldInOrder) {
  // Each field begins where the one before ends, or at the next offset its
  // alignment allows; the last ends in the record's trailing padding.
  size_t end = 0;
  for (const RowField& f : FieldsOf<TypeParam>()) {
    size_t align = f.kind == RowField::kText ? 1 : f.kind == RowField::kInt ? 4 : 8;
    EXPECT_EQ(f.offset, (end + align - 1) / align * align) << f.name;
    end = f.offset + f.size;
  }
  EXPECT_LE(end, sizeof(TypeParam));
  EXPECT_GT(end + alignof(TypeParam), sizeof(TypeParam));
}

TEST(RowFields, ADifferenceNamesItsField) {
  const UbgRow r1 = OnlyKey(&UbgRow::UbgUbg, "R1");
  UbgRow got = r1;
  got.UbgSta = 1;
  got.UbgRst = 1.5;
  // What the text does not name is empty or zero; a later value counts.
  ExpectRow(got, "UbgUbg=R2|UbgSta=1|UbgRst=1.50|UbgUbg=R1");
  ExpectRow(got, "UbgUbg=R1|UbgRst=1.5", "UbgSta");
  ExpectFields(got, "UbgSta=1");
  EXPECT_NONFATAL_FAILURE(ExpectRow(got, "UbgUbg=R1|UbgSta=1"), "field UbgRst");
  EXPECT_NONFATAL_FAILURE(ExpectRow(got, "UbgUbg=R1|UbgSta=2|UbgRst=1.5"), "field UbgSta");
  EXPECT_NONFATAL_FAILURE(ExpectFields(got, "UbgBez=Bez"), "field UbgBez");
  EXPECT_NONFATAL_FAILURE(ExpectFields(got, "UbgSta=1x"), "1x is no whole number");
  EXPECT_NONFATAL_FAILURE(ExpectRow(r1, "UbgUbg=R1|UbgSTA=0"), "UbgSTA is no field");
  EXPECT_NONFATAL_FAILURE(ExpectRow(r1, "UbgUbg=R1", "UbgSTA"), "UbgSTA is no field");
  EXPECT_NONFATAL_FAILURE(ExpectSameBytes(got, r1), "in UbgRst");
}

}  // namespace
