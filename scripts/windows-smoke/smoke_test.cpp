// Smoke test of the Windows cross build: the cross-built GoogleTest runs
// under wine, the cross-built SQLite is the Linux package's version with
// its compile options, and the statically linked C++ runtime works
// (exceptions, threads, binary file output).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// Options that depend on the platform or the compiler, not on the package:
// the mutex implementation, configure's probes of the C library, the
// compiler's name.
bool PlatformOption(const std::string& option) {
  return option.rfind("COMPILER=", 0) == 0 || option.rfind("MUTEX_", 0) == 0 ||
         option.rfind("HAVE_", 0) == 0;
}

std::set<std::string> LinuxOptions() {
  std::set<std::string> options;
  std::ifstream in(VK_LINUX_SQLITE_OPTIONS, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && !PlatformOption(line)) options.insert(line);
  }
  return options;
}

std::set<std::string> CrossOptions() {
  std::set<std::string> options;
  for (int i = 0; const char* option = sqlite3_compileoption_get(i); ++i) {
    if (!PlatformOption(option)) options.insert(option);
  }
  return options;
}

}  // namespace

TEST(WindowsSmokeTest, SqliteIsTheVersionOfTheLinuxBuild) {
  EXPECT_STREQ(VK_LINUX_SQLITE_VERSION, sqlite3_libversion());
}

TEST(WindowsSmokeTest, SqliteHasTheCompileOptionsOfTheLinuxBuild) {
  std::set<std::string> linux_options = LinuxOptions();
  ASSERT_FALSE(linux_options.empty()) << "no options read from " << VK_LINUX_SQLITE_OPTIONS;
  EXPECT_EQ(linux_options, CrossOptions());
  EXPECT_EQ(1, sqlite3_compileoption_used("MUTEX_W32"));
}

TEST(WindowsSmokeTest, SqliteRunsStatementsOnAFile) {
  const char* path = "windows-smoke.db";
  std::remove(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path, &db));
  char* error = nullptr;
  EXPECT_EQ(SQLITE_OK, sqlite3_exec(db,
                                    "create table t (k integer primary key, v text);"
                                    "insert into t values (1, 'eins'), (2, 'zwei');",
                                    nullptr, nullptr, &error))
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "select group_concat(v, '+') from t order by k", -1,
                                          &stmt, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
  EXPECT_STREQ("eins+zwei", reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  EXPECT_EQ(SQLITE_OK, sqlite3_close(db));
  EXPECT_EQ(0, std::remove(path));
}

TEST(WindowsSmokeTest, StaticRuntimeThrowsAndStartsThreads) {
  EXPECT_THROW(throw std::runtime_error("x"), std::runtime_error);
  int seen = 0;
  std::thread worker([&seen] { seen = 42; });
  worker.join();
  EXPECT_EQ(42, seen);
}

TEST(WindowsSmokeTest, BinaryStreamKeepsLineEnds) {
  const char* path = "windows-smoke.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out << "a\r\nb\n";
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  EXPECT_EQ(5, static_cast<int>(in.tellg()));  // text mode would give 7
  in.close();
  EXPECT_EQ(0, std::remove(path));
}
