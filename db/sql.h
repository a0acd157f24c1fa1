// Statement layer: the one path by which every statement of the program
// reaches the database.
//
// A statement is a fixed text in the database's own SQL (as the program has
// always sent it), prepared once per process on first use and reused. Values
// travel in host variables: NUL-terminated Windows-1252 text of a fixed width,
// 16-bit and 32-bit integers, and doubles. Inputs are bound in the order in
// which their placeholders occur in the text (outside an INTO list); outputs
// in select-list order. Every call returns the statement result code:
//   0 success, 1403 no (more) rows or no row touched, negative: the error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text.h"

// Result codes, the same on every back end.
enum : int32_t {
  SQL_OK = 0,
  SQL_NOTFOUND = 1403,           // no row; end of fetch; change touched no row
  SQL_TOO_MANY_ROWS = -2112,     // single-row select found several rows
  SQL_UNIQUE = -1,               // unique key violated
  SQL_COLUMN_UNKNOWN = -904,     // invalid identifier
  SQL_TABLE_UNKNOWN = -942,      // table or view does not exist
  SQL_CURSOR_INVALID = -1001,    // fetch or close of a cursor that is not open
  SQL_LOGIN_REFUSED = -1017,     // login refused (also: login text too long)
  SQL_NULL_NOT_ALLOWED = -1400,  // NULL into a NOT NULL column
  SQL_INVALID_DATE = -1861,      // text does not match its date mask
  SQL_EOF_COMMUNICATION = -3113,
  SQL_NOT_CONNECTED = -3114,
  SQL_VALUE_TOO_LARGE = -12899,
  SQL_NO_SUCH_DATABASE = -12154,  // database unknown or unreachable
  SQL_RESOURCE_BUSY = -54,        // locked by another session
};

enum HostType : uint8_t { HV_STRING, HV_INT16, HV_INT32, HV_FLOAT };

// One host variable. For HV_STRING, size is the whole buffer (column width
// plus one for the NUL); text longer than size-1 characters is cut on fetch.
struct HostVar {
  HostType type;
  void* addr;
  uint32_t size;
};

template <size_t N>
inline HostVar HvStr(char (&text)[N]) {
  return {HV_STRING, text, static_cast<uint32_t>(N)};
}
inline HostVar HvI16(int16_t* v) { return {HV_INT16, v, 2}; }
inline HostVar HvI32(int32_t* v) { return {HV_INT32, v, 4}; }
inline HostVar HvFlt(double* v) { return {HV_FLOAT, v, 8}; }

enum SqlKind : uint8_t {
  SQLK_CHANGE,   // insert, update, delete
  SQLK_CONTROL,  // savepoint, rollback to savepoint, commit
  SQLK_SELECT,   // single-row select (has an INTO list)
  SQLK_CURSOR,   // multi-row query
};

// A statement of the program. Declared once as module-wide static data; it
// registers itself so that all statements can be prepared in one go.
struct SqlStmt {
  explicit SqlStmt(const char* text);
  ~SqlStmt();  // forgets its prepared form and leaves the registry
  SqlStmt(const SqlStmt&) = delete;
  SqlStmt& operator=(const SqlStmt&) = delete;

  const char* text;
  SqlKind kind;
  void* handle = nullptr;  // the back end's prepared form
  SqlStmt* next = nullptr;
};

// A guarded change: savepoint named after the operation, the change, then at
// once a commit on success or a rollback to the savepoint on failure.
struct SqlChange {
  SqlStmt savepoint;
  SqlStmt change;
  SqlStmt rollback;
};
#define SQL_CHANGE(op, text) \
  { SqlStmt("savepoint " op "_Sp"), SqlStmt(text), SqlStmt("rollback  to " op "_Sp") }

int32_t Sql_Exec(SqlStmt* st, const HostVar* in, int nin);
int32_t Sql_SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out, int nout);
int32_t Sql_Open(SqlStmt* st, const HostVar* in, int nin);
int32_t Sql_Fetch(SqlStmt* st, const HostVar* out, int nout);
int32_t Sql_Close(SqlStmt* st);
// Runs a guarded change and returns the change's result; 0 only when the
// change is committed (a failed commit is rolled back and returned).
int32_t Sql_Change(SqlChange* ch, const HostVar* in, int nin);
int32_t Sql_Commit();

// Prepares every statement of the program; returns the number that failed
// and calls report(text, code) for each. For tests and the set-up check.
int Sql_PrepareAll(void (*report)(const char* text, int32_t code));
// All registered statements, for tests.
SqlStmt* Sql_FirstStmt();

template <size_t N>
int32_t Sql_Exec(SqlStmt* st, const HostVar (&in)[N]) {
  return Sql_Exec(st, in, static_cast<int>(N));
}
template <size_t N>
int32_t Sql_Open(SqlStmt* st, const HostVar (&in)[N]) {
  return Sql_Open(st, in, static_cast<int>(N));
}
template <size_t N>
int32_t Sql_Fetch(SqlStmt* st, const HostVar (&out)[N]) {
  return Sql_Fetch(st, out, static_cast<int>(N));
}
template <size_t N>
int32_t Sql_Change(SqlChange* ch, const HostVar (&in)[N]) {
  return Sql_Change(ch, in, static_cast<int>(N));
}
template <size_t NI, size_t NO>
int32_t Sql_SelectInto(SqlStmt* st, const HostVar (&in)[NI], const HostVar (&out)[NO]) {
  return Sql_SelectInto(st, in, static_cast<int>(NI), out, static_cast<int>(NO));
}
