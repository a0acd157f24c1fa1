// The benchmark's own connection to a case's database: the embedded database
// through SQLite, or a database on the PostgreSQL server through ODBC. It
// loads the rows before a case, reads keys and counts after it, and runs the
// floors' single-row updates and commits. Every failure ends the benchmark
// (a benchmark on a half-built database would measure nothing).
#pragma once

#include <string>
#include <vector>

class BenchDb {
 public:
  virtual ~BenchDb() = default;

  // Statements separated by ";" (outside quotes and "--" comments), UTF-8.
  virtual void Exec(const std::string& sql) = 0;
  // One statement; false with the reason instead of ending the benchmark.
  virtual bool Try(const std::string& sql, std::string* why) = 0;
  // Rows of a query as text; NULL as "".
  virtual std::vector<std::vector<std::string>> Query(const std::string& sql) = 0;

  // The floors' statements: one update with "?" placeholders bound as text
  // (nullptr binds NULL), and the transaction around it.
  virtual void PrepareUpdate(const std::string& sql) = 0;
  virtual void RunUpdate(const char* const* values, int n) = 0;
  virtual void Begin() = 0;
  virtual void Commit() = 0;
};

// The embedded database at path, with the program's journal and sync settings
// (write-ahead log, every commit durable).
BenchDb* BenchDb_OpenSqlite(const std::string& path);

// An ODBC connection string; database empty: the data source's own.
// Manual commit for the floors (autocommit for loading when autocommit).
BenchDb* BenchDb_OpenOdbc(const std::string& connection, bool autocommit);

// Prints the message and ends the benchmark.
[[noreturn]] void Bench_Die(const std::string& what);
