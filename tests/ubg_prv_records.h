// Reading send-buffer files back in the tests of the interruption reason and
// personnel downloads: the fields of each 552-byte record that the downloads
// decide (table code, message date and time, action code, body).
#pragma once

#include <string>
#include <vector>

#include "tests/test_env.h"

struct SentRecord {
  std::string table, date, time, action, body;  // body without its padding
  bool operator==(const SentRecord&) const = default;
};

inline std::vector<SentRecord> SentRecords(const TestTree& tree, int group) {
  std::string bytes = ReadFileBytes(tree.buff() + "/SndDnl" + std::to_string(group) + ".buf");
  std::vector<SentRecord> out;
  for (size_t at = 0; at + 552 <= bytes.size(); at += 552) {
    std::string r = bytes.substr(at, 552);
    std::string body = r.substr(111, 438);
    body.erase(body.find_last_not_of(' ') + 1);
    out.push_back({r.substr(90, 3), r.substr(93, 6), r.substr(99, 6), r.substr(108, 3), body});
  }
  if (bytes.size() % 552 != 0) out.push_back({"<cut>", "", "", "", ""});
  return out;
}

// The terminal groups of these tests: group 1 serves FB01, group 2 FB02 to
// FB03; FB99 has no group.
inline void AddTerminalGroups(const TestTree& tree) {
  tree.Exec(
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
      "(1, '10.0.0.1', '3001', 'FB01', 'FB01'), (2, '10.0.0.2', '3002', 'FB02', 'FB03')");
}

// A test database with those two terminal groups.
struct GroupsTree : TestTree {
  GroupsTree() {
    CreateDb();
    AddTerminalGroups(*this);
  }
};

// Makes a table refuse every change, the same way on every database: its rows
// move to TABLE_ro and a view that cannot be changed takes its name.
inline void RefuseChanges(const TestTree& tree, const std::string& table) {
  tree.Exec("ALTER TABLE " + table + " RENAME TO " + table + "_ro");
  tree.Exec("CREATE VIEW " + table + " AS SELECT DISTINCT * FROM " + table + "_ro");
}
inline void AllowChanges(const TestTree& tree, const std::string& table) {
  tree.Exec("DROP VIEW " + table);
  tree.Exec("ALTER TABLE " + table + "_ro RENAME TO " + table);
}

// A log entry "function|message|code" with a negative code given as "<0",
// for errors whose number depends on the database.
inline std::string NegativeAsLt0(const std::string& entry) {
  size_t bar = entry.rfind('|');
  if (bar == std::string::npos || entry.compare(bar + 1, 1, "-") != 0) return entry;
  return entry.substr(0, bar + 1) + "<0";
}
// The entries of a log file, negative codes as "<0".
inline std::vector<std::string> LogEntriesLt0(const std::string& path) {
  std::vector<std::string> log = LogEntries(path);
  for (std::string& e : log) e = NegativeAsLt0(e);
  return log;
}
