// The record layout against the program's own formatters: a row of every
// table is formatted into a record, the record decoded with the layout, and
// every field compared with what the row holds. A formatter that moves a
// field, or a layout that describes it elsewhere, fails here.
#include "sendbuf/record_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "download/apg_dnl.h"
#include "download/apk_dnl.h"
#include "download/apl_dnl.h"
#include "download/app_dnl.h"
#include "download/frame.h"
#include "download/ksg_dnl.h"
#include "download/order_body.h"
#include "download/prv_dnl.h"
#include "download/ubg_dnl.h"
#include "sendbuf/snddnl.h"
#include "support/text.h"
#include "tests/table_rows.h"
#include "tests/test_env.h"

namespace {

// Full-width text that differs at every place: tag, then digits.
std::string W(const std::string& tag, size_t width) {
  std::string s = tag;
  while (s.size() < width) s += static_cast<char>('0' + s.size() % 10);
  return s;
}
using testkit::B;
std::string Number(double v) {
  char out[11];
  Ord_Number(out, v);
  return std::string(out, 11);
}
std::string ShortNumber(double v) {
  char out[7];
  Ord_ShortNumber(out, v);
  return std::string(out, 7);
}

// The record of msg, decoded: the header as every record has it, the body
// fields in the layout's order equal to body, the end.
void Check(const DownloadMessage& msg, const char* table, const char* action,
           const std::vector<std::string>& body) {
  SCOPED_TRACE(table);
  char rec[600];
  ASSERT_EQ(SndDnl_Format(msg, "10.0.0.1", "4711", "20240307090502", rec), REC_LEN);
  RecDecoded d;
  ASSERT_EQ(Rec_Decode(rec, REC_LEN, &d), REC_OK);
  ASSERT_NE(d.layout, nullptr);
  EXPECT_STREQ(d.layout->table, table);
  std::vector<std::string> want = {"$",      "10.0.0.1" + B(7),
                                   "4711 ",  "20240307090502",
                                   "999",    B(7) + "10.0.0.1",
                                   " 4711",  B(28),
                                   "0460",   table,
                                   "240307", "090502",
                                   "BDE",    action};
  want.insert(want.end(), body.begin(), body.end());
  want.push_back("*");
  want.push_back("\r\n");
  ASSERT_EQ(d.count, static_cast<int>(want.size()));
  for (int i = 0; i < d.count; ++i) {
    const RecValue& v = d.values[i];
    ASSERT_EQ(v.have, v.width) << v.name;
    EXPECT_EQ(std::string(v.text, static_cast<size_t>(v.width)), want[static_cast<size_t>(i)])
        << v.name << " at " << v.offset;
  }
  // Beyond the last field the body is blank.
  const RecValue& last = d.values[d.count - 3];
  for (int at = last.offset + last.width; at < REC_END_OFFSET; ++at)
    EXPECT_EQ(rec[at], ' ') << "at " << at;
}

DownloadMessage Begin() {
  DownloadMessage msg;
  Dnl_Begin(&msg, "20240307", "090502", "M1", 1);
  return msg;
}

// Check on the message that format fills from row.
template <class Row>
void CheckRow(int32_t (*format)(DownloadMessage*, Row), const Row& row, const char* table,
              const char* action, const std::vector<std::string>& body) {
  DownloadMessage msg = Begin();
  ASSERT_EQ(format(&msg, row), 0) << table;
  Check(msg, table, action, body);
}

TEST(RecordLayoutTest, OrderHeader) {
  ApkRow r = table_rows::HeaderRow({.apk = W("A", 12),
                                    .bz1 = W("B1", 30),
                                    .bz2 = W("B2", 30),
                                    .txt = W("TX", 10),  // the record holds 8 of them
                                    .tnr = W("TN", 20),
                                    .tb1 = W("T1", 30),
                                    .tb2 = W("T2", 30),
                                    .sme = 250.5,
                                    .mee = "STK",
                                    .bgs = "20240308",
                                    .ens = "20241231",
                                    .afo = 12,
                                    .sts = 3,
                                    .zf1 = W("Z1", 10),
                                    .zf2 = W("Z2", 20),
                                    .zf3 = W("Z3", 30),
                                    .dna = "AEN"});
  CheckRow(Apk_DnlSatz, r, "APK", "AEN",
           {W("A", 12), W("B1", 30), W("B2", 30), W("TX", 8), W("TN", 20), W("T1", 30), W("T2", 30),
            Number(250.5), "STK", "240308", "241231", "12   ", "3", W("Z1", 10), W("Z2", 20),
            W("Z3", 30), "X"});
}

TEST(RecordLayoutTest, OrderOperation) {
  AppRow r = table_rows::OperationRow({.apk = W("A", 12),
                                       .app = "00010",
                                       .bz1 = W("B1", 30),
                                       .bz2 = W("B2", 30),
                                       .txt = W("TX", 10),
                                       .apg = W("G", 10),
                                       .sme = 12.5,
                                       .mee = "KG ",
                                       .str = 1.25,
                                       .ste = 2.5,
                                       .sza = 30.125,
                                       .bds = "20240308",
                                       .eds = "20240309",
                                       .vaf = "00005",
                                       .naf = "00020",
                                       .sts = 1,
                                       .zf1 = W("Z1", 10),
                                       .zf2 = W("Z2", 20),
                                       .zf3 = W("Z3", 30),
                                       .ime = 3.5,
                                       .ame = 1.0,
                                       .dna = "NEU"});
  CheckRow(App_DnlSatz, r, "APP", "NEU",
           {W("A", 12),
            "00010",
            W("B1", 30),
            W("B2", 30),
            W("TX", 8),
            W("G", 10),
            Number(12.5),
            "KG ",
            ShortNumber(1.25),
            ShortNumber(2.5),
            ShortNumber(30.125),
            "240308",
            "240309",
            "00005",
            "00020",
            "1",
            W("Z1", 10),
            W("Z2", 20),
            W("Z3", 30),
            Number(3.5),
            Number(1.0),
            B(11),
            "X"});
}

TEST(RecordLayoutTest, WorkplaceGroup) {
  ApgRow r = table_rows::GroupRow({.apg = W("G", 10),
                                   .bez = W("BZ", 30),
                                   .txt = W("TX", 10),
                                   .fbe = W("FB", 10),
                                   .kst = "KST4711",
                                   .zf1 = W("Z1", 10),
                                   .zf2 = W("Z2", 20),
                                   .zf3 = W("Z3", 30),
                                   .dna = "LOE"});
  CheckRow(Apg_DnlSatz, r, "MAG", "LOE",
           {W("G", 10), W("BZ", 30), W("TX", 8), W("FB", 10), "KST4711", B(10), W("Z1", 10),
            W("Z2", 20), W("Z3", 30)});
}

TEST(RecordLayoutTest, Workplace) {
  TestTree tree;
  tree.Connect();  // the workplace's cost centre comes from its group's assignment
  tree.Exec("INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES ('" + W("G", 10) +
            "', '" + DateText(-30) + "', NULL, 'KST4711')");
  AplRow r = table_rows::PlaceRow({.apl = W("P", 10),
                                   .bez = W("BZ", 30),
                                   .txt = W("TX", 10),
                                   .fbe = W("FB", 10),
                                   .apg = W("G", 10),
                                   .apr = 42,
                                   .sts = 1,
                                   .zf1 = W("Z1", 10),
                                   .zf2 = W("Z2", 20),
                                   .zf3 = W("Z3", 30),  // 23 of its 30 places are kept
                                   .dna = "AEN"});
  CheckRow(Apl_DnlSatz, r, "MAS", "AEN",
           {W("P", 10), W("BZ", 30), W("TX", 8), W("FB", 10), "KST4711", W("G", 10), B(20), "   42",
            "1", W("Z1", 10), W("Z2", 20), W("Z3", 23), "X"});
}

TEST(RecordLayoutTest, InterruptionReason) {
  UbgRow r{};
  CopyText(r.UbgUbg, "R123");
  r.UbgKnz = 1;
  CopyText(r.UbgBez, W("BZ", 30).c_str());
  CopyText(r.UbgTxt, W("TX", 8).c_str());
  CopyText(r.UbgDna, "AEN");
  DownloadMessage msg = Begin();
  ASSERT_EQ(Ubg_DnlSatz(&msg, r), 0);
  Check(msg, "UBG", "AEN", {"U", "R123", W("BZ", 30), W("BZ", 30), W("TX", 8), "X"});
}

TEST(RecordLayoutTest, PersonnelAndLeave) {
  PrvRow r{};
  CopyText(r.PrvPnr, "00004711");
  CopyText(r.PrvKst, "KST4711");
  r.PrvBer = 2;
  CopyText(r.PrvAwn, W("AW", 8).c_str());
  CopyText(r.PrvDna, "AEN");
  DownloadMessage msg = Begin();
  ASSERT_EQ(Prv_DnlSatz(&msg, r), 0);
  Check(msg, "PNR", "AEN", {"00004711", "KST4711", "M", "X"});
  ASSERT_EQ(Prv_AwnSatz(&msg, r), 0);
  Check(msg, "AWN", "AEN", {W("AW", 8), "00004711", "X"});
}

TEST(RecordLayoutTest, CostCentre) {
  KsgRow r{};
  CopyText(r.KsgKst, "KST4711");
  DownloadMessage msg = Begin();
  ASSERT_EQ(Ksg_DnlSatz(&msg, r), 0);
  Check(msg, "KST", "NEU", {"KST4711", "Kostenstelle" + B(13), B(5), "X"});
}

// Every layout is a sequence of fields inside the body, none overlapping;
// the header runs without a gap up to the body.
TEST(RecordLayoutTest, FieldsStayInsideTheirPartInOrder) {
  int n = 0;
  const RecField* h = Rec_Header(&n);
  int at = 0;
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(h[i].offset, at) << h[i].name;
    at += h[i].width;
  }
  EXPECT_EQ(at, REC_BODY_OFFSET);
  const RecLayout* layouts = Rec_Layouts(&n);
  EXPECT_EQ(n, 8);
  for (int l = 0; l < n; ++l) {
    int end = 0;
    for (int i = 0; i < layouts[l].count; ++i) {
      const RecField& f = layouts[l].fields[i];
      EXPECT_GE(f.offset, end) << layouts[l].table << " " << f.name;
      EXPECT_GT(f.width, 0) << layouts[l].table << " " << f.name;
      end = f.offset + f.width;
    }
    EXPECT_LE(end, REC_BODY_WIDTH) << layouts[l].table;
    EXPECT_EQ(Rec_FindLayout(layouts[l].table), &layouts[l]);
  }
  const RecField* e = Rec_End(&n);
  EXPECT_EQ(e[0].offset, REC_END_OFFSET);
  EXPECT_EQ(e[n - 1].offset + e[n - 1].width, REC_LEN);
}

// The decoder on what a file may hold: part of a record, a record without
// its end, a table code without a layout. It never reads past its input.
TEST(RecordLayoutTest, DecodesPartsAndStrangersWithinTheirBytes) {
  std::string good(REC_LEN, ' ');
  good.replace(90, 3, "UBG");
  good.replace(REC_END_OFFSET, 3, "*\r\n");
  std::string foreign = good;
  foreign.replace(90, 3, "XYZ");
  std::string no_end = good;
  no_end[REC_END_OFFSET] = 'X';
  struct Case {
    std::string data;
    size_t len;
    int32_t rc;
    const char* layout;  // nullptr: the whole body as one field
    int count;
  } cases[] = {
      {good, REC_LEN, REC_OK, "UBG", 14 + 6 + 2},
      {foreign, REC_LEN, REC_OK, nullptr, 14 + 1 + 2},
      {no_end, REC_LEN, REC_NO_END, "UBG", 14 + 6 + 2},
      {good, 200, REC_SHORT, "UBG", 14 + 6 + 2},
      {good, 92, REC_SHORT, nullptr, 14 + 1 + 2},  // the table code is cut
      {good, 0, REC_SHORT, nullptr, 14 + 1 + 2},
  };
  for (const Case& c : cases) {
    // An exact copy on the heap: reading past it is caught by the sanitizer.
    std::vector<char> bytes(c.data.begin(), c.data.begin() + static_cast<long>(c.len));
    RecDecoded d;
    EXPECT_EQ(Rec_Decode(bytes.data(), bytes.size(), &d), c.rc) << c.len;
    EXPECT_STREQ(d.layout ? d.layout->table : "-", c.layout ? c.layout : "-") << c.len;
    EXPECT_EQ(d.count, c.count) << c.len;
    for (int i = 0; i < d.count; ++i) {
      const RecValue& v = d.values[i];
      EXPECT_TRUE(v.have == 0 || v.offset + v.have <= static_cast<int>(c.len)) << v.name;
      EXPECT_TRUE(v.have == 0 || v.text == bytes.data() + v.offset) << v.name;
      char text[3 * REC_BODY_WIDTH + 1];
      EXPECT_LE(Rec_ValueText(v, text, sizeof text), 3u * static_cast<size_t>(v.have));
    }
  }
}

}  // namespace
