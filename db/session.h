// The database session of a run: connected once at the start, committed at
// the end. Each guarded change commits by itself in between.
#pragma once

#include <cstdint>

class DbBackend;

// A connect string that names a back end this build does not contain: not a
// database fault, so never the "database unknown" code. Its low 8 bits give
// the exit status 5.
enum : int32_t { DB_BACKEND_MISSING = -12283 };

// One row per NET8 form: the prefix that selects it ("" stands for any other
// non-empty value, a data source name), the back end's name, and its factory
// (nullptr when this build has no such back end). A further back end is one
// more row.
struct DbBackendRow {
  const char* prefix;
  const char* name;
  DbBackend* (*create)();
};

// Reads LOGIN, PASS and NET8 from the configuration file and connects.
// NET8 "sqlite:PATH" opens the embedded database at PATH (relative to the
// working directory or absolute; the file must exist); "odbc:CONNECTION"
// or a plain data source name connects through ODBC. A NET8 whose back end
// this build lacks gives DB_BACKEND_MISSING.
int32_t dbConnect();
// Connects with the given values (what dbConnect does after reading them).
int32_t Db_ConnectWith(const char* user, const char* password, const char* net8);
// Commits the session's work; the result is returned for those who look.
int32_t dbCommit();
// Ends the session and forgets every prepared statement (tests, tools).
void dbDisconnect();

DbBackend* Db_Backend();

// The back-end table of this build (db/backends.cpp), and the one in use
// (rows in the order they are matched).
const DbBackendRow* Db_BuildBackends(int* count);
const DbBackendRow* Db_Backends(int* count);
// Replaces the table (tests: a build without a back end); nullptr restores
// the build's own.
void Db_SetBackends(const DbBackendRow* rows, int count);
// The names of the back ends this build contains, each once, separated by
// ", " ("sqlite, odbc"). Returns out.
char* Db_BuiltBackends(char* out, int out_size);
// The name of the back end the last refused connect asked for ("" if none).
const char* Db_MissingBackend();
