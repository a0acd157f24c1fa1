// The update request: reading it, resetting it to blanks of full width, and
// update-request runs of the program.
#include "db/upd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "run/download_main.h"
#include "tests/test_env.h"

namespace {

const char* kColumns =
    "UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, UpdAlb, UpdAgv, UpdAgb, UpdUgv, "
    "UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb";

class UpdTest : public ::testing::Test {
 protected:
  void SetUp() override { tree_.Connect(); }
  void Request(const std::string& values) {
    tree_.Exec(std::string("INSERT INTO Kvs543Upd (UpdKey, ") + kColumns +
               ", UpdDat, UpdErf) VALUES ('UPD', " + values + ", '2020-01-01 00:00:00', 'user')");
  }
  TestTree tree_;
};

std::string Blanks(int n) { return std::string(static_cast<size_t>(n), ' '); }

TEST_F(UpdTest, ReadsEveryFieldAtItsFullWidth) {
  Request(
      "'000000000100', '000000000200', '000000000300', '000000000400', '00010', '00020', "
      "'WP00000001', 'WP99999999', 'GR00000001', 'GR99999999', 'A', 'Z', '1', '2', "
      "'00001000', '00002000', 'K1', 'K9'");
  UpdateRequest r;
  ASSERT_EQ(Upd_PKeyReadk(&r), 0);
  EXPECT_STREQ(r.UpdAkv, "000000000100");
  EXPECT_STREQ(r.UpdApb, "00020");
  EXPECT_STREQ(r.UpdAlv, "WP00000001");  // a 10-character workplace range, whole
  EXPECT_STREQ(r.UpdAgb, "GR99999999");
  EXPECT_STREQ(r.UpdUgv, "A");
  EXPECT_STREQ(r.UpdPvb, "00002000");
  EXPECT_STREQ(r.UpdKsb, "K9");
}

TEST_F(UpdTest, MissingRequestRowIsNoRow) {
  UpdateRequest r;
  memset(&r, 'q', sizeof r);
  EXPECT_EQ(Upd_PKeyReadk(&r), 1403);
  EXPECT_EQ(r.UpdAkv[0], 'q');  // not to be used, and not touched
  EXPECT_EQ(Upd_PKeyUpd(), 1403);
}

TEST_F(UpdTest, ResetWritesBlanksOfFullWidthAgainAndAgain) {
  Request(
      "'1', '2', '3', '4', '5', '6', '7', '8', '9', '10', '11', '12', '13', '14', '15', "
      "'16', '17', '18'");
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(Upd_PKeyUpd(), 0);
    UpdateRequest r;
    ASSERT_EQ(Upd_PKeyReadk(&r), 0);
    struct {
      const char* field;
      int width;
    } cases[] = {{r.UpdAkv, 12}, {r.UpdAkb, 12}, {r.UpdAav, 12}, {r.UpdAab, 12}, {r.UpdApv, 5},
                 {r.UpdApb, 5},  {r.UpdAlv, 10}, {r.UpdAlb, 10}, {r.UpdAgv, 10}, {r.UpdAgb, 10},
                 {r.UpdUgv, 5},  {r.UpdUgb, 5},  {r.UpdAuv, 5},  {r.UpdAub, 5},  {r.UpdPvv, 8},
                 {r.UpdPvb, 8},  {r.UpdKsv, 5},  {r.UpdKsb, 5}};
    for (auto c : cases) EXPECT_EQ(std::string(c.field), Blanks(c.width));
    EXPECT_EQ(tree_.Value("SELECT UpdErf FROM Kvs543Upd"), "Download");
    EXPECT_NE(tree_.Value("SELECT UpdDat FROM Kvs543Upd"), "2020-01-01 00:00:00");
  }
}

class UpdRunTest : public UpdTest {
 protected:
  void SetUp() override {
    UpdTest::SetUp();
    tree_.Exec(
        "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
        "(1, '10.0.0.1', '4711', 'FB01', 'FB09');"
        "INSERT INTO o1003Kststelle (KstNum) VALUES ('4100');"
        "INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB01', 1);");
  }
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "velmarkon");
    return Download_Main(static_cast<int>(args.size()), args.data(), &kProgramEntries);
  }
  std::string Sent() { return ReadFileBytes(tree_.buff() + "/SndDnl1.buf"); }
};

std::string BlankRequest() {
  // The eighteen from/to fields, each blank to its column's width.
  const int widths[] = {12, 12, 12, 12, 5, 5, 10, 10, 10, 10, 5, 5, 5, 5, 8, 8, 5, 5};
  std::string out;
  for (int w : widths) {
    if (!out.empty()) out += ", ";
    out += '\'';
    out += Blanks(w);
    out += '\'';
  }
  return out;
}

TEST_F(UpdRunTest, BlankRequestSendsNothingAndIsReset) {
  Request(BlankRequest());
  EXPECT_EQ(Run({"M1"}), 0);
  EXPECT_EQ(Sent(), "");
  EXPECT_EQ(tree_.Value("SELECT UpdErf FROM Kvs543Upd"), "Download");
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});
}

TEST_F(UpdRunTest, CostCentreRequestSendsTheListAndIsReset) {
  std::string req = BlankRequest();
  req.replace(req.rfind("'     ', '     '"), 16, "'00001', '     '");  // UpdKsv
  Request(req);
  EXPECT_EQ(Run({"M1", "ALL"}), 0);
  EXPECT_EQ(Sent().size(), 552u);
  EXPECT_EQ(tree_.Value("SELECT UpdKsv FROM Kvs543Upd"), "     ");
}

TEST_F(UpdRunTest, MissingRequestEndsTheRunWith1403) {
  EXPECT_EQ(Run({"M1"}), 123);
  std::vector<std::string> want = {"Download_Main|Upd_PKeyReadk|1403",
                                   "Download_Main|fehlerhaft beendet|1403"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
}

}  // namespace
