// velmarkon-bench: throughput of a table download against the durability
// floor, measured in one run.
//
//   velmarkon-bench [RECORDS]     (default 20000, at most 100000)
//
// Builds a working tree in /tmp with an embedded database of cost centres and
// production areas (RECORDS = centres x areas), runs the cost-centre download
// (every record written through to the disk), then a minimal loop that only
// appends and syncs the same number of 552-byte records. Prints, for both,
// records per second, write-through calls per record, CPU time per record and
// the process's peak memory.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "db/session.h"
#include "download/ksg_dnl.h"
#include "sendbuf/snddnl.h"
#include "support/msg.h"

namespace fs = std::filesystem;

namespace {

struct Sample {
  double seconds, cpu;
  long writes, syncs;
  long peak_kb;
};

long Io(const char* key) {
  std::ifstream in("/proc/self/io");
  std::string k;
  long v;
  while (in >> k >> v)
    if (k == key) return v;
  return -1;
}

double Cpu() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long PeakKb() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

template <class F>
Sample Measure(F body) {
  long w0 = Io("syscw:");
  double c0 = Cpu();
  auto t0 = std::chrono::steady_clock::now();
  long syncs = body();
  auto t1 = std::chrono::steady_clock::now();
  Sample s;
  s.seconds = std::chrono::duration<double>(t1 - t0).count();
  s.cpu = Cpu() - c0;
  s.writes = Io("syscw:") - w0;
  s.syncs = syncs;
  s.peak_kb = PeakKb();
  return s;
}

void Print(const char* name, const Sample& s, long n) {
  printf("%-26s %10.0f %14.2f %14.1f %12ld\n", name, static_cast<double>(n) / s.seconds,
         static_cast<double>(s.writes + s.syncs) / static_cast<double>(n),
         s.cpu * 1e6 / static_cast<double>(n), s.peak_kb);
}

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    fprintf(stderr, "velmarkon-bench: %s\n", err ? err : "?");
    exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? atol(argv[1]) : 20000;
  if (n < 100 || n > 100000) {
    fprintf(stderr, "usage: velmarkon-bench [RECORDS]   (100 to 100000)\n");
    return 2;
  }
  const long areas = 100, centres = n / areas;
  n = areas * centres;

  char tmpl[] = "/tmp/vkbench.XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  std::string root = tmpl, work = root + "/site/bde/prog/download";
  fs::create_directories(work + "/Msg");
  fs::create_directories(root + "/site/bde/prog/Comm/Buff");
  fs::create_directories(root + "/files");
  fs::current_path(work);

  sqlite3* db;
  sqlite3_open("bde.db", &db);
  std::ifstream schema(std::string(VK_SOURCE_DIR) + "/schema/sqlite.sql");
  std::stringstream ss;
  ss << schema.rdbuf();
  Exec(db, ss.str());
  Exec(db, "BEGIN");
  for (long i = 0; i < centres; ++i)
    Exec(db, "INSERT INTO o1003Kststelle (KstNum) VALUES ('" + std::to_string(100000 + i) + "')");
  for (long a = 0; a < areas; ++a) {
    char fbe[16];
    snprintf(fbe, sizeof fbe, "FB%03ld", a);
    Exec(db, std::string("INSERT INTO Kvs559Fbe (FbeFbe, FbeTyp) VALUES ('") + fbe + "', 1)");
  }
  // Ten terminal groups of ten areas each.
  for (long g = 0; g < 10; ++g) {
    char lo[16], hi[16];
    snprintf(lo, sizeof lo, "FB%03ld", g * 10);
    snprintf(hi, sizeof hi, "FB%03ld", g * 10 + 9);
    Exec(db, "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES (" +
                 std::to_string(g + 1) + ", '10.0.0." + std::to_string(g + 1) + "', '4711', '" +
                 lo + "', '" + hi + "')");
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);

  Msg_Init(FMSG, "./Msg/Velmarkon.Txt");
  if (Db_ConnectWith("bench", "bench", "sqlite:bde.db") != 0) return 1;

  printf("records: %ld (%ld cost centres x %ld areas, 10 terminal groups)\n\n", n, centres, areas);
  printf("%-26s %10s %14s %14s %12s\n", "", "records/s", "syncs/record", "CPU us/record",
         "peak KiB");

  Sample dnl = Measure([] {
    Ksg_Dnl("20240307", "090502", "BENCH");
    SndDnl_Close();
    return 0L;
  });
  Print("cost-centre download", dnl, n);

  // The floor: append and sync 552-byte records, nothing else.
  Sample floor = Measure([n] {
    int fd = open("../Comm/Buff/floor.buf", O_WRONLY | O_CREAT | O_DSYNC | O_APPEND, 0644);
    char rec[552];
    memset(rec, 'x', sizeof rec);
    for (long i = 0; i < n; ++i)
      if (write(fd, rec, sizeof rec) != static_cast<ssize_t>(sizeof rec)) exit(1);
    close(fd);
    return 0L;
  });
  Print("append+sync floor", floor, n);

  long bytes = 0;
  for (auto& e : fs::directory_iterator("../Comm/Buff"))
    if (e.path().filename() != "floor.buf") bytes += static_cast<long>(e.file_size());
  printf("\ndownload / floor time: %.2f   records written: %ld (expected %ld)\n",
         dnl.seconds / floor.seconds, bytes / 552, n);
  dbDisconnect();
  fs::current_path("/");
  fs::remove_all(root);
  return bytes / 552 == n ? 0 : 1;
}
