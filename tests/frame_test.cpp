// The download frame on every table: a row whose values cannot be read fails
// alone; records reach the disk before the releases of their rows are
// committed, group by group; a group that cannot be made durable stays
// marked; a held database gets no record written; the embedded database's
// write-ahead log stays small; and each download's summary line.
#include "download/frame.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "db/session.h"
#include "run/download_main.h"
#include "support/platform.h"
#include "tests/fault_fs.h"
#include "tests/table_cases.h"
#include "tests/test_server.h"

namespace {

class FrameTest : public ::testing::TestWithParam<TableCase> {
 protected:
  void SetUp() override {
    tree_.CreateDb();
    AddTerminalGroups(tree_);
  }
  void TearDown() override { Dnl_SetGroup(256, 1000); }
  int Run(const char* marker = "M1") {
    const char* args[] = {"velmarkon", marker, GetParam().keyword};
    return Download_Main(3, args, &kProgramEntries);
  }
  void Rows(int n) {
    for (int i = 1; i <= n; ++i) GetParam().Insert(tree_, GetParam().Key(i), "M1", "AEN");
  }
  std::vector<std::string> Log() { return LogEntries(tree_.log()); }

  TestTree tree_;
};

TEST_P(FrameTest, AValueThatCannotBeReadFailsItsRowAlone) {
  if (Test_OnServer()) GTEST_SKIP() << "the server's column types refuse these values";
  const TableCase& c = GetParam();
  struct Bad {
    const char* what;
    std::string column, value;
    int32_t code;
  };
  std::vector<Bad> bad = {{"text in a number column", c.number_col, "'x1'", SQL_INVALID_NUMBER},
                          {"a number beyond its width", c.number_col, c.too_large, SQL_OVERFLOW}};
  if (c.date_col) {
    for (const char* d : {"'2024-02-30'", "''", "'garbage'"})
      bad.push_back({"a date that is no date", c.date_col, d, SQL_INVALID_DATE});
  }
  for (const Bad& b : bad) {
    SCOPED_TRACE(std::string(b.what) + ": " + b.column + " = " + b.value);
    tree_.Exec("DELETE FROM " + c.Table() + "; DELETE FROM Kvs537Ksg");
    std::remove(tree_.log().c_str());
    std::remove((tree_.buff() + "/SndDnl1.buf").c_str());
    Rows(7);
    const std::string middle = c.Key(4);
    tree_.Exec("PRAGMA ignore_check_constraints=ON; UPDATE " + c.Table() + " SET " + b.column +
               " = " + b.value + " WHERE " + c.Where(middle));

    EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
    std::vector<std::string> want = {std::string(c.dnl) + "|" + c.ReadFailure() + " " + middle +
                                     "|" + std::to_string(b.code)};
    if (std::string(c.record) == "APP")
      want[0] = std::string(c.dnl) + "|" + c.ReadFailure() + " " + middle.substr(0, 12) + "/" +
                middle.substr(12) + "|" + std::to_string(b.code);
    EXPECT_EQ(Log(), want);
    std::vector<std::string> sent;
    for (int i = 1; i <= 7; ++i) {
      if (i == 4) {
        EXPECT_EQ(c.Marks(tree_, c.Key(i)), "M1/AEN");
      } else {
        sent.push_back(c.Key(i));
        EXPECT_EQ(c.Marks(tree_, c.Key(i)), "<NULL>/<NULL>") << c.Key(i);
      }
    }
    EXPECT_EQ(c.SentKeys(tree_), sent);
  }
}

TEST_P(FrameTest, RecordsAreOnTheDiskBeforeTheReleasesOfTheirGroupAreCommitted) {
  Dnl_SetGroup(3, 60000);
  Rows(7);
  FaultFs fs;
  EXPECT_EQ(Run(), 0);
  // The new file's folder entry first; then three groups (3, 3 and 1 rows):
  // each one data sync of the file, then one commit of its releases.
  std::vector<std::string> want = {"syncdir Buff", "sync SndDnl1.buf", "commit", "sync SndDnl1.buf",
                                   "commit",       "sync SndDnl1.buf", "commit"};
  std::vector<std::string> steps = fs.Steps();
  while (!steps.empty() && steps.back() == "commit" && steps.size() > want.size())
    steps.pop_back();  // the end-of-run commit
  EXPECT_EQ(steps, want);
  for (int i = 1; i <= 7; ++i)
    EXPECT_EQ(GetParam().Marks(tree_, GetParam().Key(i)), "<NULL>/<NULL>");
}

TEST_P(FrameTest, AGroupThatCannotBeMadeDurableStaysMarkedAndEachRowIsLogged) {
  const TableCase& c = GetParam();
  Dnl_SetGroup(3, 60000);
  Rows(7);
  {
    FaultFs fs;
    fs.FailNth(FAULT_SYNC, 2, EIO, "SndDnl");  // the second group's sync
    EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
  }
  std::vector<std::string> want = {"FlushFileBuffers|Datei sichern|" + std::to_string(EIO)};
  for (int i = 4; i <= 6; ++i) {
    std::string key = c.Key(i);
    if (std::string(c.record) == "APP") key = key.substr(0, 12) + "/" + key.substr(12);
    want.push_back(std::string(c.dnl) + "|nicht gesichert " + key + "|" + std::to_string(EIO));
  }
  EXPECT_EQ(Log(), want);
  for (int i = 1; i <= 7; ++i)
    EXPECT_EQ(c.Marks(tree_, c.Key(i)), i >= 4 && i <= 6 ? "M1/AEN" : "<NULL>/<NULL>") << i;
  // The next run sends the group again.
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(c.SentKeys(tree_).size(), 10u);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(c.Marks(tree_, c.Key(i)), "<NULL>/<NULL>");
}

// The database refuses one release in the middle of a group: that row stays
// marked with one log entry, and the releases before it in the same group,
// not yet committed when it failed, are committed with the group all the
// same (order headers stop at their first failure, the others go on).
TEST_P(FrameTest, AReleaseTheDatabaseRefusesFailsItsRowAloneInItsGroup) {
  const TableCase& c = GetParam();
  Dnl_SetGroup(3, 60000);
  Rows(7);
  const std::string refused = c.Key(5);  // the middle of the second group
  if (Test_OnServer()) {
    tree_.Exec(
        "CREATE FUNCTION vk_refuse() RETURNS trigger AS 'BEGIN RAISE EXCEPTION ''refused''; "
        "END' LANGUAGE plpgsql");
    tree_.Exec("CREATE TRIGGER refuse BEFORE UPDATE OR DELETE ON " + c.Table() +
               " FOR EACH ROW WHEN (" + c.Where(refused, "OLD.") +
               ") EXECUTE FUNCTION vk_refuse()");
  } else {
    tree_.Exec("CREATE TRIGGER refuse BEFORE UPDATE ON " + c.Table() + " WHEN " +
               c.Where(refused, "OLD.") + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
  }
  const bool stops = std::string(c.record) == "APK";
  EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 1u) << ::testing::PrintToString(log);
  EXPECT_NE(log[0].find("|-"), std::string::npos) << log[0];  // the database's refusal
  for (int i = 1; i <= 7; ++i) {
    const bool marked = i == 5 || (stops && i > 5);
    EXPECT_EQ(c.Marks(tree_, c.Key(i)), marked ? "M1/AEN" : "<NULL>/<NULL>") << i;
  }
}

TEST_P(FrameTest, ASummaryLinePerDownload) {
  const TableCase& c = GetParam();
  Rows(3);
  c.Insert(tree_, c.Key(4), "M1", "AEN", "Name", "FB02");
  c.Insert(tree_, c.Key(5), "M1", "AEN", "Name", "FB99");  // served by no terminal group
  FILE* out = tmpfile();
  ASSERT_NE(out, nullptr);
  Dnl_SetSummary(out);
  TableDnl dnl = nullptr;
  for (const RunTable& t : kProgramEntries.tables)
    if (strcmp(t.keyword, c.keyword) == 0) dnl = t.dnl;
  ASSERT_EQ(Db_ConnectWith(tree_.login().c_str(), tree_.pass().c_str(), tree_.net8().c_str()), 0);
  int32_t rc = dnl("20240307", "090502", "M1");
  Dnl_SetSummary(nullptr);
  EXPECT_EQ(rc, 0);
  rewind(out);
  char line[256] = "";
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  fclose(out);
  const int n = c.records_per_row;
  std::string want =
      "velmarkon: " + std::string(c.keyword) + " fetched=5 written=" + std::to_string(4 * n) +
      " (SndDnl1.buf=" + std::to_string(3 * n) + " SndDnl2.buf=" + std::to_string(n) +
      ") released=4 left-marked=1 failures=" + (n == 2 ? "3" : "2") + "\n";
  EXPECT_EQ(line, want);
}

INSTANTIATE_TEST_SUITE_P(EveryTable, FrameTest, ::testing::ValuesIn(ReleasingTables()),
                         [](const auto& info) { return std::string(info.param.prefix); });

// Another program holds the embedded database's write lock: the download
// waits a bounded time, writes no record, leaves every row marked and says
// so once; the run ends non-zero.
TEST(HeldDatabaseTest, NoRecordIsWrittenForARowTheDatabaseKeepsMarked) {
  TestTree tree;
  tree.CreateDb();
  if (Test_OnServer()) GTEST_SKIP() << "the embedded database's write lock";
  AddTerminalGroups(tree);
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  for (int i = 1; i <= 3; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(tree.dbPath().c_str(), &other), SQLITE_OK);
  // The database as the program leaves it after its first run, held.
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const char* args[] = {"velmarkon", "M1", "Kvs521Ubg"};
  auto t0 = std::chrono::steady_clock::now();
  int status = Download_Main(3, args, &kProgramEntries);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_NE(status, 0);
  EXPECT_LT(s, 15.0);  // one wait of 10 s at the most
  EXPECT_FALSE(FileExists(tree.buff() + "/SndDnl1.buf"));
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(c.Marks(tree, c.Key(i)), "M1/AEN");
  std::vector<std::string> want = {"Ubg_Dnl|Datenbank gesperrt|-54"};
  EXPECT_EQ(LogEntries(tree.log()), want);
}

// A long download on the embedded database: its write-ahead log is
// checkpointed as it goes (no reader holds it), and the run leaves none.
TEST(WriteAheadLogTest, StaysSmallDuringALongDownloadAndIsGoneAfterTheRun) {
  TestTree tree;
  tree.CreateDb();
  if (Test_OnServer()) GTEST_SKIP() << "the embedded database's write-ahead log";
  AddTerminalGroups(tree);
  tree.Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
      "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDna, UbgDwn) "
      "SELECT printf('%04X', i), 1, 'FB01', 'Grund', 'AEN', 'LONG' FROM n");
  Dnl_SetGroup(16, 60000);
  int64_t largest = 0;
  const std::string wal = tree.dbPath() + "-wal";
  {
    FaultFs fs;
    fs.before = [&](FaultOp op, const std::string&) {
      PlatStat st;
      if (op == FAULT_SYNC && Plat_Stat(wal.c_str(), &st) == 0 && st.size > largest)
        largest = st.size;
    };
    const char* args[] = {"velmarkon", "LONG", "Kvs521Ubg"};
    EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
  }
  Dnl_SetGroup(256, 1000);
  EXPECT_GT(largest, 0);
  EXPECT_LT(largest, 16 << 20) << "the log grew with the rows";
  EXPECT_FALSE(FileExists(wal));
  EXPECT_FALSE(FileExists(tree.dbPath() + "-shm"));
  EXPECT_EQ(tree.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NOT NULL"), "0");
}

}  // namespace

namespace {

// On a database server another session holds a row: its release waits at
// most the lock wait, the rows before it are released, the rest of the
// table stays marked, and the run ends non-zero.
TEST(HeldRowTest, AReleaseWaitsBoundedForARowAnotherSessionHolds) {
  TestTree tree;
  tree.CreateDb();
  if (!Test_OnServer()) GTEST_SKIP() << "row locks of a database server";
  AddTerminalGroups(tree);
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  for (int i = 1; i <= 3; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
  tree.Exec("BEGIN; SELECT UbgUbg FROM Kvs521Ubg WHERE UbgUbg = 'R002' FOR UPDATE");
  const char* args[] = {"velmarkon", "M1", "Kvs521Ubg"};
  auto t0 = std::chrono::steady_clock::now();
  int status = Download_Main(3, args, &kProgramEntries);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  tree.Exec("COMMIT");
  EXPECT_NE(status, 0);
  EXPECT_LT(s, 15.0);
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "<NULL>/<NULL>");
  EXPECT_EQ(c.Marks(tree, c.Key(2)), "M1/AEN");
  EXPECT_EQ(c.Marks(tree, c.Key(3)), "M1/AEN");
  std::vector<std::string> log;
  for (const std::string& e : LogEntries(tree.log())) log.push_back(e);
  std::vector<std::string> want = {"UbgDnl|Fehler bei Ubg_PKeyUpd|-54",
                                   "Ubg_Dnl|Datenbank gesperrt|-54"};
  EXPECT_EQ(log, want);
}

}  // namespace
