// Runs the built program from tests (see program_run.h).
#include <filesystem>
#include <stdexcept>

#include "support/platform.h"
#include "tests/program_run.h"
#include "tests/test_env.h"

namespace {
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  q += '\'';
  return q;
}
}  // namespace

Program::Program(const ProgramRun& run) {
  char dir[512];
  if (Plat_MakeTempDir("vkprog.", dir, sizeof dir) != 0) throw std::runtime_error("temp folder");
  dir_ = dir;
  std::string script;
  if (run.file_size_limit > 0)
    script += "ulimit -f " + std::to_string(run.file_size_limit / 512) + " || exit 99; ";
  // Under LeakSanitizer the PostgreSQL driver's own leaks are not the
  // program's (the test program suppresses them the same way).
  WriteFileBytes(dir_ + "/lsan.supp", "leak:psqlodbca.so\n");
  script += "exec env ";
  script.append(Quote("LSAN_OPTIONS=suppressions=" + dir_ + "/lsan.supp:print_suppressions=0"));
  for (const std::string& e : run.env) script.append(" ").append(Quote(e));
  script += " ";
  script.append("\"$0\" \"$@\" >").append(Quote(dir_ + "/out"));
  script.append(" 2>").append(Quote(dir_ + "/err"));
  const std::string program = std::string(VK_BINARY_DIR) + "/velmarkon";
  std::vector<const char*> argv = {"/bin/sh", "-c", script.c_str(), program.c_str()};
  for (const std::string& a : run.args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  started_ms_ = Plat_MonotonicMs();
  if (Plat_Spawn(argv.data(), &pid_) != 0) throw std::runtime_error("cannot start " + program);
}

Program::~Program() {
  if (!ended_) {
    Plat_Kill(pid_);
    int status;
    Plat_Wait(pid_, -1, &status);
  }
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool Program::Running() {
  if (ended_) return false;
  int status = 0;
  if (Plat_Wait(pid_, 0, &status) != 0) return true;
  ended_ = true;
  result_.status = status;
  result_.ms = Plat_MonotonicMs() - started_ms_;
  return false;
}

ProgramResult Program::Wait(int32_t timeout_ms) {
  if (!ended_) {
    int status = 0;
    if (Plat_Wait(pid_, timeout_ms, &status) == 0) {
      result_.status = status;
    } else {
      Plat_Kill(pid_);
      Plat_Wait(pid_, -1, &status);
      result_.status = -1;
    }
    ended_ = true;
    result_.ms = Plat_MonotonicMs() - started_ms_;
  }
  result_.out = ReadFileBytes(dir_ + "/out");
  result_.err = ReadFileBytes(dir_ + "/err");
  return result_;
}

ProgramResult RunProgram(const ProgramRun& run, int32_t timeout_ms) {
  Program p(run);
  return p.Wait(timeout_ms);
}
