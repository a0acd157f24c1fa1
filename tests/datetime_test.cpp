// Tests of the date and time stamps: the four modes, other modes, the century
// and one clock reading for date and time.
#include "support/datetime.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "support/platform.h"
#include "tests/test_env.h"

namespace {

using testkit::LocalClock;

class DateTimeTest : public ::testing::Test {
 protected:
  void TearDown() override { Plat_SetClock(0); }
};

TEST_F(DateTimeTest, Modes) {
  struct Case {
    int year, mon, day, hour, min, sec;
    int32_t mode;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {2024, 3, 7, 9, 5, 2, 1, "07032024", "090502"},
      {2024, 3, 7, 9, 5, 2, 2, "07032024090502", ""},
      {2024, 3, 7, 9, 5, 2, 3, "20240307", "090502"},
      {2024, 3, 7, 9, 5, 2, 4, "20240307090502", ""},
      {2024, 3, 7, 9, 5, 2, 0, "", ""},
      {2024, 3, 7, 9, 5, 2, 5, "", ""},
      {2024, 3, 7, 9, 5, 2, -3, "", ""},
      {2099, 12, 31, 23, 59, 59, 3, "20991231", "235959"},
      {2100, 1, 1, 0, 0, 0, 3, "21000101", "000000"},
      {2100, 1, 1, 0, 0, 0, 2, "01012100000000", ""},
      {1999, 12, 31, 23, 59, 59, 4, "19991231235959", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << " mode " << c.mode);
    Plat_SetClock(LocalClock(c.year, c.mon, c.day, c.hour, c.min, c.sec));
    char date[40];
    char time[9];
    memset(date, 'x', sizeof date);
    memset(time, 'x', sizeof time);
    EXPECT_EQ(Get_DateTime(date, time, c.mode), 0);
    EXPECT_STREQ(date, c.date);
    EXPECT_STREQ(time, c.time);
  }
}

TEST_F(DateTimeTest, SystemClockGivesDigits) {
  char date[40];
  char time[9];
  ASSERT_EQ(Get_DateTime(date, time, 3), 0);
  ASSERT_EQ(strlen(date), 8u);
  ASSERT_EQ(strlen(time), 6u);
  for (const char* p : {static_cast<const char*>(date), static_cast<const char*>(time)}) {
    for (; *p != '\0'; ++p) EXPECT_TRUE(isdigit(static_cast<unsigned char>(*p)));
  }
}

}  // namespace
