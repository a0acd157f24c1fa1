// The benchmark's report (see bench_report.h).
#include "bench/bench_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

double PerRow(const BenchFigures& f) {
  return f.rows > 0 ? f.wall / static_cast<double>(f.rows) : 0;
}

// How many times faster per row the program is than the floor.
double Ratio(const BenchFigures& program, const BenchFigures& floor) {
  double p = PerRow(program), f = PerRow(floor);
  return p > 0 ? f / p : 0;
}

double Per(long n, long rows) {
  return rows > 0 ? static_cast<double>(n) / static_cast<double>(rows) : 0;
}

std::string Mib(long long bytes) {
  if (bytes < 0) return "-";
  char buf[32];
  snprintf(buf, sizeof buf, "%.2f", static_cast<double>(bytes) / 1048576.0);
  return buf;
}

void Line(const char* name, long rows, const BenchFigures& f, const std::string& vs_row,
          const std::string& vs_group, const std::string& check) {
  const double rps = f.wall > 0 ? static_cast<double>(f.records) / f.wall : 0;
  std::string peak = f.peak_kb > 0 ? Mib(f.peak_kb * 1024LL) : "-";
  printf("%-32s %7ld %8.2f %10.0f %8s %8s %9.3f %11.3f %10.1f %8s %8s  %s\n", name, rows, f.wall,
         rps, vs_row.c_str(), vs_group.c_str(), Per(f.syncs, f.rows), Per(f.commits, f.rows),
         f.rows > 0 ? f.cpu * 1e6 / static_cast<double>(f.rows) : 0, peak.c_str(),
         Mib(f.wal_max).c_str(), check.c_str());
}

std::string Times(double v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%.2fx", v);
  return buf;
}

const char* Verdict(bool ok) { return ok ? "met" : "MISSED"; }

// Results by case name, in the order they ran, and by rows.
std::map<std::string, std::map<long, const CaseResult*>> ByCase(
    const std::vector<CaseResult>& results) {
  std::map<std::string, std::map<long, const CaseResult*>> out;
  for (const CaseResult& r : results) out[r.c->name][r.data.rows] = &r;
  return out;
}

}  // namespace

void Report_Heading(const ReportSetting& s) {
  printf("velmarkon-bench: folder %s (%s), %s\n", s.folder.c_str(), s.filesystem.c_str(),
         s.database.c_str());
  printf("groups of %d rows or %d ms (frame); per-row floor on %s; median of %d run%s each\n",
         s.group_rows, s.group_ms,
         s.floor_rows > 0 ? ("at most " + std::to_string(s.floor_rows) + " rows of a case").c_str()
                          : "all rows",
         s.repeat, s.repeat == 1 ? "" : "s");
  printf(
      "x row-fl / x grp-fl: how many times faster per row than the floor; syncs: data syncs of\n"
      "the send buffers (the floors': of their file); commits: the session's commits\n\n");
  printf("%-32s %7s %8s %10s %8s %8s %9s %11s %10s %8s %8s  %s\n", "case", "rows", "time s",
         "records/s", "x row-fl", "x grp-fl", "syncs/row", "commits/row", "CPU us/row", "peak MiB",
         "WAL MiB", "check");
  fflush(stdout);
}

std::string Report_Check(const CaseResult& r) {
  std::string check;
  const ProgramRun& run = r.run;
  long releasing = 0;
  for (const FloorSegment& s : r.data.floors)
    if (!s.table.empty()) releasing += s.rows;
  auto add = [&check](const std::string& what) { check += (check.empty() ? "" : " ") + what; };
  if (run.status != 0) add("exit=" + std::to_string(run.status));
  if (run.failures != 0) add("failures=" + std::to_string(run.failures));
  if (run.fetched != r.data.rows)
    add("fetched=" + std::to_string(run.fetched) + "/" + std::to_string(r.data.rows));
  if (run.written != r.data.records)
    add("written=" + std::to_string(run.written) + "/" + std::to_string(r.data.records));
  if (run.released != releasing)
    add("released=" + std::to_string(run.released) + "/" + std::to_string(releasing));
  if (r.still_marked != 0) add("still-marked=" + std::to_string(r.still_marked));
  if (r.wal_left) add("-wal-LEFT");
  if (r.shm_left) add("-shm-LEFT");
  return check.empty() ? "ok" : check;
}

CaseResult Report_Median(const std::vector<CaseResult>& reps) {
  auto median = [&reps](auto wall) {
    std::vector<const CaseResult*> order;
    for (const CaseResult& r : reps) order.push_back(&r);
    std::sort(order.begin(), order.end(),
              [&wall](const CaseResult* a, const CaseResult* b) { return wall(*a) < wall(*b); });
    return order[order.size() / 2];
  };
  CaseResult m = *median([](const CaseResult& r) { return r.run.fig.wall; });
  m.row_floor = median([](const CaseResult& r) { return r.row_floor.wall; })->row_floor;
  m.group_floor = median([](const CaseResult& r) { return r.group_floor.wall; })->group_floor;
  m.check.clear();
  for (const CaseResult& r : reps) {
    std::string c = Report_Check(r);
    if (m.check.find(c) == std::string::npos) m.check += (m.check.empty() ? "" : "; ") + c;
    m.wal_left = m.wal_left || r.wal_left;
    m.shm_left = m.shm_left || r.shm_left;
  }
  return m;
}

void Report_Case(const CaseResult& r) {
  const ProgramRun& run = r.run;
  std::string check = r.check.empty() ? Report_Check(r) : r.check;
  // New send-buffer files have their folder synced once each: not per row.
  if (run.fig.dir_syncs != 0) check += " (+" + std::to_string(run.fig.dir_syncs) + " dir syncs)";

  Line(r.c->title, run.fig.rows, run.fig, Times(Ratio(run.fig, r.row_floor)),
       Times(Ratio(run.fig, r.group_floor)), check);
  Line("  per-row floor", r.row_floor.rows, r.row_floor, "", "", "");
  Line("  group floor", r.group_floor.rows, r.group_floor, "", "", "");
  fflush(stdout);
}

void Report_Targets(const ReportSetting& s, const std::vector<CaseResult>& results) {
  auto by_case = ByCase(results);
  printf("\nTargets (ratios from this run):\n");

  bool any_left = false;
  for (const CaseResult& r : results) any_left = any_left || r.wal_left || r.shm_left;

  for (const auto& [name, by_rows] : by_case) {
    if (by_rows.size() < 2) continue;
    const CaseResult* lo = by_rows.begin()->second;
    const CaseResult* hi = by_rows.rbegin()->second;
    double lin = PerRow(lo->run.fig) > 0 ? PerRow(hi->run.fig) / PerRow(lo->run.fig) : 0;
    double mem = lo->run.fig.peak_kb > 0 ? static_cast<double>(hi->run.fig.peak_kb) /
                                               static_cast<double>(lo->run.fig.peak_kb)
                                         : 0;
    printf(
        "  %-8s time/row at %ld vs %ld rows: %.2fx (<= 1.25: %s); peak memory %.2fx (<= 1.10: "
        "%s)\n",
        name.c_str(), hi->data.rows, lo->data.rows, lin, Verdict(lin <= 1.25), mem,
        Verdict(mem <= 1.10));
  }

  auto apk = by_case.find("apk");
  if (apk != by_case.end()) {
    for (const auto& [rows, r] : apk->second) {
      double vs_row = Ratio(r->run.fig, r->row_floor), vs_group = Ratio(r->run.fig, r->group_floor);
      double cpu =
          r->run.fig.rows > 0 ? r->run.fig.cpu * 1e6 / static_cast<double>(r->run.fig.rows) : 0;
      if (s.server) {
        printf(
            "  order headers at %ld rows on the server: %.2fx the per-row floor (>= 5: %s), "
            "%.2fx the group floor\n",
            rows, vs_row, Verdict(vs_row >= 5), vs_group);
        continue;
      }
      printf("  order headers at %ld rows: %.2fx the per-row floor, %.2fx the group floor", rows,
             vs_row, vs_group);
      if (!s.ram_disk && rows >= 100000)
        printf(" (on disk: >= 20: %s, >= 0.5: %s)", Verdict(vs_row >= 20),
               Verdict(vs_group >= 0.5));
      printf("; CPU %.1f us/row", cpu);
      if (s.ram_disk) printf(" (RAM disk: <= 40: %s)", Verdict(cpu <= 40));
      printf("\n");
    }
  }
  if (s.server) {
    for (const CaseResult& r : results) {
      if (std::string(r.c->name) == "apk") continue;
      double vs_row = Ratio(r.run.fig, r.row_floor);
      printf("  %-8s at %ld rows on the server: %.2fx the per-row floor (>= 5: %s)\n", r.c->name,
             r.data.rows, vs_row, Verdict(vs_row >= 5));
    }
  } else {
    printf("  -wal or -shm file left behind by a run: %s\n", any_left ? "YES" : "none");
  }
  fflush(stdout);
}
