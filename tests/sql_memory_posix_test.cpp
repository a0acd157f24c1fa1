// Cursors whose memory does not grow with their rows, on the embedded
// database and (VK_TEST_BACKEND=postgresql) the server. Measured with the C
// library's heap counters (glibc's mallinfo2, or the sanitizer's allocator),
// which Windows has no counterpart of: a POSIX test.
#include <gtest/gtest.h>

#include <string>

#include "db/session.h"
#include "db/sql.h"
#include "tests/test_env.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's allocator
#else
#include <malloc.h>
#endif

namespace {

size_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// The rows of a cursor come in portions: reading them all takes no more
// memory than reading the first few.
TEST(SqlMemoryTest, CursorMemoryDoesNotGrowWithItsRows) {
  TestTree tree;
  tree.Connect();
  const int kRows = 20000;
  const std::string fifty(50, 'n');
  tree.Exec(
      "INSERT INTO Kvs510Prv (PrvPnr, PrvDwn, PrvNam, PrvStr, PrvOrt) "
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) + ") SELECT 'P' || i, 'MEM', '" + fifty + "', '" + fifty + "', '" +
      fifty + "' FROM n");
  char marker[9] = "MEM", pnr[9], nam[51], str[51], ort[51];
  HostVar in[] = {HvStr(marker)};
  HostVar out[] = {HvStr(pnr), HvStr(nam), HvStr(str), HvStr(ort)};
  SqlStmt cur(
      "select PrvPnr ,PrvNam ,PrvStr ,PrvOrt  from Kvs510Prv where PrvDwn=:b0 "
      "order by PrvPnr");
  ASSERT_EQ(Sql_Open(&cur, in), 0);
  ASSERT_EQ(Sql_Close(&cur), 0);  // the statement's own state is in place now

  size_t before = LiveHeapBytes();
  ASSERT_EQ(Sql_Open(&cur, in), 0);
  int n = 0;
  while (Sql_Fetch(&cur, out) == 0) ++n;
  size_t after = LiveHeapBytes();
  EXPECT_EQ(Sql_Close(&cur), 0);
  EXPECT_EQ(n, kRows);
  // All rows at once would be several megabytes.
  EXPECT_LT(after, before + 1024 * 1024) << "grew by " << (after - before);
}

}  // namespace
