// What an ODBC driver reports, turned into the program's result codes
// (db/sql.h), so that callers see the same codes on every database server.
#pragma once

#include <cstdint>

// Where the error arose: while connecting, a statement of a connected
// session, or a statement after the session already lost its connection.
enum OdbcPhase { ODBC_CONNECTING, ODBC_CONNECTED, ODBC_LOST };

// sqlstate: the five-character SQLSTATE; native: the driver's native error
// number; message: the diagnostic text (may be nullptr). The result is
// negative, never 0.
int32_t OdbcErr_Map(const char* sqlstate, long native, const char* message, OdbcPhase phase);

// True when the SQLSTATE/message mean that the session's connection is gone.
bool OdbcErr_IsConnectionLoss(const char* sqlstate, const char* message);

// The code of any error the table does not name.
constexpr int32_t SQL_ODBC_OTHER = -20999;
