// The embedded back end: one SQLite database file.
//
// The session's single-row statements and changes run on one connection in
// autocommit mode; a guarded change opens its transaction with its savepoint
// and ends it with the commit (or the rollback and release of the savepoint).
// Each cursor runs on a connection of its own in WAL mode, so it reads the
// database as it was when the cursor was opened, however the session changes
// and commits rows meanwhile, and streams its rows without holding them.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/dialect.h"
#include "db/sqlite_functions.h"
#include "support/cp1252.h"

namespace {

struct Prepared {
  sqlite3* conn = nullptr;  // the main connection, or the cursor's own
  bool own_conn = false;    // cursor connection, closed with the statement
  sqlite3_stmt* stmt = nullptr;
  sqlite3_stmt* release = nullptr;  // after a rollback to a savepoint: its release
  bool open = false;                // cursor: opened and not closed
  int pending = -1;                 // cursor: step result read ahead at open
  std::vector<char> scratch;        // UTF-8 forms of the input texts
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
    case SQLITE_CONSTRAINT_CHECK:  // the schema's checks are column widths
      return SQL_VALUE_TOO_LARGE;
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
    struct stat sb;
    if (!target || !*target || stat(target, &sb) != 0 || !S_ISREG(sb.st_mode))
      return SQL_NO_SUCH_DATABASE;
    path_ = target;
    int32_t rc = OpenConnection(&main_);
    if (rc != SQL_OK) return rc;
    // WAL lets the cursors' connections keep their snapshots while the
    // session commits; FULL makes every commit durable on return.
    rc = Run(main_, "PRAGMA journal_mode=WAL");
    if (rc == SQL_OK) rc = Run(main_, "PRAGMA synchronous=FULL");
    if (rc != SQL_OK) Disconnect();
    return rc;
  }

  void Disconnect() override {
    if (main_) sqlite3_close_v2(main_);
    main_ = nullptr;
  }

  int32_t Prepare(SqlStmt* st) override {
    auto* p = new Prepared;
    p->conn = main_;
    if (st->kind == SQLK_CURSOR) {
      int32_t rc = OpenConnection(&p->conn);
      if (rc != SQL_OK) {
        delete p;
        return rc;
      }
      p->own_conn = true;
    }
    std::string sql = Dialect_Translate(DIALECT_SQLITE, st->text);
    int rc =
        sqlite3_prepare_v3(p->conn, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &p->stmt, nullptr);
    int32_t code = rc == SQLITE_OK ? SQL_OK : MapError(p->conn, rc);
    if (code == SQL_OK && strncasecmp(sql.c_str(), "rollback", 8) == 0) {
      // Releasing the savepoint after rolling back to it ends the empty
      // transaction, so that the session holds no write lock after a failed
      // change (every change before the savepoint is committed already).
      const char* name = strrchr(sql.c_str(), ' ');
      std::string rel = std::string("RELEASE ") + (name ? name + 1 : "");
      rc = sqlite3_prepare_v3(p->conn, rel.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &p->release,
                              nullptr);
      if (rc != SQLITE_OK) code = MapError(p->conn, rc);
    }
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
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    int rc = sqlite3_step(p->stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) {
      code = SQL_OK;
      if (st->kind == SQLK_CHANGE && sqlite3_changes(p->conn) == 0) code = SQL_NOTFOUND;
    } else {
      code = MapError(p->conn, rc);
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
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    int rc = sqlite3_step(p->stmt);
    if (rc == SQLITE_ROW) {
      Columns(p, out, nout);
      rc = sqlite3_step(p->stmt);
      code = rc == SQLITE_DONE  ? SQL_OK
             : rc == SQLITE_ROW ? SQL_TOO_MANY_ROWS
                                : MapError(p->conn, rc);
    } else {
      code = rc == SQLITE_DONE ? SQL_NOTFOUND : MapError(p->conn, rc);
    }
    sqlite3_reset(p->stmt);
    return code;
  }

  int32_t Open(SqlStmt* st, const HostVar* in, int nin) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    sqlite3_reset(p->stmt);
    p->open = false;
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    // The first step starts the cursor's read transaction: from here on it
    // sees the database as of this moment.
    int rc = sqlite3_step(p->stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
      code = MapError(p->conn, rc);
      sqlite3_reset(p->stmt);
      return code;
    }
    p->pending = rc;
    p->open = true;
    return SQL_OK;
  }

  int32_t Fetch(SqlStmt* st, const HostVar* out, int nout) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    int rc = p->pending;
    p->pending = -1;
    if (rc < 0) rc = sqlite3_step(p->stmt);
    if (rc == SQLITE_ROW) {
      Columns(p, out, nout);
      return SQL_OK;
    }
    if (rc == SQLITE_DONE) {
      p->pending = SQLITE_DONE;  // stays at the end until closed
      return SQL_NOTFOUND;
    }
    return MapError(p->conn, rc);
  }

  int32_t Close(SqlStmt* st) override {
    Prepared* p = static_cast<Prepared*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    p->open = false;
    p->pending = -1;
    sqlite3_reset(p->stmt);
    return SQL_OK;
  }

  int32_t Commit() override {
    if (!main_) return SQL_NOT_CONNECTED;
    if (sqlite3_get_autocommit(main_)) return SQL_OK;  // nothing pending
    return Run(main_, "COMMIT");
  }

 private:
  int32_t OpenConnection(sqlite3** db) {
    int rc =
        sqlite3_open_v2(path_.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      if (*db) sqlite3_close_v2(*db);
      *db = nullptr;
      return SQL_NO_SUCH_DATABASE;
    }
    sqlite3_extended_result_codes(*db, 1);
    sqlite3_busy_timeout(*db, 10000);
    if (SqliteFunctions_Register(*db) != SQLITE_OK) {
      sqlite3_close_v2(*db);
      *db = nullptr;
      return -(20000 + SQLITE_ERROR);
    }
    return SQL_OK;
  }

  static int32_t Run(sqlite3* db, const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? SQL_OK : MapError(db, rc);
  }

  static void Free(Prepared* p) {
    if (!p) return;
    sqlite3_finalize(p->stmt);
    sqlite3_finalize(p->release);
    if (p->own_conn) sqlite3_close_v2(p->conn);
    delete p;
  }

  static int32_t Bind(Prepared* p, const HostVar* in, int nin) {
    sqlite3_reset(p->stmt);
    if (nin != sqlite3_bind_parameter_count(p->stmt)) return -1008;  // not all variables bound
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
            rc = sqlite3_bind_null(p->stmt, i + 1);
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
          rc = sqlite3_bind_text(p->stmt, i + 1, p->scratch.data() + used, static_cast<int>(w),
                                 SQLITE_STATIC);
          used += w + 1;
          break;
        }
        case HV_INT16:
        case HV_INT32:
          rc = sqlite3_bind_int64(p->stmt, i + 1, Hv_GetInt(hv));
          break;
        case HV_FLOAT:
          rc = sqlite3_bind_double(p->stmt, i + 1, *static_cast<const double*>(hv.addr));
          break;
      }
      if (rc != SQLITE_OK) return MapError(p->conn, rc);
    }
    return SQL_OK;
  }

  static void Columns(Prepared* p, const HostVar* out, int nout) {
    int ncol = sqlite3_column_count(p->stmt);
    for (int i = 0; i < nout && i < ncol; ++i) {
      const HostVar& hv = out[i];
      switch (sqlite3_column_type(p->stmt, i)) {
        case SQLITE_NULL:
          Hv_SetNull(hv);
          break;
        case SQLITE_INTEGER:
          Hv_SetInt(hv, sqlite3_column_int64(p->stmt, i));
          break;
        case SQLITE_FLOAT:
          Hv_SetDouble(hv, sqlite3_column_double(p->stmt, i));
          break;
        default: {
          const char* s = reinterpret_cast<const char*>(sqlite3_column_text(p->stmt, i));
          int n = sqlite3_column_bytes(p->stmt, i);
          if (hv.type == HV_STRING) {
            // Into the field directly: cut to its width in characters.
            Cp1252_FromUtf8(s, static_cast<size_t>(n), static_cast<char*>(hv.addr), hv.size);
          } else {
            Hv_SetText(hv, s, static_cast<uint32_t>(n));
          }
        }
      }
    }
  }

  std::string path_;
  sqlite3* main_ = nullptr;
};

}  // namespace

DbBackend* SqliteBackend_Create() { return new SqliteBackend; }
