// Scripts split into their statements: a ";" inside quoted text or a "--"
// comment does not end a statement, blank statements are left out.
#include "support/sql_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SqlScriptTest, SplitsAtSemicolonsOutsideTextAndComments) {
  struct Case {
    std::string script;
    std::vector<std::string> want;
  } cases[] = {
      {"", {}},
      {" ;\n; ", {}},
      {"A;B", {"A", "B"}},
      {"INSERT INTO t VALUES ('a;b');", {"INSERT INTO t VALUES ('a;b')"}},
      {"X 'it''s; fine'; Y", {"X 'it''s; fine'", " Y"}},
      {"-- a comment; not a statement\nA;", {"\nA"}},
      {"A -- tail; comment\n;B", {"A \n", "B"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SqlScript_Split(c.script), c.want) << c.script;
}

}  // namespace
