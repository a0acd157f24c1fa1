// Command-line text into Windows-1252, for each character set the arguments
// may arrive in.
#include "support/args.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ArgsTest, ConvertsFromEachCharacterSetOrRefuses) {
  struct Case {
    const char* codeset;
    std::string arg;
    size_t size;
    int32_t rc;
    std::string out;
  } cases[] = {
      {"UTF-8", "M\xC3\xA4r", 9, 0, "M\xE4r"},
      {"utf8", "\xE2\x82\xAC\xC5\xA0", 9, 0, "\x80\x8A"},  // the euro sign, S with caron
      {"UTF-8", "M\xC5\x81", 9, -1, ""},                   // L with stroke: no form
      {"UTF-8", "Kvs501Apk\xC3", 10, -1, ""},              // broken sequence
      {"UTF-8", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", 4, 0, "\xE4\xE4\xE4"},  // cut
      {"UTF-8", "ABCDEFGHIJKL\xC5\x81", 9, -1, ""},  // refused also beyond the cut
      {"UTF-8", "", 9, 0, ""},
      {"ANSI_X3.4-1968", "M\xC3\xA4r", 9, 0, "M\xE4r"},  // the C locale: taken as UTF-8
      {"CP1252", "M\xE4r\x80", 9, 0, "M\xE4r\x80"},
      {"WINDOWS-1252", "M\xE4r", 9, 0, "M\xE4r"},
      {"ISO-8859-1", "M\xE4r", 9, 0, "M\xE4r"},
      {"ISO-8859-1", "M\x85", 9, -1, ""},  // a C1 control
      {"ISO-8859-15", "\xA4\xBD\xE4", 9, 0, "\x80\x9C\xE4"},
      {"ISO-8859-15", "\x9F", 9, -1, ""},
      {"KOI8-R", "Mar", 9, 0, "Mar"},
      {"KOI8-R", "M\xC1r", 9, -1, ""},  // not a set the program knows: ASCII only
  };
  for (const Case& c : cases) {
    char out[16] = "junk";
    EXPECT_EQ(Args_Convert(c.codeset, c.arg.c_str(), out, c.size), c.rc) << c.codeset << c.arg;
    EXPECT_EQ(std::string(out), c.out) << c.codeset << c.arg;
  }
  char one[1];
  EXPECT_EQ(Args_Convert("UTF-8", nullptr, one, 1), -1);
  EXPECT_EQ(Args_Convert("UTF-8", "x", nullptr, 0), -1);
}

TEST(ArgsTest, VeryLongArgumentsAreCutWithoutOverrun) {
  std::string arg;
  for (int i = 0; i < 800; ++i) arg += "\xC3\xA4";  // 1600 bytes
  char out[9];
  EXPECT_EQ(Args_Convert("UTF-8", arg.c_str(), out, sizeof out), 0);
  EXPECT_EQ(std::string(out), std::string(8, '\xE4'));
}

}  // namespace
