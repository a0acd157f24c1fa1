// What the tests of the table statements share: a fixture with a connected
// test tree (the clock back to the real one after each test), and the walk
// of an open cursor to its end.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "db/sql.h"
#include "support/platform.h"
#include "tests/row_fields.h"
#include "tests/test_env.h"

class StatementTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }
  void TearDown() override { Plat_SetClock(0); }

  TestTree tree_;
};

// Fetches from an open cursor into *row until the fetch reports anything
// but 0, then closes the cursor: the rows delivered, in order. The fetch
// that ends the cursor reports SQL_NOTFOUND and leaves *row as it was; the
// close reports 0.
template <class Row, class Fetch, class Close>
std::vector<Row> FetchRows(Fetch fetch, Close close, Row* row) {
  std::vector<Row> rows;
  Row before = *row;
  int32_t rc;
  while ((rc = fetch(row)) == 0) {
    rows.push_back(*row);
    before = *row;
  }
  EXPECT_EQ(rc, SQL_NOTFOUND);
  ExpectSameBytes(*row, before);
  EXPECT_EQ(close(), 0);
  return rows;
}

// One text field of each of rows, each followed by sep.
template <class Row, size_t N>
std::string Joined(const std::vector<Row>& rows, char (Row::*field)[N], const char* sep) {
  std::string out;
  for (const Row& row : rows) out.append(row.*field).append(sep);
  return out;
}

// A row to fetch into with every byte set to byte.
template <class Row>
Row Filled(char byte) {
  Row row;
  memset(&row, byte, sizeof row);
  return row;
}

// The rows of a cursor whose open gave opened (which must be 0), fetched
// as FetchRows does into a row that starts as start.
template <class Row, class Fetch, class Close>
std::vector<Row> Fetched(int32_t opened, Fetch fetch, Close close, Row start) {
  EXPECT_EQ(opened, 0) << "the cursor did not open";
  if (opened != 0) return {};
  return FetchRows(fetch, close, &start);
}

// A key-range cursor's bounds and the keys it delivers, "key," each.
struct RangeCase {
  const char* from;
  const char* to;
  const char* keys;
};

// Runs a key-range cursor over the bounds of each case, fetching into a row
// that starts as start: the keys of the rows it delivers are the case's; each
// row also goes to each(row).
template <class Row, size_t N, class Each>
void ExpectRangeKeys(const std::vector<RangeCase>& cases, int32_t (*open)(const char*, const char*),
                     int32_t (*fetch)(Row*), int32_t (*close)(), const Row& start,
                     char (Row::*key)[N], Each each) {
  for (const RangeCase& c : cases) {
    const auto rows = Fetched(open(c.from, c.to), fetch, close, start);
    EXPECT_EQ(Joined(rows, key, ","), c.keys) << c.from << ".." << c.to;
    for (const Row& row : rows) each(row);
  }
}
