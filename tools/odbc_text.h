// ODBC in text, for the benchmark and the tests' server set-up (the program
// binds its columns; this is for tooling that reads a few rows as strings):
// a statement text as ODBC takes it, the first diagnostic of a handle, and
// every row of an executed statement with each value as text.
#pragma once

#include <string>
#include <vector>

#include "db/backend/odbc_headers.h"

inline SQLCHAR* OdbcText(const std::string& s) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// "SQLSTATE message" of the handle's first diagnostic record.
inline std::string OdbcDiag(SQLSMALLINT type, SQLHANDLE h) {
  SQLCHAR state[6] = "", msg[512] = "";
  SQLINTEGER native = 0;
  SQLSMALLINT len = 0;
  SQLGetDiagRec(type, h, 1, state, &native, msg, sizeof msg, &len);
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(msg);
}

// Appends the rows of st's result to *rows; a NULL reads as null_text, a
// value that cannot be read as "".
inline void OdbcReadRows(SQLHSTMT st, std::vector<std::vector<std::string>>* rows,
                         const char* null_text) {
  SQLSMALLINT ncols = 0;
  SQLNumResultCols(st, &ncols);
  while (ncols > 0 && SQL_SUCCEEDED(SQLFetch(st))) {
    std::vector<std::string> row;
    for (SQLSMALLINT i = 1; i <= ncols; ++i) {
      char buf[4096];
      SQLLEN ind = 0;
      if (!SQL_SUCCEEDED(
              SQLGetData(st, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR, buf, sizeof buf, &ind)))
        buf[0] = '\0';
      row.push_back(ind == SQL_NULL_DATA ? null_text : buf);
    }
    rows->push_back(row);
  }
}
