// Known ciphertexts of the configuration file: values enciphered once by an
// implementation of the cipher of its own (tests/idea_known.py, with the
// program's key text) must read back through the program's reader, and the
// program's writer must produce the very same digits. A wrong key byte or a
// fault shared by enciphering and deciphering passes every round trip, but
// not this.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/ini.h"
#include "support/ini_writer.h"
#include "support/platform.h"
#include "tests/test_env.h"

namespace {

struct Known {
  const char* key;
  const char* plain;  // Windows-1252
  const char* digits;
};

// Printed by tests/idea_known.py.
const Known kKnown[] = {
    {"LOGIN", "bde_J\xFCrgen", "003106180365197311974689327774302715869807445452834546059126"},
    {"PASS", "Ke1n$Pa\xDF", "5706144763011493377503664183116102704078"},
    {"NET8", "sqlite:bde.db",
     "32616573853875165380409950676518233431505945810446231265951139539376764737610748"},
};

class IniKnownCipherTest : public ::testing::Test {
 protected:
  TempFolder tmp_{"vkini"};
  std::string dir_ = tmp_.path();
  std::string path_ = (std::filesystem::path(dir_) / "korvantis.ini").string();
};

TEST_F(IniKnownCipherTest, TheReaderDeciphersAndTheWriterEnciphersKnownValues) {
  {
    std::ofstream f(path_, std::ios::binary);
    int n = 1;
    for (const Known& k : kKnown)
      f << ";Download;\r\n" << n++ << ";" << k.key << ";" << k.digits << "\r\n";
  }
  for (const Known& k : kKnown) {
    SCOPED_TRACE(k.key);
    GetIniEntry("", k.key, 0, path_.c_str());
    EXPECT_STREQ(IniEntry.value, k.plain);
    char out[256];
    ASSERT_GE(IniEncrypt(k.plain, out, sizeof out), 0);
    EXPECT_STREQ(out, k.digits);
  }
  // The tool's writer, into a new file: the same digits in the key's line.
  const std::string fresh = (std::filesystem::path(dir_) / "new.ini").string();
  for (const Known& k : kKnown) ASSERT_EQ(IniW_SetEntry(fresh.c_str(), k.key, k.plain), INIW_OK);
  const std::string text = ReadFileBytes(fresh);
  for (const Known& k : kKnown) {
    const std::string lead = std::string(";") + k.key + ";";
    size_t at = text.find(lead);
    ASSERT_NE(at, std::string::npos) << k.key;
    at += lead.size();
    std::string digits = text.substr(at, text.find_first_of("\r\n", at) - at);
    EXPECT_EQ(digits, k.digits) << k.key;
  }
}

// Five digits are a word from 00000 to 65535: the highest is read like any
// other (the cipher makes it as often as any), one more is refused.
TEST(IniKnownCipherWordsTest, TheHighestWordIsReadAndOneMoreIsRefused) {
  char out[64];
  for (const char* digits : {"65535000000000100002", "00000655350000100002", "00000000016553500002",
                             "00000000010000265535"})
    EXPECT_GE(IniDecrypt(digits, out, sizeof out), 0) << digits;
  EXPECT_EQ(IniDecrypt("65536000000000100002", out, sizeof out), -1);
}

}  // namespace
