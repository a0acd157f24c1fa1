// Injected file faults and what the program makes of them: a record cut
// short whose remnant cannot be cut off again, a send-buffer file that cannot
// be opened, a log that cannot be opened, a failed rename at the log's
// rotation; and the flags the log's entries are opened with.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "download/frame.h"
#include "run/download_main.h"
#include "sendbuf/snddnl.h"
#include "support/msg.h"
#include "support/platform.h"
#include "tests/fault_fs.h"
#include "tests/table_cases.h"

namespace {

// Errors the fault layer injects: numbers that mean neither "busy" nor
// "missing" on any system the program runs on.
constexpr int32_t kWriteError = 1117;
constexpr int32_t kCutError = 1118;
constexpr int32_t kOpenError = 1119;
constexpr int32_t kRenameError = 1120;

int RunTable(const char* keyword) {
  const char* args[] = {"velmarkon", "M1", keyword};
  return Download_Main(3, args, &kProgramEntries);
}

std::string Code(int32_t n) { return std::to_string(n); }

// A record that reaches its file only in part: the part is cut off again and
// the file goes on; when the cut fails, the remnant stays the file's last
// bytes, the file takes no further record in this run (each refused one is
// logged and its row stays marked), and the other groups' files go on.
TEST(SendBufferFaultTest, APartialRecordIsCutOffOrEndsTheFileForTheRun) {
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  for (bool cut_fails : {false, true}) {
    SCOPED_TRACE(cut_fails ? "the cut fails" : "the cut succeeds");
    GroupsTree tree;
    for (int i = 1; i <= 3; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
    c.Insert(tree, c.Key(4), "M1", "AEN", "Name", "FB02");  // terminal group 2
    FaultFs fs;
    fs.FailNth(FAULT_WRITE, 2, kWriteError, "SndDnl1", true);  // the second row's
    if (cut_fails) fs.FailNth(FAULT_TRUNCATE, 1, kCutError);
    EXPECT_EQ(RunTable(c.keyword), EXIT_FAILURES_LOGGED);
    EXPECT_EQ(fs.Count(FAULT_TRUNCATE), 1);
    const std::string send = "Ubg_Dnl|" + c.SendFailure() + "|-1";
    std::vector<std::string> want = {"WrittenFile||" + Code(kWriteError), send};
    if (cut_fails) {
      want.insert(want.begin() + 1, "SetEndOfFile|Datei kuerzen|" + Code(kCutError));
      want.push_back("WrittenFile|Satzrest in der Datei|" + Code(kCutError));
      want.push_back(send);
    }
    EXPECT_EQ(LogEntries(tree.log()), want);
    EXPECT_EQ(c.Marks(tree, c.Key(1)), "<NULL>/<NULL>");
    EXPECT_EQ(c.Marks(tree, c.Key(2)), "M1/AEN");
    EXPECT_EQ(c.Marks(tree, c.Key(3)), cut_fails ? "M1/AEN" : "<NULL>/<NULL>");
    EXPECT_EQ(c.Marks(tree, c.Key(4)), "<NULL>/<NULL>");
    const std::string file1 = ReadFileBytes(tree.buff() + "/SndDnl1.buf");
    if (cut_fails) {
      // The first record whole, then the half of the second that got there.
      ASSERT_EQ(file1.size(), static_cast<size_t>(SND_RECORD_LEN + SND_RECORD_LEN / 2));
      EXPECT_EQ(file1.substr(SND_RECORD_LEN + 111 + c.key_at, c.key_width), c.Key(2));
      // Opened once: nothing went after the remnant.
      int opens = 0;
      for (const FaultOpen& o : fs.Opens()) opens += o.name == "SndDnl1.buf";
      EXPECT_EQ(opens, 1);
    } else {
      EXPECT_EQ(file1.size(), 2u * SND_RECORD_LEN);
      EXPECT_EQ(c.SentKeys(tree), (std::vector<std::string>{c.Key(1), c.Key(3)}));
    }
    EXPECT_EQ(ReadFileBytes(tree.buff() + "/SndDnl2.buf").size(),
              static_cast<size_t>(SND_RECORD_LEN));
    // The first row's record was on the disk before its release was committed.
    const std::vector<std::string>& steps = fs.Steps();
    size_t sync = 0, commit = 0;
    while (sync < steps.size() && steps[sync] != "sync SndDnl1.buf") ++sync;
    while (commit < steps.size() && steps[commit] != "commit") ++commit;
    EXPECT_LT(sync, commit);
  }
}

// What a run killed in the middle of a write leaves, or a remnant an earlier
// run could not cut off: the part of a record at the file's end is cut off
// (and logged with its length) before the next record is appended; when
// that cut fails, the file takes no record in this run and stays as it was.
// (Bytes at the end that do not start a record stay: AppendsSwitchesFiles-
// AndNeverTruncates.)
TEST(SendBufferFaultTest, TheNextRunCutsOffAPartOfARecordBeforeItAppends) {
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  for (bool cut_fails : {false, true}) {
    SCOPED_TRACE(cut_fails ? "the cut fails" : "the cut succeeds");
    GroupsTree tree;
    // A whole record, then the first 100 bytes of the next.
    const std::string before = std::string(SND_RECORD_LEN, 'A') + "$" + std::string(99, 'B');
    WriteFileBytes(tree.buff() + "/SndDnl1.buf", before);
    for (int i = 1; i <= 2; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
    FaultFs fs;
    if (cut_fails) fs.FailNth(FAULT_TRUNCATE, 1, kCutError);
    EXPECT_EQ(RunTable(c.keyword), EXIT_FAILURES_LOGGED);
    const std::string file1 = ReadFileBytes(tree.buff() + "/SndDnl1.buf");
    if (cut_fails) {
      const std::string send = "Ubg_Dnl|" + c.SendFailure() + "|-1";
      EXPECT_EQ(
          LogEntries(tree.log()),
          (std::vector<std::string>{"SetEndOfFile|Datei kuerzen|" + Code(kCutError), send,
                                    "WrittenFile|Satzrest in der Datei|" + Code(kCutError), send}));
      EXPECT_EQ(file1, before);
      EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/AEN");
      EXPECT_EQ(c.Marks(tree, c.Key(2)), "M1/AEN");
    } else {
      EXPECT_EQ(LogEntries(tree.log()),
                std::vector<std::string>{"SetEndOfFile|Satzrest abgeschnitten|100"});
      ASSERT_EQ(file1.size(), 3u * SND_RECORD_LEN);
      EXPECT_EQ(file1.substr(0, SND_RECORD_LEN), before.substr(0, SND_RECORD_LEN));
      EXPECT_EQ(c.SentKeys(tree),
                (std::vector<std::string>{std::string(c.key_width, 'A'), c.Key(1), c.Key(2)}));
      EXPECT_EQ(c.Marks(tree, c.Key(1)), "<NULL>/<NULL>");
      EXPECT_EQ(c.Marks(tree, c.Key(2)), "<NULL>/<NULL>");
    }
  }
}

// One group whose records go to two files, back and forth: each file is
// synced when it is left for the other and the open one at the group's end,
// all before the group's commit; a sync that fails at a switch keeps the
// whole group marked, each row logged.
TEST(SendBufferFaultTest, AGroupOverTwoFilesIsOnTheDiskBeforeItsCommit) {
  const TableCase& c = ReleasingTables()[4];  // interruption reasons
  for (bool sync_fails : {false, true}) {
    SCOPED_TRACE(sync_fails ? "the sync at the switch fails" : "every sync succeeds");
    GroupsTree tree;
    c.Insert(tree, c.Key(1), "M1", "AEN", "Name", "FB01");
    c.Insert(tree, c.Key(2), "M1", "AEN", "Name", "FB02");
    c.Insert(tree, c.Key(3), "M1", "AEN", "Name", "FB01");
    // The cursor takes them by area: FB01, FB01, FB02. A third area of
    // group 1 sorts after FB02 and makes the writer come back.
    tree.Exec("UPDATE Kvs557Cfg SET CfgVn2 = 'FB03', CfgBi2 = 'FB03' WHERE CfgDta = 1");
    tree.Exec("UPDATE Kvs557Cfg SET CfgBi1 = 'FB02' WHERE CfgDta = 2");
    tree.Exec("UPDATE Kvs521Ubg SET UbgFbe = 'FB03' WHERE " + c.Where(c.Key(3)));
    Dnl_SetGroup(10, 60000);
    std::vector<std::string> steps;
    {
      FaultFs fs;
      if (sync_fails) fs.FailNth(FAULT_SYNC, 1, kWriteError, "SndDnl2");
      EXPECT_EQ(RunTable(c.keyword), sync_fails ? EXIT_FAILURES_LOGGED : 0);
      steps = fs.Steps();
    }
    Dnl_SetGroup(256, 1000);
    while (steps.size() > 1 && steps.back() == "commit" && steps[steps.size() - 2] == "commit")
      steps.pop_back();  // the end-of-run commit
    std::vector<std::string> want = {"syncdir Buff",     "sync SndDnl1.buf", "syncdir Buff",
                                     "sync SndDnl2.buf", "sync SndDnl1.buf", "commit"};
    if (sync_fails) {
      // No commit but the run's last one, which finds nothing to commit.
      want = {"syncdir Buff", "sync SndDnl1.buf", "syncdir Buff", "sync SndDnl1.buf", "commit"};
      std::vector<std::string> log = {"FlushFileBuffers|Datei sichern|" + Code(kWriteError)};
      for (int i = 1; i <= 3; ++i)
        log.push_back("Ubg_Dnl|nicht gesichert " + c.Key(i) + "|" + Code(kWriteError));
      EXPECT_EQ(LogEntries(tree.log()), log);
    }
    EXPECT_EQ(steps, want);
    for (int i = 1; i <= 3; ++i)
      EXPECT_EQ(c.Marks(tree, c.Key(i)), sync_fails ? "M1/AEN" : "<NULL>/<NULL>") << i;
  }
}

// A send-buffer file that cannot be opened: the row stays marked, the failure
// is logged with the system's error, and the next record opens the file
// again. Order headers stop at that row; the next run sends them all.
class OpenFaultTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(OpenFaultTest, TheRowStaysMarkedAndTheNextRecordOpensTheFileAgain) {
  const TableCase& c = GetParam();
  const bool stops = std::string(c.record) == "APK";
  GroupsTree tree;
  for (int i = 1; i <= 3; ++i) c.Insert(tree, c.Key(i), "M1", "AEN");
  {
    FaultFs fs;
    fs.FailNth(FAULT_OPEN, 1, kOpenError, "SndDnl");
    EXPECT_EQ(RunTable(c.keyword), EXIT_FAILURES_LOGGED);
    std::vector<int32_t> opens;
    for (const FaultOpen& o : fs.Opens())
      if (o.name == "SndDnl1.buf") opens.push_back(o.rc);
    // The personnel's second record of the first row opens it again too.
    if (stops)
      EXPECT_EQ(opens, std::vector<int32_t>{kOpenError});
    else
      EXPECT_EQ(opens, (std::vector<int32_t>{kOpenError, 0}));
  }
  std::vector<std::string> want = {"CreateFile|Datei oeffnen|" + Code(kOpenError),
                                   std::string(c.dnl) + "|" + c.SendFailure() + "|-1"};
  EXPECT_EQ(LogEntries(tree.log()), want);
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/AEN");
  for (int i = 2; i <= 3; ++i)
    EXPECT_EQ(c.Marks(tree, c.Key(i)), stops ? "M1/AEN" : "<NULL>/<NULL>") << i;
  if (stops)
    EXPECT_EQ(c.SentKeys(tree), std::vector<std::string>{});
  else
    EXPECT_EQ(c.SentKeys(tree), (std::vector<std::string>{c.Key(2), c.Key(3)}));

  EXPECT_EQ(RunTable(c.keyword), 0);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(c.Marks(tree, c.Key(i)), "<NULL>/<NULL>") << i;
}

INSTANTIATE_TEST_SUITE_P(EveryTable, OpenFaultTest, ::testing::ValuesIn(ReleasingTables()),
                         [](const auto& info) { return std::string(info.param.prefix); });

// A log that cannot be opened: each entry goes to stderr instead, counted as
// unwritten, and the run ends with the status of a run that logged a failure.
TEST(LogOpenFaultTest, EntriesGoToStderrAndTheRunSaysSo) {
  GroupsTree tree;
  const TableCase& c = ReleasingTables()[4];
  c.Insert(tree, c.Key(1), "M1", "AEN", "Name", "FB99");  // served by no terminal group
  const int32_t unwritten = Msg_Unwritten();
  int status;
  std::string err;
  {
    FaultFs fs;
    fs.FailAll(FAULT_OPEN, kOpenError, "Velmarkon.Txt");
    testing::internal::CaptureStderr();
    status = RunTable(c.keyword);
    err = testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(status, EXIT_FAILURES_LOGGED);
  EXPECT_EQ(Msg_Unwritten() - unwritten, 2);
  EXPECT_FALSE(FileExists(tree.log()));
  const std::string lead = "velmarkon: log entry not written to " MSG_FILE_PATH ":\r\n";
  ASSERT_EQ(err.rfind(lead, 0), 0u) << err;
  EXPECT_NE(err.find("Message____: IP-Ermitteln\r\nFunktion___: ReadFile\r\nErrorCode__: 1403\r\n"),
            std::string::npos)
      << err;
  // Windows-1252 in the program, UTF-8 on stderr: "Sätze".
  EXPECT_NE(err.find("Message____: Fehler beim Senden von UbgS\xC3\xA4tze\r\nFunktion___: "
                     "Ubg_Dnl\r\nErrorCode__: 1403\r\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(c.Marks(tree, c.Key(1)), "M1/AEN");
}

// The log on its own, in a folder of the test's.
class LogFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = (std::filesystem::path(dir_) / "Velmarkon.Txt").string();
    old_ = (std::filesystem::path(dir_) / "Velmarkon.old").string();
    Msg_Init(FMSG | SMSG | DMSG, log_.c_str());
  }
  void TearDown() override { Msg_Init(0, nullptr); }
  std::vector<std::string> Log(const std::string& path) { return LogEntries(path); }

  TempFolder tmp_{"vklog"};
  std::string dir_ = tmp_.path(), log_, old_;
};

// Every entry is a fresh open that creates the file when it is missing,
// holds it as its one writer, and writes through to the disk.
TEST_F(LogFaultTest, EveryEntryIsOpenedWithWriteThrough) {
  FaultFs fs;
  Msg_Report("Fn", "first", 1);
  Msg_Report("Fn", "second", 2);
  std::vector<uint32_t> flags = fs.OpenFlags("Velmarkon.Txt");
  ASSERT_EQ(flags.size(), 2u);
  for (uint32_t f : flags) {
    EXPECT_TRUE(f & PLAT_WRITE_THROUGH) << f;
    EXPECT_TRUE(f & PLAT_CREATE) << f;
    EXPECT_TRUE(f & PLAT_LOCK) << f;
    EXPECT_TRUE(f & PLAT_NO_FOLLOW) << f;
  }
  EXPECT_EQ(Log(log_), (std::vector<std::string>{"Fn|first|1", "Fn|second|2"}));
}

// The rename of a rotation fails: that entry is dropped (to stderr), the
// count stays, and the next entry rotates.
TEST_F(LogFaultTest, AFailedRenameAtRotationDropsTheEntryAndKeepsTheCount) {
  for (int i = 1; i <= 3001; ++i) Msg_Report("Fn", "E", i);
  ASSERT_EQ(Msg_Count(), 3001);
  const int32_t unwritten = Msg_Unwritten();
  std::string err;
  {
    FaultFs fs;
    fs.FailNth(FAULT_RENAME, 1, kRenameError, "Velmarkon.Txt");
    testing::internal::CaptureStderr();
    Msg_Report("Fn", "dropped", 3002);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fs.Count(FAULT_RENAME), 1);
  }
  EXPECT_EQ(Msg_Count(), 3001);
  EXPECT_EQ(Msg_Unwritten() - unwritten, 1);
  EXPECT_NE(err.find("Message____: dropped\r\n"), std::string::npos) << err;
  EXPECT_EQ(Log(log_).size(), 3001u);
  EXPECT_FALSE(FileExists(old_));

  Msg_Report("Fn", "rotated", 3003);
  EXPECT_EQ(Msg_Count(), 1);
  EXPECT_EQ(Log(log_), std::vector<std::string>{"Fn|rotated|3003"});
  EXPECT_EQ(Log(old_).size(), 3001u);
}

}  // namespace
