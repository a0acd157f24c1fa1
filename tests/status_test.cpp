// velmarkon-status on the demo data set, run as a site runs it: in the
// working folder of a test tree. Text and JSON, a torn send-buffer file, stale
// rows, log entries before and after the last clean run, a missing log, and
// the state file the program leaves at the end of each run. On the
// PostgreSQL server too (the suite name matches the server suites).
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "db/session.h"
#include "run/about.h"
#include "run/last_run.h"
#include "tests/run_program.h"
#include "tests/test_env.h"

namespace {

// A small JSON checker: true when text is one well-formed JSON value.
class JsonCheck {
 public:
  explicit JsonCheck(const std::string& t) : s_(t) {}
  bool Ok() {
    Space();
    if (!Value()) return false;
    Space();
    return i_ == s_.size();
  }

 private:
  void Space() {
    while (i_ < s_.size() && isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool Eat(char c) {
    Space();
    if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
    return false;
  }
  bool Word(const char* w) {
    const size_t n = strlen(w);
    if (s_.compare(i_, n, w) != 0) return false;
    i_ += n;
    return true;
  }
  bool String() {
    if (!Eat('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      const unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (c < 0x20) return false;
      if (c == '\\') {
        ++i_;
        if (i_ >= s_.size() || !strchr("\"\\/bfnrtu", s_[i_])) return false;
      }
      ++i_;
    }
    return Eat('"');
  }
  bool Number() {
    const size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    while (i_ < s_.size() && isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    return i_ > start && isdigit(static_cast<unsigned char>(s_[i_ - 1]));
  }
  bool Value() {
    Space();
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '"') return String();
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++i_;
      if (Eat(close)) return true;
      do {
        if (c == '{' && !(String() && Eat(':'))) return false;
        if (!Value()) return false;
      } while (Eat(','));
      return Eat(close);
    }
    return Word("true") || Word("false") || Word("null") || Number();
  }
  const std::string& s_;
  size_t i_ = 0;
};

// A path as a JSON string: a backslash of a Windows path doubled.
std::string JsonPath(const char* path) {
  std::string s = "\"";
  for (const char* p = path; *p; ++p) s += *p == '\\' ? std::string("\\\\") : std::string(1, *p);
  return s + "\"";
}

TEST(JsonCheckTest, TellsWellFormedFromBroken) {
  EXPECT_TRUE(JsonCheck(R"({"a": [1, -2, "x\"y", true, null, {}], "b": {"c": []}})").Ok());
  for (const char* bad :
       {R"({"a": 1,})", R"({"a" 1})", "[1 2]", "\"tab\there\"", R"({"a": 1}})", R"(["\q"])"})
    EXPECT_FALSE(JsonCheck(bad).Ok()) << bad;
}

class StatusRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.CreateDb();
    for (const char* f : {"10_terminals.sql", "20_cost_centres.sql", "30_orders.sql",
                          "40_workplaces.sql", "50_reasons_personnel.sql"})
      tree_.Exec(ReadFileBytes(std::string(VK_SOURCE_DIR) + "/schema/demo/" + f));
  }

  Ran Status(const std::string& args = "") {
    return RunProgram("velmarkon-status", args, "LC_ALL=C.UTF-8");
  }

  // A log entry as the program writes it.
  static std::string Entry(const char* date, const char* time, const char* fn, const char* msg,
                           int code) {
    return std::string("\xFE\r\nSystem-Date: ") + date + "\r\nSystem-Time: " + time +
           "\r\nMsgArt_____: FMSG \r\nMessage____: " + msg + "\r\nFunktion___: " + fn +
           "\r\nErrorCode__: " + std::to_string(code) + "\r\n";
  }

  TestTree tree_;
};

constexpr int kStale = 4, kSendBuf = 8, kLog = 16;

TEST_F(StatusRunTest, TextShowsWaitingRowsByMarkerAndActionBeforeAnyRun) {
  Ran r = Status();
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  for (const char* line : {
           "  Kvs501Apk  marker DEMO      action AEN       1 row(s)  oldest change "
           "2024-03-06 16:15:00\n",
           "  Kvs504App  marker DEMO      action NEU       3 row(s)  oldest change "
           "2024-03-06 16:12:00\n",
           "  Kvs510Prv  marker LATER     action NEU       1 row(s)  oldest change "
           "2024-03-01 08:00:00\n",
           "  not present\n",          // no update request in the demo data
           "  no send-buffer file\n",  // the folder exists, empty
           "  no log file\n",
           "  no run on record (no " LAST_RUN_FILE_PATH ")\n",
           "\nNothing needs attention.\n",
       })
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(StatusRunTest, JsonIsOneDocumentWithTheSameFacts) {
  tree_.Exec(
      "INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, "
      "UpdAlb, UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb, "
      "UpdDat, UpdErf) VALUES ('UPD', '000000000001', '999999999999', '            ', "
      "'            ', '     ', '     ', '          ', '          ', '          ', '          ', "
      "'A\"1  ', 'Zä   ', '     ', '     ', '        ', '        ', '     ', '     ', "
      "'2024-01-02 03:04:05', 'meister')");
  Ran r = Status("--json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(JsonCheck(r.out).Ok()) << r.out;
  for (
      const std::string& part : std::vector<std::string>{
          R"({"marker": "DEMO", "action": "LOE", "rows": 2, "oldest_change": "2024-03-01T08:00:00", "stale": false})",
          R"("update_request": {"present": true, "changed_at": "2024-01-02T03:04:05", "changed_by": "meister", "ranges": [)",
          R"({"from_column": "UpdAkv", "to_column": "UpdAkb", "what": "order headers", "from": "000000000001", "to": "999999999999"})",
          // Windows-1252 from the database arrives as UTF-8, quotes escaped
          R"("from": "A\"1  ", "to": "Zä   "})",
          std::string(R"("log": {"file": )") + JsonPath(PLAT_MSG_FILE) + R"(, "present": false,)",
          R"("attention": [],)",
          "\"exit_status\": 0\n}\n",
      })
    EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
  EXPECT_EQ(r.out.find("UpdAgv"), std::string::npos) << "blank pairs are left out";
}

TEST_F(StatusRunTest, RowsMarkedLongerThanTheGivenAgeNeedAPerson) {
  Ran stale = Status("--stale 1");  // the demo rows were changed in 2024
  EXPECT_EQ(stale.status, kStale);
  EXPECT_NE(stale.out.find("2024-03-06 16:12:00  STALE"), std::string::npos) << stale.out;
  EXPECT_NE(stale.out.find("  - Kvs501Apk: rows marked longer than 1 hours, the oldest since "
                           "2024-03-06 16:12:00\n  - Kvs504App: "),
            std::string::npos)
      << stale.out;
  Ran json = Status("--json --stale 1");
  EXPECT_EQ(json.status, kStale);
  EXPECT_NE(json.out.find(R"("stale_hours": 1,)"), std::string::npos);
  EXPECT_NE(json.out.find(R"("stale": true)"), std::string::npos);

  EXPECT_EQ(Status("--stale 1000000").status, 0);  // more than a century
  tree_.Exec(
      "UPDATE Kvs501Apk SET ApkDwn = NULL; UPDATE Kvs504App SET AppDwn = '        ';"
      "DELETE FROM Kvs530Apg; DELETE FROM Kvs531Apl; DELETE FROM Kvs521Ubg;"
      "DELETE FROM Kvs510Prv");
  Ran none = Status("--stale 1");
  EXPECT_EQ(none.status, 0) << none.out;  // NULL and blank markers do not wait
  EXPECT_NE(none.out.find("  Kvs504App  none\n"), std::string::npos) << none.out;
}

TEST_F(StatusRunTest, TornSendBufferFileIsFlagged) {
  std::string rec(552, ' ');
  rec.replace(0, 1, "$");
  rec.replace(550, 2, "\r\n");
  std::string first = rec, second = rec;
  first.replace(21, 14, "20240307061530");
  second.replace(21, 14, "20240308070000");
  WriteFileBytes(tree_.buff() + "/SndDnl2.buf", first + second);
  WriteFileBytes(tree_.buff() + "/SndDnl10.buf", first + second + rec.substr(0, 100));
  WriteFileBytes(tree_.buff() + "/SndDnl.buf", "not a send buffer");

  Ran r = Status();
  EXPECT_EQ(r.status, kSendBuf) << r.out;
  EXPECT_NE(r.out.find("  SndDnl2.buf        1104 bytes         2 record(s)  newest "
                       "2024-03-08 07:00:00\n  SndDnl10.buf       1204 bytes         2 record(s)  "
                       "newest 2024-03-08 07:00:00  TORN: 100 byte(s) after the last whole "
                       "record\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("SndDnl.buf"), std::string::npos);
  Ran j = Status("--json");
  EXPECT_EQ(j.status, kSendBuf);
  EXPECT_NE(
      j.out.find(
          R"({"file": "SndDnl10.buf", "readable": true, "size": 1204, "records": 2, "torn": true, "tail_bytes": 100, "newest": "2024-03-08T07:00:00"})"),
      std::string::npos)
      << j.out;
}

TEST_F(StatusRunTest, LogEntriesCountAgainstTheLastCleanRun) {
  const std::string log =
      Entry("06.03.24", "16:00:00", "Apk_Dnl", "Fehler beim Lesen", -3113) +
      Entry("07.03.24", "06:15:30", "Get_Download", "Download->unbekannte Tabelle", 0) +
      Entry("07.03.24", "06:20:00", "Ubg_Dnl", "Grund \xE4ndern", -1);
  WriteFileBytes(tree_.log(), log);

  // No run on record: every entry needs a look.
  Ran all = Status("--log 2");
  EXPECT_EQ(all.status, kLog) << all.out;
  EXPECT_NE(all.out.find("  3 entries\n"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("  last 2 entries:\n    07.03.24 06:15:30  FMSG  Get_Download: "
                         "Download->unbekannte Tabelle  (ErrorCode 0)\n    07.03.24 06:20:00  "
                         "FMSG  Ubg_Dnl: Grund \xC3\xA4ndern  (ErrorCode -1)\n"),
            std::string::npos)
      << all.out;
  EXPECT_EQ(all.out.find("Apk_Dnl"), std::string::npos);  // only the last 2

  // A failed run after a clean one: the entries after the clean run count.
  WriteFileBytes(tree_.work() + "/Msg/Velmarkon.run", "20240307062000 255\n20240307061530 0\n");
  Ran some = Status("--json");
  EXPECT_EQ(some.status, kLog);
  EXPECT_TRUE(JsonCheck(some.out).Ok()) << some.out;
  EXPECT_NE(some.out.find(R"("entries": 3, "entries_since_clean_run": 1,)"), std::string::npos)
      << some.out;
  EXPECT_NE(
      some.out.find(
          R"("last_run": {"end": "2024-03-07T06:20:00", "exit_status": 255}, "last_clean_run": {"end": "2024-03-07T06:15:30"})"),
      std::string::npos)
      << some.out;
  EXPECT_NE(some.out.find(R"("function": "Ubg_Dnl", "message": "Grund ändern", "error_code": -1})"),
            std::string::npos);

  // A clean run after the last entry: nothing to look at.
  WriteFileBytes(tree_.work() + "/Msg/Velmarkon.run", "20240307062000 0\n");
  EXPECT_EQ(Status().status, 0);

  // Without a UTF-8 locale the text stays readable in plain ASCII.
  Ran ascii = RunProgram("velmarkon-status", "", "LC_ALL=C LANG=C LC_CTYPE=C");
  EXPECT_NE(ascii.out.find("Ubg_Dnl: Grund ?ndern"), std::string::npos) << ascii.out;
}

TEST_F(StatusRunTest, ProgramRecordsItsRunsForTheStatus) {
  const std::string state = tree_.work() + "/Msg/Velmarkon.run";
  Ran bad = RunProgram("velmarkon", "DEMO kvs501apk");
  EXPECT_EQ(bad.status, 255);
  LastRun run;
  ASSERT_EQ(LastRun_Read(state.c_str(), &run), 0);
  EXPECT_EQ(run.status, 255);
  EXPECT_STREQ(run.clean_end, "");
  EXPECT_EQ(Status().status, kLog);

  Ran good = RunProgram("velmarkon", "DEMO Kvs501Apk");
  EXPECT_EQ(good.status, 0) << good.err;
  ASSERT_EQ(LastRun_Read(state.c_str(), &run), 0);
  EXPECT_EQ(run.status, 0);
  EXPECT_STREQ(run.clean_end, run.end);
  Ran after = Status("--json");
  EXPECT_EQ(after.status & kLog, 0) << after.out;  // the entries came before the clean run
  EXPECT_NE(after.out.find(R"("Kvs501Apk", "result": 0, "waiting": []})"), std::string::npos)
      << after.out;
  EXPECT_NE(
      after.out.find(
          R"("file": "SndDnl2.buf", "readable": true, "size": 1104, "records": 2, "torn": false)"),
      std::string::npos)
      << after.out;
}

TEST_F(StatusRunTest, DatabaseOutOfReachIsReportedAndTheFilesStillShown) {
  tree_.WriteConfig("bde", "secret", "sqlite:nowhere.db");
  std::filesystem::remove_all(tree_.work() + "/Msg");
  Ran r = Status();
  EXPECT_EQ(r.status, 32) << r.out;
  EXPECT_NE(r.out.find("  database not reached (result -12154)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  no log file\n"), std::string::npos);  // a missing log is no fault
  EXPECT_NE(r.out.find("  no send-buffer file\n"), std::string::npos);
}

// Each program answers --help and --version, and its wrong usage goes to
// standard error with exit status 2 (velmarkon keeps its logged 255).
TEST(ProgramOptionsTest, HelpVersionAndWrongUsage) {
  TestTree tree;  // no configuration: help and version must not need one
  char backends[64];
  const std::string version_tail = std::string(" ") + About_Version() + "\ndatabase back ends: " +
                                   Db_BuiltBackends(backends, sizeof backends) + "\n";
  for (const char* p : {"velmarkon", "velmarkon-ini", "velmarkon-show", "velmarkon-status"}) {
    Ran v = RunProgram(p, "--version");
    EXPECT_EQ(v.status, 0) << p;
    EXPECT_EQ(v.out, p + version_tail);
    Ran h = RunProgram(p, "--help");
    EXPECT_EQ(h.status, 0) << p;
    EXPECT_NE(h.out.find(std::string(p) + " "), std::string::npos) << h.out;
    EXPECT_NE(h.out.find("xit status"), std::string::npos) << p << ": exit statuses explained";
    EXPECT_EQ(h.err, "");
  }
  for (const char* bad :
       {"velmarkon-ini", "velmarkon-ini --bogus", "velmarkon-ini show", "velmarkon-show",
        "velmarkon-show --bogus x.buf", "velmarkon-status --bogus", "velmarkon-status --stale",
        "velmarkon-status --stale -1", "velmarkon-status --log 1001", "velmarkon-status --json x",
        "velmarkon-status --help --json"}) {
    const std::string cmd = bad;
    const size_t sp = cmd.find(' ');
    Ran r = RunProgram(cmd.substr(0, sp), sp == std::string::npos ? "" : cmd.substr(sp + 1));
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("sage:"), std::string::npos) << bad << ": " << r.err;
    EXPECT_EQ(r.out, "") << bad;
  }
  EXPECT_FALSE(FileExists(tree.log())) << "help and version run no download";
  tree.CreateDb();
  Ran none = RunProgram("velmarkon", "");
  EXPECT_EQ(none.status, 255);
  EXPECT_TRUE(FileExists(tree.log()));
}

}  // namespace
