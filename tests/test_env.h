// A throw-away working tree for tests that run the program's parts the way a
// site runs them: the working directory four levels below a root that holds
// files/korvantis.ini, a Msg folder for the log, ../Comm/Buff for the send
// buffers, and an embedded database made from schema/sqlite.sql.
#pragma once

#include <string>
#include <vector>

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
  // Creates bde.db from the schema and points the configuration at it.
  void CreateDb();
  // Creates the database and connects the session to it.
  void Connect();

  // Statements on a connection of the test's own (UTF-8 text).
  void Exec(const std::string& sql) const;
  std::vector<std::vector<std::string>> Query(const std::string& sql) const;
  // The single value of a query; "<NULL>" for NULL, "<none>" for no row.
  std::string Value(const std::string& sql) const;

  std::string dbPath() const { return work_ + "/bde.db"; }

 private:
  std::string root_, work_, old_cwd_;
};

// Local date days_from_today days from today as 'YYYY-MM-DD HH:MM:SS'
// (midnight), for test rows whose validity depends on today.
std::string DateText(int days_from_today);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);

// The log entries' "Funktion___/Message____/ErrorCode__" lines as
// "function|message|code", in file order.
std::vector<std::string> LogEntries(const std::string& path);
