// Tests of the Windows-1252 <-> UTF-8 conversion: every byte both ways,
// characters outside the code page, broken UTF-8 and the output bounds.
#include "support/cp1252.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ToUtf8(const std::string& cp1252) {
  char out[3 * 256 + 1];
  size_t n = Cp1252_ToUtf8(cp1252.c_str(), out, sizeof out);
  EXPECT_EQ(n, strlen(out));
  return std::string(out, n);
}

std::string FromUtf8(const std::string& utf8, size_t out_size = 256) {
  char out[256];
  size_t n = Cp1252_FromUtf8(utf8.data(), utf8.size(), out, out_size);
  EXPECT_EQ(n, strlen(out));
  return std::string(out, n);
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    std::string utf8 = ToUtf8(one);
    EXPECT_EQ(FromUtf8(utf8), one) << "byte " << b;
    all += one;
  }
  EXPECT_EQ(FromUtf8(ToUtf8(all), 256), all);
}

TEST(Cp1252, KnownMappings) {
  struct Case {
    const char* cp1252;
    const char* utf8;
  };
  const Case cases[] = {
      {"S\xE4tze", "S\xC3\xA4tze"},
      {"\x80", "\xE2\x82\xAC"},                                              // euro sign
      {"\x84", "\xE2\x80\x9E"},                                              // low double quote
      {"\x9F", "\xC5\xB8"},                                                  // Y with diaeresis
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},  // unassigned
      {"\xA0\xDF\xFF", "\xC2\xA0\xC3\x9F\xC3\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(FromUtf8(c.utf8), c.cp1252);
  }
}

TEST(Cp1252, OutsideOrBrokenBecomesQuestionMark) {
  struct Case {
    std::string utf8;
    const char* cp1252;
  };
  const Case cases[] = {
      {"\xC4\x80", "?"},  // U+0100, not in the code page
      {"\xC2\x80", "?"},  // U+0080: 0x80 is the euro sign
      {"a\xF0\x9F\x98\x80"
       "b",
       "a?b"},        // beyond the BMP
      {"\xC3", "?"},  // cut sequence
      {"\xC3"
       "A",
       "?A"},
      {"\xE2\x82", "?"},
      {"\x80", "?"},                 // lone continuation byte
      {"\xC0\xAF", "??"},            // overlong
      {"\xED\xA0\x80", "???"},       // surrogate
      {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
      {"\xFF", "?"},
      {std::string("ab\0cd", 5), "ab"},  // the text ends at a NUL
  };
  for (const Case& c : cases) EXPECT_EQ(FromUtf8(c.utf8), c.cp1252);
}

TEST(Cp1252, OutputIsBounded) {
  char out[8];
  const std::string utf8 = "S\xC3\xA4tze";

  memset(out, '#', sizeof out);
  EXPECT_EQ(Cp1252_FromUtf8(utf8.data(), utf8.size(), out, 4), 3u);
  EXPECT_STREQ(out, "S\xE4t");
  EXPECT_EQ(out[4], '#');

  memset(out, '#', sizeof out);
  EXPECT_EQ(Cp1252_FromUtf8(utf8.data(), utf8.size(), out, 1), 0u);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(Cp1252_FromUtf8(utf8.data(), utf8.size(), out + 1, 0), 0u);
  EXPECT_EQ(out[1], '#');

  // A character that does not fit whole is left out.
  struct Case {
    const char* in;
    size_t size;
    const char* out;
  };
  const Case cases[] = {
      {"\xE4\xE4", 5, "\xC3\xA4\xC3\xA4"}, {"\xE4\xE4", 4, "\xC3\xA4"},
      {"\xE4\xE4", 3, "\xC3\xA4"},         {"\x80", 3, ""},
      {"\x80", 4, "\xE2\x82\xAC"},         {"ab", 1, ""},
  };
  for (const Case& c : cases) {
    memset(out, '#', sizeof out);
    size_t n = Cp1252_ToUtf8(c.in, out, c.size);
    EXPECT_EQ(n, strlen(c.out));
    EXPECT_STREQ(out, c.out);
    EXPECT_EQ(out[c.size], '#');
  }
  EXPECT_EQ(Cp1252_ToUtf8("abc", out, 0), 0u);
}

}  // namespace
