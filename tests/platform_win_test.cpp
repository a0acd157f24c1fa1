// What the Windows version does differently, checked with real Windows
// processes on both sides (under wine too, which enforces share modes only
// between its own processes): records and log entries in binary mode, the
// share modes of the send buffer, the log and the run lock against another
// process, rotation with the log closed, the fixed paths with backslashes,
// the command line of a started program and the status of a killed one.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "db/session.h"
#include "run/download_main.h"
#include "run/run_lock.h"
#include "sendbuf/snddnl.h"
#include "support/ini.h"
#include "support/msg.h"
#include "support/platform.h"
#include "tests/file_holder.h"
#include "tests/run_program.h"
#include "tests/table_cases.h"
#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

namespace {

constexpr int32_t kSharingViolation = 32;  // ERROR_SHARING_VIOLATION

DownloadMessage Message(const char* body) {
  DownloadMessage m;
  memset(&m, 0, sizeof m);
  strcpy(m.date, "20240307");
  strcpy(m.time, "090502");
  strcpy(m.action, "NEU");
  strcpy(m.table, "UBG");
  strcpy(m.body, body);
  return m;
}

class WindowsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    AddTerminalGroups(tree_);
  }
  std::string Buffer(int n) const { return tree_.buff() + "/SndDnl" + std::to_string(n) + ".buf"; }
  TestTree tree_;
};

TEST(WindowsPaths, FixedPathsAreWrittenWithBackslashes) {
  EXPECT_STREQ(INI_FILE_PATH, "..\\..\\..\\..\\files\\korvantis.ini");
  EXPECT_STREQ(MSG_FILE_PATH, ".\\Msg\\Velmarkon.Txt");
  EXPECT_STREQ(SND_DIR, "..\\Comm\\Buff");
  EXPECT_STREQ(RUN_LOCK_FILE, ".\\velmarkon.lck");
}

TEST(WindowsPaths, ConfigurationIsFoundAtTheBackslashPath) {
  TestTree tree;  // the working folder four levels below files\korvantis.ini
  tree.WriteConfig("bde", "G\xFCnter", "sqlite:bde.db");
  char user[52], pass[52], connect[52];
  ASSERT_EQ(GetDbLogin(user, pass, connect, sizeof user), 0);
  EXPECT_STREQ(user, "bde");
  EXPECT_STREQ(pass, "G\xFCnter");
  EXPECT_STREQ(connect, "sqlite:bde.db");
  // The tool, given the path as a site types it.
  Ran shown = RunProgram("velmarkon-ini", std::string("show ") + INI_FILE_PATH);
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("sqlite:bde.db"), std::string::npos) << shown.out;
}

TEST_F(WindowsFilesTest, RecordsAndLogEntriesAreWrittenInBinaryMode) {
  ASSERT_EQ(SndDnl_Write(Message("Grund"), "FB01"), 0);
  SndDnl_Close();
  EXPECT_EQ(std::filesystem::file_size(Buffer(1)), static_cast<uintmax_t>(SND_RECORD_LEN));
  const std::string rec = ReadFileBytes(Buffer(1));
  EXPECT_EQ(rec.substr(SND_RECORD_LEN - 3), "*\r\n");
  EXPECT_EQ(rec.find('\r'), static_cast<size_t>(SND_RECORD_LEN - 2));
  Msg_Report("Fn", "Text", 1);
  const std::string log = ReadFileBytes(tree_.log());
  EXPECT_EQ(log.find("\r\r"), std::string::npos);
  EXPECT_EQ(log.substr(0, 3), "\xFE\r\n");
  EXPECT_EQ(log.substr(log.size() - 18), "\r\nErrorCode__: 1\r\n");
}

TEST_F(WindowsFilesTest, HeldSendBufferCannotBeOpenedByAnotherProcess) {
  ASSERT_EQ(SndDnl_Write(Message("eins"), "FB01"), 0);  // the file stays open
  {
    FileHolder reader(Buffer(1), PLAT_READ, 0);
    EXPECT_EQ(reader.OpenError(), kSharingViolation);
  }
  ASSERT_EQ(SndDnl_Write(Message("zwei"), "FB02"), 0);  // another group: the first is let go
  FileHolder reader(Buffer(1), PLAT_READ, 0);
  EXPECT_EQ(reader.OpenError(), 0);
  EXPECT_EQ(reader.Release(), 0);
}

// The communication program has the send buffer open: the run's record is
// refused with the system's error, the row stays marked, and the next run
// sends it. Both are the real program, started as a site starts it.
TEST_F(WindowsFilesTest, SendBufferHeldByAnotherProgramLeavesTheRowMarked) {
  const TableCase& ubg = ReleasingTables()[4];
  ASSERT_STREQ(ubg.keyword, "Kvs521Ubg");
  ubg.Insert(tree_, "1001", "M1", "NEU");
  WriteFileBytes(Buffer(1), "");
  dbDisconnect();
  {
    FileHolder comm(Buffer(1), PLAT_READ | PLAT_NO_SHARE, 60000);
    ASSERT_EQ(comm.OpenError(), 0);
    Ran held = RunProgram("velmarkon", "M1 Kvs521Ubg");
    EXPECT_NE(held.status, 0);
    const auto log = LogEntries(tree_.log());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "CreateFile|Datei oeffnen|" + std::to_string(kSharingViolation));
    EXPECT_EQ(ubg.Marks(tree_, "1001"), "M1/NEU");
    EXPECT_EQ(comm.Release(), 0);
  }
  EXPECT_EQ(ReadFileBytes(Buffer(1)), "");
  Ran later = RunProgram("velmarkon", "M1 Kvs521Ubg");
  EXPECT_EQ(later.status, 0) << later.err;
  EXPECT_EQ(ubg.Marks(tree_, "1001"), "<NULL>/<NULL>");
  EXPECT_EQ(std::filesystem::file_size(Buffer(1)), static_cast<uintmax_t>(SND_RECORD_LEN));
}

class WindowsLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = dir_ + "\\Velmarkon.Txt";
    old_ = dir_ + "\\Velmarkon.old";
    Msg_Init(FMSG, log_.c_str());
  }
  void TearDown() override {
    Msg_Init(0, nullptr);
    Msg_SetLockWait(10000);
  }
  // Milliseconds one entry takes to write.
  int64_t Timed(const char* text) {
    const int64_t start = Plat_MonotonicMs();
    Msg_Report("Fn", text, 0);
    return Plat_MonotonicMs() - start;
  }
  TempFolder tmp_{"vkwinlog"};
  std::string dir_ = tmp_.path(), log_, old_;
};

TEST_F(WindowsLogTest, ReadersDoNotHoldTheWriterUp) {
  Msg_Report("Fn", "first", 0);
  FileHolder reader(log_, PLAT_READ, 60000);
  ASSERT_EQ(reader.OpenError(), 0);
  EXPECT_LT(Timed("second"), 333);
  EXPECT_EQ(Msg_Count(), 2);
  EXPECT_EQ(reader.Release(), 0);
}

TEST_F(WindowsLogTest, WriterWaitsInStepsForAProgramThatSharesNothing) {
  Msg_Report("Fn", "first", 0);
  FileHolder other(log_, PLAT_READ | PLAT_WRITE | PLAT_NO_SHARE, 1000);
  ASSERT_EQ(other.OpenError(), 0);
  const int64_t waited = Timed("second");
  EXPECT_GE(waited, 666);  // at least two steps of 333 ms
  EXPECT_EQ(Msg_Count(), 2);
  EXPECT_EQ(Msg_Unwritten(), 0);
  EXPECT_EQ(other.Release(), 0);
  EXPECT_EQ(LogEntries(log_).size(), 2u);
}

TEST_F(WindowsLogTest, WaitForAHeldLogIsBounded) {
  FileHolder other(log_, PLAT_READ | PLAT_WRITE | PLAT_CREATE | PLAT_NO_SHARE, 60000);
  ASSERT_EQ(other.OpenError(), 0);
  Msg_SetLockWait(2000);
  const int32_t unwritten = Msg_Unwritten();
  const int64_t waited = Timed("lost");
  EXPECT_GE(waited, 1999);
  EXPECT_LT(waited, 10000);
  EXPECT_EQ(Msg_Unwritten(), unwritten + 1);
  EXPECT_EQ(other.Release(), 0);
}

// Windows renames no file that is open, and replaces no file that another
// program has open without letting others delete it: the rotation closes
// the log first and waits for the old log to be let go.
TEST_F(WindowsLogTest, RotationWaitsForTheOldLogAndRenamesTheClosedLog) {
  WriteFileBytes(old_, "stale");
  for (int i = 1; i <= 3001; ++i) Msg_Report("Fn", "x", i);
  const std::string full = ReadFileBytes(log_);
  FileHolder viewer(old_, PLAT_READ | PLAT_LOCK, 1000);
  ASSERT_EQ(viewer.OpenError(), 0);
  const int64_t waited = Timed("after");
  EXPECT_GE(waited, 333);
  EXPECT_EQ(Msg_Count(), 1);
  EXPECT_EQ(viewer.Release(), 0);
  EXPECT_EQ(ReadFileBytes(old_), full);
  EXPECT_EQ(LogEntries(log_), std::vector<std::string>{"Fn|after|0"});
}

// A run waits for the run lock another run holds; the process killed while
// it waits gives the killed status, and the arguments arrive as they were
// given, blanks, quotes, backslashes and Windows-1252 text included.
TEST(WindowsProcesses, CommandLineKilledStatusAndTheRunLock) {
  TestTree tree;
  tree.CreateDb();
  FileHolder other_run(RUN_LOCK_FILE, PLAT_READ | PLAT_CREATE | PLAT_NO_SHARE, 60000);
  ASSERT_EQ(other_run.OpenError(), 0);
  const std::string program = std::string(VK_BINARY_DIR) + "/velmarkon" VK_EXE_SUFFIX;
  const char* run[] = {program.c_str(), "M1", "Kvs521Ubg", nullptr};
  int64_t pid = 0;
  ASSERT_EQ(Plat_Spawn(run, &pid), 0);
  int status = 0;
  EXPECT_EQ(Plat_Wait(pid, 1500, &status), 1) << "the run did not wait for the lock";
  Plat_Kill(pid);
  ASSERT_EQ(Plat_Wait(pid, 30000, &status), 0);
  EXPECT_EQ(status, PLAT_KILLED_STATUS);
  EXPECT_EQ(other_run.Release(), 0);

  const std::string ini = std::string(VK_BINARY_DIR) + "/velmarkon-ini" VK_EXE_SUFFIX;
  // The last value is Windows-1252 text: the ANSI code page (1252 here).
  for (const char* value :
       {"a b", "say \"hi\"", "C:\\dir\\", "back\\\\\"slash", "x", "Gr\xFC\xDF"}) {
    const char* argv[] = {ini.c_str(), "encrypt", value, nullptr};
    const std::string out = tree.root() + "/out", err = tree.root() + "/err";
    ASSERT_EQ(Plat_SpawnRedirected(argv, out.c_str(), err.c_str(), &pid), 0);
    ASSERT_EQ(Plat_Wait(pid, 30000, &status), 0);
    EXPECT_EQ(status, 0) << value << ": " << ReadFileBytes(err);
    char digits[256];
    ASSERT_GE(IniEncrypt(value, digits, sizeof digits), 0);
    EXPECT_EQ(ReadFileBytes(out), std::string(digits) + "\r\n") << value;
  }
}

}  // namespace
