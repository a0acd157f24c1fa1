// The benchmark's cases and the rows each case's database holds: order
// headers, operations (each with its order header), workplace groups and
// workplaces (with their cost-centre assignments), interruption reasons,
// personnel, the cost-centre list, and the update request, spread over six
// production areas that three terminal groups serve.
#pragma once

#include <string>
#include <vector>

class BenchDb;

struct BenchCase {
  const char* name;     // command-line name: "apk", "upd-all", ...
  const char* title;    // what the report shows
  const char* keyword;  // the table keyword; nullptr: an update-request run
};

// Every case, in the order they run.
const std::vector<BenchCase>& Bench_Cases();
const BenchCase* Bench_FindCase(const std::string& name);

// The download marker every case's rows carry (or that the update request
// gives them).
#define BENCH_MARKER "BENCH"

// What a floor works through for a part of the case's rows: per row its
// records are appended, and (with a table) the row's marker is updated by its
// key, setting it to the value it already holds and the change time to the
// floor's (an update that changes nothing writes nothing on SQLite). The rows
// go in the order in which the download fetches them: by production area,
// then as stored.
struct FloorSegment {
  std::string table;  // empty: append only (the cost-centre list)
  std::string marker_column, time_column, area_column;
  std::vector<std::string> key_columns;
  bool marked;  // the rows carry BENCH_MARKER (else their marker is NULL)
  int records;  // records per row
  long rows;
};

// What the loaded database should give the case.
struct CaseData {
  long rows;     // rows the case's downloads fetch
  long records;  // records they write
  std::vector<FloorSegment> floors;
};

// Creates the tables (the schema text of the back end) and loads the rows of
// case c, about rows of them. Runs in one transaction.
CaseData Bench_Load(BenchDb* db, const BenchCase& c, long rows, const std::string& schema);
