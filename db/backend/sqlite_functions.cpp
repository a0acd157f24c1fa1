// Date functions of the embedded database (see sqlite_functions.h).
#include "db/backend/sqlite_functions.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "support/platform.h"

namespace {

struct DateTime {
  int year, month, day, hour, minute, second;
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Valid(const DateTime& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysIn(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
         t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// Reads n digits at s; false if any is not a digit.
bool Digits(const char* s, int n, int* out) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (!isdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 10 + (s[i] - '0');
  }
  *out = v;
  return true;
}

// Parses a stored date: 'YYYY-MM-DD', optionally followed by ' HH:MM' or
// ' HH:MM:SS' (a 'T' may stand for the blank).
bool ParseStored(const char* s, size_t n, DateTime* t) {
  *t = DateTime{0, 0, 0, 0, 0, 0};
  if (n < 10 || s[4] != '-' || s[7] != '-') return false;
  if (!Digits(s, 4, &t->year) || !Digits(s + 5, 2, &t->month) || !Digits(s + 8, 2, &t->day))
    return false;
  if (n > 10) {
    if ((s[10] != ' ' && s[10] != 'T') || n < 16 || s[13] != ':') return false;
    if (!Digits(s + 11, 2, &t->hour) || !Digits(s + 14, 2, &t->minute)) return false;
    if (n > 16) {
      if (n < 19 || s[16] != ':' || !Digits(s + 17, 2, &t->second)) return false;
      // fractions of a second are ignored
    }
  }
  return Valid(*t);
}

// Writes v as width digits with leading zeros (v is not negative and fits).
char* PutDigits(char* out, int v, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  return out + width;
}

void FormatStored(const DateTime& t, char out[20]) {
  char* p = PutDigits(out, t.year % 10000, 4);
  *p++ = '-';
  p = PutDigits(p, t.month % 100, 2);
  *p++ = '-';
  p = PutDigits(p, t.day % 100, 2);
  *p++ = ' ';
  p = PutDigits(p, t.hour % 100, 2);
  *p++ = ':';
  p = PutDigits(p, t.minute % 100, 2);
  *p++ = ':';
  p = PutDigits(p, t.second % 100, 2);
  *p = '\0';
}

// What vk_to_char delivers for a stored date that is no date: not an error
// of the statement (a cursor must go on with its next row), but a value that
// fails the one row that carries it (SqliteFunctions_Failure).
const char kFailureMagic[8] = {'\x01', 'V', 'K', 'F', 'A', 'I', 'L', '\x02'};

void ResultFailure(sqlite3_context* ctx, int32_t code) {
  unsigned char blob[12];
  memcpy(blob, kFailureMagic, 8);
  uint32_t u = static_cast<uint32_t>(code);
  for (int i = 0; i < 4; ++i) blob[8 + i] = static_cast<unsigned char>(u >> (8 * i));
  sqlite3_result_blob(ctx, blob, sizeof blob, SQLITE_TRANSIENT);
}

// Mask elements the program uses: yyyy, mm, dd, hh24, mi, ss.
struct Element {
  const char* name;
  int width;
  int DateTime::*field;
};
const Element kElements[] = {
    {"yyyy", 4, &DateTime::year}, {"hh24", 2, &DateTime::hour}, {"mm", 2, &DateTime::month},
    {"dd", 2, &DateTime::day},    {"mi", 2, &DateTime::minute}, {"ss", 2, &DateTime::second},
};

const Element* ElementAt(const char* mask) {
  for (const Element& e : kElements)
    if (strncasecmp(mask, e.name, strlen(e.name)) == 0) return &e;
  return nullptr;
}

void ToChar(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const char* s = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const char* mask = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  DateTime t;
  if (!s || !mask || sqlite3_value_type(argv[0]) != SQLITE_TEXT ||
      !ParseStored(s, strlen(s), &t)) {
    return ResultFailure(ctx, -1861);  // literal does not match format string
  }
  char out[64];
  size_t k = 0;
  while (*mask && k + 5 < sizeof out) {
    const Element* e = ElementAt(mask);
    if (e) {
      PutDigits(out + k, t.*(e->field), e->width);
      k += static_cast<size_t>(e->width);
      mask += strlen(e->name);
    } else {
      out[k++] = *mask++;
    }
  }
  sqlite3_result_text(ctx, out, static_cast<int>(k), SQLITE_TRANSIENT);
}

// TO_DATE(text, mask): text must follow the mask; trailing elements may be
// left out (they read as 0, as a date without its time of day).
void ToDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const char* s = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const char* mask = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  if (!s || !mask) return sqlite3_result_null(ctx);
  if (*s == '\0') return sqlite3_result_null(ctx);
  DateTime t{0, 1, 1, 0, 0, 0};
  while (*mask && *s) {
    const Element* e = ElementAt(mask);
    if (e) {
      int v;
      if (!Digits(s, e->width, &v) || strnlen(s, e->width) < static_cast<size_t>(e->width))
        return sqlite3_result_error(
            ctx, "ORA-01858: a non-numeric character was found where a numeric was expected", -1);
      t.*(e->field) = v;
      s += e->width;
      mask += strlen(e->name);
    } else {
      if (*s != *mask)
        return sqlite3_result_error(ctx, "ORA-01861: literal does not match format string", -1);
      ++s;
      ++mask;
    }
  }
  if (*s)
    return sqlite3_result_error(ctx,
                                "ORA-01830: date format picture ends before "
                                "converting entire input string",
                                -1);
  if (t.month < 1 || t.month > 12)
    return sqlite3_result_error(ctx, "ORA-01843: not a valid month", -1);
  if (!Valid(t))
    return sqlite3_result_error(ctx,
                                "ORA-01847: day of month must be between 1 and last day "
                                "of month",
                                -1);
  char out[20];
  FormatStored(t, out);
  sqlite3_result_text(ctx, out, 19, SQLITE_TRANSIENT);
}

// vk_date(column): a stored date in its full form, for comparisons.
void NormDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const char* s = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  DateTime t;
  if (!s || !ParseStored(s, strlen(s), &t)) return sqlite3_result_null(ctx);
  char out[20];
  FormatStored(t, out);
  sqlite3_result_text(ctx, out, 19, SQLITE_TRANSIENT);
}

void Now(sqlite3_context* ctx, bool midnight) {
  struct tm tm;
  Plat_LocalTime(Plat_Now(), &tm);
  DateTime t{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  if (midnight) t.hour = t.minute = t.second = 0;
  char out[20];
  FormatStored(t, out);
  sqlite3_result_text(ctx, out, 19, SQLITE_TRANSIENT);
}

void SysDate(sqlite3_context* ctx, int, sqlite3_value**) { Now(ctx, false); }
void Today(sqlite3_context* ctx, int, sqlite3_value**) { Now(ctx, true); }

}  // namespace

int32_t SqliteFunctions_Failure(const void* blob, int n) {
  if (blob == nullptr || n != 12 || memcmp(blob, kFailureMagic, 8) != 0) return 0;
  const unsigned char* b = static_cast<const unsigned char*>(blob);
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(b[8 + i]) << (8 * i);
  return static_cast<int32_t>(u);
}

int SqliteFunctions_Register(sqlite3* db) {
  const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  int rc = sqlite3_create_function(db, "vk_to_char", 2, det, nullptr, ToChar, nullptr, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function(db, "vk_to_date", 2, det, nullptr, ToDate, nullptr, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function(db, "vk_date", 1, det, nullptr, NormDate, nullptr, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function(db, "vk_sysdate", 0, SQLITE_UTF8, nullptr, SysDate, nullptr,
                                 nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function(db, "vk_today", 0, SQLITE_UTF8, nullptr, Today, nullptr, nullptr);
  return rc;
}
