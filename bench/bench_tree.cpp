// Working trees for the benchmark's cases (see bench_tree.h).
#include "bench/bench_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/bench_db.h"
#include "support/ini_writer.h"

namespace fs = std::filesystem;

namespace {

// Trees not removed yet: a benchmark that ends early removes them at exit
// too, unless they are to be kept.
std::vector<std::string> g_open;
bool g_keep = false;

void RemoveOpen() {
  if (g_keep) return;
  std::error_code ec;
  for (const std::string& root : g_open) fs::remove_all(root, ec);
  g_open.clear();
}

}  // namespace

void Tree_Keep(bool keep) { g_keep = keep; }

BenchTree Tree_Create(const std::string& dir) {
  std::string tmpl = dir + "/vkbench.XXXXXX";
  if (!mkdtemp(tmpl.data())) Bench_Die("cannot make a folder in " + dir);
  static const bool registered = atexit(RemoveOpen) == 0;
  (void)registered;
  g_open.push_back(tmpl);
  BenchTree t{tmpl, tmpl + "/site/bde/prog/download"};
  std::error_code ec;
  fs::create_directories(t.work + "/Msg", ec);
  fs::create_directories(t.root + "/site/bde/prog/Comm/Buff", ec);
  fs::create_directories(t.root + "/files", ec);
  if (ec) Bench_Die("cannot make the working tree in " + t.root);
  return t;
}

void Tree_WriteConfig(const BenchTree& t, const std::string& login, const std::string& pass,
                      const std::string& net8) {
  std::string path = t.root + "/files/korvantis.ini";
  if (IniW_SetEntry(path.c_str(), "LOGIN", login.c_str()) != INIW_OK ||
      IniW_SetEntry(path.c_str(), "PASS", pass.c_str()) != INIW_OK ||
      IniW_SetEntry(path.c_str(), "NET8", net8.c_str()) != INIW_OK)
    Bench_Die("cannot write the configuration file (NET8 " + net8 + ")");
}

void Tree_Remove(const BenchTree& t) {
  std::error_code ec;
  fs::remove_all(t.root, ec);
  g_open.erase(std::remove(g_open.begin(), g_open.end(), t.root), g_open.end());
}

bool Tree_Exists(const std::string& path) {
  struct stat sb;
  return stat(path.c_str(), &sb) == 0;
}
