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
};

// Back ends the program is built with.
DbBackend* SqliteBackend_Create();
DbBackend* OdbcBackend_Create();  // nullptr when built without ODBC

// Copies fetched values into host variables, the same way on every back end:
// text cut to its field, integers wrapped to the host variable's width,
// NULL as an empty text or 0.
void Hv_SetNull(const HostVar& hv);
void Hv_SetText(const HostVar& hv, const char* cp1252, uint32_t n);
void Hv_SetInt(const HostVar& hv, int64_t v);
void Hv_SetDouble(const HostVar& hv, double v);
// The input text of a string host variable and its length (bounded by the
// variable's size); length 0 means the value binds as NULL.
uint32_t Hv_TextLen(const HostVar& hv);
int64_t Hv_GetInt(const HostVar& hv);
