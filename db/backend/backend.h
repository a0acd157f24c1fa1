// The seam between the statement layer and a database client library.
//
// A back end connects one session, prepares statement texts (translated into
// its dialect) and runs them with host variables. It maps its client's errors
// onto the program's result codes (db/sql.h). The statement layer calls it
// only while connected and only with prepared statements.
#pragma once

#include <cstdint>

#include "db/sql.h"

class DbBackend {
 public:
  virtual ~DbBackend() = default;

  // target: the back end's part of the connect string (after "sqlite:" or
  // "odbc:", or a data source name).
  virtual int32_t Connect(const char* target, const char* user, const char* password) = 0;
  virtual void Disconnect() = 0;

  virtual int32_t Prepare(SqlStmt* st) = 0;  // sets st->handle on success
  virtual void Release(SqlStmt* st) = 0;     // frees st->handle

  virtual int32_t Execute(SqlStmt* st, const HostVar* in, int nin) = 0;
  virtual int32_t SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out,
                             int nout) = 0;
  virtual int32_t Open(SqlStmt* st, const HostVar* in, int nin) = 0;
  virtual int32_t Fetch(SqlStmt* st, const HostVar* out, int nout) = 0;
  virtual int32_t Close(SqlStmt* st) = 0;
  virtual int32_t Commit() = 0;
  // A unit of work: Begin takes what the changes will need (the embedded
  // database's write lock) so that a held database is found before anything
  // is written; Rollback undoes everything since the last commit.
  virtual int32_t Begin() = 0;
  virtual int32_t Rollback() = 0;
  // The longest wait for a lock another session holds.
  virtual void SetLockWait(int32_t ms) = 0;
  // True when a failed statement is undone alone and the transaction goes
  // on with the work before it: a change inside a unit of work then needs no
  // savepoint of its own (one round trip instead of three on a server).
  virtual bool UndoesFailedStatement() const { return false; }
  // Several changes inside a unit of work: change i is sts[i] with nin[i]
  // inputs, taken in turn from in. codes[i] gets its result (0, or 1403 when
  // it touched no row). Returns 0, or the error that stopped them; the
  // caller then rolls the unit back. This one runs them one by one; a back
  // end that BatchesChanges() sends them in one round trip.
  virtual int32_t ExecuteBatch(SqlStmt* const* sts, const HostVar* in, const int* nin, int n,
                               int32_t* codes);
  virtual bool BatchesChanges() const { return false; }
  // Brings the server's statistics of a table up to date (a planner that
  // still takes the download marker for rare would scan every marked row
  // for each single-row release). Best effort: a refusal changes nothing.
  virtual void RefreshStatistics(const char* /*table*/) {}
};

// Back ends the program is built with.
DbBackend* SqliteBackend_Create();
DbBackend* OdbcBackend_Create();  // nullptr when built without ODBC

// Copies fetched values into host variables, the same way on every back end:
// text cut to its field, NULL as an empty text or 0. They return 0, or the
// code that fails the row: SQL_OVERFLOW for a number beyond the variable's
// width, SQL_INVALID_NUMBER for text that is no number, SQL_NO_CP1252 for a
// key that had to be cut (the value is stored all the same).
int32_t Hv_SetNull(const HostVar& hv);
int32_t Hv_SetText(const HostVar& hv, const char* cp1252, uint32_t n);
int32_t Hv_SetInt(const HostVar& hv, int64_t v);
int32_t Hv_SetDouble(const HostVar& hv, double v);
// The input text of a string host variable and its length (bounded by the
// variable's size); length 0 means the value binds as NULL.
uint32_t Hv_TextLen(const HostVar& hv);
int64_t Hv_GetInt(const HostVar& hv);
