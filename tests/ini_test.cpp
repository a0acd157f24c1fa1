// Configuration file: cipher of the values, lookups in well-formed and
// malformed files, the database login, and the writer behind velmarkon-ini.
#include "support/ini.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/idea.h"
#include "support/ini_writer.h"
#include "support/platform.h"
#include "tests/test_env.h"

namespace {

std::string Enc(const std::string& plain) {
  char out[1024];
  EXPECT_GE(IniEncrypt(plain.c_str(), out, sizeof(out)), 0);
  return out;
}

std::string Dec(const std::string& digits) {
  char out[256];
  return IniDecrypt(digits.c_str(), out, sizeof(out)) < 0 ? "<refused>" : out;
}

class IniFileTest : public testing::Test {
 protected:
  void SetUp() override { path_ = dir_ + "/test.ini"; }

  void Write(const std::string& content, const std::string& path = "") {
    std::ofstream(path.empty() ? path_ : path, std::ios::binary) << content;
  }
  std::string Read() { return ReadFileBytes(path_); }
  std::string Lookup(const std::string& content, const char* key) {
    Write(content);
    GetIniEntry("", key, 0, path_.c_str());
    return IniEntry.value;
  }

  TempFolder tmp_{"vk-ini-"};
  std::string dir_ = tmp_.path();
  std::string path_;
};

TEST(IniCipherTest, KeyWordsAreSignExtended) {
  uint16_t key[8];
  Ini_KeyWords(key);
  const uint16_t expect[8] = {0x0047, 0x0072, 0xFFFC, 0xFFDF, 0x0044, 0x006E, 0x006C, 0x0000};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(key[i], expect[i]) << i;
}

// Digits built with the cipher directly: one word per character, zero words
// after the name, five digits a word.
TEST(IniCipherTest, FiveCharacterNameWithThreeZeroWords) {
  uint16_t key[8];
  Ini_KeyWords(key);
  IdeaKey enc;
  Idea_EncryptKey(key, &enc);
  uint16_t b1[4] = {'A', 'l', 'i', 'c'}, b2[4] = {'e', 0, 0, 0};
  Idea_Block(&enc, b1);
  Idea_Block(&enc, b2);
  char digits[41];
  snprintf(digits, sizeof(digits), "%05u%05u%05u%05u%05u%05u%05u%05u", b1[0], b1[1], b1[2], b1[3],
           b2[0], b2[1], b2[2], b2[3]);
  EXPECT_EQ(Dec(digits), "Alice");
  EXPECT_EQ(Enc("Alice"), digits);
}

TEST(IniCipherTest, RoundTripAndLength) {
  const std::string cases[] = {"",
                               "a",
                               "abc",
                               "abcd",
                               "abcde",
                               "scott",
                               "tiger",
                               "sqlite:demo/bde.db",
                               "Gr\xFC\xDF"
                               "e \x80 \xFF",
                               std::string(40, 'x')};
  for (const std::string& plain : cases) {
    const std::string digits = Enc(plain);
    EXPECT_EQ(digits.size(), (plain.size() + 3) / 4 * 4 * 5) << plain;
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << plain;
    EXPECT_EQ(Dec(digits), plain);
  }
}

TEST(IniCipherTest, TrailingPartGroupIsIgnored) {
  const std::string d = Enc("abcd");
  EXPECT_EQ(Dec(d + "7"), "abcd");  // 21 digits: the first 20 count
  EXPECT_EQ(Dec(d + "1234"), "abcd");
  EXPECT_EQ(Dec("1234"), "");
  EXPECT_EQ(Dec("\n"), "");
}

TEST(IniCipherTest, BoundedOutputAndGarbage) {
  const std::string d = Enc("scott");
  char out[6];
  EXPECT_EQ(IniDecrypt(d.c_str(), out, 6), 5);
  EXPECT_STREQ(out, "scott");
  EXPECT_EQ(IniDecrypt(d.c_str(), out, 5), -1);
  EXPECT_STREQ(out, "");
  char small[41];
  EXPECT_EQ(IniEncrypt("scott", small, 41), 40);  // 8 words
  EXPECT_EQ(IniEncrypt("scott", small, 40), -1);
  EXPECT_STREQ(small, "");
  // Not five decimal digits, or above 65535: refused, nothing deciphered.
  std::string bad = d;
  bad[7] = 'x';
  for (const std::string& g : {bad, std::string("65536") + d.substr(5), std::string("-1234"),
                               std::string(" 1234") + d.substr(5)}) {
    EXPECT_EQ(Dec(g), "<refused>") << g;
  }
}

TEST_F(IniFileTest, LoginValuesInAnyOrder) {
  const std::string content = ";Download;\n3;NET8;" + Enc("sqlite:bde.db") +
                              "\n;Download;\n1;PASS;" + Enc("tiger") + "\n;Download;\n2;LOGIN;" +
                              Enc("scott") + "\n";
  EXPECT_EQ(Lookup(content, "LOGIN"), "scott");
  EXPECT_EQ(IniEntry.number, 2);
  EXPECT_STREQ(IniEntry.section, "Download");
  EXPECT_EQ(Lookup(content, "PASS"), "tiger");
  EXPECT_EQ(Lookup(content, "NET8"), "sqlite:bde.db");
  EXPECT_EQ(Lookup(content, "OTHER"), "");
  EXPECT_EQ(IniEntry.number, 0);
  EXPECT_STREQ(IniEntry.key, "");
}

TEST_F(IniFileTest, CriteriaAndExactKeys) {
  Write("x;Alpha;y\n7;LOGIN;" + Enc("one") + "\n;Beta;\n0;PASS;" + Enc("two") + "\n" +
        ";Gamma;\n9;pass;" + Enc("three") + "\n;Gamma;\n9; PASS;" + Enc("four") + "\n" +
        ";Gamma;\n9;PASS ;" + Enc("five") + "\n");
  struct {
    const char* section;
    const char* key;
    int32_t number;
    const char* expect;
  } cases[] = {
      {"", "PASS", 0, "two"},       // the entry numbered 0 answers its own key only
      {"", "LOGIN", 0, "one"},      // and no longer every lookup
      {"Alpha", "", 0, "one"},      // section alone
      {"", "", 7, "one"},           // number alone
      {"Beta", "NONE", 99, "two"},  // any one criterion suffices
      {"", "", 0, ""},              // no criterion: nothing matches
      {"", "Pass", 0, ""},          // keys are compared exactly
      {"", "pass", 0, "three"},
      {"", " PASS", 0, "four"},
      {"", "PASS ", 0, "five"},
      {nullptr, nullptr, 0, ""},
  };
  for (const auto& c : cases) {
    GetIniEntry(c.section, c.key, c.number, path_.c_str());
    EXPECT_STREQ(IniEntry.value, c.expect) << (c.key ? c.key : "null") << " " << c.number;
  }
}

TEST_F(IniFileTest, EmptyValueCrLfAndMissingFile) {
  EXPECT_EQ(Lookup(";Download;\n1;PASS;\n", "PASS"), "");
  EXPECT_EQ(IniEntry.number, 1);  // found, and empty
  EXPECT_STREQ(IniEntry.key, "PASS");
  EXPECT_EQ(Lookup(";Download;\r\n1;PASS;" + Enc("tiger") + "\r\n", "PASS"), "tiger");
  EXPECT_STREQ(IniEntry.section, "Download");
  // Two ";" side by side: the field is the rest of the line.
  EXPECT_EQ(Lookup(";;Download\n1;PASS;" + Enc("tiger") + "\n", "PASS"), "tiger");
  EXPECT_STREQ(IniEntry.section, ";Download\n");
  GetIniEntry("", "PASS", 0, (dir_ + "/missing.ini").c_str());
  EXPECT_STREQ(IniEntry.value, "");
  EXPECT_EQ(IniEntry.number, 0);
}

// Malformed pairs are passed over; the lookup goes on with the next pair, so
// a good PASS pair after the faulty one still answers.
TEST_F(IniFileTest, MalformedFilesNeverCrash) {
  const std::string good = ";Download;\n2;PASS;" + Enc("tiger") + "\n";
  const std::string v = Enc("wrong");
  struct {
    const char* what;
    std::string content;
    std::string expect;
  } cases[] = {
      {"section line without ;", "Download\n1;PASS;" + v + "\n" + good, "tiger"},
      {"section line with one ;", ";Download\n1;PASS;" + v + "\n" + good, "tiger"},
      {"entry line with one ;", ";Download;\n1;PASS\n" + good, "tiger"},
      {"no line feed at the end", ";Download;\n1;PASS;" + v, ""},
      {"over-long section line", ";" + std::string(1000, 'S') + ";\n1;PASS;" + v + "\n" + good,
       "tiger"},
      {"over-long entry line", ";Download;\n1;PASS;" + std::string(1000, '1') + "\n" + good,
       "tiger"},
      {"section line at its limit", ";" + std::string(196, 'S') + ";\n1;PASS;" + v + "\n", "wrong"},
      {"section line one past", ";" + std::string(197, 'S') + ";\n1;PASS;" + v + "\n" + good,
       "tiger"},
      {"number of 11 characters", ";D;\n-2147483648;PASS;" + v + "\n", "wrong"},
      {"number of 12 characters", ";D;\n000000000001;PASS;" + v + "\n" + good, "tiger"},
      {"number out of range", ";D;\n99999999999;PASS;" + v + "\n" + good, "wrong"},
      {"number not a number", ";D;\n1x;PASS;" + v + "\n" + good, "wrong"},
      {"empty number", ";D;\n;PASS;" + v + "\n", "wrong"},
      {"key over 200", ";D;\n1;" + std::string(201, 'K') + ";" + v + "\n" + good, "tiger"},
      {"value over 200", ";D;\n1;PASS;" + std::string(205, '1') + "\n" + good, "tiger"},
      {"value at 200", ";D;\n1;PASS;" + Enc(std::string(40, 'w')) + "\n", std::string(40, 'w')},
      {"garbage digits", ";D;\n1;PASS;12a45" + v.substr(5) + "\n" + good, ""},
      {"NUL byte in a line", std::string(";D;\n1;PA\0SS;", 12) + v + "\n" + good, "tiger"},
      {"lone section line", ";Download;\n", ""},
      {"empty file", "", ""},
      {"blank lines", "\n\n\n\n" + good, "tiger"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lookup(c.content, "PASS"), c.expect) << c.what;
    EXPECT_LE(strlen(IniEntry.section), 200u);
    EXPECT_LE(strlen(IniEntry.key), 200u);
  }
}

// The number field reads as a decimal integer: leading blanks, a sign, the
// digits up to the first other character; no digits give 0. The pair is
// never dropped for its number, so the key still finds it.
TEST_F(IniFileTest, NumberFieldReadsAsADecimalInteger) {
  const std::string v = Enc("found");
  struct {
    std::string field;
    int32_t number;
  } cases[] = {
      {"L", 0},
      {"x1", 0},
      {" 1", 1},
      {"1 ", 1},
      {"1a", 1},
      {"", 0},
      {"-", 0},
      {"+", 0},
      {"+7", 7},
      {"-3", -3},
      {"\t 42", 42},
      {"  -12x9", -12},
      {"- 5", 0},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"99999999999", INT32_MAX},  // beyond 32 bits: held at the limit
      {"-2147483648", INT32_MIN},
      {"-9999999999", INT32_MIN},
  };
  for (const auto& c : cases) {
    const std::string entry = c.field + ";PASS;" + v + "\n";
    IniEntryRec e;
    ASSERT_EQ(Ini_SplitPair(";D;\n", entry.c_str(), &e), 0) << c.field;
    EXPECT_EQ(e.number, c.number) << c.field;
    EXPECT_EQ(Lookup(";D;\n" + entry, "PASS"), "found") << c.field;
    if (c.number != 0) {
      GetIniEntry("", "", c.number, path_.c_str());  // the number alone finds it too
      EXPECT_STREQ(IniEntry.value, "found") << c.field;
    }
  }
  // A field of more than 11 characters is still outside the format.
  IniEntryRec e;
  EXPECT_EQ(Ini_SplitPair(";D;\n", ("000000000001;PASS;" + v + "\n").c_str(), &e), -1);
}

// Only a regular file of at most 1 MiB is read; a larger one or a folder
// reads as no file. (Pipes and devices: tests/program_posix_test.cpp.)
TEST_F(IniFileTest, OnlyARegularFileOfAtMost1MiBIsRead) {
  std::string big = ";D;\n1;PASS;" + Enc("tiger") + "\n";
  big.resize(INI_FILE_MAX, '\n');
  Write(big, dir_ + "/max.ini");
  Write(big + "\n", dir_ + "/over.ini");
  const std::pair<std::string, const char*> cases[] = {
      {dir_ + "/max.ini", "tiger"}, {dir_ + "/over.ini", ""}, {dir_, ""}};
  for (const auto& [path, expect] : cases) {
    GetIniEntry("", "PASS", 0, path.c_str());
    EXPECT_STREQ(IniEntry.value, expect) << path;
  }
}

class DbLoginTest : public IniFileTest {
 protected:
  void SetUp() override {
    IniFileTest::SetUp();
    std::filesystem::create_directories(dir_ + "/files");
    std::filesystem::create_directories(dir_ + "/a/b/c/d");
    cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_ + "/a/b/c/d");
    path_ = dir_ + "/files/korvantis.ini";
  }
  void TearDown() override {
    std::filesystem::current_path(cwd_);
    IniFileTest::TearDown();
  }
  std::filesystem::path cwd_;
};

TEST_F(DbLoginTest, FitsOrRefuses) {
  char u[52], p[52], c[52];
  EXPECT_EQ(GetDbLogin(u, p, c, sizeof(u)), 0);  // no file: empty values
  EXPECT_STREQ(u, "");
  Write(";D;\n1;LOGIN;" + Enc("scott") + "\n;D;\n2;PASS;" + Enc("tiger") + "\n");
  EXPECT_EQ(GetDbLogin(u, p, c, sizeof(u)), 0);
  EXPECT_STREQ(u, "scott");
  EXPECT_STREQ(p, "tiger");
  EXPECT_STREQ(c, "");
  EXPECT_EQ(GetDbLogin(u, p, c, 6), 0);  // "scott" and its NUL
  EXPECT_EQ(GetDbLogin(u, p, c, 5), -1);
  EXPECT_STREQ(u, "");
  EXPECT_STREQ(p, "");
  EXPECT_EQ(GetDbLogin(nullptr, p, c, 52), -1);
  EXPECT_EQ(GetDbLogin(u, p, c, 0), -1);
}

TEST_F(DbLoginTest, WriterOutputReadsBack) {
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "LOGIN", "scott"), INIW_OK);
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "PASS", ""), INIW_OK);
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "NET8", "sqlite:bde.db"), INIW_OK);
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "PASS", "tiger"), INIW_OK);
  EXPECT_EQ(Read(), ";Download;\n1;LOGIN;" + Enc("scott") + "\n;Download;\n2;PASS;" + Enc("tiger") +
                        "\n;Download;\n3;NET8;" + Enc("sqlite:bde.db") + "\n");
  char u[52], p[52], c[52];
  ASSERT_EQ(GetDbLogin(u, p, c, sizeof(u)), 0);
  EXPECT_STREQ(u, "scott");
  EXPECT_STREQ(p, "tiger");
  EXPECT_STREQ(c, "sqlite:bde.db");
}

TEST_F(IniFileTest, WriterKeepsOtherLines) {
  const std::string foreign = "[Other];X;\r\n5;HOST;12345\r\n";
  const std::string broken = ";Download;\n0;PASS\n";  // one ";": the reader skips it
  Write(foreign + broken + ";Download;\r\n0x;LOGIN;" + Enc("old") + "\r\n");
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "LOGIN", "scott"), INIW_OK);
  ASSERT_EQ(IniW_SetEntry(path_.c_str(), "PASS", "tiger"), INIW_OK);
  // The entry numbered 0 ("0x" reads as 0) gets a number; CR LF endings
  // follow the file.
  EXPECT_EQ(Read(), foreign + broken + ";Download;\r\n6;LOGIN;" + Enc("scott") + "\r\n" +
                        ";Download;\r\n7;PASS;" + Enc("tiger") + "\r\n");
  EXPECT_EQ(Lookup(Read(), "PASS"), "tiger");
}

TEST_F(IniFileTest, WriterRefusals) {
  const std::string before = ";D;\n1;LOGIN;" + Enc("scott") + "\n";
  Write(before);
  struct {
    const char* key;
    std::string value;
    int32_t rc;
  } cases[] = {
      {"pass", "x", INIW_KEY},
      {"LOGIN", std::string(41, 'x'), INIW_TOO_LONG},
      {"LOGIN", "a\nb", INIW_BAD_CHAR},
      {"LOGIN", "a\tb", INIW_BAD_CHAR},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniW_SetEntry(path_.c_str(), c.key, c.value.c_str()), c.rc) << c.key;
  }
  EXPECT_EQ(Read(), before);
  Write(before + "stray line\n");
  EXPECT_EQ(IniW_SetEntry(path_.c_str(), "PASS", "x"), INIW_UNPAIRED);
  Write(before + "\n");  // a blank last line goes
  EXPECT_EQ(IniW_SetEntry(path_.c_str(), "PASS", "x"), INIW_OK);
  EXPECT_EQ(Read(), before + ";Download;\n2;PASS;" + Enc("x") + "\n");
  Write(before.substr(0, before.size() - 1));  // no line feed at the end
  EXPECT_EQ(IniW_SetEntry(path_.c_str(), "PASS", "x"), INIW_OK);
  EXPECT_EQ(Read(), before + ";Download;\n2;PASS;" + Enc("x") + "\n");
}

TEST(IniWriterTest, ValueFromUtf8) {
  struct {
    std::string utf8;
    int32_t rc;
    std::string cp1252;
  } cases[] = {
      {"scott", INIW_OK, "scott"},
      {"Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x82\xAC",
       INIW_OK,
       "Gr\xFC\xDF"
       "e \x80"},
      {std::string(40, 'x'), INIW_OK, std::string(40, 'x')},
      {std::string(39, 'x') + "\xC3\xBC\xC3\xBC", INIW_TOO_LONG, ""},
      {"\xE6\xBC\xA2", INIW_BAD_CHAR, ""},  // no Windows-1252 form
      {"ab\xC3", INIW_BAD_CHAR, ""},        // broken UTF-8
      {"?", INIW_OK, "?"},
      {"a\x7F", INIW_BAD_CHAR, ""},
  };
  for (const auto& c : cases) {
    char out[INIW_VALUE_MAX_CHARS + 1];
    EXPECT_EQ(IniW_ValueFromUtf8(c.utf8.c_str(), out, sizeof(out)), c.rc) << c.utf8;
    EXPECT_EQ(std::string(out), c.cp1252) << c.utf8;
  }
}

void Collect(const IniWPair* p, void* ctx) {
  static_cast<std::vector<IniWPair>*>(ctx)->push_back(*p);
}

TEST_F(IniFileTest, ScanReportsPairsAsTheReaderSeesThem) {
  Write(";D;\n1;LOGIN;" + Enc("scott") + "\nbroken\n2;PASS\n;D;\n3;LOGIN;" + Enc("other") +
        "\n;D;\n4;PASS;12a45\n;D;\n");
  std::vector<IniWPair> pairs;
  ASSERT_EQ(IniW_Scan(path_.c_str(), Collect, &pairs), INIW_OK);
  ASSERT_EQ(pairs.size(), 4u);
  EXPECT_EQ(pairs[0].status, INIW_PAIR_OK);
  EXPECT_STREQ(pairs[0].entry.value, "scott");
  EXPECT_EQ(pairs[1].status, INIW_PAIR_SKIPPED);
  EXPECT_EQ(pairs[1].line, 3);
  EXPECT_TRUE(pairs[2].shadowed);
  EXPECT_FALSE(pairs[0].shadowed);
  EXPECT_EQ(pairs[3].status, INIW_PAIR_UNDECIPHERABLE);
  EXPECT_EQ(IniW_Scan((dir_ + "/missing").c_str(), Collect, &pairs), INIW_READ);
}

}  // namespace
