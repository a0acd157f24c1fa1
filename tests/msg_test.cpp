// Tests of the message log: entry bytes, kinds and level, detail text bounds,
// file names, rotation and waiting on a lock held by another process.
#include "support/msg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/platform.h"
#include "tests/file_holder.h"
#include "tests/test_env.h"

namespace {

using testkit::LocalClock;

void Remove(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

size_t CountEntries(const std::string& text) {
  size_t n = 0;
  for (size_t pos = 0; (pos = text.find("\xFE\r\n", pos)) != std::string::npos; pos += 3) ++n;
  return n;
}

// The entry head at the fixed test clock, up to and including "MsgArt_____: ".
const std::string kHead = "\xFE\r\nSystem-Date: 07.03.24\r\nSystem-Time: 09:05:02\r\nMsgArt_____: ";

std::string Detail(const std::string& message, const std::string& funktion, int code) {
  return "\r\nMessage____: " + message + "\r\nFunktion___: " + funktion +
         "\r\nErrorCode__: " + std::to_string(code) + "\r\n";
}

class MsgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Plat_MakeDir((dir_ + "/Msg").c_str()), 0);
    log_ = dir_ + "/Msg/Velmarkon.Txt";
    old_ = dir_ + "/Msg/Velmarkon.old";
    Plat_SetClock(LocalClock(2024, 3, 7, 9, 5, 2));
    Msg_Init(7, log_.c_str());
  }
  void TearDown() override {
    Plat_SetClock(0);
    Msg_Init(0, nullptr);
  }

  TempFolder tmp_{"vkmsg"};
  std::string dir_ = tmp_.path();
  std::string log_;
  std::string old_;
};

TEST_F(MsgTest, EntriesAreAppendedByteForByte) {
  LogEntry entry = {"Apk_Dnl", "S\xE4tze nicht gefunden", FMSG, 1403, nullptr, 0, nullptr};
  Msg_Write(&entry);
  Msg_Report("Download_Main", "", -1);

  EXPECT_EQ(ReadFileBytes(log_),
            "\xFE\r\n"
            "System-Date: 07.03.24\r\n"
            "System-Time: 09:05:02\r\n"
            "MsgArt_____: FMSG \r\n"
            "Message____: S\xE4tze nicht gefunden\r\n"
            "Funktion___: Apk_Dnl\r\n"
            "ErrorCode__: 1403\r\n"
            "\xFE\r\n"
            "System-Date: 07.03.24\r\n"
            "System-Time: 09:05:02\r\n"
            "MsgArt_____: FMSG \r\n"
            "Message____: \r\n"
            "Funktion___: Download_Main\r\n"
            "ErrorCode__: -1\r\n");
  EXPECT_EQ(Msg_Count(), 2);
}

TEST_F(MsgTest, KindsAndLevel) {
  const std::string data("D\0ta", 4);
  struct Case {
    int32_t level;
    int32_t art;
    bool written;
    std::string kind_text;
    std::string tail;  // after the detail text
  };
  const Case cases[] = {
      {7, WMSG, false, "", ""},
      {7, CMSG, false, "", ""},
      {7, 0, false, "", ""},
      {0, FMSG, false, "", ""},
      {7, FMSG | WMSG, true, "FMSG WMSG ", ""},
      {7, DMSG | FMSG, true, "DMSG FMSG ", data + "\r\n"},
      {7, SMSG, true, "SMSG ", "\r\n\r\n"},
      {7, -1, true, "DMSG SMSG FMSG WMSG CMSG ", data + "\r\n\r\n\r\n"},
      {FMSG, DMSG | FMSG, true, "DMSG FMSG ", ""},
      {31, CMSG, true, "CMSG ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << " MsgArt " << c.art);
    Remove(log_);
    Msg_Init(c.level, log_.c_str());
    LogEntry entry = {"Fn", "Text", c.art, 5, data.data(), 4, "system"};
    Msg_Write(&entry);
    if (!c.written) {
      EXPECT_FALSE(FileExists(log_));
      EXPECT_EQ(Msg_Count(), 0);
      continue;
    }
    EXPECT_EQ(ReadFileBytes(log_), kHead + c.kind_text + Detail("Text", "Fn", 5) + c.tail);
    EXPECT_EQ(Msg_Count(), 1);
  }
}

TEST_F(MsgTest, DetailTextStaysWithinItsBuffer) {
  const std::string long_msg(150, 'm');
  const std::string long_fn(150, 'f');
  struct Case {
    std::string message;
    std::string funktion;
    int32_t code;
    std::string expected_message;
    std::string expected_funktion;
  };
  // 99 characters in all: 47 fixed, the code, the rest shared.
  const Case cases[] = {
      {"", "ReadFile", 0, "", "ReadFile"},
      {"x", "", INT_MIN, "x", ""},
      {std::string(37, 'm'), "Download_Main", -1, std::string(37, 'm'),
       "Download_Main"},  // just fits
      {long_msg, "Download_Main", -1, std::string(99 - 47 - 2 - 13, 'm'), "Download_Main"},
      {"kurz", long_fn, 0, "kurz", std::string(99 - 47 - 1 - 4, 'f')},
      {long_msg, long_fn, INT_MIN, std::string(21, 'm'), std::string(20, 'f')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected_message + "/" + c.expected_funktion);
    Remove(log_);
    Msg_Report(c.funktion.c_str(), c.message.c_str(), c.code);
    std::string detail = Detail(c.expected_message, c.expected_funktion, c.code);
    EXPECT_LE(detail.size(), 99u);
    EXPECT_EQ(ReadFileBytes(log_), kHead + "FMSG " + detail);
  }
}

TEST_F(MsgTest, NullTextsAreWrittenEmpty) {
  LogEntry entry = {nullptr, nullptr, FMSG, 7, nullptr, 0, nullptr};
  Msg_Write(&entry);
  Msg_Write(nullptr);
  EXPECT_EQ(ReadFileBytes(log_), kHead + "FMSG " + Detail("", "", 7));
}

TEST(MsgNames, RotationNameAndLimits) {
  struct Case {
    std::string name;
    bool accepted;
    std::string old_name;
  };
  const Case cases[] = {
      {"./Msg/Velmarkon.Txt", true, "./Msg/Velmarkon.old"},
      {"msg.dat", true, "msg.old"},
      {"a.b/log", true, "a.b/log.old"},
      {"x.tar.gz", true, "x.tar.old"},
      {"./log", true, "./log.old"},
      {std::string(60, 'a') + ".Txt", true, std::string(60, 'a') + ".old"},
      {std::string(61, 'a') + ".Txt", false, ""},
      {std::string(62, 'a'), true, std::string(62, 'a') + ".old"},
      {std::string(63, 'a'), false, ""},
      {std::string(63, 'a') + ".", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Msg_Init(7, "prev.log");
    Msg_Init(7, c.name.c_str());
    EXPECT_EQ(Msg_FileName(), c.accepted ? c.name : std::string("prev.log"));
    EXPECT_EQ(Msg_OldFileName(), c.accepted ? c.old_name : std::string("prev.old"));
  }
  Msg_Init(7, nullptr);
  EXPECT_STREQ(Msg_FileName(), "msg.dat");
  EXPECT_STREQ(Msg_OldFileName(), "msg.old");
  Msg_Init(7, "x.log");
  Msg_Init(7, "");
  EXPECT_STREQ(Msg_FileName(), "msg.dat");
  Msg_Init(0, nullptr);
}

TEST_F(MsgTest, DefaultFileIsMsgDatInWorkingDirectory) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  Msg_Init(7, nullptr);
  Msg_Report("Fn", "default", 3);
  std::string content = ReadFileBytes(dir_ + "/msg.dat");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(content, kHead + "FMSG " + Detail("default", "Fn", 3));
}

TEST_F(MsgTest, RotatesOnTheEntryAfterThe3001st) {
  {
    std::ofstream stale(old_, std::ios::binary);
    stale << "stale";
  }
  char text[16];
  for (int i = 1; i <= 3001; ++i) {
    snprintf(text, sizeof text, "E%d", i);
    Msg_Report("Fn", text, i);
  }
  EXPECT_EQ(Msg_Count(), 3001);
  EXPECT_EQ(ReadFileBytes(old_), "stale");
  std::string first = ReadFileBytes(log_);
  EXPECT_EQ(CountEntries(first), 3001u);

  Msg_Report("Fn", "E3002", 3002);
  EXPECT_EQ(Msg_Count(), 1);
  EXPECT_EQ(ReadFileBytes(old_), first);
  EXPECT_EQ(ReadFileBytes(log_), kHead + "FMSG " + Detail("E3002", "Fn", 3002));
}

TEST_F(MsgTest, RotationOfAMissingLogStartsANewOne) {
  for (int i = 0; i < 3001; ++i) Msg_Report("Fn", "x", i);
  Remove(log_);
  Msg_Report("Fn", "after", 0);
  EXPECT_EQ(Msg_Count(), 1);
  EXPECT_EQ(ReadFileBytes(log_), kHead + "FMSG " + Detail("after", "Fn", 0));
  EXPECT_FALSE(FileExists(old_));
}

TEST_F(MsgTest, UnwritableLogDropsTheEntry) {
  Msg_Init(7, (dir_ + "/missing/log.txt").c_str());
  Msg_Report("Fn", "lost", 1);
  EXPECT_EQ(Msg_Count(), 0);
  EXPECT_FALSE(FileExists(dir_ + "/missing/log.txt"));
}

// The holder is another writer of the log: it appends its own line before
// it lets go, and the waiting entry follows.
TEST_F(MsgTest, WaitsWhileAnotherProcessHoldsTheLog) {
  FileHolder holder(log_, PLAT_READ | PLAT_WRITE | PLAT_CREATE | PLAT_LOCK, 700, "held\r\n");
  ASSERT_EQ(holder.OpenError(), 0);
  const int32_t unwritten = Msg_Unwritten();

  auto start = std::chrono::steady_clock::now();
  Msg_Report("Fn", "waited", 9);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();

  EXPECT_EQ(holder.Release(), 0);
  EXPECT_GE(waited, 333);
  EXPECT_EQ(Msg_Count(), 1);
  EXPECT_EQ(Msg_Unwritten(), unwritten);
  EXPECT_EQ(ReadFileBytes(log_), "held\r\n" + kHead + "FMSG " + Detail("waited", "Fn", 9));
}

// A log held longer than the wait allows: the entry is not written (it goes
// to stderr and counts as unwritten), and the wait ends at its bound.
TEST_F(MsgTest, GivesUpOnALogHeldLongerThanTheWait) {
  FileHolder holder(log_, PLAT_READ | PLAT_WRITE | PLAT_CREATE | PLAT_LOCK, 20000);
  ASSERT_EQ(holder.OpenError(), 0);
  Msg_SetLockWait(1000);
  const int32_t unwritten = Msg_Unwritten();
  const int64_t start = Plat_MonotonicMs();
  Msg_Report("Fn", "lost", 9);
  const int64_t waited = Plat_MonotonicMs() - start;
  Msg_SetLockWait(10000);
  EXPECT_GE(waited, 999);
  EXPECT_LT(waited, 5000);
  EXPECT_EQ(Msg_Unwritten(), unwritten + 1);
  EXPECT_EQ(Msg_Count(), 0);
  EXPECT_EQ(holder.Release(), 0);
  EXPECT_EQ(ReadFileBytes(log_), "");
}

}  // namespace
