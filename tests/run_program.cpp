// Runs one of the built programs (see run_program.h).
#include "tests/run_program.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "support/platform.h"
#include "tests/test_env.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Text mode on Windows writes "\r\n" for "\n".
std::string Lines(std::string s) {
  for (size_t at = 0; (at = s.find("\r\n", at)) != std::string::npos;) s.erase(at, 1);
  return s;
}

}  // namespace

Ran RunProgram(const std::string& program, const std::string& args, const std::string& env) {
  static int count = 0;
  const std::string base = (std::filesystem::temp_directory_path() /
                            ("vkrun." + std::to_string(Plat_Pid()) + "." + std::to_string(++count)))
                               .string();
  // Under the sanitizers, the database driver's own leaks are not the program's.
  std::vector<std::string> vars = Words(env);
  vars.push_back(std::string("LSAN_OPTIONS=suppressions=") + VK_SOURCE_DIR +
                 "/tests/lsan-programs.supp:print_suppressions=0");
  // The variables go to the program through this process's environment,
  // which is put back afterwards.
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  for (const std::string& v : vars) {
    const size_t eq = v.find('=');
    const std::string name = v.substr(0, eq);
    const char* old = getenv(name.c_str());
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    Plat_SetEnv(name.c_str(), v.substr(eq + 1).c_str());
  }
  const std::string path = std::string(VK_BINARY_DIR) + "/" + program + VK_EXE_SUFFIX;
  std::vector<std::string> words = Words(args);
  std::vector<const char*> argv = {path.c_str()};
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  const std::string out = base + ".out", err = base + ".err";
  int64_t pid = 0;
  Ran r{-1, "", ""};
  if (Plat_SpawnRedirected(argv.data(), out.c_str(), err.c_str(), &pid) == 0) {
    int status = 0;
    if (Plat_Wait(pid, 120000, &status) == 0) {
      r.status = status;
    } else {
      Plat_Kill(pid);
      Plat_Wait(pid, -1, &status);
    }
  }
  for (auto it = saved.rbegin(); it != saved.rend(); ++it)
    Plat_SetEnv(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  r.out = Lines(ReadFileBytes(out));
  r.err = Lines(ReadFileBytes(err));
  std::error_code ec;
  std::filesystem::remove(out, ec);
  std::filesystem::remove(err, ec);
  return r;
}
