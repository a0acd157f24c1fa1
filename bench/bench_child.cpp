// The program's run in a child process (see bench_child.h).
#include "bench/bench_child.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "bench/bench_db.h"
#include "db/sql.h"
#include "download/frame.h"
#include "run/download_main.h"
#include "support/platform.h"

namespace {

constexpr const char* kFlag = "--run-program";

// The child's counters.
long g_syncs = 0, g_dir_syncs = 0, g_commits = 0;
long long g_wal_max = -1;
const PlatFileOps* g_system = nullptr;

int32_t CountedSync(PlatFile file) {
  ++g_syncs;
  return g_system->data_sync(file);
}

int32_t CountedDirSync(const char* dir) {
  ++g_dir_syncs;
  return g_system->sync_dir(dir);
}

void OnCommit() {
  ++g_commits;
  struct stat sb;
  if (stat("bde.db-wal", &sb) == 0 && sb.st_size > g_wal_max) g_wal_max = sb.st_size;
}

double CpuSeconds() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// The process's own peak resident memory (VmHWM), in KiB. Not ru_maxrss:
// Linux carries the peak of the image before exec over into it, and that
// was a fork of the benchmark with its loaded rows.
long PeakKb() {
  std::ifstream in("/proc/self/status");
  std::string key;
  long kb = 0;
  while (in >> key) {
    if (key == "VmHWM:") {
      in >> kb;
      return kb;
    }
    in.ignore(1 << 16, '\n');
  }
  return 0;
}

std::string SelfPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) Bench_Die("cannot find the benchmark's own binary");
  buf[n] = '\0';
  return buf;
}

// The value after "key=" in line, or 0.
long long Field(const std::string& line, const char* key) {
  size_t at = line.find(std::string(" ") + key + "=");
  if (at == std::string::npos) return 0;
  return atoll(line.c_str() + at + strlen(key) + 2);
}

double FieldDouble(const std::string& line, const char* key) {
  size_t at = line.find(std::string(" ") + key + "=");
  if (at == std::string::npos) return 0;
  return atof(line.c_str() + at + strlen(key) + 2);
}

}  // namespace

bool Child_Wanted(int argc, char** argv) { return argc > 3 && strcmp(argv[1], kFlag) == 0; }

// argv: self --run-program WORK GROUP ARG...
int Child_Main(int argc, char** argv) {
  if (chdir(argv[2]) != 0) Bench_Die(std::string("cannot enter ") + argv[2]);
  const int group = atoi(argv[3]);
  if (group > 0) Dnl_SetGroup(group, Dnl_GroupMs());
  static PlatFileOps ops;
  g_system = Plat_SystemOps();
  ops = *g_system;
  ops.data_sync = CountedSync;
  ops.sync_dir = CountedDirSync;
  Plat_SetOps(&ops);
  Sql_SetCommitHook(OnCommit);

  std::vector<const char*> args = {"velmarkon"};
  for (int i = 4; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  int status = Download_Main(static_cast<int>(args.size()) - 1, args.data(), &kProgramEntries);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = CpuSeconds() - cpu0;
  printf(
      "bench-result wall=%.6f cpu=%.6f syncs=%ld dirsyncs=%ld commits=%ld walmax=%lld "
      "status=%d peakkb=%ld\n",
      wall, cpu, g_syncs, g_dir_syncs, g_commits, g_wal_max, status, PeakKb());
  fflush(stdout);
  return 0;
}

ProgramRun Child_RunProgram(const std::string& work, int group,
                            const std::vector<std::string>& args) {
  const std::string self = SelfPath(), out = work + "/bench-child.out";
  std::vector<std::string> all = {self, kFlag, work, std::to_string(group)};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  fflush(stdout);
  pid_t pid = fork();
  if (pid < 0) Bench_Die("fork failed");
  if (pid == 0) {
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
    close(fd);
    execv(self.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  if (waitpid(pid, &wstatus, 0) != pid) Bench_Die("waitpid failed");

  ProgramRun run;
  std::ifstream in(out);
  std::stringstream ss;
  ss << in.rdbuf();
  run.output = ss.str();
  unlink(out.c_str());
  std::istringstream lines(run.output);
  std::string line;
  bool got = false;
  while (std::getline(lines, line)) {
    if (line.rfind("velmarkon: ", 0) == 0) {
      run.fetched += Field(line, "fetched");
      run.written += Field(line, "written");
      run.released += Field(line, "released");
      run.left += Field(line, "left-marked");
      run.failures += Field(line, "failures");
    } else if (line.rfind("bench-result ", 0) == 0) {
      got = true;
      run.fig.wall = FieldDouble(line, "wall");
      run.fig.cpu = FieldDouble(line, "cpu");
      run.fig.syncs = Field(line, "syncs");
      run.fig.dir_syncs = Field(line, "dirsyncs");
      run.fig.commits = Field(line, "commits");
      run.fig.wal_max = Field(line, "walmax");
      run.status = static_cast<int>(Field(line, "status"));
      run.fig.peak_kb = Field(line, "peakkb");
    }
  }
  if (!got || !WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0) {
    run.status = -1;
    fprintf(stderr, "velmarkon-bench: the program's run ended abnormally (wait status %d):\n%s\n",
            wstatus, run.output.c_str());
  }
  run.fig.rows = run.fetched;
  run.fig.records = run.written;
  return run;
}
