// Test rows for the order header and order operation tests: order headers,
// operations and two terminal groups in the test database, and the bytes of
// a send-buffer record.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "download/frame.h"
#include "sendbuf/snddnl.h"
#include "support/platform.h"
#include "tests/download_kit.h"
#include "tests/test_env.h"

namespace order_test {

using testkit::B;
using testkit::L;
using testkit::Quoted;

// A change time as the tests compare it: "<now>" for a time the database has
// just set (the test clock on the embedded database, the server's own clock
// on a database server), any other time as it is.
inline std::string Fresh(const std::string& dat) {
  struct tm tm = {};
  if (sscanf(dat.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
             &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
    return dat;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  time_t real = time(nullptr);
  bool test_clock = std::llabs(static_cast<long long>(t - Plat_Now())) <= 2;
  bool server_clock = t >= real - 600 && t <= real + 2;
  return test_clock || server_clock ? "<now>" : dat;
}
// Rows of a query with column col passed through Fresh.
inline std::vector<std::vector<std::string>> FreshRows(const TestTree& t, const std::string& sql,
                                                       size_t col) {
  auto rows = t.Query(sql);
  for (auto& row : rows)
    if (col < row.size()) row[col] = Fresh(row[col]);
  return rows;
}

// An order header; its texts are derived from the order number.
inline void Header(const TestTree& t, const std::string& apk, const std::string& fbe,
                   const std::string& dwn, const std::string& dna, int sts = 3, int afo = 2) {
  t.Exec(
      "INSERT INTO Kvs501Apk (ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkBgs, "
      "ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee, ApkBdi, ApkFbe, "
      "ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn, ApkDna, ApkDwn, ApkSta, ApkDat, ApkErf, "
      "ApkAba) VALUES ('" +
      apk + "', 'Auftrag " + apk.substr(8) + "', 'Welle', 'Text-" + apk.substr(8) + "', " +
      std::to_string(sts) + ", 1, 'K1', '2024-03-07 00:00:00', '2024-04-12 00:00:00', " +
      std::to_string(afo) +
      ", 0, 'T-4711', 'Teil 1', 'Teil 2', 250.5, 0, 'STK', '2024-03-07 06:30:00', " + Quoted(fbe) +
      ", '4100', 'Frei 1', 'Frei 2', 'Frei 3', 'J', 0, " + Quoted(dna) + ", " + Quoted(dwn) +
      ", 0, '2024-03-01 12:00:00', 'hans', 0)");
}

// An order operation; its texts are derived from the operation number.
inline void Operation(const TestTree& t, const std::string& apk, const std::string& app,
                      const std::string& fbe, const std::string& dwn, const std::string& dna,
                      int sts = 3) {
  t.Exec(
      "INSERT INTO Kvs504App (AppApk, AppApp, AppVaf, AppNaf, AppBz1, AppBz2, AppTxt, AppSts, "
      "AppSis, AppBds, AppEds, AppSme, AppIme, AppAme, AppMee, AppSza, AppStr, AppSte, AppApg, "
      "AppApl, AppFbe, AppKst, AppZf1, AppZf2, AppZf3, AppDna, AppDwn, AppSsn, AppSta, AppDat, "
      "AppErf) VALUES ('" +
      apk + "', '" + app + "', '00000', '00099', 'Arbeitsgang " + app + "', 'Drehen', 'Txt', " +
      std::to_string(sts) +
      ", 0, '2024-03-07 00:00:00', '2024-03-08 00:00:00', 100, 40.5, 0.25, 'STK', 1.5, 12.25, "
      "0.75, 'DREH', 'DREH-01', " +
      Quoted(fbe) + ", '4100', 'z1', 'z2', 'z3', " + Quoted(dna) + ", " + Quoted(dwn) +
      ", 0, 0, '2024-03-01 12:00:00', 'hans')");
}

// Terminal group 1 serves FB01 and FB03, group 2 serves FB02 to FB02,
// group 3 serves FB04; FB02X is served by none.
inline void Groups(const TestTree& t) {
  t.Exec(
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1, CfgVn2, CfgBi2) VALUES "
      "(1, '10.0.0.1', '4711', 'FB01', 'FB01', 'FB03', 'FB03'), "
      "(2, '192.168.100.200', '65535', 'FB02', 'FB02', NULL, NULL), "
      "(3, '10.0.0.3', '502', 'FB04', 'FB04', NULL, NULL)");
}

// The order downloads' fixture: the groups above and the clock at a fixed
// time (2024-03-07 08:05:02 UTC).
class OrderDownloadTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    Groups(tree_);
    Plat_SetClock(1709798702);
  }
  void TearDown() override { Plat_SetClock(0); }

  // Marker, action code, change time (through Fresh) and author of the row of
  // table (columns prefix...) that where selects; {"<gone>"} without one.
  std::vector<std::string> MarksRow(const std::string& table, const std::string& prefix,
                                    const std::string& where) const {
    auto rows = tree_.Query("SELECT " + prefix + "Dwn, " + prefix + "Dna, " + prefix + "Dat, " +
                            prefix + "Erf FROM " + table + " WHERE " + where);
    if (rows.empty()) return {"<gone>"};
    rows[0][2] = Fresh(rows[0][2]);
    return rows[0];
  }
};

// A body formatter of the order tables.
template <class Row>
using BodyFormat = int32_t (*)(DownloadMessage*, Row);

// The body format writes for row in a download of marker (up to the body's
// first zero byte, if any).
template <class Row>
std::string BodyOf(BodyFormat<Row> format, const Row& row, const char* marker = "M1") {
  DownloadMessage m;
  Dnl_Begin(&m, "20240307", "090502", marker, 1);
  EXPECT_EQ(format(&m, row), 0) << marker;
  return std::string(m.body, strnlen(m.body, sizeof m.body));
}

// format on row in a download and in a repeat ("InfToGen"): the body is want
// to the letter, the message fields are fields with the kind "NEU" or, for
// the repeat, "WDH", and the frame's date and sequence number stay.
template <class Row>
void ExpectBodyInBothKinds(BodyFormat<Row> format, const Row& row, const std::string& want,
                           MessageFields fields) {
  for (const char* marker : {"M1", "InfToGen"}) {
    DownloadMessage m;
    Dnl_Begin(&m, "20240307", "090502", marker, 1);
    ASSERT_EQ(format(&m, row), 0) << marker;
    EXPECT_EQ(std::string(m.body, strnlen(m.body, sizeof m.body)), want) << marker;
    fields.kind = strcmp(marker, "InfToGen") == 0 ? "WDH" : "NEU";
    ExpectMessageFields(m, fields);
    EXPECT_STREQ(m.date, "20240307");
    EXPECT_EQ(m.seq, 1);
  }
}

// One change to a base row and the text it puts at pos of the body.
template <class Row>
struct BodyCase {
  const char* what;
  void (*change)(Row&);
  size_t pos;
  std::string want;
};

// Each case on its own copy of base: the body keeps its size and its end
// (end at size - end.size()) and holds the case's text at its position.
template <class Row>
void ExpectBodyCases(BodyFormat<Row> format, const Row& base, size_t size, const std::string& end,
                     const std::vector<BodyCase<Row>>& cases) {
  for (const BodyCase<Row>& c : cases) {
    Row row = base;
    c.change(row);
    std::string body = BodyOf(format, row);
    if (body.size() != size) {
      ADD_FAILURE() << c.what << ": body of " << body.size() << " characters, not " << size;
      continue;
    }
    EXPECT_EQ(body.substr(c.pos, c.want.size()), c.want) << c.what;
    EXPECT_EQ(body.substr(size - end.size()), end) << c.what;
  }
}

// The 552 bytes of a record to terminal group 1, 2 or 3 with the time stamp
// (yyyymmddHHMMSS, also the run's date and time) and the message's body.
inline std::string Record(int group, const std::string& stamp, const std::string& table,
                          const std::string& action, const std::string& body) {
  std::string ip = group == 1 ? "10.0.0.1" : group == 2 ? "192.168.100.200" : "10.0.0.3";
  std::string port = group == 1 ? "4711" : group == 2 ? "65535" : "502";
  std::string ip_r = std::string(15 - ip.size(), ' ') + ip;
  std::string port_r = std::string(5 - port.size(), ' ') + port;
  std::string out = "$";
  out += L(ip, 15) + L(port, 5) + stamp + "999" + ip_r + port_r + B(28) + "0460" + table;
  out += stamp.substr(2, 6) + stamp.substr(8, 6) + "BDE" + action + L(body, 438) + "*\r\n";
  return out;
}

// The bodies of the rows that Header and Operation insert.
inline std::string HeaderBody(const std::string& apk, int afo, char status) {
  return apk + L("Auftrag " + apk.substr(8), 30) + L("Welle", 30) + "Text-" + apk.substr(8, 3) +
         L("T-4711", 20) + L("Teil 1", 30) + L("Teil 2", 30) + "00000250500" + "STK" + "240307" +
         "240412" + L(std::to_string(afo), 5) + status + L("Frei 1", 10) + L("Frei 2", 20) +
         L("Frei 3", 30) + "X  ";
}
inline std::string OperationBody(const std::string& apk, const std::string& app, char status) {
  return apk + app + L("Arbeitsgang " + app, 30) + L("Drehen", 30) + L("Txt", 8) + L("DREH", 10) +
         "00000100000" + "STK" + "0001225" + "0000075" + "0000150" + "240307" + "240308" + "00000" +
         "00099" + status + L("z1", 10) + L("z2", 20) + L("z3", 30) + "00000040500" +
         "00000000250" + B(11) + "X";
}

}  // namespace order_test
