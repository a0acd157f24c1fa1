// The database server stops in the middle of a run: every failure is logged
// with its code, the run ends without hanging, and the next run after the
// server is back sends again what was written but not released, so that no
// row is lost. Runs only on the PostgreSQL server of scripts/pg-server.sh,
// which it stops and starts again (CTest runs it alone).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "download/frame.h"
#include "run/download_main.h"
#include "tests/test_env.h"
#include "tests/test_server.h"
#include "tests/ubg_prv_records.h"

namespace {

constexpr int kRows = 2000;
constexpr int kStopAfterRecords = 100;

int Server(const char* command) {
  const char* dir = getenv("VK_PG_DIR");
  std::string cmd = std::string(VK_SOURCE_DIR) + "/scripts/pg-server.sh " + command + " '" +
                    (dir ? dir : "") + "' >/dev/null";
  return std::system(cmd.c_str());
}

long FileSize(const std::string& path) {
  struct stat sb;
  return stat(path.c_str(), &sb) == 0 ? static_cast<long>(sb.st_size) : 0;
}

class ServerStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Test_OnServer() || !getenv("VK_PG_DIR"))
      GTEST_SKIP() << "needs VK_TEST_BACKEND=postgresql and VK_PG_DIR";
    tree_.CreateDb();
    AddTerminalGroups(tree_);
    tree_.Exec(
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDna, UbgDwn) "
        "WITH RECURSIVE n(i) AS (SELECT 1001 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(1000 + kRows) +
        ") SELECT '' || i, 1, 'FB01', 'Grund', 'NEU', 'STOP' FROM n");
  }
  void TearDown() override {
    if (stopped_) Server("start");  // whatever happened, the next tests find their server
  }
  int Run() {
    const char* args[] = {"velmarkon", "STOP", "Kvs521Ubg"};
    return Download_Main(3, args, &kProgramEntries);
  }
  TestTree tree_;
  bool stopped_ = false;
};

TEST_F(ServerStopTest, NothingIsLostAcrossTheNextRun) {
  // The server stops once the run has written its first records.
  const std::string buf = tree_.buff() + "/SndDnl1.buf";
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done && FileSize(buf) < 552L * kStopAfterRecords)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!done) stopped_ = Server("stop") == 0;
  });
  int first = Run();
  done = true;
  watcher.join();
  ASSERT_TRUE(stopped_) << "the run ended before the server stopped";

  std::vector<std::string> log = LogEntries(tree_.log());
  ASSERT_FALSE(log.empty());
  bool lost_reported = false;
  for (const std::string& e : log) {
    std::string code = e.substr(e.rfind('|') + 1);
    EXPECT_EQ(code.compare(0, 1, "-"), 0) << e;  // every failure with its code
    if (code == "-3113" || code == "-3114") lost_reported = true;
  }
  EXPECT_TRUE(lost_reported) << ::testing::PrintToString(log);
  EXPECT_NE(first, 0);

  ASSERT_EQ(Server("start"), 0);
  stopped_ = false;
  ASSERT_NE(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn = 'STOP'"), "0")
      << "the first run completed its work after all";
  EXPECT_EQ(Run(), 0);

  // Every row sent, released and still there; a row is sent twice only where
  // its record was written and the server went before its group's releases
  // were committed: at most one group.
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg"), std::to_string(kRows));
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NOT NULL"), "0");
  std::map<std::string, int> sent;
  for (const SentRecord& r : SentRecords(tree_, 1)) ++sent[r.body.substr(1, 4)];
  EXPECT_EQ(sent.size(), static_cast<size_t>(kRows));
  int twice = 0;
  for (const auto& [key, n] : sent) {
    EXPECT_LE(n, 2) << key;
    if (n == 2) ++twice;
  }
  EXPECT_LE(twice, Dnl_GroupRows());
}

}  // namespace
