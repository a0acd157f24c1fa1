// The built program, run as a site runs it, in a temporary working tree:
// what it does when its surroundings fail it. Every run that did not do all
// it was asked ends with a non-zero status and its summary on stdout; no
// wait lasts for ever; links, pipes and devices where files belong are
// refused; a file-size limit fails a write like a full disk; two runs in
// one working folder take turns.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "run/download_main.h"
#include "support/platform.h"
#include "tests/program_run.h"
#include "tests/test_env.h"
#include "tests/test_server.h"

namespace {

namespace fs = std::filesystem;

const char kSendFailure[] = "Fehler beim Senden von UbgS\xE4tze";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.CreateDb();
    AddGroupPerArea(tree_);
  }
  // count interruption reasons numbered from first ("0001", ...), marked
  // with marker for the terminal group of fbe.
  void Reasons(int first, int count, const std::string& marker, const std::string& fbe = "FB01") {
    std::string sql =
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDna, UbgDwn) VALUES ";
    for (int i = first; i < first + count; ++i) {
      char key[16];
      snprintf(key, sizeof key, "%04d", i);
      if (i != first) sql += ",";
      sql += std::string("('") + key + "', 1, '" + fbe + "', 'Grund', 'AEN', '" + marker + "')";
    }
    tree_.Exec(sql);
  }
  int Marked(const std::string& marker) {
    return std::stoi(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn = '" + marker + "'"));
  }
  std::string Buffer(int group) {
    return tree_.buff() + "/SndDnl" + std::to_string(group) + ".buf";
  }
  // The reason numbers of the records in a group's file.
  std::vector<std::string> Sent(int group) {
    std::string f = ReadFileBytes(Buffer(group));
    EXPECT_EQ(f.size() % 552, 0u) << "a part of a record in " << Buffer(group);
    std::vector<std::string> keys;
    for (size_t at = 0; at + 552 <= f.size(); at += 552) {
      EXPECT_EQ(f.substr(at + 549, 3), "*\r\n");
      if (f.compare(at + 90, 3, "UBG") == 0) keys.push_back(f.substr(at + 112, 4));
    }
    return keys;
  }
  std::vector<std::string> Log() { return LogEntries(tree_.log()); }
  static ProgramRun Args(std::vector<std::string> args) {
    ProgramRun run;
    run.args = std::move(args);
    return run;
  }
  TestTree tree_;
};

// A file the test holds as another process would: nobody else may open it.
class Held {
 public:
  explicit Held(const std::string& path) {
    EXPECT_EQ(Plat_Open(path.c_str(), PLAT_READ | PLAT_WRITE | PLAT_CREATE | PLAT_NO_SHARE, &f_), 0)
        << path;
  }
  ~Held() { Release(); }
  void Release() {
    if (f_ != PLAT_NO_FILE) Plat_Close(f_);
    f_ = PLAT_NO_FILE;
  }

 private:
  PlatFile f_ = PLAT_NO_FILE;
};

// Each run whose surroundings keep it from sending ends non-zero, says so in
// its summary, and keeps the rows it could not send or release marked.
TEST_F(ProgramTest, RunsThatFailOnTheWayEndNonZeroWithTheirSummary) {
  if (Test_OnServer()) GTEST_SKIP() << "its failing releases come from an SQLite trigger";
  struct Case {
    const char* what;
    void (*prepare)(TestTree& t);
    bool hold_buffer;      // the test holds SndDnl1.buf during the run
    const char* summary;   // the start of the summary line, up to "failures="
    std::string entry;     // a log entry the run wrote (or sent to stderr)
    bool entry_on_stderr;  // the log could not be written
    int left_marked;
    int records;
  } cases[] = {
      {"Msg/ and ../Comm/Buff/ missing",
       [](TestTree& t) {
         fs::remove_all(t.work() + "/Msg");
         fs::remove_all(t.buff());
       },
       false, "velmarkon: Kvs521Ubg fetched=3 written=0 () released=0 left-marked=3 failures=",
       "CreateFile|Datei oeffnen|2", true, 3, 0},
      {"send buffer held by another process", nullptr, true,
       "velmarkon: Kvs521Ubg fetched=3 written=0 () released=0 left-marked=3 failures=",
       "CreateFile|Datei oeffnen|11", false, 3, 0},
      {"every release fails",
       [](TestTree& t) {
         t.Exec(
             "CREATE TRIGGER held BEFORE UPDATE ON Kvs521Ubg BEGIN SELECT RAISE(ABORT, 'held'); "
             "END");
       },
       false,
       "velmarkon: Kvs521Ubg fetched=3 written=3 (SndDnl1.buf=3) released=0 left-marked=3 "
       "failures=",
       "", false, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree_.Exec("DELETE FROM Kvs521Ubg; DROP TRIGGER IF EXISTS held");
    fs::create_directories(tree_.work() + "/Msg");
    fs::create_directories(tree_.buff());
    fs::remove(tree_.log());
    fs::remove(Buffer(1));
    Reasons(1, 3, "M1");
    if (c.prepare) c.prepare(tree_);
    std::optional<Held> held;
    if (c.hold_buffer) held.emplace(Buffer(1));

    ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}));
    EXPECT_EQ(r.status, EXIT_FAILURES_LOGGED) << r.out << r.err;
    EXPECT_EQ(r.out.rfind(c.summary, 0), 0u) << r.out;
    EXPECT_EQ(r.out.find("failures=0"), std::string::npos) << r.out;
    held.reset();
    if (!c.entry.empty()) {
      std::string function = c.entry.substr(0, c.entry.find('|'));
      if (c.entry_on_stderr) {
        EXPECT_NE(r.err.find("log entry not written"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Funktion___: " + function), std::string::npos) << r.err;
      } else {
        std::vector<std::string> log = Log();
        EXPECT_NE(std::find(log.begin(), log.end(), c.entry), log.end())
            << ReadFileBytes(tree_.log());
      }
    }
    EXPECT_EQ(Marked("M1"), c.left_marked);
    EXPECT_EQ(Sent(1).size(), static_cast<size_t>(c.records));
  }
}

// With a file-size limit the send buffer takes two more whole records: the
// third is cut back, logged, and its row and the rows after it stay marked.
// The limit's signal does not end the run.
TEST_F(ProgramTest, FileSizeLimitFailsAWriteLikeAFullDisk) {
  const int64_t limit = 4 * 1024 * 1024;
  const size_t before = static_cast<size_t>(limit / 552 - 2);  // whole records already there
  std::string old(before * 552, 'x');
  for (size_t at = 0; at < old.size(); at += 552) old.replace(at + 549, 3, "*\r\n");
  WriteFileBytes(Buffer(1), old);
  Reasons(1, 7, "M1");

  ProgramRun run = Args({"M1", "Kvs521Ubg"});
  run.file_size_limit = limit;
  ProgramResult r = RunProgram(run);
  EXPECT_EQ(r.status, EXIT_FAILURES_LOGGED) << r.out << r.err;
  EXPECT_EQ(r.out.rfind("velmarkon: Kvs521Ubg fetched=7 written=2 (SndDnl1.buf=2) released=2 "
                        "left-marked=5 failures=",
                        0),
            0u)
      << r.out;
  std::string f = ReadFileBytes(Buffer(1));
  ASSERT_EQ(f.size(), (before + 2) * 552);  // whole records only
  EXPECT_EQ(f.substr(0, old.size()), old);
  std::vector<std::string> sent = Sent(1);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(Marked("M1"), 5);
  for (const std::string& key : sent)
    EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgUbg = '" + key +
                          "' AND UbgDwn IS NULL"),
              "1")
        << key;
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "WrittenFile||27"), 5) << ReadFileBytes(tree_.log());
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string("Ubg_Dnl|") + kSendFailure + "|-1"), 5);
}

// A configuration that is no regular file reads as empty values: the run
// ends at once with the connect failure, whatever sits at the path.
TEST_F(ProgramTest, ConfigurationThatIsNoFileEndsTheRunAtOnce) {
  const std::string ini = tree_.root() + "/files/korvantis.ini";
  struct Case {
    const char* what;
    void (*make)(const std::string& path);
  } cases[] = {
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
      {"/dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
      {"/dev/urandom", [](const std::string& p) { fs::create_symlink("/dev/urandom", p); }},
      {"folder", [](const std::string& p) { fs::create_directory(p); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(ini);
    fs::remove(tree_.log());
    c.make(ini);
    ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}), 20000);
    EXPECT_LT(r.ms, 5000);
    std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), 1u) << r.err;
    EXPECT_EQ(log[0].rfind("dbConnect|Connect mit DB fehlgeschlagen|", 0), 0u) << log[0];
    const int code = std::stoi(log[0].substr(log[0].rfind('|') + 1));
    EXPECT_NE(code, 0);
    EXPECT_EQ(r.status, ExitStatus(code));
  }
}

// Another process holds the log for longer than the wait for it: every
// entry waits at most 10 s, then goes to stderr, and the run ends.
TEST_F(ProgramTest, HeldLogDelaysAnEntryAtMostTenSeconds) {
  fs::remove(tree_.root() + "/files/korvantis.ini");  // one entry: the failed connect
  WriteFileBytes(tree_.log(), "");
  PlatFile log;
  ASSERT_EQ(Plat_Open(tree_.log().c_str(), PLAT_READ | PLAT_WRITE | PLAT_LOCK, &log), 0);
  ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}), 60000);
  Plat_Close(log);
  EXPECT_NE(r.status, 0);
  EXPECT_GE(r.ms, 9500);
  EXPECT_LT(r.ms, 20000);
  EXPECT_NE(r.err.find("log entry not written to ./Msg/Velmarkon.Txt"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Funktion___: dbConnect"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFileBytes(tree_.log()), "");
}

// Links where the program writes are refused like a failed open: the
// records are not appended where a link points, a dangling link's target is
// not created, and a link at the log sends its entries to stderr.
TEST_F(ProgramTest, LinksAtTheSendBuffersAndTheLogAreRefused) {
  const std::string target = tree_.root() + "/target.buf", ghost = tree_.root() + "/ghost.buf";
  WriteFileBytes(target, "keep");
  fs::create_symlink(target, Buffer(1));
  fs::create_symlink(ghost, Buffer(2));
  Reasons(1, 2, "M1", "FB01");
  Reasons(3, 2, "M1", "FB02");
  ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}));
  EXPECT_EQ(r.status, EXIT_FAILURES_LOGGED) << r.err;
  EXPECT_EQ(ReadFileBytes(target), "keep");
  EXPECT_FALSE(FileExists(ghost));
  EXPECT_EQ(Marked("M1"), 4);
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "CreateFile|Datei oeffnen|40"), 4)
      << ReadFileBytes(tree_.log());

  const std::string elsewhere = tree_.root() + "/elsewhere.txt";
  fs::remove(tree_.log());
  fs::create_symlink(elsewhere, tree_.log());
  r = RunProgram(Args({"M1", "kvs521ubg"}));  // two entries: the keyword, the end
  EXPECT_EQ(r.status, 255);
  EXPECT_FALSE(FileExists(elsewhere));
  EXPECT_NE(r.err.find("Message____: Download->unbekannte Tabelle"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Message____: fehlerhaft beendet"), std::string::npos) << r.err;
}

// A second run in the same working folder waits for the first and then does
// its work; it sends nothing while it waits.
TEST_F(ProgramTest, SecondRunWaitsForTheFirst) {
  Reasons(1, 3, "M1");
  Held first(tree_.work() + "/velmarkon.lck");
  Program second(Args({"M1", "Kvs521Ubg"}));
  Plat_SleepMs(1500);
  EXPECT_TRUE(second.Running());
  EXPECT_FALSE(FileExists(Buffer(1)));
  first.Release();
  ProgramResult r = second.Wait(30000);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(Sent(1).size(), 3u);
  EXPECT_EQ(Marked("M1"), 0);
}

// Two runs started together on the same marked rows: one after the other,
// every row is sent once.
TEST_F(ProgramTest, TwoRunsAtOnceSendEveryRowOnce) {
  if (Test_OnServer()) GTEST_SKIP() << "its rows are made with SQLite's own SQL";
  tree_.Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) "
      "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDna, UbgDwn) "
      "SELECT printf('%04d', i), 1, 'FB01', 'Grund', 'AEN', 'M1' FROM n");
  Program a(Args({"M1", "Kvs521Ubg"}));
  Program b(Args({"M1", "Kvs521Ubg"}));
  ProgramResult ra = a.Wait(120000), rb = b.Wait(120000);
  EXPECT_EQ(ra.status, 0) << ra.out << ra.err;
  EXPECT_EQ(rb.status, 0) << rb.out << rb.err;
  std::vector<std::string> sent = Sent(1);
  EXPECT_EQ(sent.size(), 1500u);
  EXPECT_EQ(std::set<std::string>(sent.begin(), sent.end()).size(), 1500u);
  EXPECT_EQ(Marked("M1"), 0);
  EXPECT_TRUE(Log().empty()) << ReadFileBytes(tree_.log());
}

// Runs in different working folders do not wait for each other.
TEST_F(ProgramTest, RunsInOtherFoldersDoNotWait) {
  Reasons(1, 2, "M1");
  const std::string other = tree_.root() + "/other/download";
  fs::create_directories(other);
  Held there(other + "/velmarkon.lck");
  ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}), 30000);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_LT(r.ms, 10000);
  EXPECT_EQ(Sent(1).size(), 2u);
}

}  // namespace

// A link at the run lock's file is refused: nothing is done.
TEST_F(ProgramTest, LinkAtTheRunLockIsRefused) {
  const std::string target = tree_.root() + "/elsewhere.lck";
  fs::create_symlink(target, tree_.work() + "/velmarkon.lck");
  Reasons(1, 1, "M1");
  ProgramResult r = RunProgram(Args({"M1", "Kvs521Ubg"}));
  EXPECT_EQ(r.status, EXIT_RUN_LOCKED);
  EXPECT_EQ(Marked("M1"), 1);
  EXPECT_FALSE(FileExists(target));
  std::vector<std::string> want = {"Download_Main|Sperrdatei nicht geoeffnet|40"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
}

// The marker and keyword arrive in the locale's encoding and are taken in
// Windows-1252; an argument without such a form names no table. On both
// databases: the marker reaches the database as the rows' own text.
class ArgsRunTest : public ProgramTest {};

TEST_F(ArgsRunTest, MarkerInTheLocalesEncodingMatchesItsRows) {
  tree_.Exec(
      "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDna, UbgDwn) VALUES "
      "('0001', 1, 'FB01', 'Grund', 'AEN', 'M\xC3\xA4r'), "
      "('0002', 1, 'FB01', 'Grund', 'AEN', 'Mar'), "
      "('0003', 1, 'FB01', 'Grund', 'AEN', 'M\xC3\xA4r')");
  struct Case {
    const char* locale;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> sent;  // reasons sent so far
    std::vector<std::string> log;
  } cases[] = {
      {"LC_ALL=C.UTF-8",
       {"M\xC5\x81", "Kvs521Ubg"},  // "MŁ": no Windows-1252 form
       255,
       {},
       {"Get_Download|Download->unbekannte Tabelle|0", "Download_Main|fehlerhaft beendet|-1"}},
      {"LC_ALL=C.UTF-8",
       {"M\xC3\xA4r", "Kvs521Ubg\xC3"},  // a broken keyword
       255,
       {},
       {"Get_Download|Download->unbekannte Tabelle|0", "Download_Main|fehlerhaft beendet|-1"}},
      {"LC_ALL=C.UTF-8", {"M\xC3\xA4r", "Kvs521Ubg"}, 0, {"0001", "0003"}, {}},
      {"LC_ALL=C", {"Mar", "Kvs521Ubg"}, 0, {"0001", "0003", "0002"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    fs::remove(tree_.log());
    ProgramRun run = Args(c.args);
    run.env = {c.locale};
    ProgramResult r = RunProgram(run);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(Sent(1), c.sent);
    EXPECT_EQ(Log(), c.log);
  }
  EXPECT_EQ(tree_.Value("SELECT count(*) FROM Kvs521Ubg WHERE UbgDwn IS NULL"), "3");
}
