// What the download tests of the single tables share: a fixture with a test
// tree and the log on, the action code and marker of one row, the one row a
// download cursor delivers, the message fields a table's writer fills besides
// the body, and the two ways a download finds nothing to do.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/sql.h"
#include "run/download_main.h"
#include "sendbuf/snddnl.h"
#include "support/text.h"
#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

// The message fields a writer fills besides the body; blanks where the table
// leaves a field alone.
struct MessageFields {
  const char* kind = "NEU";  // or "WDH" for a repeat
  const char* action;
  const char* table;
  std::string field8 = std::string(8, ' ');
  std::string key = std::string(12, ' ');
  std::string field5 = std::string(5, ' ');
  std::string field10 = std::string(10, ' ');
};

// Checks them, the fixed "BDE  " and the fifteen zero bytes no writer fills.
inline void ExpectMessageFields(const DownloadMessage& m, const MessageFields& want) {
  EXPECT_STREQ(m.kind, want.kind);
  EXPECT_STREQ(m.bde, "BDE  ");
  EXPECT_STREQ(m.action, want.action);
  EXPECT_STREQ(m.table, want.table);
  EXPECT_EQ(std::string(m.field8), want.field8);
  EXPECT_EQ(std::string(m.key), want.key);
  EXPECT_EQ(std::string(m.field5), want.field5);
  EXPECT_EQ(std::string(m.field10), want.field10);
  EXPECT_EQ(std::string(m.field15, 15), std::string(15, '\0'));
}

// The one row a download cursor delivers for marker.
template <class Row>
Row FetchedRow(int32_t (*open)(const char*), int32_t (*fetch)(Row*), int32_t (*close)(),
               const char* marker) {
  Row row{};
  EXPECT_EQ(open(marker), 0);
  EXPECT_EQ(fetch(&row), 0);
  EXPECT_EQ(close(), 0);
  return row;
}

// Cost-centre assignments around today: ENDS_TODAY (K1) ends today,
// ENDS_TMRW (K2) tomorrow, STARTS_TMR (K3) starts tomorrow, OPEN (K4) has
// no end, and TWO has two open ones (K5, K6).
inline void AddCostCentreValidities(const TestTree& tree) {
  auto day = [](int d) { return std::string("'").append(DateText(d)).append("'"); };
  const std::string today = day(0), tomorrow = day(1), yesterday = day(-1);
  tree.Exec(
      "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
      "('ENDS_TODAY', " +
      yesterday + ", " + today +
      ", 'K1'),"
      "('ENDS_TMRW', " +
      yesterday + ", " + tomorrow +
      ", 'K2'),"
      "('STARTS_TMR', " +
      tomorrow +
      ", NULL, 'K3'),"
      "('OPEN', " +
      today +
      ", NULL, 'K4'),"
      "('TWO', " +
      yesterday +
      ", NULL, 'K5'),"
      "('TWO', " +
      today + ", NULL, 'K6')");
}

// A test tree connected (the tree turns every kind of log entry on).
class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }

  std::vector<std::string> Log() const { return LogEntries(tree_.log()); }
  // The log with negative codes as "<0", for errors whose number depends on
  // the database.
  std::vector<std::string> LogLt0() const { return LogEntriesLt0(tree_.log()); }

  // "action/marker" of the row of table (columns named prefix...) whose
  // key_col is key; "<gone>" when there is none.
  std::string RowMarks(const std::string& table, const std::string& prefix,
                       const std::string& key_col, const std::string& key) const {
    auto rows = tree_.Query("SELECT " + prefix + "Dna, " + prefix + "Dwn FROM " + table +
                            " WHERE " + key_col + " = '" + key + "'");
    return rows.empty() ? "<gone>" : rows[0][0] + "/" + rows[0][1];
  }

  // A download with nothing marked writes no file and no log entry; without
  // its table it ends with the database's code and the one entry open_entry
  // ("function|message|code").
  void ExpectNothingMarkedThenNoTable(int32_t (*dnl)(const char*, const char*, const char*),
                                      const std::string& table, const std::string& open_entry) {
    EXPECT_EQ(dnl("20240307", "090502", "M1"), 0);
    EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl1.buf"));
    EXPECT_TRUE(Log().empty());

    tree_.Exec("DROP TABLE " + table);
    EXPECT_EQ(dnl("20240307", "090502", "M1"), -942);
    std::vector<std::string> want = {open_entry};
    EXPECT_EQ(Log(), want);
  }

  // A row deleted after the cursor delivered it: its release (frei) finds
  // nothing (1403), writes the one entry and brings nothing back.
  template <class Row>
  void ExpectReleaseOfDeletedRow(int32_t (*frei)(Row), const Row& row, const std::string& table,
                                 const std::string& entry) {
    tree_.Exec("DELETE FROM " + table);
    EXPECT_EQ(frei(row), 1403);
    EXPECT_EQ(tree_.Value("SELECT count(*) FROM " + table), "0");
    std::vector<std::string> want = {entry};
    EXPECT_EQ(Log(), want);
  }

  // A download of marker M1 while table refuses every change: it sends all
  // the same and ends with 0; its last log entry (a negative code as "<0")
  // is entry. The table takes changes again afterwards.
  void ExpectDownloadWithChangesRefused(int32_t (*dnl)(const char*, const char*, const char*),
                                        const std::string& table, const std::string& entry) {
    RefuseChanges(tree_, table);
    EXPECT_EQ(dnl("20240307", "090502", "M1"), 0);
    auto log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(NegativeAsLt0(log.back()), entry);
    AllowChanges(tree_, table);
  }

  // A re-marking for M7 asked for the range from..to (fields of N-1
  // characters) that goes by its own fixed bounds: it writes them back into
  // the fields.
  template <size_t N>
  static void ExpectOwnBounds(void (*sel)(const char*, char*, char*), const char* from,
                              const char* to, const char* own_from, const char* own_to) {
    char f[N], t[N];
    CopyText(f, from);
    CopyText(t, to);
    sel("M7", f, t);
    EXPECT_STREQ(f, own_from);
    EXPECT_STREQ(t, own_to);
  }

  // A re-marking (remark) while table refuses every change: each of its rows
  // writes entry (a negative code as "<0") and the re-marking goes on to the
  // next. Then, with the refusing table (a view) dropped, the re-marking
  // writes nothing more.
  void ExpectRemarkingRefused(const std::function<void()>& remark, const std::string& table,
                              const std::string& entry, size_t rows) {
    RefuseChanges(tree_, table);
    remark();
    EXPECT_EQ(LogLt0(), std::vector<std::string>(rows, entry));
  }
  void ExpectRemarkingSilentWithoutTable(const std::function<void()>& remark,
                                         const std::string& table) {
    auto log = Log();
    tree_.Exec("DROP VIEW " + table);
    remark();
    EXPECT_EQ(Log(), log);
  }

  TestTree tree_;
};

// A row as a download sent it for marker M1: its key and action code, nothing
// else.
template <class Row, size_t K, size_t A, size_t M>
Row SentRow(char (Row::*key)[K], char (Row::*dna)[A], char (Row::*dwn)[M], const char* k,
            const char* action) {
  Row row = {};
  CopyText(row.*key, k);
  CopyText(row.*dna, action);
  CopyText(row.*dwn, "M1");
  return row;
}

// The fixture of the download of one table: Marks ("action/marker" of the
// row with key, "<gone>" when there is none), Clear, and the release checks
// the tables share.
class TableDownloadTest : public DownloadTest {
 protected:
  // table ("Kvs521Ubg"; its columns begin with its last three letters) and
  // its key column.
  TableDownloadTest(const char* table, const char* key)
      : table_(table), prefix_(table_.substr(table_.size() - 3)), key_(key) {}
  std::string Marks(const std::string& key) const { return RowMarks(table_, prefix_, key_, key); }
  void Clear() const { tree_.Exec("DELETE FROM " + table_); }
  const std::string& table() const { return table_; }

  // Releases (frei) of rows as they were sent (sent(key, action code)), in
  // the order given; then the marks each row keeps.
  struct SentRelease {
    const char* key;
    const char* sent;  // the action code it was sent with
    int32_t rc;
    const char* marks;
  };
  template <class Row>
  void ExpectReleases(int32_t (*frei)(Row), Row (*sent)(const char*, const char*),
                      const std::vector<SentRelease>& releases) {
    for (const SentRelease& r : releases) EXPECT_EQ(frei(sent(r.key, r.sent)), r.rc) << r.key;
    for (const SentRelease& r : releases) EXPECT_EQ(Marks(r.key), r.marks) << r.key;
  }

  // A release (frei) that cannot read its row again tries no change: of a
  // row that is gone (1403), and of the row key (marked "NEU" for M1 by
  // insert) with the database out of reach (-3114), each reported as entry
  // and its code. The row keeps its marks.
  template <class Row>
  void ExpectReleaseWithoutItsRow(int32_t (*frei)(Row), Row (*sent)(const char*, const char*),
                                  const std::string& entry, const char* key,
                                  const std::function<void()>& insert) {
    EXPECT_EQ(frei(sent("GONE", "NEU")), SQL_NOTFOUND);
    std::vector<std::string> want = {entry + "1403"};
    EXPECT_EQ(Log(), want);

    insert();
    dbDisconnect();
    EXPECT_EQ(frei(sent(key, "NEU")), SQL_NOT_CONNECTED);
    want.push_back(entry + "-3114");
    EXPECT_EQ(Log(), want);
    EXPECT_EQ(Marks(key), "NEU/M1");
  }

 private:
  std::string table_, prefix_, key_;
};

// The fixture of the downloads whose tests insert their rows by the values
// of a fixed column list (Insert), with the two terminal groups of
// AddTerminalGroups.
class GroupsDownloadTest : public TableDownloadTest {
 protected:
  // columns: the columns Insert's values fill, in their order.
  GroupsDownloadTest(const char* table, const char* key, const char* columns)
      : TableDownloadTest(table, key), columns_(columns) {}
  void SetUp() override {
    TableDownloadTest::SetUp();
    AddTerminalGroups(tree_);
  }
  void Insert(const std::string& values) const {
    tree_.Exec("INSERT INTO " + table() + " (" + columns_ + ") VALUES " + values);
  }

  // A download (dnl) of marker M1 once for each case, with one row (values
  // for Insert) while the table refuses every change: see
  // ExpectDownloadWithChangesRefused; the row with key keeps its marks; then
  // also() checks what else it keeps.
  struct RefusedRelease {
    const char* op;  // what the release would have done
    std::string row;
    std::string marks;
    const char* entry;
  };
  void ExpectReleasesRefused(
      int32_t (*dnl)(const char*, const char*, const char*), const std::string& key,
      const std::vector<RefusedRelease>& cases, const std::function<void()>& also = [] {}) {
    for (const RefusedRelease& c : cases) {
      Insert(c.row);
      ExpectDownloadWithChangesRefused(dnl, table(), c.entry);
      EXPECT_EQ(Marks(key), c.marks) << c.op;
      also();
      Clear();
    }
  }

 private:
  std::string columns_;
};
