// ODBC diagnostics -> result codes (see odbc_errors.h).
//
// An Oracle driver names the Oracle error in its message ("ORA-01017: ..."):
// that number is taken as it stands. Other servers are read by SQLSTATE, and
// where one SQLSTATE covers several of the program's codes, by the message.
#include "db/backend/odbc_errors.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "db/sql.h"

namespace {

struct StateCode {
  const char* state;
  int32_t code;
};

// Errors of a connected session, by SQLSTATE.
const StateCode kStatementStates[] = {
    {"23505", SQL_UNIQUE},
    {"23000", SQL_UNIQUE},  // generic integrity violation (the unique key in practice)
    {"23502", SQL_NULL_NOT_ALLOWED},
    {"23503", -2291},  // parent key not found
    {"23514", -2290},  // check constraint violated
    {"22001", SQL_VALUE_TOO_LARGE},
    {"22003", -1438},  // value larger than the column allows
    {"22012", -1476},  // division by zero
    {"22018", -1722},  // invalid number
    {"22P02", -1722},
    {"22P05", -12703},  // character without a form in the client's character set
    {"22007", -1858},   // text does not follow the date mask
    {"42P01", SQL_TABLE_UNKNOWN},
    {"42S02", SQL_TABLE_UNKNOWN},
    {"42703", SQL_COLUMN_UNKNOWN},
    {"42S22", SQL_COLUMN_UNKNOWN},
    {"42883", SQL_COLUMN_UNKNOWN},  // unknown function
    {"42601", -900},                // invalid SQL statement
    {"42000", -900},
    {"42804", -932},   // inconsistent data types
    {"42501", -1031},  // insufficient privileges
    {"40001", -8177},  // cannot serialise access
    {"40P01", -60},    // deadlock
    {"55P03", SQL_RESOURCE_BUSY},
    {"57014", -1013},  // cancelled
    {"HYT00", -1013},
    {"HYT01", -1013},
};

bool Contains(const char* message, const char* part) {
  return message && strstr(message, part) != nullptr;
}

// "ORA-NNNNN" in a message: -NNNNN, else 0.
int32_t OracleNumber(const char* message) {
  const char* p = message ? strstr(message, "ORA-") : nullptr;
  if (!p || !isdigit(static_cast<unsigned char>(p[4]))) return 0;
  long n = strtol(p + 4, nullptr, 10);
  return n > 0 && n < 100000 ? -static_cast<int32_t>(n) : 0;
}

int TwoDigits(const char* s) { return (s[0] - '0') * 10 + (s[1] - '0'); }

// A date/time value out of range: the program's masks are yyyymmdd and
// yyyymmddHH24MISS, so the quoted value in the message tells which field is
// wrong, as Oracle names it.
int32_t DateFieldError(const char* message) {
  const char* q = message ? strchr(message, '"') : nullptr;
  if (!q) return -1847;
  const char* v = q + 1;
  size_t n = 0;
  while (n < 14 && isdigit(static_cast<unsigned char>(v[n]))) ++n;
  if (n < 8) return -1847;
  int year = (v[0] - '0') * 1000 + (v[1] - '0') * 100 + TwoDigits(v + 2);
  int month = TwoDigits(v + 4), day = TwoDigits(v + 6);
  if (month < 1 || month > 12) return -1843;  // not a valid month
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = month == 2 && leap ? 29 : kDays[month - 1];
  if (day < 1 || day > last) return -1847;  // day of month out of range
  if (n >= 10 && TwoDigits(v + 8) > 23) return -1850;
  if (n >= 12 && TwoDigits(v + 10) > 59) return -1851;
  if (n >= 14 && TwoDigits(v + 12) > 59) return -1852;
  return -1847;
}

bool IsLoginRefusal(const char* state, const char* message) {
  return strncmp(state, "28", 2) == 0 || Contains(message, "password") ||
         Contains(message, "authentication failed") || Contains(message, "role \"");
}

}  // namespace

bool OdbcErr_IsConnectionLoss(const char* state, const char* message) {
  static const char* const kStates[] = {"08S01", "08003", "08006", "08007",
                                        "57P01", "57P02", "57P03"};
  for (const char* s : kStates)
    if (strcmp(state, s) == 0) return true;
  return Contains(message, "connection dead") || Contains(message, "no connection to the server") ||
         Contains(message, "server closed the connection") ||
         Contains(message, "could not send data") || Contains(message, "could not receive data") ||
         Contains(message, "ORA-03113") || Contains(message, "ORA-03114");
}

int32_t OdbcErr_Map(const char* state, long native, const char* message, OdbcPhase phase) {
  (void)native;  // driver-specific; Oracle's number is read from the message
  if (!state) state = "";
  if (int32_t ora = OracleNumber(message)) return ora;

  if (phase == ODBC_CONNECTING) {
    if (IsLoginRefusal(state, message)) return SQL_LOGIN_REFUSED;
    // Unknown data source or driver, server refused or unreachable, no such
    // database: all "cannot reach the named database".
    return SQL_NO_SUCH_DATABASE;
  }
  if (phase == ODBC_LOST) return SQL_NOT_CONNECTED;
  if (OdbcErr_IsConnectionLoss(state, message)) return SQL_EOF_COMMUNICATION;

  if (strcmp(state, "22008") == 0) return DateFieldError(message);
  for (const StateCode& sc : kStatementStates)
    if (strcmp(state, sc.state) == 0) return sc.code;
  if (strncmp(state, "08", 2) == 0) return SQL_EOF_COMMUNICATION;
  return SQL_ODBC_OTHER;
}
