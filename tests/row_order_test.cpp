// The order in which the download cursors deliver their rows, seen in the
// send-buffer file: rows whose keys, production areas and order of insertion
// all disagree, served by one terminal group, reach its file in production
// area order. The order must come from the statement itself, so every case
// runs once with the download index of the schema and once without it (a
// database that scans the table returns the rows as they are stored). Order
// headers stop at their first failure: the rows left marked are that row and
// those after it in the cursor's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "run/download_main.h"
#include "tests/fault_fs.h"
#include "tests/table_cases.h"

namespace {

constexpr int32_t kWriteError = 1117;  // neither "busy" nor "missing" anywhere

// Row i (key order) is inserted as the kInsertOrder-th and lies in area
// kArea[i]: insertion order 3 6 1 5 2 4, area order 4 1 6 2 5 3.
const int kInsertOrder[] = {3, 6, 1, 5, 2, 4};
const std::map<int, std::string> kArea = {{1, "FB02"}, {2, "FB04"}, {3, "FB06"},
                                          {4, "FB01"}, {5, "FB05"}, {6, "FB03"}};
const int kAreaOrder[] = {4, 1, 6, 2, 5, 3};

class RowOrderTest : public ::testing::TestWithParam<TableCase> {
 protected:
  int Run() {
    const char* args[] = {"velmarkon", "M1", GetParam().keyword};
    return Download_Main(3, args, &kProgramEntries);
  }
  // A fresh tree: one terminal group for every area, the six rows.
  void Fill(TestTree& tree, bool with_index) {
    const TableCase& c = GetParam();
    tree.CreateDb();
    tree.Exec(
        "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
        "(1, '10.0.0.1', '3001', 'FB01', 'FB09')");
    if (!with_index) tree.Exec("DROP INDEX " + c.Table() + "_Dnl");
    for (int i : kInsertOrder) c.Insert(tree, c.Key(i), "M1", "AEN", "Name", kArea.at(i));
  }
  std::vector<std::string> Keys(const std::vector<int>& rows) {
    std::vector<std::string> keys;
    for (int i : rows) keys.push_back(GetParam().Key(i));
    return keys;
  }
};

TEST_P(RowOrderTest, RecordsFollowTheProductionAreas) {
  const TableCase& c = GetParam();
  for (bool with_index : {true, false}) {
    SCOPED_TRACE(with_index ? "with the download index" : "without an index");
    TestTree tree;
    Fill(tree, with_index);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(c.SentKeys(tree), Keys({4, 1, 6, 2, 5, 3}));
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(c.Marks(tree, c.Key(i)), "<NULL>/<NULL>") << i;
  }
}

// The third row in area order cannot be written. Order headers stop there:
// it and every row after it stay marked. The other tables leave only that
// row marked.
TEST_P(RowOrderTest, AFailureLeavesMarkedTheRowsAfterItInAreaOrder) {
  const TableCase& c = GetParam();
  const bool stops = std::string(c.record) == "APK";
  for (bool with_index : {true, false}) {
    SCOPED_TRACE(with_index ? "with the download index" : "without an index");
    TestTree tree;
    Fill(tree, with_index);
    {
      FaultFs fs;
      fs.FailNth(FAULT_WRITE, 2 * c.records_per_row + 1, kWriteError, "SndDnl");
      EXPECT_EQ(Run(), EXIT_FAILURES_LOGGED);
    }
    std::vector<int> sent, marked;
    for (int at = 0; at < 6; ++at) {
      const int i = kAreaOrder[at];
      if (at == 2 || (stops && at > 2))
        marked.push_back(i);
      else
        sent.push_back(i);
    }
    EXPECT_EQ(c.SentKeys(tree), Keys(sent));
    std::vector<int> left;
    for (int i = 1; i <= 6; ++i) {
      const std::string m = c.Marks(tree, c.Key(i));
      if (m == "M1/AEN")
        left.push_back(i);
      else
        EXPECT_EQ(m, "<NULL>/<NULL>") << i;
    }
    std::sort(marked.begin(), marked.end());
    EXPECT_EQ(left, marked);
    std::vector<std::string> want = {"WrittenFile||" + std::to_string(kWriteError),
                                     std::string(c.dnl) + "|" + c.SendFailure() + "|-1"};
    EXPECT_EQ(LogEntries(tree.log()), want);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTable, RowOrderTest, ::testing::ValuesIn(ReleasingTables()),
                         [](const auto& info) { return std::string(info.param.prefix); });

void KsgOrder(bool with_index);

// The cost-centre list pairs every cost centre with every production area
// of type 1, ordered by area (within one area the database's order). Its
// records do not name the area, so each area here has a terminal group of
// its own and the order shows in which file each record went to.
TEST(KsgRowOrderTest, RecordsFollowTheProductionAreas) {
  for (bool with_index : {true, false}) {
    SCOPED_TRACE(with_index ? "with the index of the areas by type" : "without an index");
    KsgOrder(with_index);
  }
}

void KsgOrder(bool with_index) {
  TestTree tree;
  tree.CreateDb();
  if (!with_index) tree.Exec("DROP INDEX Kvs559Fbe_Typ");
  // Areas FB01..FB04 go to files 1..4; inserted out of order, as are the
  // cost centres; FB05 is of another type and not in the list.
  tree.Exec(
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
      "(1, '10.0.0.1', '3001', 'FB01', 'FB01'), (2, '10.0.0.2', '3002', 'FB02', 'FB02'), "
      "(3, '10.0.0.3', '3003', 'FB03', 'FB03'), (4, '10.0.0.4', '3004', 'FB04', 'FB04'), "
      "(5, '10.0.0.5', '3005', 'FB05', 'FB05')");
  tree.Exec(
      "INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('FB03', 1), ('FB05', 2), ('FB01', 1), "
      "('FB04', 1), ('FB02', 1)");
  tree.Exec("INSERT INTO o1003Kststelle (KstNum) VALUES ('4300'), ('4100'), ('4200')");
  std::vector<std::string> files;
  {
    FaultFs fs;
    fs.before = [&](FaultOp op, const std::string& path) {
      if (op != FAULT_WRITE || path.find("SndDnl") == std::string::npos) return;
      files.push_back(path.substr(path.find("SndDnl")));
    };
    const char* args[] = {"velmarkon", "M1", "Kvs537Ksg"};
    EXPECT_EQ(Download_Main(3, args, &kProgramEntries), 0);
  }
  std::vector<std::string> want;
  for (int n = 1; n <= 4; ++n)
    for (int k = 0; k < 3; ++k) want.push_back("SndDnl" + std::to_string(n) + ".buf");
  EXPECT_EQ(files, want);
  for (int n = 1; n <= 4; ++n) {
    std::vector<std::string> kst;
    for (const SentRecord& r : SentRecords(tree, n)) kst.push_back(r.body.substr(0, 4));
    std::sort(kst.begin(), kst.end());
    EXPECT_EQ(kst, (std::vector<std::string>{"4100", "4200", "4300"})) << n;
  }
  EXPECT_FALSE(FileExists(tree.buff() + "/SndDnl5.buf"));
}

}  // namespace
