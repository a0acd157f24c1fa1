// A throw-away working tree for tests that run the program's parts the way a
// site runs them: the working directory four levels below a root that holds
// files/korvantis.ini, a Msg folder for the log, ../Comm/Buff for the send
// buffers, and an embedded database made from schema/sqlite.sql.
//
// With VK_TEST_BACKEND=postgresql (tests/test_server.h) the database is a
// fresh one on the PostgreSQL server instead, made from
// schema/postgresql.sql and dropped with the tree; the configuration then
// names it through ODBC. Test SQL runs on both when it stays portable.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

class TestServer;

class TestTree {
 public:
  TestTree();  // creates the tree and makes its working folder current
  ~TestTree();
  TestTree(const TestTree&) = delete;
  TestTree& operator=(const TestTree&) = delete;

  const std::string& root() const { return root_; }
  const std::string& work() const { return work_; }
  std::string buff() const { return work_ + "/../Comm/Buff"; }
  std::string log() const { return work_ + "/Msg/Velmarkon.Txt"; }

  // Writes LOGIN, PASS and NET8 into the configuration file.
  void WriteConfig(const char* login, const char* pass, const char* net8);
  // Creates the test database (bde.db from the schema, or a database on the
  // server) and points the configuration at it.
  void CreateDb();
  // Creates the database and connects the session to it.
  void Connect();
  // The configuration values that reach the test database (after CreateDb).
  const std::string& login() const { return login_; }
  const std::string& pass() const { return pass_; }
  const std::string& net8() const { return net8_; }

  // Statements on a connection of the test's own (UTF-8 text).
  void Exec(const std::string& sql) const;
  std::vector<std::vector<std::string>> Query(const std::string& sql) const;
  // The single value of a query; "<NULL>" for NULL, "<none>" for no row.
  std::string Value(const std::string& sql) const;

  std::string dbPath() const { return work_ + "/bde.db"; }

 private:
  std::string root_, work_, old_cwd_;
  TestServer* Server() const;

  std::string login_, pass_, net8_;
  std::string server_db_;               // the database on the server, if any
  std::unique_ptr<TestServer> server_;  // the test's own connection to it
};

// Local date days_from_today days from today as 'YYYY-MM-DD HH:MM:SS'
// (midnight), for test rows whose validity depends on today.
std::string DateText(int days_from_today);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);

// Terminal group 1 serving production area FB01 (10.0.0.1, port 4711) and
// group 2 serving FB02 (10.0.0.2, port 4712).
void AddGroupPerArea(const TestTree& tree);

// The log entries' "Funktion___/Message____/ErrorCode__" lines as
// "function|message|code", in file order.
std::vector<std::string> LogEntries(const std::string& path);

// A throw-away folder of a test's own (prefix: the start of its name),
// removed with everything in it when the test is done.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Small helpers the tests write expected record bodies and test SQL with.
namespace testkit {

// Left- and right-aligned in w characters (a longer text stays as it is);
// n blanks.
inline std::string L(const std::string& s, size_t w) {
  return s.size() < w ? s + std::string(w - s.size(), ' ') : s;
}
inline std::string R(const std::string& s, size_t w) {
  return s.size() < w ? std::string(w - s.size(), ' ') + s : s;
}
inline std::string B(size_t n) { return std::string(n, ' '); }

// A text as an SQL literal; the empty text as NULL.
inline std::string Quoted(const std::string& v) { return v.empty() ? "NULL" : "'" + v + "'"; }

// The clock reading of a local date and time.
time_t LocalClock(int year, int mon, int day, int hour, int min, int sec);

}  // namespace testkit
