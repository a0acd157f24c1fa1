// The send-buffer writer and the terminal address lookup: exact record bytes,
// routing, appending, switching files, a file held by another process, and
// failures that leave the files as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "download/frame.h"
#include "sendbuf/ip.h"
#include "sendbuf/snddnl.h"
#include "support/platform.h"
#include "tests/fault_fs.h"
#include "tests/file_holder.h"
#include "tests/test_env.h"

namespace {

DownloadMessage Message(const char* table, const char* body) {
  DownloadMessage m;
  Dnl_Begin(&m, "20240307", "090502", "M1", 1);
  Dnl_Head(&m, "NEU", "AEN", table, nullptr, nullptr, nullptr, nullptr);
  char area[256];
  memset(area, ' ', sizeof area);
  size_t n = strlen(body);
  memcpy(area, body, n < 255 ? n + 1 : 255);
  area[255] = '\0';
  Dnl_Body(&m, area);
  return m;
}

std::string Expected(const std::string& ip_left, const std::string& port_left,
                     const std::string& ip_right, const std::string& port_right,
                     const std::string& body) {
  std::string r = "$" + ip_left + port_left + "20240307090502" + "999" + ip_right + port_right +
                  std::string(28, ' ') + "0460" + "KST" + "240307" + "090502" + "BDE" + "AEN" +
                  body + std::string(438 - body.size(), ' ') + "*\r\n";
  return r;
}

TEST(SendBufferRecord, HeaderBytesForShortFullAndOverlongValues) {
  struct Case {
    const char* ip;
    const char* port;
    std::string ip_left, port_left, ip_right, port_right;
  } cases[] = {
      {"10.1.2.3", "4711", "10.1.2.3       ", "4711 ", "       10.1.2.3", " 4711"},
      {"192.168.100.200", "65535", "192.168.100.200", "65535", "192.168.100.200", "65535"},
      // longer than their fields: cut, so that the record keeps its 552 bytes
      {"2001:db8::ffff:1", "123456", "2001:db8::ffff:", "12345", "2001:db8::ffff:", "12345"},
      {"", "", std::string(15, ' '), "     ", std::string(15, ' '), "     "},
  };
  DownloadMessage m = Message("KST", "body text");
  for (const Case& c : cases) {
    char out[600];
    ASSERT_EQ(SndDnl_Format(m, c.ip, c.port, "20240307090502", out), SND_RECORD_LEN) << c.ip;
    EXPECT_EQ(std::string(out, SND_RECORD_LEN),
              Expected(c.ip_left, c.port_left, c.ip_right, c.port_right, "body text"))
        << c.ip;
  }
}

TEST(SendBufferRecord, BodyOfFullWidthKeepsTheEndMarkAt549) {
  std::string body(255, 'b');
  body[0] = '\xE4';
  DownloadMessage m = Message("KST", body.c_str());
  char out[600];
  ASSERT_EQ(SndDnl_Format(m, "1.2.3.4", "1", "20240307090502", out), SND_RECORD_LEN);
  EXPECT_EQ(std::string(out + 111, 255), body);
  EXPECT_EQ(std::string(out + 366, 183), std::string(183, ' '));
  EXPECT_EQ(out[549], '*');
}

class SendBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    // Group 3 serves FB01..FB05; group 1 serves FB04..FB09 in its second range;
    // group 2 serves FB20 only in its third range, which takes no part.
    tree_.Exec(
        "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1, CfgVn2, CfgBi2, CfgVn3, "
        "CfgBi3) VALUES (3, '10.0.0.3', '3003', 'FB01', 'FB05', NULL, NULL, NULL, NULL),"
        "(1, '10.0.0.1', '3001', 'XX', 'XX', 'FB04', 'FB09', NULL, NULL),"
        "(2, '10.0.0.2', '3002', 'XX', 'XX', NULL, NULL, 'FB20', 'FB20');");
    Plat_SetClock(1709798702);  // 2024-03-07 08:05:02 UTC
  }
  void TearDown() override { Plat_SetClock(0); }
  std::string File(int n) {
    return ReadFileBytes(tree_.buff() + "/SndDnl" + std::to_string(n) + ".buf");
  }
  int32_t Write(const char* key, const char* body = "x") {
    return SndDnl_Write(Message("KST", body), key);
  }
  TestTree tree_;
};

TEST_F(SendBufferTest, LowestFileNumberCoveringTheKeyWinsRangesInclusive) {
  struct Case {
    const char* key;
    int32_t rc;
    int32_t group;
  } cases[] = {{"FB01", 0, 3}, {"FB05", 0, 1},    {"FB04", 0, 1},   {"FB09", 0, 1},
               {"FB03", 0, 3}, {"FB20", 1403, 0}, {"FB99", 1403, 0}};
  for (const Case& c : cases) {
    CfgRow row;
    memset(&row, ' ', sizeof row);
    EXPECT_EQ(IP_Ermitteln(&row, c.key), c.rc) << c.key;
    if (c.rc == 0) {
      EXPECT_EQ(row.CfgDta, c.group) << c.key;
    }
  }
  EXPECT_EQ(LogEntries(tree_.log()).size(), 2u);
  EXPECT_EQ(LogEntries(tree_.log()).front(), "ReadFile|IP-Ermitteln|1403");
}

TEST_F(SendBufferTest, AppendsSwitchesFilesAndNeverTruncates) {
  WriteFileBytes(tree_.buff() + "/SndDnl1.buf", "earlier content\r\n");
  ASSERT_EQ(Write("FB06", "one"), 0);
  ASSERT_EQ(Write("FB07", "two"), 0);
  ASSERT_EQ(Write("FB02", "three"), 0);  // another group: the first file is closed
  ASSERT_EQ(Write("FB08", "four"), 0);
  std::string g1 = File(1), g3 = File(3);
  ASSERT_EQ(g1.size(), 17u + 3 * SND_RECORD_LEN);
  EXPECT_EQ(g1.substr(0, 17), "earlier content\r\n");
  EXPECT_EQ(g1.substr(17 + 111, 3), "one");
  EXPECT_EQ(g1.substr(17 + SND_RECORD_LEN + 111, 3), "two");
  EXPECT_EQ(g1.substr(17 + 2 * SND_RECORD_LEN + 111, 4), "four");
  ASSERT_EQ(g3.size(), static_cast<size_t>(SND_RECORD_LEN));
  EXPECT_EQ(g3.substr(0, 21), "$10.0.0.3       3003 ");
}

TEST_F(SendBufferTest, UncoveredKeyWritesNothingAndKeepsTheOpenFile) {
  ASSERT_EQ(Write("FB06"), 0);
  EXPECT_EQ(Write("FB99"), 1403);
  ASSERT_EQ(Write("FB06"), 0);
  EXPECT_EQ(File(1).size(), 2u * SND_RECORD_LEN);
  std::vector<std::string> want = {"ReadFile|IP-Ermitteln|1403"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
}

// The error code of the latest log entry.
int32_t LastCode(const TestTree& tree) {
  const std::string e = LogEntries(tree.log()).back();
  return static_cast<int32_t>(strtol(e.substr(e.rfind('|') + 1).c_str(), nullptr, 10));
}

TEST_F(SendBufferTest, FileHeldByAnotherProcessIsNotWritten) {
  std::string path = tree_.buff() + "/SndDnl3.buf";
  WriteFileBytes(path, "");
  {
    FileHolder holder(path, PLAT_WRITE | PLAT_NO_SHARE, 30000);
    ASSERT_EQ(holder.OpenError(), 0);
    EXPECT_EQ(Write("FB01"), -1);
    EXPECT_EQ(File(3), "");
    EXPECT_EQ(LogEntries(tree_.log()).back().rfind("CreateFile|Datei oeffnen|", 0), 0u);
    EXPECT_TRUE(Plat_IsBusy(LastCode(tree_))) << LogEntries(tree_.log()).back();
    EXPECT_EQ(holder.Release(), 0);
  }
  EXPECT_EQ(Write("FB01"), 0);  // the next record opens the file again
  EXPECT_EQ(File(3).size(), static_cast<size_t>(SND_RECORD_LEN));
}

TEST_F(SendBufferTest, FailedWriteLeavesNoPartOfItsRecord) {
  FaultFs fs;
  ASSERT_EQ(Write("FB06", "first"), 0);
  // Half of the next record reaches the file before the disk is full; the
  // code is logged as the system gave it.
  const int32_t kDiskFull = 112;
  fs.FailNth(FAULT_WRITE, 1, kDiskFull, "SndDnl1", true);
  EXPECT_EQ(Write("FB06", "second"), -1);
  EXPECT_EQ(File(1).size(), static_cast<size_t>(SND_RECORD_LEN));
  EXPECT_EQ(LogEntries(tree_.log()).back(), "WrittenFile||" + std::to_string(kDiskFull));
  ASSERT_EQ(Write("FB06", "third"), 0);  // the file stayed open and whole
  std::string g1 = File(1);
  ASSERT_EQ(g1.size(), 2u * SND_RECORD_LEN);
  EXPECT_EQ(g1.substr(SND_RECORD_LEN + 111, 5), "third");
}

TEST_F(SendBufferTest, MissingFolderFailsEachRecordUntilItIsBack) {
  std::filesystem::remove_all(tree_.buff());
  EXPECT_EQ(Write("FB06"), -1);
  EXPECT_EQ(Write("FB06"), -1);
  EXPECT_EQ(LogEntries(tree_.log()).back().rfind("CreateFile|Datei oeffnen|", 0), 0u);
  EXPECT_TRUE(Plat_IsMissing(LastCode(tree_))) << LogEntries(tree_.log()).back();
  std::filesystem::create_directories(tree_.buff());
  EXPECT_EQ(Write("FB06"), 0);
  EXPECT_EQ(File(1).size(), static_cast<size_t>(SND_RECORD_LEN));
}

TEST_F(SendBufferTest, MissingTerminalTableIsReportedNotWritten) {
  tree_.Exec("DROP TABLE Kvs557Cfg");
  EXPECT_EQ(Write("FB06"), -942);
  EXPECT_EQ(LogEntries(tree_.log()).back(), "ReadFile|IP-Ermitteln|-942");
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl1.buf"));
}

}  // namespace
