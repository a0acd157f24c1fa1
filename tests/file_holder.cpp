// Another process that holds a file (see file_holder.h). The child is the
// test DISABLED_Hold below, given its task through the environment; it
// answers through files in a folder of its own: "opened" holds the result of
// its open, "release" asks it to let go.
#include "tests/file_holder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/platform.h"
#include "tests/test_env.h"

namespace {

const char* const kVars[] = {"VK_HOLD_PATH", "VK_HOLD_FLAGS", "VK_HOLD_MS", "VK_HOLD_TEXT",
                             "VK_HOLD_DIR"};

// A file that appears whole: written under another name, then renamed.
void Say(const std::string& dir, const char* name, const std::string& text) {
  const std::string tmp = dir + "/" + name + ".tmp";
  WriteFileBytes(tmp, text);
  Plat_Rename(tmp.c_str(), (dir + "/" + name).c_str());
}

}  // namespace

TEST(FileHolderChild, DISABLED_Hold) {
  const char* path = getenv("VK_HOLD_PATH");
  const char* dir = getenv("VK_HOLD_DIR");
  if (!path || !dir) GTEST_SKIP() << "started by FileHolder only";
  const uint32_t flags = static_cast<uint32_t>(strtoul(getenv("VK_HOLD_FLAGS"), nullptr, 10));
  const int32_t hold_ms = atoi(getenv("VK_HOLD_MS"));
  const char* text = getenv("VK_HOLD_TEXT");
  PlatFile f = PLAT_NO_FILE;
  const int32_t err = Plat_Open(path, flags, &f);
  Say(dir, "opened", std::to_string(err));
  ASSERT_EQ(err, 0);
  const int64_t until = Plat_MonotonicMs() + hold_ms;
  while (Plat_MonotonicMs() < until && !FileExists(std::string(dir) + "/release")) Plat_SleepMs(10);
  int64_t end = 0;
  size_t done = 0;
  if (text && *text) {
    ASSERT_EQ(Plat_SeekEnd(f, &end), 0);
    ASSERT_EQ(Plat_Write(f, text, strlen(text), &done), 0);
  }
  ASSERT_EQ(Plat_Close(f), 0);
}

FileHolder::FileHolder(const std::string& path, uint32_t flags, int32_t hold_ms,
                       const std::string& text) {
  char dir[512];
  if (Plat_MakeTempDir("vkhold.", dir, sizeof dir) != 0) throw std::runtime_error("temp folder");
  dir_ = dir;
  const std::string values[] = {path, std::to_string(flags), std::to_string(hold_ms), text, dir_};
  for (int i = 0; i < 5; ++i) Plat_SetEnv(kVars[i], values[i].c_str());
  const std::string self = std::string(VK_BINARY_DIR) + "/velmarkon-tests" VK_EXE_SUFFIX;
  const char* argv[] = {self.c_str(), "--gtest_filter=FileHolderChild.DISABLED_Hold",
                        "--gtest_also_run_disabled_tests", nullptr};
  const int32_t rc =
      Plat_SpawnRedirected(argv, (dir_ + "/out").c_str(), (dir_ + "/err").c_str(), &pid_);
  for (const char* v : kVars) Plat_SetEnv(v, nullptr);
  if (rc != 0) throw std::runtime_error("cannot start " + self);
  // The child's answer, once it has tried the open.
  const int64_t until = Plat_MonotonicMs() + 60000;
  while (!FileExists(dir_ + "/opened")) {
    int status = 0;
    if (Plat_Wait(pid_, 0, &status) == 0) {
      ended_ = true;
      status_ = status;
      throw std::runtime_error("the holder ended before it opened the file");
    }
    if (Plat_MonotonicMs() > until) throw std::runtime_error("the holder did not start");
    Plat_SleepMs(5);
  }
  open_error_ = atoi(ReadFileBytes(dir_ + "/opened").c_str());
}

int FileHolder::Release() {
  if (!ended_) {
    WriteFileBytes(dir_ + "/release", "");
    int status = 0;
    if (Plat_Wait(pid_, 60000, &status) != 0) {
      Plat_Kill(pid_);
      Plat_Wait(pid_, -1, &status);
    }
    ended_ = true;
    status_ = status;
  }
  return status_;
}

FileHolder::~FileHolder() {
  Release();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}
