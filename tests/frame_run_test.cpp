// The frame across downloads and over time: each download of a process
// counts its own records in its summary and reads the terminal configuration
// as it is at its start; a group also ends when it has been open long
// enough; the send-buffer files are opened exclusively and never through a
// link; and the embedded database makes every commit durable on return.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/sql.h"
#include "download/frame.h"
#include "run/download_main.h"
#include "tests/fault_fs.h"
#include "tests/table_cases.h"
#include "tests/test_server.h"

namespace {

TableDnl DownloadOf(const char* keyword) {
  for (const RunTable& t : kProgramEntries.tables)
    if (t.keyword && strcmp(t.keyword, keyword) == 0) return t.dnl;
  return nullptr;
}

// Two downloads in one process, as an update-request run makes them.
TEST(FrameRunTest, EachDownloadCountsItsOwnRecordsAndReadsTheTerminalsAfresh) {
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  c.Insert(tree, c.Key(1), "M1", "AEN");
  c.Insert(tree, c.Key(2), "M1", "AEN");
  ASSERT_EQ(Db_ConnectWith(tree.login().c_str(), tree.pass().c_str(), tree.net8().c_str()), 0);
  TableDnl dnl = DownloadOf(c.keyword);
  ASSERT_NE(dnl, nullptr);
  FILE* out = tmpfile();
  ASSERT_NE(out, nullptr);
  Dnl_SetSummary(out);
  EXPECT_EQ(dnl("20240307", "090502", "M1"), 0);
  // Meanwhile the production area moves to a new terminal group.
  tree.Exec(
      "UPDATE Kvs557Cfg SET CfgVn1 = 'XX', CfgBi1 = 'XX' WHERE CfgDta = 1; "
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
      "(3, '10.0.0.3', '3003', 'FB01', 'FB01')");
  c.Insert(tree, c.Key(3), "M1", "AEN");
  EXPECT_EQ(dnl("20240307", "090502", "M1"), 0);
  Dnl_SetSummary(nullptr);
  rewind(out);
  std::vector<std::string> lines;
  char line[256];
  while (fgets(line, sizeof line, out)) lines.push_back(line);
  fclose(out);
  std::vector<std::string> want = {
      "velmarkon: Kvs521Ubg fetched=2 written=2 (SndDnl1.buf=2) released=2 left-marked=0 "
      "failures=0\n",
      "velmarkon: Kvs521Ubg fetched=1 written=1 (SndDnl3.buf=1) released=1 left-marked=0 "
      "failures=0\n"};
  EXPECT_EQ(lines, want);
  EXPECT_EQ(SentRecords(tree, 3).size(), 1u);
  EXPECT_EQ(SentRecords(tree, 1).size(), 2u);
}

// Rows whose records were written but whose releases failed stay marked
// and count as left marked, not as released.
TEST(FrameRunTest, RowsTheirReleasesLeaveMarkedAreNotCountedAsReleased) {
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];
  c.Insert(tree, c.Key(1), "M1", "AEN");
  c.Insert(tree, c.Key(2), "M1", "LOE");
  RefuseChanges(tree, c.Table());
  ASSERT_EQ(Db_ConnectWith(tree.login().c_str(), tree.pass().c_str(), tree.net8().c_str()), 0);
  FILE* out = tmpfile();
  ASSERT_NE(out, nullptr);
  Dnl_SetSummary(out);
  EXPECT_EQ(DownloadOf(c.keyword)("20240307", "090502", "M1"), 0);
  Dnl_SetSummary(nullptr);
  rewind(out);
  char line[256] = "";
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  fclose(out);
  EXPECT_STREQ(line,
               "velmarkon: Kvs521Ubg fetched=2 written=2 (SndDnl1.buf=2) released=0 "
               "left-marked=2 failures=2\n");
  dbDisconnect();
  AllowChanges(tree, c.Table());
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/AEN");
  EXPECT_EQ(c.Marks(tree, c.Key(2)), "M1/LOE");
}

// On a server, a releasing download first brings the statistics of its
// table up to date: marks that changed in bulk (an update request re-marks
// whole ranges) would otherwise lead the planner to the marker index for
// every single-row release, reading all marked rows each time.
TEST(FrameRunTest, OnAServerADownloadRefreshesItsTablesStatisticsFirst) {
  if (!Test_OnServer()) GTEST_SKIP() << "the embedded database keeps no statistics";
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];
  for (int i = 1; i <= 30; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
  const std::string stats = "SELECT count(*) FROM pg_stats WHERE tablename = lower('" + c.Table() +
                            "') AND attname = lower('" + c.Dwn() + "')";
  ASSERT_EQ(tree.Value(stats), "0");  // never looked at
  ASSERT_EQ(Db_ConnectWith(tree.login().c_str(), tree.pass().c_str(), tree.net8().c_str()), 0);
  EXPECT_EQ(DownloadOf(c.keyword)("20240307", "090502", "M1"), 0);
  dbDisconnect();
  EXPECT_EQ(tree.Value(stats), "1");
  EXPECT_EQ(c.Marks(tree, c.Key(30)), "<NULL>/<NULL>");
}

// A group that has been open for its time ends with the row that finds it
// so, however few rows it holds.
TEST(FrameRunTest, AGroupEndsWhenItHasBeenOpenLongEnough) {
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];
  for (int i = 1; i <= 3; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
  Dnl_SetGroup(1000, 20);
  // Every look at the clock finds 40 ms gone: longer than a group may stay open.
  static int64_t now = 0;
  Dnl_SetClock([] { return now += 40; });
  std::vector<std::string> steps;
  {
    FaultFs fs;
    const char* args[] = {"velmarkon", "M1", c.keyword};
    EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
    steps = fs.Steps();
  }
  Dnl_SetClock(nullptr);
  Dnl_SetGroup(256, 1000);
  while (steps.size() > 1 && steps.back() == "commit" && steps[steps.size() - 2] == "commit")
    steps.pop_back();  // the end-of-run commit
  std::vector<std::string> want = {"syncdir Buff", "sync SndDnl1.buf", "commit", "sync SndDnl1.buf",
                                   "commit",       "sync SndDnl1.buf", "commit"};
  EXPECT_EQ(steps, want);
}

// The send-buffer files: held by this program alone while it writes them,
// created when missing, and never opened through a link at their name.
TEST(FrameRunTest, SendBufferFilesAreOpenedExclusivelyAndNotThroughALink) {
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];
  c.Insert(tree, c.Key(1), "M1", "AEN");
  c.Insert(tree, c.Key(2), "M1", "AEN", "Name", "FB02");
  FaultFs fs;
  const char* args[] = {"velmarkon", "M1", c.keyword};
  EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
  for (const char* name : {"SndDnl1.buf", "SndDnl2.buf"}) {
    std::vector<uint32_t> flags = fs.OpenFlags(name);
    ASSERT_EQ(flags.size(), 1u) << name;
    const uint32_t need = PLAT_WRITE | PLAT_CREATE | PLAT_NO_SHARE | PLAT_NO_FOLLOW;
    EXPECT_EQ(flags[0] & need, need) << name;
  }
}

// The embedded database keeps a write-ahead log and syncs every commit
// before it returns: a released row stays released through a crash of the
// machine, not only of the program.
TEST(FrameRunTest, TheEmbeddedDatabaseMakesEveryCommitDurable) {
  TestTree tree;
  tree.Connect();
  if (Test_OnServer()) GTEST_SKIP() << "the embedded database's settings";
  int32_t synchronous = -1;
  char journal[16] = "";
  SqlStmt sync_q("select synchronous into :b0 from pragma_synchronous");
  SqlStmt journal_q("select journal_mode into :b0 from pragma_journal_mode");
  const HostVar sync_out[] = {HvI32(&synchronous)};
  const HostVar journal_out[] = {HvStr(journal)};
  ASSERT_EQ(Sql_SelectInto(&sync_q, nullptr, 0, sync_out, 1), 0);
  ASSERT_EQ(Sql_SelectInto(&journal_q, nullptr, 0, journal_out, 1), 0);
  EXPECT_EQ(synchronous, 2);  // FULL
  EXPECT_STREQ(journal, "wal");
}

}  // namespace
