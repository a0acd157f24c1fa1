// One run of the program in a process of its own, so that its peak memory is
// its own: the benchmark starts its own binary again with "--run-program",
// which runs Download_Main with the program's entries in the case's working
// folder, counting the send buffers' data syncs (through the platform's file
// operations) and the session's commits (through the commit hook), watching
// the write-ahead log's size at every commit, and reporting its CPU time and
// its peak resident memory (VmHWM of the process after exec).
#pragma once

#include <string>
#include <vector>

#include "bench/bench_floor.h"

struct ProgramRun {
  BenchFigures fig;  // rows and records from the run summary
  int status = -1;   // the program's exit status; -1: the child did not end normally
  long fetched = 0, written = 0, released = 0, left = 0, failures = 0;
  std::string output;  // what the child printed
};

// Runs the program with args (marker, and the table keyword for a
// single-table run) in work; group > 0 sets the frame's group size.
ProgramRun Child_RunProgram(const std::string& work, int group,
                            const std::vector<std::string>& args);

// The child's side: true when argv asks for it.
bool Child_Wanted(int argc, char** argv);
int Child_Main(int argc, char** argv);
