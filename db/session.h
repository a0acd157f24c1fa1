// The database session of a run: connected once at the start, committed at
// the end. Each guarded change commits by itself in between.
#pragma once

#include <cstdint>

class DbBackend;

// Reads LOGIN, PASS and NET8 from the configuration file and connects.
// NET8 "sqlite:PATH" opens the embedded database at PATH (relative to the
// working directory or absolute; the file must exist); "odbc:CONNECTION"
// or a plain data source name connects through ODBC.
int32_t dbConnect();
// Connects with the given values (what dbConnect does after reading them).
int32_t Db_ConnectWith(const char* user, const char* password, const char* net8);
// Commits the session's work; the result is returned for those who look.
int32_t dbCommit();
// Ends the session and forgets every prepared statement (tests, tools).
void dbDisconnect();

DbBackend* Db_Backend();
