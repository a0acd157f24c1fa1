// Terminal address lookup, served from a copy of the terminal configuration.
#include "sendbuf/ip.h"

#include <cstring>
#include <vector>

#include "db/sql.h"
#include "support/cp1252.h"
#include "support/msg.h"

namespace {

struct Group {
  CfgRow row;
  bool range1, range2;  // both bounds present
};

std::vector<Group> g_groups;
bool g_loaded = false;

// Reads the whole table; 0 or the failing statement's code.
int32_t Load() {
  g_groups.clear();
  int32_t rc = Cfg_OpenAll();
  if (rc != 0) return rc;
  Group g;
  while ((rc = Cfg_FetchAll(&g.row, &g.range1, &g.range2)) == 0) g_groups.push_back(g);
  int32_t close_rc = Cfg_CloseAll();
  if (rc == SQL_NOTFOUND) rc = close_rc;
  if (rc != 0) g_groups.clear();
  g_loaded = rc == 0;
  return rc;
}

// a <=> b as texts of at most n characters, by code point.
int Compare(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x == 0 || y == 0 || x != y) {
      if (x == 0 || y == 0) return x == y ? 0 : (x == 0 ? -1 : 1);
      return Cp1252_CodePoint(x) < Cp1252_CodePoint(y) ? -1 : 1;
    }
  }
  return 0;
}

template <size_t N>
bool Covers(const char* key, const char (&from)[N], const char (&to)[N]) {
  return Compare(key, from, N) >= 0 && Compare(key, to, N) <= 0;
}

}  // namespace

void IP_Forget() {
  g_loaded = false;
  g_groups.clear();
}

namespace {

// The group that serves routing_key, or nullptr; *rc: 0, or why not.
const Group* Find(const char* routing_key, int32_t* rc) {
  *rc = g_loaded ? 0 : Load();
  if (*rc != 0) return nullptr;
  char key[11] = {0};  // the key as the statement's host variable holds it
  strncpy(key, routing_key, sizeof key - 1);
  for (const Group& g : g_groups) {
    if (key[0] == '\0') break;  // an empty key is NULL: no range covers it
    // Only the first group found, the lowest file number, counts.
    if ((g.range1 && Covers(key, g.row.CfgVn1, g.row.CfgBi1)) ||
        (g.range2 && Covers(key, g.row.CfgVn2, g.row.CfgBi2)))
      return &g;
  }
  *rc = SQL_NOTFOUND;
  return nullptr;
}

}  // namespace

int32_t IP_Ermitteln(CfgRow* row, const char* routing_key) {
  int32_t rc;
  const Group* g = Find(routing_key, &rc);
  if (!g) {
    Msg_Report("ReadFile", "IP-Ermitteln", rc);
    return rc;
  }
  *row = g->row;
  return 0;
}

bool IP_Covers(const char* routing_key) {
  int32_t rc;
  return Find(routing_key, &rc) != nullptr;
}
