// The three schemas (embedded database, PostgreSQL, Oracle) describe the same
// tables: the same columns in the same order, of the same kind and width,
// the same NOT NULL columns, keys and indexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_env.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// One column's kind in words common to every schema: "text(N)", "date",
// "integer", "decimal"; "?" for a type the schemas do not use.
std::string Kind(const std::string& type, const std::string& rest) {
  std::smatch m;
  static const std::regex width(R"(^(varchar|varchar2)\((\d+)( char)?\)$)");
  static const std::regex check(R"(check \(length\(\w+\) <= (\d+)\))");
  if (type == "text") {
    return std::regex_search(rest, m, check) ? "text(" + m[1].str() + ")" : "date";
  }
  if (std::regex_match(type, m, width)) return "text(" + m[2].str() + ")";
  if (type == "timestamp(0)" || type == "date") return "date";
  if (type == "integer" || type == "number(10)") return "integer";
  if (type == "real" || type == "double precision" || type == "number") return "decimal";
  return "?" + type;
}

// Tables as "column kind [not null]" lines, keys as "key (...)", indexes
// as "index name (...)".
std::map<std::string, std::vector<std::string>> Describe(const std::string& file) {
  std::string text = Lower(ReadFileBytes(std::string(VK_SOURCE_DIR) + "/schema/" + file));
  std::map<std::string, std::vector<std::string>> tables;
  static const std::regex create(R"(create table (\w+) \(([^;]*)\);)");
  static const std::regex column(
      R"(^\s*(\w+) (varchar2?\(\d+( char)?\)|double precision|number\(\d+\)|timestamp\(\d\)|\w+)(.*?),?$)");
  static const std::regex key(R"(^\s*primary key \(([^)]*)\),?$)");
  static const std::regex index(R"(create index (\w+) on (\w+) \(([^)]*)\);)");
  for (std::sregex_iterator it(text.begin(), text.end(), create), end; it != end; ++it) {
    std::vector<std::string>& cols = tables[(*it)[1].str()];
    std::istringstream body((*it)[2].str());
    std::string line;
    std::smatch m;
    while (std::getline(body, line)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      if (std::regex_match(line, m, key)) {
        cols.push_back("key (" + m[1].str() + ")");
      } else if (std::regex_match(line, m, column)) {
        std::string rest = m[4].str();
        bool not_null = rest.find("not null") != std::string::npos;
        cols.push_back(m[1].str() + " " + Kind(m[2].str(), rest) + (not_null ? " not null" : ""));
      } else {
        cols.push_back("? " + line);
      }
    }
  }
  for (std::sregex_iterator it(text.begin(), text.end(), index), end; it != end; ++it)
    tables[(*it)[2].str()].push_back("index " + (*it)[1].str() + " (" + (*it)[3].str() + ")");
  return tables;
}

std::vector<std::string> Names(const std::map<std::string, std::vector<std::string>>& tables) {
  std::vector<std::string> names;
  for (const auto& t : tables) names.push_back(t.first);
  return names;
}

TEST(SchemaTest, EveryDatabaseHasTheSameTablesAndColumns) {
  auto sqlite = Describe("sqlite.sql");
  ASSERT_EQ(sqlite.size(), 11u);
  for (const auto& [table, cols] : sqlite) {
    for (const std::string& c : cols)
      EXPECT_EQ(c.find('?'), std::string::npos) << table << ": " << c;
  }
  for (const char* file : {"postgresql.sql", "oracle.sql"}) {
    auto other = Describe(file);
    EXPECT_EQ(Names(other), Names(sqlite)) << file;
    for (const auto& [table, cols] : sqlite) EXPECT_EQ(other[table], cols) << file << ": " << table;
  }
}

}  // namespace
