// A whole update-request run over all seven tables: every requested table is
// re-marked and sent, the rows are released afterwards, and the request is
// reset.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "run/download_main.h"
#include "tests/fault_fs.h"
#include "tests/test_env.h"

namespace {

class FullRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    std::string past = DateText(-30);
    AddGroupPerArea(tree_);
    tree_.Exec(
        "INSERT INTO Kvs501Apk (ApkApk, ApkBz1, ApkSts, ApkAfo, ApkFbe) VALUES "
        "('000000001000', 'Welle', 1, 2, 'FB01'), ('000000001001', 'Gesperrt', 7, 0, 'FB01'),"
        "('000000001002', 'Flansch', 3, 0, 'FB02');"
        "INSERT INTO Kvs504App (AppApk, AppApp, AppBz1, AppSts, AppFbe) VALUES "
        "('000000001000', '00010', 'Drehen', 1, 'FB01'), "
        "('000000001000', '00020', 'Fraesen', 1, 'FB01'),"
        "('000000001002', '00010', 'Bohren', 1, 'FB02');"
        "INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgFbe) VALUES ('1000', 'Drehgruppe', 'FB01');"
        "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES ('1000', '" +
        past +
        "', NULL, '4100');"
        "INSERT INTO Kvs531Apl (AplApl, AplBez, AplApg, AplFbe, AplApr, AplSts) VALUES "
        "('2000', 'Drehbank', '1000', 'FB01', 42, 1);"
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez) VALUES ('1234', 1, 'FB01', "
        "'Materialmangel');"
        "INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvBer, PrvKst, PrvFbe, PrvAwn) VALUES "
        "('00001000', '" +
        past +
        "', 1, '4100', 'FB01', 'A1');"
        "INSERT INTO o1003Kststelle (KstNum) VALUES ('4100');"
        "INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB01', 1);");
  }
  void Request(const std::string& akv, const std::string& aav, const std::string& aab,
               const std::string& agv, const std::string& alv, const std::string& ugv,
               const std::string& pvv, const std::string& ksv) {
    tree_.Exec(
        "INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, "
        "UpdAlb, UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb) "
        "VALUES ('UPD', '" +
        akv + "', '999999999999', '" + aav + "', '" + aab +
        "', '00000', "
        "'00000', '" +
        alv + "', 'ZZZZZZZZZZ', '" + agv + "', 'ZZZZZZZZZZ', '" + ugv +
        "', 'ZZZZ', '     ', '     ', '" + pvv + "', '99999999', '" + ksv + "', '     ')");
  }
  int Run() {
    const char* args[] = {"velmarkon", "UPDRUN"};
    return Download_Main(2, args, &kProgramEntries);
  }
  // "table action key-or-body-start" of every record of a group's file.
  std::vector<std::string> Records(int group) {
    std::string f = ReadFileBytes(tree_.buff() + "/SndDnl" + std::to_string(group) + ".buf");
    std::vector<std::string> out;
    for (size_t at = 0; at + 552 <= f.size(); at += 552) {
      std::string r = f.substr(at, 552);
      EXPECT_EQ(r.substr(549), "*\r\n");
      out.push_back(r.substr(90, 3) + " " + r.substr(108, 3) + " " + r.substr(111, 17));
    }
    EXPECT_EQ(f.size() % 552, 0u);
    return out;
  }
  TestTree tree_;
};

TEST_F(FullRunTest, EveryRequestedTableIsRemarkedSentAndReleased) {
  Request("000000000001", "000000001000", "000000001001", "0", "0", "0", "0", "1");
  ASSERT_EQ(Run(), 0) << ReadFileBytes(tree_.log());
  std::vector<std::string> want1 = {
      "APK AEN 000000001000Welle",  // 1001 has status 7: not re-marked, not sent
      "APP AEN 00000000100000010", "APP AEN 00000000100000020", "MAG AEN 1000      Drehgru",
      "MAS AEN 2000      Drehban", "UBG AEN U1234Materialmang", "PNR AEN 000010004100   AX",
      "AWN AEN A1      00001000X", "KST NEU 4100   Kostenstel",
  };
  EXPECT_EQ(Records(1), want1);
  // The operation range is strict: nothing of order 1002 was asked for.
  std::vector<std::string> want2 = {"APK AEN 000000001002Flans"};
  EXPECT_EQ(Records(2), want2);
  EXPECT_TRUE(LogEntries(tree_.log()).empty()) << ReadFileBytes(tree_.log());

  // Every sent row is released; the skipped ones keep what they had.
  struct {
    const char* sql;
    const char* value;
  } rows[] = {
      {"SELECT count(*) FROM Kvs501Apk WHERE ApkDwn IS NOT NULL OR ApkDna IS NOT NULL", "0"},
      {"SELECT AppDwn FROM Kvs504App WHERE AppApk = '000000001002'", "<NULL>"},
      {"SELECT count(*) FROM Kvs504App WHERE AppDwn = 'UPDRUN'", "0"},
      {"SELECT ApkAfo FROM Kvs501Apk WHERE ApkApk = '000000001000'", "2"},  // "AEN": unchanged
      {"SELECT ApkErf FROM Kvs501Apk WHERE ApkApk = '000000001000'", "KoraSys"},
      {"SELECT coalesce(ApkErf, '-') FROM Kvs501Apk WHERE ApkApk = '000000001001'", "-"},
      {"SELECT count(*) FROM Kvs530Apg WHERE ApgDwn IS NULL AND ApgDna IS NULL", "1"},
      {"SELECT count(*) FROM Kvs531Apl WHERE AplDwn IS NULL AND AplDna IS NULL", "1"},
      {"SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NULL AND UbgDna IS NULL", "1"},
      {"SELECT count(*) FROM Kvs510Prv WHERE PrvDwn IS NULL AND PrvDna IS NULL", "1"},
      {"SELECT UpdAkv || '|' || UpdKsv || '|' || UpdErf FROM Kvs543Upd",
       "            |     |Download"},
  };
  for (auto r : rows) EXPECT_EQ(tree_.Value(r.sql), r.value) << r.sql;
}

// The run's first group cannot be made durable: its rows stay marked, and
// the tables after it are sent all the same (the terminal lookup read
// inside that group's rolled-back work still works).
TEST_F(FullRunTest, AFailedFirstGroupLeavesTheLaterTablesSending) {
  Request("000000000001", "000000001000", "000000001001", "0", "0", "0", "0", "1");
  {
    FaultFs fs;
    fs.FailNth(FAULT_SYNC, 1, EIO, "SndDnl");
    EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
  }
  std::vector<std::string> log = LogEntries(tree_.log());
  std::vector<std::string> want_log = {
      "FlushFileBuffers|Datei sichern|" + std::to_string(EIO),
      "Apk_Dnl|nicht gesichert 000000001000|" + std::to_string(EIO),
      "Apk_Dnl|nicht gesichert 000000001002|" + std::to_string(EIO)};
  EXPECT_EQ(log, want_log);
  std::vector<std::string> sent = Records(1);
  ASSERT_EQ(sent.size(), 9u);  // the order header's record went, and every later one
  EXPECT_EQ(sent.back(), "KST NEU 4100   Kostenstel");
  EXPECT_EQ(tree_.Value("SELECT ApkDwn FROM Kvs501Apk WHERE ApkApk = '000000001000'"), "UPDRUN");
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs510Prv WHERE PrvDwn IS NULL"), "1");
}

TEST_F(FullRunTest, NothingRequestedNothingSent) {
  Request("            ", "            ", "            ", "          ", "          ", "     ",
          "        ", "     ");
  ASSERT_EQ(Run(), 0);
  EXPECT_FALSE(FileExists(tree_.buff() + "/SndDnl1.buf"));
  EXPECT_EQ(tree_.Value("SELECT UpdErf FROM Kvs543Upd"), "Download");
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs501Apk WHERE ApkDwn IS NOT NULL"), "0");
}

}  // namespace
