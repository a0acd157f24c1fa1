// The embedded back end: one SQLite database file, one connection.
//
// Single-row statements and changes run on the connection in autocommit
// mode; a guarded change opens its transaction with its savepoint and ends it
// with the commit (or the rollback and release of the savepoint), and a unit
// of work holds the write lock from its BEGIN IMMEDIATE to its commit.
//
// A cursor copies its result, at its open, into a temporary table of the
// connection (not part of the database file) and is read from there one row
// at a time. It therefore delivers the rows as they were at its open, however
// the session changes and commits rows meanwhile, and no reader stays open
// on the database between fetches: the write-ahead log is checkpointed as it
// grows instead of being pinned by a long read.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "db/backend/backend.h"
#include "db/backend/dialect.h"
#include "db/backend/sqlite_functions.h"
#include "support/cp1252.h"
#include "support/platform.h"

namespace {

struct Prepared {
  sqlite3_stmt* stmt = nullptr;     // the statement; for a cursor: the copy
  sqlite3_stmt* release = nullptr;  // after a rollback to a savepoint: its release
  // A cursor's temporary table: emptied, filled at the open, read by rowid.
  sqlite3_stmt* clear = nullptr;
  sqlite3_stmt* read = nullptr;
  int columns = 0;
  bool open = false;
  bool at_end = false;
  sqlite3_int64 last_rowid = 0;
  std::vector<char> scratch;  // UTF-8 forms of the input texts
  // A cursor: the statement that makes its table. A table made inside a
  // transaction goes with that transaction's rollback: each open makes it
  // again where it is missing.
  sqlite3_stmt* create = nullptr;
};

// Oracle's number from a message "ORA-NNNNN: ..." of our own functions.
int32_t OraFromMessage(const char* msg) {
  const char* p = msg ? strstr(msg, "ORA-") : nullptr;
  if (!p) return 0;
  return -static_cast<int32_t>(strtol(p + 4, nullptr, 10));
}

int32_t MapError(sqlite3* db, int rc) {
  const char* msg = sqlite3_errmsg(db);
  int ext = sqlite3_extended_errcode(db);
  if (int32_t ora = OraFromMessage(msg)) return ora;
  switch (ext) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
      return SQL_UNIQUE;
    case SQLITE_CONSTRAINT_NOTNULL:
      return SQL_NULL_NOT_ALLOWED;
    case SQLITE_CONSTRAINT_CHECK:  // the schema's checks are widths and dates
      return msg && strstr(msg, "_date") ? SQL_INVALID_DATE : SQL_VALUE_TOO_LARGE;
    default:
      break;
  }
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return SQL_RESOURCE_BUSY;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
      return SQL_NO_SUCH_DATABASE;
    case SQLITE_ERROR:
      if (msg && strstr(msg, "no such table")) return SQL_TABLE_UNKNOWN;
      if (msg && strstr(msg, "no such column")) return SQL_COLUMN_UNKNOWN;
      return -900;  // invalid SQL statement
    default:
      return -(20000 + (rc & 0xff));
  }
}

class SqliteBackend final : public DbBackend {
 public:
  ~SqliteBackend() override { Disconnect(); }

  int32_t Connect(const char* target, const char*, const char*) override {
    // One thread uses the library: no statistics of memory use to lock.
    // (Refused, harmlessly, once the library is in use.)
    static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)configured;
    PlatStat st;
    if (!target || !*target || Plat_Stat(target, &st) != 0 || st.kind != PLAT_REGULAR)
      return SQL_NO_SUCH_DATABASE;
    int rc = sqlite3_open_v2(target, &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      Disconnect();
      return SQL_NO_SUCH_DATABASE;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, lock_wait_ms_);
    int32_t code = SqliteFunctions_Register(db_) == SQLITE_OK ? SQL_OK : -(20000 + SQLITE_ERROR);
    // WAL lets other programs read while the session writes; FULL makes
    // every commit durable on return.
    if (code == SQL_OK) code = Run("PRAGMA journal_mode=WAL");
    if (code == SQL_OK) code = Run("PRAGMA synchronous=FULL");
    // Memory is bounded by the page caches, not by the rows: a cursor's copy
    // beyond its cache goes to a temporary file.
    if (code == SQL_OK) code = Run("PRAGMA main.cache_size=-1024");
    if (code == SQL_OK) code = Run("PRAGMA temp.cache_size=-256");
    if (code == SQL_OK) code = PrepareOwn("COMMIT", &commit_);
    if (code == SQL_OK) code = PrepareOwn("BEGIN IMMEDIATE", &begin_);
    if (code == SQL_OK) code = PrepareOwn("ROLLBACK", &rollback_);
    if (code != SQL_OK) Disconnect();
    return code;
  }

  void Disconnect() override {
    for (sqlite3_stmt** s : {&commit_, &begin_, &rollback_}) {
      sqlite3_finalize(*s);
      *s = nullptr;
    }
    // The last connection's close checkpoints the write-ahead log and
    // removes it with its index.
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
  }

  int32_t Prepare(SqlStmt* st) override {
    auto* p = new Prepared;
    std::string sql = Dialect_Translate(DIALECT_SQLITE, st->text);
    int32_t code = st->kind == SQLK_CURSOR ? PrepareCursor(p, sql) : PrepareOne(p, sql);
    if (code != SQL_OK) {
      Free(p);
      return code;
    }
    st->handle = p;
    return SQL_OK;
  }

  void Release(SqlStmt* st) override {
    Free(static_cast<Prepared*>(st->handle));
    st->handle = nullptr;
  }

  int32_t Execute(SqlStmt* st, const HostVar* in, int nin) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    int32_t code = Bind(p, p->stmt, in, nin);
    if (code != SQL_OK) return code;
    int rc = sqlite3_step(p->stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) {
      code = SQL_OK;
      if (st->kind == SQLK_CHANGE && sqlite3_changes(db_) == 0) code = SQL_NOTFOUND;
    } else {
      code = MapError(db_, rc);
    }
    sqlite3_reset(p->stmt);
    if (p->release && code == SQL_OK) {
      sqlite3_step(p->release);
      sqlite3_reset(p->release);
    }
    return code;
  }

  int32_t SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out,
                     int nout) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    int32_t code = Bind(p, p->stmt, in, nin);
    if (code != SQL_OK) return code;
    int rc = sqlite3_step(p->stmt);
    if (rc == SQLITE_ROW) {
      int32_t row = Columns(p->stmt, sqlite3_column_count(p->stmt), out, nout);
      rc = sqlite3_step(p->stmt);
      code = rc == SQLITE_DONE ? row : rc == SQLITE_ROW ? SQL_TOO_MANY_ROWS : MapError(db_, rc);
      st->row_failed = rc == SQLITE_DONE && row != SQL_OK;
    } else {
      code = rc == SQLITE_DONE ? SQL_NOTFOUND : MapError(db_, rc);
    }
    sqlite3_reset(p->stmt);
    return code;
  }

  int32_t Open(SqlStmt* st, const HostVar* in, int nin) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    p->open = false;
    int32_t made = Step(p->create);
    if (made != SQL_OK) return made;
    int rc = sqlite3_step(p->clear);
    sqlite3_reset(p->clear);
    if (rc != SQLITE_DONE) return MapError(db_, rc);
    int32_t code = Bind(p, p->stmt, in, nin);
    if (code != SQL_OK) return code;
    rc = sqlite3_step(p->stmt);
    code = rc == SQLITE_DONE ? SQL_OK : MapError(db_, rc);
    sqlite3_reset(p->stmt);
    if (code != SQL_OK) return code;
    p->open = true;
    p->at_end = false;
    p->last_rowid = 0;
    return SQL_OK;
  }

  int32_t Fetch(SqlStmt* st, const HostVar* out, int nout) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    if (p->at_end) return SQL_NOTFOUND;  // stays at the end until closed
    sqlite3_bind_int64(p->read, 1, p->last_rowid);
    int rc = sqlite3_step(p->read);
    int32_t code;
    if (rc == SQLITE_ROW) {
      p->last_rowid = sqlite3_column_int64(p->read, p->columns);
      code = Columns(p->read, p->columns, out, nout);
      st->row_failed = code != SQL_OK;
    } else if (rc == SQLITE_DONE) {
      p->at_end = true;
      code = SQL_NOTFOUND;
    } else {
      code = MapError(db_, rc);
    }
    sqlite3_reset(p->read);
    return code;
  }

  int32_t Close(SqlStmt* st) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    p->open = false;
    // The copy is not needed any more: give its room back.
    sqlite3_step(p->clear);
    sqlite3_reset(p->clear);
    return SQL_OK;
  }

  int32_t Commit() override {
    if (!db_) return SQL_NOT_CONNECTED;
    if (sqlite3_get_autocommit(db_)) return SQL_OK;  // nothing pending
    return Step(commit_);
  }

  int32_t Begin() override {
    if (!db_) return SQL_NOT_CONNECTED;
    if (!sqlite3_get_autocommit(db_)) return SQL_OK;  // already in a transaction
    return Step(begin_);
  }

  int32_t Rollback() override {
    if (!db_) return SQL_NOT_CONNECTED;
    if (sqlite3_get_autocommit(db_)) return SQL_OK;
    return Step(rollback_);
  }

  void SetLockWait(int32_t ms) override {
    lock_wait_ms_ = ms;
    if (db_) sqlite3_busy_timeout(db_, ms);
  }

 private:
  int32_t PrepareOwn(const char* sql, sqlite3_stmt** out) {
    int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, out, nullptr);
    return rc == SQLITE_OK ? SQL_OK : MapError(db_, rc);
  }

  int32_t PrepareOne(Prepared* p, const std::string& sql) {
    int32_t code = PrepareOwn(sql.c_str(), &p->stmt);
    if (code == SQL_OK && strncasecmp(sql.c_str(), "rollback", 8) == 0) {
      // Releasing the savepoint after rolling back to it ends the empty
      // transaction, so that the session holds no write lock after a failed
      // change (every change before the savepoint is committed already); in
      // a unit of work it only leaves the savepoint.
      const char* name = strrchr(sql.c_str(), ' ');
      std::string rel = std::string("RELEASE ") + (name ? name + 1 : "");
      code = PrepareOwn(rel.c_str(), &p->release);
    }
    return code;
  }

  // A cursor: a temporary table with as many columns as the query, the
  // query's rows copied into it in the query's order, read back by rowid.
  int32_t PrepareCursor(Prepared* p, const std::string& sql) {
    sqlite3_stmt* query = nullptr;
    int32_t code = PrepareOwn(sql.c_str(), &query);
    if (code != SQL_OK) return code;
    p->columns = sqlite3_column_count(query);
    sqlite3_finalize(query);
    char name[32];
    snprintf(name, sizeof name, "temp.vk_cursor%d", ++cursors_);
    std::string create = std::string("CREATE TABLE IF NOT EXISTS ") + name + " (";
    for (int i = 0; i < p->columns; ++i) create += (i ? ",c" : "c") + std::to_string(i);
    create += ")";
    code = PrepareOwn(create.c_str(), &p->create);
    if (code == SQL_OK) code = Step(p->create);
    if (code == SQL_OK)
      code = PrepareOwn((std::string("INSERT INTO ") + name + " " + sql).c_str(), &p->stmt);
    if (code == SQL_OK) code = PrepareOwn((std::string("DELETE FROM ") + name).c_str(), &p->clear);
    if (code == SQL_OK)
      code = PrepareOwn(
          (std::string("SELECT *, rowid FROM ") + name + " WHERE rowid>? ORDER BY rowid LIMIT 1")
              .c_str(),
          &p->read);
    return code;
  }

  int32_t Run(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? SQL_OK : MapError(db_, rc);
  }

  int32_t Step(sqlite3_stmt* s) {
    int rc = sqlite3_step(s);
    int32_t code = rc == SQLITE_DONE ? SQL_OK : MapError(db_, rc);
    sqlite3_reset(s);
    return code;
  }

  static void Free(Prepared* p) {
    if (!p) return;
    sqlite3_finalize(p->stmt);
    sqlite3_finalize(p->release);
    sqlite3_finalize(p->clear);
    sqlite3_finalize(p->create);
    sqlite3_finalize(p->read);
    delete p;
  }

  int32_t Bind(Prepared* p, sqlite3_stmt* s, const HostVar* in, int nin) {
    sqlite3_reset(s);
    if (nin != sqlite3_bind_parameter_count(s)) return -1008;  // not all variables bound
    size_t need = 0;
    for (int i = 0; i < nin; ++i)
      if (in[i].type == HV_STRING) need += 3 * static_cast<size_t>(Hv_TextLen(in[i])) + 1;
    if (p->scratch.size() < need) p->scratch.resize(need);  // grows once, then is reused
    size_t used = 0;
    for (int i = 0; i < nin; ++i) {
      const HostVar& hv = in[i];
      int rc = SQLITE_OK;
      switch (hv.type) {
        case HV_STRING: {
          uint32_t n = Hv_TextLen(hv);
          if (n == 0) {  // an empty text is NULL
            rc = sqlite3_bind_null(s, i + 1);
            break;
          }
          char one[1024];
          const char* src = static_cast<const char*>(hv.addr);
          if (n >= hv.size || n >= sizeof one) {  // unterminated or long: bounded copy
            size_t k = n < sizeof one - 1 ? n : sizeof one - 1;
            memcpy(one, src, k);
            one[k] = '\0';
            src = one;
          }
          size_t w = Cp1252_ToUtf8(src, p->scratch.data() + used, p->scratch.size() - used);
          rc = sqlite3_bind_text(s, i + 1, p->scratch.data() + used, static_cast<int>(w),
                                 SQLITE_STATIC);
          used += w + 1;
          break;
        }
        case HV_INT16:
        case HV_INT32:
          rc = sqlite3_bind_int64(s, i + 1, Hv_GetInt(hv));
          break;
        case HV_FLOAT:
          rc = sqlite3_bind_double(s, i + 1, *static_cast<const double*>(hv.addr));
          break;
      }
      if (rc != SQLITE_OK) return MapError(db_, rc);
    }
    return SQL_OK;
  }

  // The current row of s into the output host variables. Every value is
  // delivered that can be; the first that cannot fails the row (its code).
  static int32_t Columns(sqlite3_stmt* s, int ncol, const HostVar* out, int nout) {
    int32_t first = SQL_OK;
    for (int i = 0; i < nout && i < ncol; ++i) {
      const HostVar& hv = out[i];
      int32_t rc = SQL_OK;
      switch (sqlite3_column_type(s, i)) {
        case SQLITE_NULL:
          rc = Hv_SetNull(hv);
          break;
        case SQLITE_INTEGER:
          rc = Hv_SetInt(hv, sqlite3_column_int64(s, i));
          break;
        case SQLITE_FLOAT:
          rc = Hv_SetDouble(hv, sqlite3_column_double(s, i));
          break;
        case SQLITE_BLOB:
          if (int32_t failed =
                  SqliteFunctions_Failure(sqlite3_column_blob(s, i), sqlite3_column_bytes(s, i))) {
            Hv_SetNull(hv);
            rc = failed;
            break;
          }
          [[fallthrough]];
        default: {
          const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
          int n = sqlite3_column_bytes(s, i);
          if (hv.type == HV_STRING) {
            // Into the field directly: cut to its width in characters.
            bool exact = true;
            Cp1252_FromUtf8(t, static_cast<size_t>(n), static_cast<char*>(hv.addr), hv.size,
                            &exact);
            if (!exact && (hv.flags & HV_KEY)) rc = SQL_NO_CP1252;
          } else {
            rc = Hv_SetText(hv, t, static_cast<uint32_t>(n));
          }
        }
      }
      if (first == SQL_OK) first = rc;
    }
    return first;
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* rollback_ = nullptr;
  int cursors_ = 0;
  int32_t lock_wait_ms_ = 10000;
};

}  // namespace

DbBackend* SqliteBackend_Create() { return new SqliteBackend; }
