// The working folder's run lock, in the process: a run that cannot take it
// within its wait ends with its own status and one log entry, and a run
// gives the lock back when it ends.
#include "run/run_lock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/download_main.h"
#include "tests/test_env.h"

namespace {

class RunLockTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.CreateDb(); }
  void TearDown() override { RunLock_SetWait(10 * 60 * 1000); }
  int Run() {
    const char* args[] = {"velmarkon", "M1", "Kvs521Ubg"};
    return Download_Main(3, args, &kProgramEntries);
  }
  std::string lock() const { return tree_.work() + "/velmarkon.lck"; }
  TestTree tree_;
};

TEST_F(RunLockTest, WaitEndsWithItsStatusAndAnEntry) {
  PlatFile other;
  ASSERT_EQ(Plat_Open(lock().c_str(), PLAT_WRITE | PLAT_CREATE | PLAT_NO_SHARE, &other), 0);
  RunLock_SetWait(700);
  const int64_t start = Plat_MonotonicMs();
  EXPECT_EQ(Run(), EXIT_RUN_LOCKED);
  const int64_t waited = Plat_MonotonicMs() - start;
  EXPECT_GE(waited, 600);
  EXPECT_LT(waited, 5000);
  Plat_Close(other);
  std::vector<std::string> log = LogEntries(tree_.log());
  ASSERT_EQ(log.size(), 1u);
  const std::string head = "Download_Main|Lauf gesperrt, anderer Lauf aktiv|";
  ASSERT_EQ(log[0].rfind(head, 0), 0u) << log[0];
  EXPECT_TRUE(Plat_IsBusy(std::stoi(log[0].substr(head.size())))) << log[0];

  // Free again: the run takes the lock and gives it back at its end.
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Plat_Open(lock().c_str(), PLAT_WRITE | PLAT_NO_SHARE, &other), 0);
  Plat_Close(other);
}

}  // namespace
