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
//
// A value that cannot be brought into its host variable (a date text that is
// no date, text in a number column, a number beyond the variable's width, a
// key that has no Windows-1252 form) fails its row, not the cursor: the fetch
// returns the code with the row's other values delivered, Sql_RowFailed()
// says so, and the next fetch goes on with the next row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

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
  SQL_RESOURCE_BUSY = -54,        // locked by another session (lock wait timed out)
  SQL_OVERFLOW = -1455,           // a number beyond its host variable's width
  SQL_INVALID_NUMBER = -1722,     // text that is no number in a number column
  SQL_NO_CP1252 = -12703,         // a character the program's code page cannot hold
};

enum HostType : uint8_t {
  HV_STRING,
  HV_INT16,  // exchanged as 16 bits; held in an int16_t, or an int32_t (HvI16w)
  HV_INT32,
  HV_FLOAT,
};

enum : uint8_t {
  HV_WIDE = 1,  // HV_INT16 held in an int32_t
  // A key: a fetched text that had to be cut or had a character replaced
  // fails its row with SQL_NO_CP1252 instead of arriving changed, so that no
  // statement addresses another row by it.
  HV_KEY = 2,
};

// One host variable. For HV_STRING, size is the whole buffer (column width
// plus one for the NUL); text longer than size-1 characters is cut on fetch.
struct HostVar {
  HostType type;
  uint8_t flags;
  void* addr;
  uint32_t size;
};

template <size_t N>
inline HostVar HvStr(char (&text)[N]) {
  return {HV_STRING, 0, text, static_cast<uint32_t>(N)};
}
template <size_t N>
inline HostVar HvKey(char (&text)[N]) {
  return {HV_STRING, HV_KEY, text, static_cast<uint32_t>(N)};
}
inline HostVar HvI16(int16_t* v) { return {HV_INT16, 0, v, 2}; }
inline HostVar HvI16w(int32_t* v) { return {HV_INT16, HV_WIDE, v, 4}; }
inline HostVar HvI32(int32_t* v) { return {HV_INT32, 0, v, 4}; }
inline HostVar HvFlt(double* v) { return {HV_FLOAT, 0, v, 8}; }

enum SqlKind : uint8_t {
  SQLK_CHANGE,   // insert, update, delete
  SQLK_CONTROL,  // savepoint, rollback to savepoint, release savepoint, commit
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
  void* handle = nullptr;   // the back end's prepared form
  bool row_failed = false;  // the last fetch delivered a row that failed
  SqlStmt* next = nullptr;
};

// A guarded change: savepoint named after the operation, the change, then at
// once a commit on success or a rollback to the savepoint on failure. Inside
// a unit of work (Sql_Begin) the savepoint is released instead of the
// commit, and the unit's end commits; there, on a back end that undoes a
// failed statement alone, the change runs without a savepoint of its own.
struct SqlChange {
  SqlStmt savepoint;
  SqlStmt change;
  SqlStmt rollback;
  SqlStmt release;
};
#define SQL_CHANGE(op, text)                                                          \
  {                                                                                   \
    SqlStmt("savepoint " op "_Sp"), SqlStmt(text), SqlStmt("rollback  to " op "_Sp"), \
        SqlStmt("release savepoint " op "_Sp")                                        \
  }

// Several changes that stand or fall together: a savepoint of their own
// around them (Sql_UnitBegin), committed at its end when no unit of work is
// open, released into the unit otherwise.
struct SqlSavepoint {
  SqlStmt savepoint;
  SqlStmt rollback;
  SqlStmt release;
};
#define SQL_SAVEPOINT(op)                                              \
  {                                                                    \
    SqlStmt("savepoint " op "_Sp"), SqlStmt("rollback  to " op "_Sp"), \
        SqlStmt("release savepoint " op "_Sp")                         \
  }

int32_t Sql_Exec(SqlStmt* st, const HostVar* in, int nin);
int32_t Sql_SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out, int nout);
int32_t Sql_Open(SqlStmt* st, const HostVar* in, int nin);
int32_t Sql_Fetch(SqlStmt* st, const HostVar* out, int nout);
int32_t Sql_Close(SqlStmt* st);
// Runs a guarded change and returns the change's result; 0 only when the
// change is committed, or kept in the open unit of work (a failed commit is
// rolled back and returned).
int32_t Sql_Change(SqlChange* ch, const HostVar* in, int nin);
int32_t Sql_Commit();

// True when the last Sql_Fetch or Sql_SelectInto returned a row whose
// values could not all be converted (its code says why); a cursor goes on
// with the next row.
bool Sql_RowFailed();

// A unit of work: the changes from Sql_Begin to Sql_End are committed
// together, or rolled back together. On the embedded database Sql_Begin
// takes the write lock at once (waiting at most the lock wait); a held
// database gives SQL_RESOURCE_BUSY. Sql_End(true) commits (a failed commit
// rolls the unit back and is returned), Sql_End(false) rolls back.
int32_t Sql_Begin();
int32_t Sql_End(bool commit);
bool Sql_InUnit();

// Several changes as one: Sql_Join opens sp, Sql_Leave(sp, true) keeps them
// (committing them at once outside a unit of work), Sql_Leave(sp, false)
// undoes them. Sql_Leave returns the commit's result.
int32_t Sql_Join(SqlSavepoint* sp);
int32_t Sql_Leave(SqlSavepoint* sp, bool keep);

// Deferred changes: the releases of a group sent to a server in one round
// trip. Between Sql_DeferBegin and Sql_DeferRun (inside a unit of work)
// Sql_Change runs nothing: it keeps the statement with a copy of its values
// and answers 0; Sql_Join and a kept Sql_Leave answer 0 without a savepoint
// (the kept changes stand or fall together). Sql_DeferRun sends them in one
// go: 0 when every one of them touched a row, and they wait for the unit's
// commit; otherwise the unit is rolled back (everything since Sql_Begin) and
// the code (1403, or the error) returned, and the caller does the work again
// one change at a time. Any other change while changes are kept makes
// Sql_DeferRun fail the same way (it runs as usual); a read runs as usual
// and sees the database without the kept changes.
bool Sql_CanDefer();  // the back end sends several changes in one round trip
void Sql_DeferBegin();
bool Sql_Deferring();
// The changes kept so far: Sql_DeferCut(n) forgets those after the first n.
int Sql_DeferCount();
void Sql_DeferCut(int n);
int32_t Sql_DeferRun();
// The server's statistics of a table brought up to date before its rows
// are released one by one (best effort; nothing on the embedded database).
void Sql_RefreshStatistics(const char* table);

// Tests: defer on a back end that runs the kept changes one by one.
void Sql_SetDeferAlways(bool on);

// The longest wait for a lock another session holds: 10 s until the first
// wait of the process has timed out, 1 s after that, so that a held
// database cannot keep a run for long.
int32_t Sql_LockWaitMs();

// A table module keeps its host variables in a record of the table's own row
// type; a statement's output list points into it. Sql_Deliver copies just
// the fields that list names, from that host record into the caller's record
// (at the same places), so that a statement leaves the fields it does not
// select as the caller had them.
void Sql_Deliver(const HostVar* list, int n, const void* host, void* row, size_t size);
template <class Rec, size_t N>
void Sql_Deliver(const HostVar (&list)[N], const Rec& host, Rec* row) {
  Sql_Deliver(list, static_cast<int>(N), &host, row, sizeof(Rec));
}
template <class Rec, size_t N>
void Sql_Deliver(const std::array<HostVar, N>& list, const Rec& host, Rec* row) {
  Sql_Deliver(list.data(), static_cast<int>(N), &host, row, sizeof(Rec));
}

// Forgets the session's unit of work (the session ends).
void Sql_SessionEnded();

// Called after every commit of the session (tests watch the order of the
// program's durable steps); nullptr: none.
void Sql_SetCommitHook(void (*hook)());
// Prepares every statement of the program; returns the number that failed
// and calls report(text, code) for each. For tests and the set-up check.
int Sql_PrepareAll(void (*report)(const char* text, int32_t code));
// All registered statements, for tests.
SqlStmt* Sql_FirstStmt();

// An output list that differs from another only at a few places (a column
// of another width, a key taken as it stands): base with the changes made.
template <size_t N>
std::array<HostVar, N> Hv_Variant(const HostVar (&base)[N],
                                  std::initializer_list<std::pair<size_t, HostVar>> changes) {
  std::array<HostVar, N> list;
  for (size_t i = 0; i < N; ++i) list[i] = base[i];
  for (const auto& [at, hv] : changes) list[at] = hv;
  return list;
}
template <size_t N>
std::array<HostVar, N> Hv_Variant(const std::array<HostVar, N>& base,
                                  std::initializer_list<std::pair<size_t, HostVar>> changes) {
  std::array<HostVar, N> list = base;
  for (const auto& [at, hv] : changes) list[at] = hv;
  return list;
}

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
int32_t Sql_Fetch(SqlStmt* st, const std::array<HostVar, N>& out) {
  return Sql_Fetch(st, out.data(), static_cast<int>(N));
}
template <size_t N>
int32_t Sql_SelectInto(SqlStmt* st, const HostVar (&in)[N], const HostVar* out, int nout) {
  return Sql_SelectInto(st, in, static_cast<int>(N), out, nout);
}
template <size_t NI, size_t NO>
int32_t Sql_SelectInto(SqlStmt* st, const HostVar (&in)[NI], const std::array<HostVar, NO>& out) {
  return Sql_SelectInto(st, in, static_cast<int>(NI), out.data(), static_cast<int>(NO));
}
template <size_t N>
int32_t Sql_Change(SqlChange* ch, const HostVar (&in)[N]) {
  return Sql_Change(ch, in, static_cast<int>(N));
}
template <size_t NI, size_t NO>
int32_t Sql_SelectInto(SqlStmt* st, const HostVar (&in)[NI], const HostVar (&out)[NO]) {
  return Sql_SelectInto(st, in, static_cast<int>(NI), out, static_cast<int>(NO));
}
