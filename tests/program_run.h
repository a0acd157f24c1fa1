// The built program run from a test as a site starts it: VK_BINARY_DIR's
// velmarkon with its arguments, in the test's current working folder (a
// TestTree's), with its stdout and stderr kept. Started through /bin/sh, so
// that a file-size limit and environment variables apply to the program
// alone: these tests are for POSIX systems.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProgramRun {
  std::vector<std::string> args;
  std::vector<std::string> env;  // "NAME=value" set for the program
  int64_t file_size_limit = 0;   // bytes (a multiple of 512); 0: the test's own
};

struct ProgramResult {
  int status = -1;  // exit status, 128 + signal when killed; -1: did not end in time
  int64_t ms = 0;   // from start to end
  std::string out, err;
};

// One start of the program; the destructor kills it if it still runs.
class Program {
 public:
  explicit Program(const ProgramRun& run);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Running();
  // Waits at most timeout_ms for the end (then kills the program).
  ProgramResult Wait(int32_t timeout_ms = 60000);

 private:
  std::string dir_;  // stdout and stderr files
  int64_t pid_ = 0;
  int64_t started_ms_ = 0;
  bool ended_ = false;
  ProgramResult result_;
};

// Starts the program and waits for it.
ProgramResult RunProgram(const ProgramRun& run, int32_t timeout_ms = 60000);
