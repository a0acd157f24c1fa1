// Dialects: the program's statement texts are written in one SQL (with
// ":bN" placeholders, sysdate, trunc(sysdate), TO_CHAR and TO_DATE with the
// program's masks). A back end runs them through the rewrite table of its
// database before preparing them. A new dialect is a new set of rows in that
// table, never a copy of a statement.
#pragma once

#include <string>

enum Dialect {
  DIALECT_ORACLE,      // the texts as they stand, placeholders aside
  DIALECT_SQLITE,      // the embedded default
  DIALECT_POSTGRESQL,  // through ODBC
};

// Rewrites an Oracle statement text for the given dialect: the INTO list of a
// single-row select is dropped (outputs come in select-list order), every
// placeholder becomes "?", and the dialect's own rewrites follow.
std::string Dialect_Translate(Dialect d, const char* oracle_text);
