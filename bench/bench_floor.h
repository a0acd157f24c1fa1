// The floors a case is measured against, on the case's own folder and
// database: the least work that makes each row's records durable before its
// release is durable.
//
//   per-row floor (group 1): per row its 552-byte records appended to a file
//     and one fdatasync, then one single-row update of the row's marker and
//     a commit;
//   group floor (group K): per K rows their records appended, one fdatasync,
//     the K single-row updates in one transaction, one commit.
//
// Rows without a table (the cost-centre list) only append and sync.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "bench/bench_db.h"

struct BenchFigures {
  long rows = 0, records = 0;
  double wall = 0;  // seconds
  double cpu = 0;   // seconds, user + system
  long syncs = 0;   // data syncs of send-buffer files (or of the floor's file)
  long dir_syncs = 0;
  long commits = 0;
  long long wal_max = -1;  // largest write-ahead log seen at a commit; -1: none watched
  long peak_kb = 0;        // 0: not measured
};

// Runs a floor over at most max_rows of the segments' rows (taken in the same
// share from each segment; max_rows <= 0: all) on the connection db, which it
// closes at the end: the time includes the close, as the program's includes
// its disconnect (on the embedded database the close checkpoints the log).
// The records go to file (removed afterwards); wal, when not empty, is
// stat'ed after every commit. pass (1, 2, ...) makes the change time each
// floor writes differ from the one before.
BenchFigures Floor_Run(std::unique_ptr<BenchDb> db, const std::vector<FloorSegment>& segments,
                       int group, long max_rows, const std::string& file, const std::string& wal,
                       int pass);
