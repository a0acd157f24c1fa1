// velmarkon-bench: every table download that releases rows, the cost-centre
// download and two update-request runs, each run by the program's own entry
// in a fresh working tree, beside the per-row and the group floor measured
// in the same run on the same folder and database.
//
//   velmarkon-bench [--dir=DIR] [--cases=apk,app,...] [--group=K]
//                   [--floor-rows=N|all] [--repeat=N] [--pg] [--keep] [ROWS...]
//
//   ROWS          row counts (default 10000 100000; with --pg 10000)
//   --dir         where the working trees go (default /tmp); the disk matters
//   --cases       which cases (default all): apk app apg apl ubg prv ksg upd upd-all
//   --group       rows per group for the program and the group floor (default
//                 the frame's own)
//   --floor-rows  the per-row floor syncs twice per row: it runs on at most N
//                 rows of a case (default 10000) and its time per row is used
//   --repeat      runs of each case, each in a fresh tree (default 3): the
//                 program's and each floor's median run are shown
//   --pg          on the PostgreSQL server that VK_PG_DSN, VK_PG_USER and
//                 VK_PG_PASS name (the env.sh of scripts/pg-server.sh)
//   --keep        keep the working trees (and the server's databases)
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_data.h"
#include "bench/bench_db.h"
#include "bench/bench_floor.h"
#include "bench/bench_report.h"
#include "bench/bench_tree.h"
#include "download/frame.h"

namespace {

struct Options {
  std::string dir = "/tmp";
  std::vector<const BenchCase*> cases;
  std::vector<long> rows;
  int group = 0;
  long floor_rows = 10000;
  int repeat = 3;
  bool pg = false;
  bool keep = false;
};

[[noreturn]] void Usage(const char* why) {
  fprintf(stderr,
          "velmarkon-bench: %s\n"
          "usage: velmarkon-bench [--dir=DIR] [--cases=apk,app,...] [--group=K]\n"
          "                       [--floor-rows=N|all] [--repeat=N] [--pg] [--keep] [ROWS...]\n"
          "cases:",
          why);
  for (const BenchCase& c : Bench_Cases()) fprintf(stderr, " %s", c.name);
  fprintf(stderr, "\n");
  exit(2);
}

long Positive(const char* text, const char* what) {
  char* end = nullptr;
  long v = strtol(text, &end, 10);
  if (!end || *end != '\0' || v <= 0 || v > 10000000) Usage(what);
  return v;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--dir=", 0) == 0) {
      o.dir = a.substr(6);
    } else if (a.rfind("--cases=", 0) == 0) {
      std::stringstream list(a.substr(8));
      std::string name;
      while (std::getline(list, name, ',')) {
        const BenchCase* c = Bench_FindCase(name);
        if (!c) Usage(("unknown case " + name).c_str());
        o.cases.push_back(c);
      }
    } else if (a.rfind("--group=", 0) == 0) {
      o.group = static_cast<int>(Positive(a.c_str() + 8, "--group needs a row count"));
    } else if (a.rfind("--floor-rows=", 0) == 0) {
      o.floor_rows = a == "--floor-rows=all" ? 0 : Positive(a.c_str() + 13, "bad --floor-rows");
    } else if (a.rfind("--repeat=", 0) == 0) {
      o.repeat = static_cast<int>(Positive(a.c_str() + 9, "bad --repeat"));
    } else if (a == "--pg") {
      o.pg = true;
    } else if (a == "--keep") {
      o.keep = true;
    } else if (a == "--help" || a == "-h") {
      Usage("help");
    } else {
      o.rows.push_back(Positive(a.c_str(), ("bad argument " + a).c_str()));
    }
  }
  if (o.cases.empty())
    for (const BenchCase& c : Bench_Cases()) o.cases.push_back(&c);
  if (o.rows.empty()) o.rows = o.pg ? std::vector<long>{10000} : std::vector<long>{10000, 100000};
  return o;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  if (!in) Bench_Die("cannot read " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

// Where the cases' databases are: the embedded database in each tree, or one
// database per case on the server.
class Databases {
 public:
  explicit Databases(bool server) : server_(server) {
    if (!server_) return;
    dsn_ = Env("VK_PG_DSN");
    user_ = Env("VK_PG_USER");
    pass_ = Env("VK_PG_PASS");
    if (dsn_.empty() || user_.empty())
      Bench_Die(
          "--pg needs VK_PG_DSN, VK_PG_USER and VK_PG_PASS (the env.sh of scripts/pg-server.sh)");
    admin_.reset(BenchDb_OpenOdbc(Login(), true));
  }

  std::string Describe() {
    if (!server_) return std::string("embedded database (SQLite ") + sqlite3_libversion() + ")";
    auto v = admin_->Query(
        "SELECT current_setting('server_version'), current_setting('fsync'), "
        "current_setting('synchronous_commit'), "
        "current_setting('full_page_writes')");
    if (v.empty() || v[0].size() < 4) Bench_Die("cannot read the server's settings");
    if (v[0][1] != "on")
      fprintf(stderr, "velmarkon-bench: WARNING: the server runs with fsync off\n");
    return "PostgreSQL " + v[0][0] + " through ODBC (fsync=" + v[0][1] +
           ", synchronous_commit=" + v[0][2] + ", full_page_writes=" + v[0][3] + ")";
  }

  // Creates the case's database; returns a connection to it.
  BenchDb* Create(const BenchTree& t) {
    if (!server_) return BenchDb_OpenSqlite(t.work + "/bde.db");
    static int count = 0;
    name_ = "vkb" + std::to_string(getpid()) + "_" + std::to_string(++count);
    admin_->Exec("CREATE DATABASE " + name_ +
                 " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'");
    return Open(t);
  }

  // A connection to the case's database made by Create.
  BenchDb* Open(const BenchTree& t) {
    if (!server_) return BenchDb_OpenSqlite(t.work + "/bde.db");
    return BenchDb_OpenOdbc(Login() + ";Database=" + name_, false);
  }

  void WriteConfig(const BenchTree& t) {
    if (!server_)
      Tree_WriteConfig(t, "bde", "secret", "sqlite:bde.db");
    else
      Tree_WriteConfig(t, user_, pass_, "odbc:DSN=" + dsn_ + ";Database=" + name_);
  }

  // A server under load may refuse the drop for a moment (the child's
  // session still ending): a few tries, then the database is left to the
  // server's removal at the end.
  void Drop() {
    if (server_ && !name_.empty()) {
      std::string why;
      int tries = 0;
      while (!admin_->Try("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)", &why) &&
             ++tries < 5)
        std::this_thread::sleep_for(std::chrono::seconds(1));
      if (tries == 5)
        fprintf(stderr, "velmarkon-bench: %s not dropped: %s\n", name_.c_str(), why.c_str());
    }
    name_.clear();
  }

  const char* Schema() const { return server_ ? "postgresql.sql" : "sqlite.sql"; }
  bool server() const { return server_; }

 private:
  std::string Login() const { return "DSN=" + dsn_ + ";UID=" + user_ + ";PWD=" + pass_; }

  bool server_;
  std::string dsn_, user_, pass_, name_;
  std::unique_ptr<BenchDb> admin_;
};

// Rows that still carry the marker after the run.
long StillMarked(BenchDb* db, const CaseData& d) {
  long n = 0;
  for (const FloorSegment& s : d.floors) {
    if (s.table.empty()) continue;
    auto rows = db->Query("SELECT count(*) FROM " + s.table + " WHERE " + s.marker_column + "='" +
                          BENCH_MARKER + "'");
    if (!rows.empty() && !rows[0].empty()) n += atol(rows[0][0].c_str());
  }
  return n;
}

// Writes out everything the loading and the phase before left in the page
// cache of the folder's file system, so that its write-back does not fall
// into the next measurement.
void Settle(const BenchTree& t) {
  int fd = open(t.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Bench_Die("cannot open " + t.root);
  syncfs(fd);
  close(fd);
}

CaseResult RunCase(const Options& o, Databases* dbs, const BenchCase& c, long rows, int group,
                   const std::string& schema) {
  CaseResult r;
  r.c = &c;
  BenchTree t = Tree_Create(o.dir);
  fprintf(stderr, "velmarkon-bench: %s, %ld rows: loading ...\n", c.name, rows);
  const std::string wal = dbs->server() ? "" : t.work + "/bde.db-wal";
  {
    std::unique_ptr<BenchDb> db(dbs->Create(t));
    r.data = Bench_Load(db.get(), c, rows, schema);
    dbs->WriteConfig(t);
  }
  // Each floor on a connection of its own, which its close checkpoints: the
  // write-ahead log each sees is its own, and the program is the database's
  // only user when it runs.
  fprintf(stderr, "velmarkon-bench: %s, %ld rows: floors ...\n", c.name, rows);
  const std::string file = t.buff() + "/Floor.buf";
  Settle(t);
  r.row_floor = Floor_Run(std::unique_ptr<BenchDb>(dbs->Open(t)), r.data.floors, 1, o.floor_rows,
                          file, wal, 1);
  Settle(t);
  r.group_floor =
      Floor_Run(std::unique_ptr<BenchDb>(dbs->Open(t)), r.data.floors, group, 0, file, wal, 2);

  fprintf(stderr, "velmarkon-bench: %s, %ld rows: the program ...\n", c.name, rows);
  std::vector<std::string> args = {BENCH_MARKER};
  if (c.keyword) args.push_back(c.keyword);
  Settle(t);
  r.run = Child_RunProgram(t.work, o.group, args);
  r.wal_left = Tree_Exists(t.work + "/bde.db-wal");
  r.shm_left = Tree_Exists(t.work + "/bde.db-shm");
  {
    std::unique_ptr<BenchDb> db(dbs->Open(t));
    r.still_marked = StillMarked(db.get(), r.data);
  }
  if (o.keep) {
    fprintf(stderr, "velmarkon-bench: kept %s\n", t.root.c_str());
  } else {
    Tree_Remove(t);
    dbs->Drop();
  }
  return r;
}

std::string Filesystem(const std::string& dir, bool* ram) {
  struct statfs fs;
  *ram = false;
  if (statfs(dir.c_str(), &fs) != 0) Bench_Die("no folder " + dir);
  if (fs.f_type == 0x01021994) {  // TMPFS_MAGIC
    *ram = true;
    return "RAM disk (tmpfs)";
  }
  char buf[64];
  snprintf(buf, sizeof buf, "disk (filesystem type 0x%lx)", static_cast<unsigned long>(fs.f_type));
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  if (Child_Wanted(argc, argv)) return Child_Main(argc, argv);
  Options o = Parse(argc, argv);
  Tree_Keep(o.keep);
  Databases dbs(o.pg);
  // The group floor's size; the program's child sets the frame's own to it.
  const int group = o.group > 0 ? o.group : Dnl_GroupRows();
  const std::string schema = ReadText(std::string(VK_SOURCE_DIR) + "/schema/" + dbs.Schema());

  ReportSetting s;
  s.folder = o.dir;
  s.filesystem = Filesystem(o.dir, &s.ram_disk);
  s.server = o.pg;
  s.database = dbs.Describe();
  s.group_rows = group;
  s.group_ms = Dnl_GroupMs();
  s.floor_rows = o.floor_rows;
  s.repeat = o.repeat;
  Report_Heading(s);

  std::vector<CaseResult> results;
  for (long rows : o.rows) {
    for (const BenchCase* c : o.cases) {
      std::vector<CaseResult> reps;
      for (int i = 0; i < o.repeat; ++i) reps.push_back(RunCase(o, &dbs, *c, rows, group, schema));
      results.push_back(Report_Median(reps));
      Report_Case(results.back());
    }
  }
  Report_Targets(s, results);
  bool ok = true;
  for (const CaseResult& r : results) ok = ok && r.check == "ok";
  return ok ? 0 : 1;
}
