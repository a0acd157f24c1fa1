// Runs one of the built programs (see run_program.h).
#include "tests/run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/test_env.h"

Ran RunProgram(const std::string& program, const std::string& args, const std::string& env) {
  static int count = 0;
  const std::string base = (std::filesystem::temp_directory_path() /
                            ("vkrun." + std::to_string(getpid()) + "." + std::to_string(++count)))
                               .string();
  // Under the sanitizers, the database driver's own leaks are not the program's.
  const std::string lsan = std::string("LSAN_OPTIONS='suppressions=") + VK_SOURCE_DIR +
                           "/tests/lsan-programs.supp:print_suppressions=0' ";
  const std::string cmd = "env " + lsan + env + " '" + VK_BINARY_DIR + "/" + program +
                          VK_EXE_SUFFIX + "' " + args + " >'" + base + ".out' 2>'" + base +
                          ".err' </dev/null";
  const int raw = std::system(cmd.c_str());
  Ran r;
  r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadFileBytes(base + ".out");
  r.err = ReadFileBytes(base + ".err");
  std::filesystem::remove(base + ".out");
  std::filesystem::remove(base + ".err");
  return r;
}
