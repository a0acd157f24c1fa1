// The rewrite table that turns the program's statement texts into the SQL of
// each database it runs on.
#include "db/backend/dialect.h"

#include <regex>
#include <vector>

namespace {

struct Rewrite {
  Dialect dialect;
  const char* pattern;
  const char* replacement;
};

// Applied in this order; patterns are case-insensitive.
const Rewrite kRewrites[] = {
    // SQLite keeps dates as text 'YYYY-MM-DD HH:MM:SS' in local time; the
    // vk_ functions (db/sqlite_functions.cpp) read and write that form. A
    // column compared with today is normalised first, so that a date stored
    // as 'YYYY-MM-DD' alone reads as its midnight.
    {DIALECT_SQLITE, R"((\w+)\s*(<=|>=|<|>|=)\s*trunc\(sysdate\))", "vk_date($1)$2vk_today()"},
    {DIALECT_SQLITE, R"(trunc\(sysdate\))", "vk_today()"},
    {DIALECT_SQLITE, R"(\bsysdate\b)", "vk_sysdate()"},
    {DIALECT_SQLITE, R"(\bTO_CHAR\()", "vk_to_char("},
    {DIALECT_SQLITE, R"(\bTO_DATE\()", "vk_to_date("},
    // PostgreSQL has no sysdate: the server's local time, or the session's
    // vk.clock where the program's clock is fixed (tests; see the ODBC back
    // end). Its to_date drops the time of day, so a date with a time is read
    // by to_timestamp and kept without time zone and fractions, as the date
    // columns are. TO_CHAR works as it stands.
    {DIALECT_POSTGRESQL, R"(trunc\(sysdate\))",
     "coalesce(nullif(current_setting('vk.clock',true),'')::date,current_date)"},
    {DIALECT_POSTGRESQL, R"(\bsysdate\b)",
     "coalesce(nullif(current_setting('vk.clock',true),'')::timestamp(0),localtimestamp(0))"},
    {DIALECT_POSTGRESQL, R"(\bTO_DATE\(\s*\?\s*,\s*('[^']*')\s*\))",
     "to_timestamp(?,$1)::timestamp(0)"},
};

const std::regex& IntoList() {
  static const std::regex re(R"(\s+into\s+:b\d+(:b\d+)?(\s*,\s*:b\d+(:b\d+)?)*\s+)",
                             std::regex::icase);
  return re;
}

const std::regex& Placeholder() {
  static const std::regex re(R"(:b\d+)");
  return re;
}

constexpr size_t kRewriteCount = sizeof kRewrites / sizeof kRewrites[0];

// The patterns, built once for the process.
const std::regex& Pattern(size_t i) {
  static const std::vector<std::regex> patterns = [] {
    std::vector<std::regex> v;
    for (const Rewrite& r : kRewrites) v.emplace_back(r.pattern, std::regex::icase);
    return v;
  }();
  return patterns[i];
}

}  // namespace

std::string Dialect_Translate(Dialect d, const char* oracle_text) {
  std::string s = std::regex_replace(oracle_text, IntoList(), " ");
  s = std::regex_replace(s, Placeholder(), "?");
  for (size_t i = 0; i < kRewriteCount; ++i) {
    if (kRewrites[i].dialect != d) continue;
    s = std::regex_replace(s, Pattern(i), kRewrites[i].replacement);
  }
  return s;
}
