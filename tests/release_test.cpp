// Releases on every table that has them: they change only the marks (and the
// columns a release empties), act only on the row that was sent, never touch
// another row in place of one whose key has no Windows-1252 form, and leave
// a row that changed after it was fetched marked for the next run.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "db/session.h"
#include "download/frame.h"
#include "run/download_main.h"
#include "support/platform.h"
#include "tests/fault_fs.h"
#include "tests/table_cases.h"
#include "tests/test_server.h"

namespace {

class ReleaseTest : public ::testing::TestWithParam<TableCase> {
 protected:
  void SetUp() override {
    tree_.CreateDb();
    AddTerminalGroups(tree_);
  }
  int Run(const char* marker = "M1") {
    const char* args[] = {"velmarkon", marker, GetParam().keyword};
    return Download_Main(3, args, &kProgramEntries);
  }
  // Every column of the row but its marks and its change time, as stored.
  std::vector<std::string> Others(const std::string& key) {
    const TableCase& c = GetParam();
    std::vector<std::string> cols;
    if (Test_OnServer()) {
      for (auto& r : tree_.Query("SELECT column_name FROM information_schema.columns WHERE "
                                 "table_name = lower('" +
                                 c.Table() + "') ORDER BY ordinal_position"))
        cols.push_back(r[0]);
    } else {
      for (auto& r : tree_.Query("SELECT name FROM pragma_table_info('" + c.Table() + "')"))
        cols.push_back(r[0]);
    }
    std::string list;
    for (const std::string& col : cols) {
      std::string lower = col;
      for (char& ch : lower) ch = static_cast<char>(tolower(ch));
      std::string p = c.prefix;
      for (char& ch : p) ch = static_cast<char>(tolower(ch));
      if (lower == p + "dwn" || lower == p + "dna" || lower == p + "dat") continue;
      list += (list.empty() ? "" : ", ") + col;
    }
    auto rows = tree_.Query("SELECT " + list + " FROM " + c.Table() + " WHERE " + c.Where(key));
    return rows.empty() ? std::vector<std::string>{} : rows[0];
  }
  std::vector<std::string> Log() { return LogEntries(tree_.log()); }

  TestTree tree_;
};

TEST_P(ReleaseTest, WritesOnlyTheMarksAndKeepsEveryOtherColumnAsStored) {
  const TableCase& c = GetParam();
  const std::string kept = c.Key(1), gone = c.Key(2);
  c.Insert(tree_, kept, "M1", "NEU", Test_OnServer() ? "Name" : "Dvo\xC5\x99\xC3\xA1k");
  c.Insert(tree_, gone, "M1", c.records_per_row == 2 ? "AEN" : "LOE");
  // Values a whole-row write-back would change: a number beyond the width
  // with which the release's read takes it, a date with a time of day where
  // the program exchanges the date alone, text with characters outside
  // Windows-1252.
  const std::map<std::string, std::string> extra = {
      {"Apk", "ApkSta = 40000, ApkBgs = '2024-03-07 10:30:00'"},
      {"App", "AppSta = 40000, AppBds = '2024-03-02 07:08:09'"},
      {"Apg", "ApgSta = 40000"},
      {"Apl", "AplSta = 40000, AplUdt = '2024-03-07 08:15:30'"},
      {"Ubg", "UbgSta = 40000"},
      {"Prv", "PrvGvo = '2024-01-01 10:00:00', PrvAvn = '2024-03-01 07:30:15', PrvNam = " +
                  std::string(Test_OnServer() ? "'Lodz'" : "'\xC5\x81\xC3\xB3\x64\xC5\xBA'")},
  };
  tree_.Exec("UPDATE " + c.Table() + " SET " + extra.at(c.prefix) + " WHERE " + c.Where(kept));
  auto before = Others(kept);
  ASSERT_FALSE(before.empty());

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Log(), std::vector<std::string>{});
  EXPECT_EQ(c.Marks(tree_, kept), "<NULL>/<NULL>");
  EXPECT_EQ(Others(kept), before);
  EXPECT_EQ(c.Marks(tree_, gone), c.records_per_row == 2 ? "<NULL>/<NULL>" : "<gone>");
}

TEST_P(ReleaseTest, AKeyWithoutAWindows1252FormIsNeitherSentNorReleased) {
  if (Test_OnServer()) GTEST_SKIP() << "the server refuses to deliver such a row at all";
  const TableCase& c = GetParam();
  // "...Ł" would be fetched as "...?", the key of another row.
  std::string base = c.Key(1);
  std::string odd = base.substr(0, base.size() - 1) + "\xC5\x81";
  std::string other = base.substr(0, base.size() - 1) + "?";
  c.Insert(tree_, c.Key(2), "M1", "AEN");
  c.Insert(tree_, other, "", "", "Andere");
  c.Insert(tree_, odd, "M1", c.records_per_row == 2 ? "AEN" : "LOE", "Name", "FB02");
  auto other_before = Others(other);

  EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
  std::vector<std::string> want = {std::string(c.dnl) + "|" + c.SendFailure() + "|-12703"};
  EXPECT_EQ(Log(), want);
  EXPECT_EQ(Others(other), other_before);  // the unrelated row survives as it was
  EXPECT_EQ(c.Marks(tree_, other), "<NULL>/<NULL>");
  EXPECT_NE(c.Marks(tree_, odd), "<NULL>/<NULL>");  // still waiting, sent by no run
  EXPECT_EQ(c.Marks(tree_, c.Key(2)), "<NULL>/<NULL>");
  EXPECT_EQ(c.SentKeys(tree_), std::vector<std::string>{c.Key(2)});
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl2.buf"));
}

TEST_P(ReleaseTest, AMarkerWithAQuoteAndABackslashIsSentAndReleased) {
  const TableCase& c = GetParam();
  // The marker goes into the cursor and into every release as a value,
  // never as SQL: a quote or a backslash in it selects and releases only
  // the rows marked with exactly that text.
  c.Insert(tree_, c.Key(1), "M''\\", "AEN");  // stored as M'\ (SQL literal)
  c.Insert(tree_, c.Key(2), "M''", "AEN");
  c.Insert(tree_, c.Key(3), "M\\", "AEN");
  EXPECT_EQ(Run("M'\\"), 0);
  EXPECT_EQ(c.Marks(tree_, c.Key(1)), "<NULL>/<NULL>");
  EXPECT_EQ(c.Marks(tree_, c.Key(2)), "M'/AEN");
  EXPECT_EQ(c.Marks(tree_, c.Key(3)), "M\\/AEN");
  EXPECT_EQ(c.SentKeys(tree_), std::vector<std::string>{c.Key(1)});
}

TEST_P(ReleaseTest, ARowChangedAfterItWasFetchedStaysMarkedAndGoesWithTheNextRun) {
  const TableCase& c = GetParam();
  const std::string first = c.Key(1), second = c.Key(2);
  c.Insert(tree_, first, "M1", "AEN");
  c.Insert(tree_, second, "M1", "AEN");
  // Another program changes the second row and marks it again while the
  // download is under way: with a newer change time where the cursor
  // delivers it, as a deletion where it does not.
  std::string change = std::string(c.name_col) + " = 'neu'";
  change += c.has_dat ? std::string(", ") + c.prefix + "Dat = '2024-03-02 08:00:00'"
                      : ", " + c.Dna() + " = 'LOE'";
  if (Test_OnServer()) {
    // The server takes a group's releases before it writes the group's
    // records, holding their rows until the commit: with a row per group
    // the other program's change comes between the two releases.
    Dnl_SetGroup(1, 60000);
    FaultFs fs;
    bool changed = false;
    fs.before = [&](FaultOp op, const std::string& path) {
      if (op != FAULT_WRITE || changed || path.find("SndDnl") == std::string::npos) return;
      changed = true;
      tree_.Exec("UPDATE " + c.Table() + " SET " + change + " WHERE " + c.Where(second));
    };
    EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
    EXPECT_TRUE(changed);
    Dnl_SetGroup(256, 1000);
  } else {
    // The release of the first row sets the change off, inside the run.
    tree_.Exec("CREATE TRIGGER other_program AFTER UPDATE OF " + c.Dwn() + " ON " + c.Table() +
               " WHEN " + c.Where(first, "NEW.") + " BEGIN UPDATE " + c.Table() + " SET " + change +
               " WHERE " + c.Where(second) + "; END");
    EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
    tree_.Exec("DROP TRIGGER other_program");
  }
  EXPECT_EQ(c.Marks(tree_, first), "<NULL>/<NULL>");
  EXPECT_EQ(c.Marks(tree_, second), c.has_dat ? "M1/AEN" : "M1/LOE");
  std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].substr(0, log[0].rfind('|')),
            std::string(c.prefix) + "_Frei|Zeile geaendert, bleibt markiert");

  // The next run sends the newer content and releases the row.
  std::vector<std::string> sent_before = c.SentKeys(tree_);
  EXPECT_EQ(Run(), 0);
  std::vector<std::string> sent = c.SentKeys(tree_);
  ASSERT_EQ(sent.size(), sent_before.size() + 1);
  EXPECT_EQ(sent.back(), second);
  EXPECT_EQ(c.Marks(tree_, second), c.has_dat ? "<NULL>/<NULL>" : "<gone>");
}

INSTANTIATE_TEST_SUITE_P(EveryTable, ReleaseTest, ::testing::ValuesIn(ReleasingTables()),
                         [](const auto& info) { return std::string(info.param.prefix); });

// The personnel's two records: the row is released only when both were
// written; the second's failure keeps it marked and is logged.
TEST(PersonnelReleaseTest, AFailedSecondRecordKeepsThePersonMarked) {
  TestTree tree;
  tree.CreateDb();
  AddTerminalGroups(tree);
  const TableCase& c = ReleasingTables().back();
  c.Insert(tree, c.Key(1), "M1", "NEU");
  const char* args[] = {"velmarkon", "M1", "Kvs510Prv"};
  {
    FaultFs fs;
    fs.FailNth(FAULT_WRITE, 2, ENOSPC, "SndDnl");  // the "AWN" record
    EXPECT_EQ(Download_Main(3, args, &kProgramEntries), EXIT_FAILURES_LOGGED);
  }
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/NEU");
  std::vector<std::string> want = {"WrittenFile||" + std::to_string(ENOSPC),
                                   "Prv_Dnl|" + c.SendFailure() + "|-1"};
  EXPECT_EQ(LogEntries(tree.log()), want);
  auto sent = SentRecords(tree, 1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].table, "PNR");

  // The next run sends both again and releases the person.
  EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
  sent = SentRecords(tree, 1);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].table, "PNR");
  EXPECT_EQ(sent[2].table, "AWN");
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "<NULL>/<NULL>");
}

// An operation's release and its order's count commit together or not at
// all: a count that cannot be written undoes the release.
TEST(OperationReleaseTest, TheCountAndTheReleaseStandOrFallTogether) {
  TestTree tree;
  tree.CreateDb();
  AddTerminalGroups(tree);
  const TableCase& c = ReleasingTables()[1];
  tree.Exec("INSERT INTO Kvs501Apk (ApkApk, ApkFbe, ApkAfo) VALUES ('000000001000', 'FB01', 4)");
  c.Insert(tree, c.Key(1), "M1", "NEU");
  c.Insert(tree, c.Key(2), "M1", "LOE");
  const char* args[] = {"velmarkon", "M1", "Kvs504App"};
  dbCommit();
  RefuseChanges(tree, "Kvs501Apk");
  EXPECT_EQ(Download_Main(3, args, &kProgramEntries), EXIT_FAILURES_LOGGED);
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/NEU");
  EXPECT_EQ(c.Marks(tree, c.Key(2)), "M1/LOE");
  const std::vector<std::string> log = LogEntriesLt0(tree.log());
  std::vector<std::string> want = {"APP_Frei|Fehler bei Apk_PKeyUpd|<0",
                                   "App_Frei|Fehler bei Apk_PKeyUpd|<0"};
  EXPECT_EQ(log, want);

  AllowChanges(tree, "Kvs501Apk");
  EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "<NULL>/<NULL>");
  EXPECT_EQ(c.Marks(tree, c.Key(2)), "<gone>");
  EXPECT_EQ(tree.Value("SELECT ApkAfo FROM Kvs501Apk"), "4");  // +1 and -1
}

// Within one group, a count the database refuses undoes its own operation's
// release only: the operations before and after it in the group stay
// released, with their orders' counts.
TEST(OperationReleaseTest, ARefusedCountUndoesOnlyItsOwnOperationInTheGroup) {
  TestTree tree;
  tree.CreateDb();
  AddTerminalGroups(tree);
  const TableCase& c = ReleasingTables()[1];
  const std::string orders[] = {"000000002001", "000000002002", "000000002003"};
  for (const std::string& order : orders) {
    tree.Exec("INSERT INTO Kvs501Apk (ApkApk, ApkFbe, ApkAfo) VALUES ('" + order + "', 'FB01', 0)");
    c.Insert(tree, order + "00010", "M1", "NEU");
  }
  const std::string refused = "OLD.ApkApk = '" + orders[1] + "'";
  if (Test_OnServer()) {
    tree.Exec(
        "CREATE FUNCTION vk_refuse() RETURNS trigger AS 'BEGIN RAISE EXCEPTION ''refused''; "
        "END' LANGUAGE plpgsql");
    tree.Exec("CREATE TRIGGER refuse BEFORE UPDATE ON Kvs501Apk FOR EACH ROW WHEN (" + refused +
              ") EXECUTE FUNCTION vk_refuse()");
  } else {
    tree.Exec("CREATE TRIGGER refuse BEFORE UPDATE ON Kvs501Apk WHEN " + refused +
              " BEGIN SELECT RAISE(ABORT, 'refused'); END");
  }
  const int32_t rows = Dnl_GroupRows(), ms = Dnl_GroupMs();
  Dnl_SetGroup(10, 60000);  // the three operations in one group
  const char* args[] = {"velmarkon", "M1", "Kvs504App"};
  dbCommit();
  EXPECT_EQ(Download_Main(3, args, &kProgramEntries), EXIT_FAILURES_LOGGED);
  Dnl_SetGroup(rows, ms);
  const std::vector<std::string> log = LogEntriesLt0(tree.log());
  EXPECT_EQ(log, std::vector<std::string>{"APP_Frei|Fehler bei Apk_PKeyUpd|<0"});
  const char* marks[] = {"<NULL>/<NULL>", "M1/NEU", "<NULL>/<NULL>"};
  const char* counts[] = {"1", "0", "1"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.Marks(tree, orders[i] + "00010"), marks[i]) << orders[i];
    EXPECT_EQ(tree.Value("SELECT ApkAfo FROM Kvs501Apk WHERE ApkApk = '" + orders[i] + "'"),
              counts[i])
        << orders[i];
  }
}

}  // namespace
