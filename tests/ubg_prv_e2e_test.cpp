// Whole runs of the program for the interruption reasons and the personnel:
// the records in the terminal groups' send buffers and the rows afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/download_main.h"
#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

namespace {

class UbgPrvRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.CreateDb();
    AddTerminalGroups(tree_);
    tree_.Exec(
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgDna, UbgDwn) VALUES "
        "('ST01', 1, 'FB02', 'Materialmangel', 'MAT', 'NEU', 'RUN1'),"
        "('ST02', 2, 'FB01', 'Werkzeugwechsel', NULL, 'AEN', 'RUN1'),"
        "('ST03', 1, 'FB01', 'alt', NULL, 'LOE', 'RUN1'),"
        "('ST04', 1, 'FB01', 'anderer Lauf', NULL, 'NEU', 'RUN2')");
    tree_.Exec(
        "INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvBer, PrvKst, PrvFbe, PrvDna, PrvDwn, PrvAwa, "
        "PrvAwn, PrvAnw, PrvNam) VALUES "
        "('4711', '2020-01-01 00:00:00', 1, '4100', 'FB01', 'NEU', 'RUN1', 0, 'U1', 1, 'Maier'),"
        "('4712', '2020-01-01 00:00:00', 2, '4200', 'FB02', 'LOE', 'RUN1', 3, NULL, 0, 'Huber'),"
        "('4713', '2020-01-01 00:00:00', 1, '4200', 'FB01', 'NEU', 'RUN2', 0, NULL, 0, 'Kern')");
  }
  int Run(const char* keyword) {
    const char* args[] = {"velmarkon", "RUN1", keyword};
    return Download_Main(3, args, &kProgramEntries);
  }
  TestTree tree_;
};

TEST_F(UbgPrvRunTest, BothKeywordsSendTheirRecordsAndReleaseTheRows) {
  ASSERT_EQ(Run("Kvs521Ubg"), 0);
  ASSERT_EQ(Run("Kvs510Prv"), 0);

  std::vector<std::string> got1, got2;
  for (const SentRecord& r : SentRecords(tree_, 1)) got1.push_back(r.table + r.action + r.body);
  for (const SentRecord& r : SentRecords(tree_, 2)) got2.push_back(r.table + r.action + r.body);
  const std::string b30(30, ' ');
  std::vector<std::string> want1 = {"UBGAEN" + std::string("SST02Werkzeugwechsel") +
                                        std::string(15, ' ') + "Werkzeugwechsel" +
                                        std::string(15 + 8, ' ') + "X",
                                    "UBGLOE" + std::string("UST03alt") + std::string(27, ' ') +
                                        "alt" + std::string(35, ' ') + "X",
                                    "PNRAEN4711    4100   AX", "AWNNEUU1      4711    X"};
  std::vector<std::string> want2 = {"UBGNEU" + std::string("UST01Materialmangel") +
                                        std::string(16, ' ') + "Materialmangel" +
                                        std::string(16, ' ') + "     MATX",
                                    "PNRLOE4712    4200   MX", "AWNLOE        4712    X"};
  EXPECT_EQ(got1, want1);
  EXPECT_EQ(got2, want2);

  auto rows = tree_.Query(
      "SELECT UbgUbg, coalesce(UbgDna, '-'), coalesce(UbgDwn, '-') FROM Kvs521Ubg "
      "ORDER BY UbgUbg");
  std::vector<std::vector<std::string>> ubg = {
      {"ST01", "-", "-"}, {"ST02", "-", "-"}, {"ST04", "NEU", "RUN2"}};
  EXPECT_EQ(rows, ubg);
  rows = tree_.Query(
      "SELECT PrvPnr, coalesce(PrvDna, '-'), coalesce(PrvDwn, '-'), PrvAwn, PrvNam "
      "FROM Kvs510Prv ORDER BY PrvPnr");
  std::vector<std::vector<std::string>> prv = {{"4711", "-", "-", "U1", "Maier"},
                                               {"4713", "NEU", "RUN2", "<NULL>", "Kern"}};
  EXPECT_EQ(rows, prv);
  EXPECT_EQ(LogEntries(tree_.log()), std::vector<std::string>{});

  // A second run with the same marker finds nothing left to send.
  ASSERT_EQ(Run("Kvs521Ubg"), 0);
  ASSERT_EQ(Run("Kvs510Prv"), 0);
  EXPECT_EQ(SentRecords(tree_, 1).size(), 4u);
  EXPECT_EQ(SentRecords(tree_, 2).size(), 3u);
}

}  // namespace
