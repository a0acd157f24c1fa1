// Statements on the workplace groups: the download cursor with the cost
// centre valid today, the exclusive key range, 16-bit status exchange, and
// the read by key.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/apg.h"
#include "db/sql.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"

namespace {

class ApgDbTest : public StatementTest {
 protected:
  // A group with every column set; sta goes into ApgSta.
  void Group(const std::string& apg, const std::string& fbe, const std::string& dwn,
             const std::string& dna, int sta = 3) {
    tree_.Exec(
        "INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgTxt, ApgKst, ApgFbe, ApgZf1, ApgZf2, ApgZf3, "
        "ApgApl, ApgTag, ApgKap, ApgPrd, ApgRst, ApgPau, ApgUnt, ApgIak, ApgSt1, ApgSt2, ApgSt3, "
        "ApgSf1, ApgSf2, ApgSf3, ApgDna, ApgDwn, ApgSta, ApgDat, ApgErf) VALUES ('" +
        apg + "', 'Bez " + apg + "', 'Txt', 'OWNKST', '" + fbe +
        "', 'z1', 'z2', 'z3', 4, 5, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 's1', 's2', 's3', 7.25, 8.25, "
        "9.25, " +
        (dna.empty() ? "NULL" : "'" + dna + "'") + ", " + (dwn.empty() ? "NULL" : "'" + dwn + "'") +
        ", " + std::to_string(sta) + ", '2001-02-03 04:05:06', 'erf')");
  }

  // The row Group stores, as the statements deliver it (see ExpectRow), but
  // for the cost centre: the group's own, which the download cursor replaces.
  static std::string GroupRow(const std::string& apg, const std::string& fbe,
                              const std::string& dwn, const std::string& dna, int sta) {
    return "ApgApg=" + apg + "|ApgBez=Bez " + apg + "|ApgFbe=" + fbe + "|ApgDna=" + dna +
           "|ApgDwn=" + dwn + "|ApgSta=" + std::to_string(sta) +
           "|ApgTxt=Txt|ApgKst=OWNKST|ApgZf1=z1|ApgZf2=z2|ApgZf3=z3|ApgApl=4|ApgTag=5|"
           "ApgKap=1.5|ApgPrd=2.5|ApgRst=3.5|ApgPau=4.5|ApgUnt=5.5|ApgIak=6.5|ApgSt1=s1|"
           "ApgSt2=s2|ApgSt3=s3|ApgSf1=7.25|ApgSf2=8.25|ApgSf3=9.25|ApgErf=erf";
  }

  // Assigns cost centre kst to group apg, valid from the day `from` days
  // after today to the date to_or_null (nullptr: no end).
  void Assign(const std::string& apg, int from, const char* to_or_null, const std::string& kst) {
    std::string to = "NULL";
    if (to_or_null) to = std::string("'").append(to_or_null).append("'");
    tree_.Exec("INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES ('" + apg + "', '" +
               DateText(from) + "', " + to + ", '" + kst + "')");
  }
};

TEST_F(ApgDbTest, DownloadCursorJoinsEachAssignmentValidToday) {
  std::string today = DateText(0), tomorrow = DateText(1), yesterday = DateText(-1);
  Group("ENDS_TODAY", "F3", "M1", "NEU");
  Assign("ENDS_TODAY", -5, today.c_str(), "K_TODAY");
  Group("ENDS_TMRW", "F1", "M1", "AEN", 70000);  // 32 bits through this cursor
  Assign("ENDS_TMRW", -5, tomorrow.c_str(), "K_TMRW");
  Group("OPEN", "F2", "M1", "LOE");
  Assign("OPEN", 0, nullptr, "K_OPEN");
  Group("TWO", "F4", "M1", "NEU");
  Assign("TWO", -3, nullptr, "K_TWO_A");
  Assign("TWO", -1, tomorrow.c_str(), "K_TWO_B");
  Group("ENDED", "F0", "M1", "NEU");
  Assign("ENDED", -5, yesterday.c_str(), "K_ENDED");
  Group("STARTS", "F0", "M1", "NEU");
  Assign("STARTS", 1, nullptr, "K_STARTS");
  Group("NONE", "F0", "M1", "NEU");
  Group("OTHER", "F0", "M2", "NEU");
  Assign("OTHER", -1, nullptr, "K_OTHER");

  ApgRow start = Filled<ApgRow>(0);
  CopyText(start.ApgDat, "caller");
  const std::string ends_tmrw =
      GroupRow("ENDS_TMRW", "F1", "M1", "AEN", 70000) + "|ApgKst=K_TMRW|ApgDat=caller";
  std::string got;
  for (const ApgRow& r : Fetched(Apg_OpenDnl("M1"), Apg_FetchDnl, Apg_CloseDnl, start)) {
    got += std::string(r.ApgApg) + "/" + r.ApgKst + "/" + r.ApgFbe + " ";
    EXPECT_STREQ(r.ApgDat, "caller");  // no column of the cursor
    if (strcmp(r.ApgApg, "ENDS_TMRW") == 0) ExpectRow(r, ends_tmrw);
  }

  std::string two = got.substr(got.find("TWO/"));
  EXPECT_EQ(got.substr(0, got.find("TWO/")),
            "ENDS_TMRW/K_TMRW/F1 OPEN/K_OPEN/F2 ENDS_TODAY/K_TODAY/F3 ");
  EXPECT_TRUE(two == "TWO/K_TWO_A/F4 TWO/K_TWO_B/F4 " || two == "TWO/K_TWO_B/F4 TWO/K_TWO_A/F4 ")
      << two;
}

TEST_F(ApgDbTest, RangeIsExclusiveAndCarriesTheGroupsOwnColumns) {
  for (const char* apg : {"0000000000", "0000000001", "5", "9999999998", "9999999999"})
    Group(apg, "F1", "", "", -32768);
  const auto rows = Fetched(Apg_OpenRange("0000000000", "9999999999"), Apg_FetchRange,
                            Apg_CloseRange, Filled<ApgRow>(0));
  EXPECT_EQ(Joined(rows, &ApgRow::ApgApg, " "), "0000000001 5 9999999998 ");
  // The group's own cost centre, ApgSta the least of 16 bits, the NULL marks
  // as empty texts.
  for (const ApgRow& r : rows) ExpectRow(r, GroupRow(r.ApgApg, "F1", "", "", -32768));
}

TEST_F(ApgDbTest, ReadKeepsOnlyTheKeyWhenTheGroupIsMissing) {
  Group("G1", "F1", "M1", "NEU", -2);
  ApgRow row;
  memset(&row, 'x', sizeof row);
  CopyText(row.ApgApg, "G1");
  CopyText(row.ApgDat, "caller");
  ASSERT_EQ(Apg_PKeyRead(&row), 0);
  ExpectRow(row, GroupRow("G1", "F1", "M1", "NEU", -2) + "|ApgDat=caller");

  CopyText(row.ApgApg, "G2");
  EXPECT_EQ(Apg_PKeyRead(&row), SQL_NOTFOUND);
  ExpectSameBytes(row, OnlyKey(&ApgRow::ApgApg, "G2"));
}

}  // namespace
