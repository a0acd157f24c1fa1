// The configuration writer and POSIX file modes: the file holds the database
// login, so a new one is for its owner alone, and a replaced one keeps the
// mode it had (Windows files have no such modes).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/ini_writer.h"
#include "support/platform.h"

namespace {

TEST(IniWriterModeTest, NewFileIsTheOwnersAndAReplacedOneKeepsItsMode) {
  char tmp[512];
  ASSERT_EQ(Plat_MakeTempDir("vk-ini-mode-", tmp, sizeof tmp), 0);
  const std::string path = std::string(tmp) + "/korvantis.ini";
  struct stat st;
  ASSERT_EQ(IniW_SetEntry(path.c_str(), "LOGIN", "scott"), INIW_OK);
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(IniW_SetEntry(path.c_str(), "PASS", "tiger"), INIW_OK);
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  std::error_code ec;
  std::filesystem::remove_all(tmp, ec);
}

}  // namespace
