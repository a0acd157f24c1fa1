// The files an operator's status reads: the message log read back entry by
// entry, the send-buffer files looked at from outside, and the state file of
// the last run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/last_run.h"
#include "sendbuf/snd_scan.h"
#include "support/log_reader.h"
#include "support/msg.h"
#include "support/platform.h"
#include "tests/test_env.h"

namespace {

std::string Entry(int n) {
  char e[200];
  snprintf(e, sizeof e,
           "\xFE\r\nSystem-Date: %02d.03.24\r\nSystem-Time: 06:%02d:00\r\nMsgArt_____: FMSG "
           "\r\nMessage____: Meldung %d\r\nFunktion___: F%d\r\nErrorCode__: %d\r\n",
           1 + n / 60, n % 60, n, n, -n);
  return e;
}

TEST(LogReaderTest, CountsEntriesKeepsTheLastAndCountsNewerOnes) {
  TestTree tree;
  std::string log;
  for (int i = 0; i < 7; ++i) log += Entry(i);
  WriteFileBytes(tree.log(), log);
  struct Case {
    int keep;
    const char* since;
    int kept, newer;
    const char* first_kept;
  } cases[] = {
      {3, "", 3, 7, "F4"},                 // no time: every entry is newer
      {10, "20240301060400", 7, 2, "F0"},  // later than 06:04:00
      {7, "20240301060600", 7, 0, "F0"},
      {1, "20991231000000", 1, 0, "F6"},
      {0, "", 0, 7, nullptr},
  };
  for (const Case& c : cases) {
    std::vector<LogEntryText> last(static_cast<size_t>(c.keep) + 1);
    LogSummary sum;
    ASSERT_EQ(LogRead(tree.log().c_str(), c.since, last.data(), c.keep, &sum), 0);
    EXPECT_EQ(sum.entries, 7);
    EXPECT_EQ(sum.kept, c.kept) << c.keep;
    EXPECT_EQ(sum.newer, c.newer) << c.since;
    if (!c.first_kept) continue;
    EXPECT_STREQ(last[0].function, c.first_kept) << c.keep;
    EXPECT_STREQ(last[static_cast<size_t>(sum.kept) - 1].function, "F6");  // oldest first
  }
}

TEST(LogReaderTest, ReadsWhatTheLogWriterWrites) {
  TestTree tree;              // the log as the program initialises it
  Plat_SetClock(1709792130);  // a fixed clock, local time read back
  Msg_Report("Apk_Dnl", "Fehler \xE4", -3113);
  Msg_Report("Get_Download", "", 0);
  Plat_SetClock(0);
  LogEntryText last[2];
  LogSummary sum;
  ASSERT_EQ(LogRead(tree.log().c_str(), "", last, 2, &sum), 0);
  ASSERT_EQ(sum.entries, 2);
  EXPECT_STREQ(last[0].function, "Apk_Dnl");
  EXPECT_STREQ(last[0].message, "Fehler \xE4");
  EXPECT_STREQ(last[0].code, "-3113");
  EXPECT_STREQ(last[0].kind, "FMSG");
  EXPECT_STREQ(last[1].message, "");
  struct tm tm;
  Plat_LocalTime(1709792130, &tm);
  char stamp[15];
  strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm);
  EXPECT_STREQ(last[1].stamp, stamp);
}

TEST(LogReaderTest, OddContentIsCountedButNotTrusted) {
  TestTree tree;
  const std::string long_line(3000, 'x');
  WriteFileBytes(tree.log(), "before the first entry\r\n" + Entry(1) + "Message____: " + long_line +
                                 "\r\n\xFE\r\nSystem-Date: 3.3.24\r\nSystem-Time: ??\r\n" +
                                 Entry(2));
  LogEntryText last[3];
  LogSummary sum;
  ASSERT_EQ(LogRead(tree.log().c_str(), "20991231000000", last, 3, &sum), 0);
  EXPECT_EQ(sum.entries, 3);
  EXPECT_EQ(sum.newer, 1);  // the entry without a readable time
  EXPECT_EQ(std::string(last[0].message), std::string(127, 'x'));  // cut to its field
  EXPECT_STREQ(last[1].stamp, "");
  EXPECT_STREQ(last[2].function, "F2");  // the long line did not swallow the next
  EXPECT_EQ(LogRead((tree.work() + "/Msg/none.Txt").c_str(), "", last, 3, &sum), 1403);
  EXPECT_EQ(sum.entries, 0);
}

TEST(SndScanTest, ListsSendBuffersByNumberWithTornTailAndNewestStamp) {
  TestTree tree;
  std::string rec(552, ' ');
  rec.replace(21, 14, "20240307061530");
  std::string newer = rec;
  newer.replace(21, 14, "20240308070000");
  std::string garbled = rec;
  garbled.replace(21, 14, "2024030807000x");
  const std::string dir = tree.buff();
  WriteFileBytes(dir + "/SndDnl10.buf", rec + newer);
  WriteFileBytes(dir + "/SndDnl2.buf", rec + newer + "abc");
  WriteFileBytes(dir + "/SndDnl3.buf", garbled);
  WriteFileBytes(dir + "/SndDnl4.buf", "");
  for (const char* other : {"SndDnl.buf", "SndDnlx.buf", "SndDnl1.buf.tmp", "sndDnl5.buf"})
    WriteFileBytes(dir + "/" + other, rec);

  SndFileInfo f[8];
  ASSERT_EQ(Snd_Scan(dir.c_str(), f, 8), 4);
  struct Want {
    const char* name;
    int64_t size, records;
    int32_t tail;
    const char* newest;
  } want[] = {
      {"SndDnl2.buf", 1107, 2, 3, "20240308070000"},
      {"SndDnl3.buf", 552, 1, 0, ""},
      {"SndDnl4.buf", 0, 0, 0, ""},
      {"SndDnl10.buf", 1104, 2, 0, "20240308070000"},
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(f[i].name, want[i].name);
    EXPECT_EQ(f[i].rc, 0);
    EXPECT_EQ(f[i].size, want[i].size) << want[i].name;
    EXPECT_EQ(f[i].records, want[i].records) << want[i].name;
    EXPECT_EQ(f[i].tail, want[i].tail) << want[i].name;
    EXPECT_STREQ(f[i].newest, want[i].newest) << want[i].name;
  }
  EXPECT_EQ(Snd_Scan(dir.c_str(), f, 1), 4);  // fills one, counts all
  EXPECT_EQ(Snd_Scan((dir + "/none").c_str(), f, 8), -1);
}

TEST(LastRunTest, KeepsTheLastCleanRunAcrossFailedOnes) {
  TestTree tree;
  const std::string path = tree.work() + "/Msg/Velmarkon.run";
  LastRun r;
  EXPECT_EQ(LastRun_Read(path.c_str(), &r), 1403);

  struct Step {
    time_t at;
    int status;
    const char* content;
  } steps[] = {
      {1709792130, 255, "%s 255\n"},      // failed, no clean run known
      {1709792140, 0, "%s 0\n"},          // clean
      {1709792150, 3, "%s 3\n@140 0\n"},  // failed: the clean one stays
      {1709792160, 134, "%s 134\n@140 0\n"},
      {1709792170, 0, "%s 0\n"},
  };
  auto stamp = [](time_t t) {
    struct tm tm;
    Plat_LocalTime(t, &tm);
    char s[15];
    strftime(s, sizeof s, "%Y%m%d%H%M%S", &tm);
    return std::string(s);
  };
  for (const Step& s : steps) {
    Plat_SetClock(s.at);
    ASSERT_EQ(LastRun_Write(path.c_str(), s.status), 0);
    std::string want = s.content;
    want.replace(want.find("%s"), 2, stamp(s.at));
    const size_t clean = want.find("@140");
    if (clean != std::string::npos) want.replace(clean, 4, stamp(1709792140));
    EXPECT_EQ(ReadFileBytes(path), want) << s.status;
    ASSERT_EQ(LastRun_Read(path.c_str(), &r), 0);
    EXPECT_EQ(r.status, s.status);
    EXPECT_EQ(r.end, stamp(s.at));
  }
  Plat_SetClock(0);

  for (const char* bad :
       {"", "2024030706153 0\n", "20240307061530\n", "20240307061530 x\n",
        "20240307061530 0\n20240307061530 0\n", "20240307061530 1\n20240307061530 2\n"}) {
    WriteFileBytes(path, bad);
    EXPECT_EQ(LastRun_Read(path.c_str(), &r), -1) << bad;
    EXPECT_STREQ(r.clean_end, "") << bad;
  }
  // A file that cannot be replaced leaves the old one as it was.
  EXPECT_EQ(LastRun_Write((tree.work() + "/none/Velmarkon.run").c_str(), 0), -1);
}

}  // namespace
