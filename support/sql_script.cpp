// Splitting an SQL script into its statements (see sql_script.h).
#include "support/sql_script.h"

namespace {

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

std::vector<std::string> SqlScript_Split(const std::string& sql) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (!quoted && c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      while (i < sql.size() && sql[i] != '\n') ++i;
      cur += '\n';
      continue;
    }
    if (c == '\'') quoted = !quoted;
    if (c == ';' && !quoted) {
      if (!Blank(cur)) out.push_back(cur);
      cur.clear();
      continue;
    }
    cur += c;
  }
  if (!Blank(cur)) out.push_back(cur);
  return out;
}
