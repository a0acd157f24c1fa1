// The benchmark on a few hundred rows: every case runs the program to the
// end, and the benchmark's own checks find every row fetched, written and
// released, none left marked, and no -wal or -shm file left behind. Times are
// not looked at.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs the benchmark with args; its output into *out, its exit status back.
int RunBench(const std::string& args, std::string* out) {
  const std::string cmd = std::string(VK_BINARY_DIR) + "/velmarkon-bench " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
  int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BenchSmoke, EveryCaseRunsCleanBesideItsFloors) {
  if (!std::filesystem::exists(std::string(VK_BINARY_DIR) + "/velmarkon-bench"))
    GTEST_SKIP() << "velmarkon-bench is not built here";
  char tmpl[] = "/tmp/vkbenchtest.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string out;
  int status = RunBench(std::string("--dir=") + tmpl + " --repeat=1 --floor-rows=20 300", &out);
  std::filesystem::remove_all(tmpl);
  EXPECT_EQ(status, 0) << out;

  // One line per case with its check, each followed by its two floors.
  const std::vector<std::string> titles = {
      "Kvs501Apk order headers",        "Kvs504App operations",
      "Kvs530Apg workplace groups",     "Kvs531Apl workplaces",
      "Kvs521Ubg interruption reasons", "Kvs510Prv personnel",
      "Kvs537Ksg cost-centre list",     "update request: order headers",
      "update request: every range"};
  std::istringstream lines(out);
  std::string line;
  std::vector<std::string> seen;
  int floors = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("  per-row floor", 0) == 0 || line.rfind("  group floor", 0) == 0) ++floors;
    for (const std::string& t : titles) {
      if (line.rfind(t, 0) != 0) continue;
      seen.push_back(t);
      EXPECT_NE(line.find("  ok"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(seen, titles) << out;
  EXPECT_EQ(floors, 2 * static_cast<int>(titles.size()));
  EXPECT_NE(out.find("-wal or -shm file left behind by a run: none"), std::string::npos) << out;
}

}  // namespace
