// Statements on the workplaces: the download cursor by marker, the exclusive
// key range, the 16-bit columns, the date AplUdt, and the read by key.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/apl.h"
#include "db/sql.h"
#include "tests/row_fields.h"
#include "tests/statement_test.h"
#include "tests/test_env.h"

namespace {

const char kCols[] =
    "AplApl, AplBez, AplTxt, AplApg, AplFbe, AplSts, AplSis, AplApr, AplAaf, AplUbg, AplUdt, "
    "AplZf1, AplZf2, AplZf3, AplTag, AplVrf, AplRsp, AplRsi, AplAfp, AplAfi, AplPau, AplUnt, "
    "AplIak, AplAvt, AplKap, AplAvr, AplAvp, AplSt1, AplSt2, AplSt3, AplSf1, AplSf2, AplSf3, "
    "AplDna, AplDwn, AplSta, AplErf";

class AplDbTest : public StatementTest {
 protected:
  void Place(const std::string& apl, const std::string& fbe, const std::string& dwn,
             const std::string& dna, int sts = 1, int sis = 2, int sta = 3) {
    tree_.Exec(
        std::string("INSERT INTO Kvs531Apl (") + kCols + ", AplDat) VALUES ('" + apl + "', 'Bez " +
        apl + "', 'Txt', 'G1', '" + fbe + "', " + std::to_string(sts) + ", " + std::to_string(sis) +
        ", 42, 6, 'U1', '2024-03-07 08:15:30', 'z1', 'z2', 'z3', 7, 1.5, 2.5, 3.5, 4.5, "
        "5.5, 6.5, 7.5, 8.5, 9, 10.5, 11.5, 12.5, 's1', 's2', 's3', 13.25, 14.25, 15.25, " +
        (dna.empty() ? "NULL" : "'" + dna + "'") + ", " + (dwn.empty() ? "NULL" : "'" + dwn + "'") +
        ", " + std::to_string(sta) + ", 'erf', '2001-02-03 04:05:06')");
  }

  // The row Place stores, as the statements deliver it (see ExpectRow); the
  // range cursor and the read give AplUdt so.
  static std::string PlaceRow(const std::string& apl, const std::string& fbe,
                              const std::string& dwn, const std::string& dna, int sts, int sis,
                              int sta) {
    return "AplApl=" + apl + "|AplBez=Bez " + apl + "|AplFbe=" + fbe + "|AplDna=" + dna +
           "|AplDwn=" + dwn + "|AplSts=" + std::to_string(sts) + "|AplSis=" + std::to_string(sis) +
           "|AplSta=" + std::to_string(sta) +
           "|AplTxt=Txt|AplApg=G1|AplApr=42|AplAaf=6|AplUbg=U1|AplUdt=20240307081530|"
           "AplZf1=z1|AplZf2=z2|AplZf3=z3|AplTag=7|AplVrf=1.5|AplRsp=2.5|AplRsi=3.5|AplAfp=4.5|"
           "AplAfi=5.5|AplPau=6.5|AplUnt=7.5|AplIak=8.5|AplAvt=9|AplKap=10.5|AplAvr=11.5|"
           "AplAvp=12.5|AplSt1=s1|AplSt2=s2|AplSt3=s3|AplSf1=13.25|AplSf2=14.25|AplSf3=15.25|"
           "AplErf=erf";
  }
};

TEST_F(AplDbTest, DownloadCursorSelectsTheMarkedByArea) {
  Place("P1", "F2", "M1", "NEU", -1, 32767, 70000);
  Place("P2", "F1", "M1", "LOE");
  Place("P3", "F0", "M2", "NEU");
  Place("P4", "F0", "", "");
  AplRow start = Filled<AplRow>(0);
  CopyText(start.AplDat, "caller");
  const auto rows = Fetched(Apl_OpenDnl("M1"), Apl_FetchDnl, Apl_CloseDnl, start);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0].AplApl, "P2");
  // AplSis in 16 bits, AplSta in 32 through this cursor.
  ExpectRow(rows[1], PlaceRow("P1", "F2", "M1", "NEU", -1, 32767, 70000) + "|AplDat=caller",
            "AplUdt");
  EXPECT_EQ(strlen(rows[1].AplUdt), 14u);  // the database's own form, cut to the field
}

TEST_F(AplDbTest, RangeIsExclusiveWithDigitsDateAndSixteenBitStatus) {
  for (const char* apl : {"0000000000", "0000000001", "9999999998", "9999999999"})
    Place(apl, "F1", "", "", 1, 2, -32768);
  const auto rows = Fetched(Apl_OpenRange("0000000000", "9999999999"), Apl_FetchRange,
                            Apl_CloseRange, Filled<AplRow>(0));
  EXPECT_EQ(Joined(rows, &AplRow::AplApl, " "), "0000000001 9999999998 ");
  // AplUdt as digits, AplSta the least of 16 bits.
  for (const AplRow& r : rows) ExpectRow(r, PlaceRow(r.AplApl, "F1", "", "", 1, 2, -32768));
}

TEST_F(AplDbTest, ReadOfAMissingKeyKeepsOnlyTheKey) {
  AplRow row;
  memset(&row, 'x', sizeof row);
  CopyText(row.AplApl, "NOPE");
  EXPECT_EQ(Apl_PKeyRead(&row), SQL_NOTFOUND);
  ExpectSameBytes(row, OnlyKey(&AplRow::AplApl, "NOPE"));
}

}  // namespace
