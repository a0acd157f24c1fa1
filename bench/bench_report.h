// What the benchmark prints: one block per case and row count (the program's
// run beside its two floors), then the figures the targets are judged by.
#pragma once

#include <string>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_data.h"
#include "bench/bench_floor.h"

struct CaseResult {
  const BenchCase* c = nullptr;
  CaseData data;
  ProgramRun run;
  BenchFigures row_floor, group_floor;
  long still_marked = 0;  // rows that carry the marker after the run
  bool wal_left = false, shm_left = false;
  std::string check;  // "ok", or what was wrong (Report_Check)
};

struct ReportSetting {
  std::string folder, filesystem;
  bool ram_disk = false;
  bool server = false;
  std::string database;  // what the cases run on, for the heading
  int group_rows = 0, group_ms = 0;
  long floor_rows = 0;  // the per-row floor's cap; 0: all rows
  int repeat = 1;
};

// What went wrong in one run of a case (the program's exit status, logged
// failures, rows not fetched, written or released as expected, rows still
// marked, a -wal or -shm file left behind); "ok" when nothing.
std::string Report_Check(const CaseResult& r);

// The repetitions of a case as one: for the program and each floor the
// repetition of median time; the checks of all of them.
CaseResult Report_Median(const std::vector<CaseResult>& reps);

void Report_Heading(const ReportSetting& s);
void Report_Case(const CaseResult& r);
void Report_Targets(const ReportSetting& s, const std::vector<CaseResult>& results);
