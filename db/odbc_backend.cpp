// The server back end: one session through an ODBC driver (unixODBC).
//
// The session runs in manual-commit mode on one connection. Every statement
// has a statement handle of its own, prepared once and executed again and
// again with its host variables bound afresh; a cursor is such a handle with
// an open result, so it lives on while the single-row statements of the
// session run and commit beside it. The statement texts reach the server in
// its dialect, chosen from the name the server gives itself.
//
// Text travels in Windows-1252 both ways: on PostgreSQL the session asks
// the server for that client encoding; on Oracle the client's NLS_LANG says
// it. Nothing is converted here.
//
// PostgreSQL's driver (psqlODBC) is held to what the program needs whatever
// its data source says: rows fetched in portions through a server cursor
// (UseDeclareFetch=1, so memory does not grow with the rows of a result and
// cursors survive commits) and a failed statement undone alone (Protocol
// 7.4-2, so that it does not spoil the session's later statements).
#include <sql.h>
#include <sqlext.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/dialect.h"
#include "db/odbc_errors.h"
#include "support/platform.h"

namespace {

struct OdbcStmt {
  SQLHSTMT h = SQL_NULL_HSTMT;
  SQLSMALLINT ncols = 0;    // columns of the result (queries)
  SQLSMALLINT nparams = 0;  // placeholders of the text
  bool open = false;        // cursor: opened and not closed
  bool at_end = false;      // cursor: the last fetch found no row
  std::string direct;       // savepoint and rollback: the text, run as it stands
  bool uses_clock = false;  // the text reads the session's clock (vk.clock)
  std::vector<SQLLEN> ind;  // lengths and NULL indicators of the inputs
};

constexpr SQLULEN kLoginTimeoutSeconds = 20;

// A connection string value, in braces where it holds characters that
// would end or break it.
std::string Attribute(const char* value) {
  bool plain = value[0] != ' ' && value[0] != '{' && !strpbrk(value, ";}=") &&
               (value[0] == '\0' || value[strlen(value) - 1] != ' ');
  if (plain) return value;
  std::string s = "{";
  for (const char* p = value; *p; ++p) {
    s += *p;
    if (*p == '}') s += '}';
  }
  return s + "}";
}

class OdbcBackend final : public DbBackend {
 public:
  ~OdbcBackend() override { Hangup(); }

  int32_t Connect(const char* target, const char* user, const char* password) override {
    if (!target || !*target) return SQL_NO_SUCH_DATABASE;
    std::string conn = strchr(target, '=') ? std::string(target) : "DSN=" + Attribute(target);
    if (user && *user) conn += ";UID=" + Attribute(user);
    if (password && *password) conn += ";PWD=" + Attribute(password);

    int32_t rc = Login(conn);
    if (rc != SQL_OK) return rc;
    char dbms[64] = "", driver[64] = "";
    Info(SQL_DBMS_NAME, dbms, sizeof dbms);
    Info(SQL_DRIVER_NAME, driver, sizeof driver);
    dialect_ = DIALECT_ORACLE;  // the program's own SQL, also for servers not named below
    if (strncasecmp(dbms, "PostgreSQL", 10) == 0) {
      dialect_ = DIALECT_POSTGRESQL;
      if (strncasecmp(driver, "psqlodbc", 8) == 0) {
        // The connection string's values take precedence over the data
        // source's: connect again with the ones the program relies on.
        Hangup();
        rc = Login(conn + ";UseDeclareFetch=1;Protocol=7.4-2");
        if (rc != SQL_OK) return rc;
      }
      rc = Direct("set client_encoding to 'WIN1252'");
      if (rc == SQL_OK) rc = Direct("set datestyle to 'ISO, YMD'");
      if (rc == SQL_OK) rc = Commit();
      if (rc != SQL_OK) {
        Hangup();
        return rc;
      }
    }
    return SQL_OK;
  }

  void Disconnect() override { Hangup(); }

  int32_t Prepare(SqlStmt* st) override {
    if (lost_ || !dbc_) return SQL_NOT_CONNECTED;
    auto* p = new OdbcStmt;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &p->h))) {
      delete p;
      return Fail(SQL_HANDLE_DBC, dbc_);
    }
    std::string sql = Dialect_Translate(dialect_, st->text);
    SQLRETURN r = SQL_SUCCESS;
    if (st->kind == SQLK_CONTROL) {
      // psqlODBC keeps a savepoint only when it is sent as a plain statement:
      // a prepared one is lost at the next failure, and with it the rollback.
      p->direct = sql;
    } else {
      r = SQLPrepare(p->h, Text(sql.c_str()), SQL_NTS);
    }
    if (SQL_SUCCEEDED(r) && p->direct.empty()) r = SQLNumParams(p->h, &p->nparams);
    // Describing the result makes the server check the text against the
    // schema now, not at the first execution.
    if (SQL_SUCCEEDED(r) && (st->kind == SQLK_SELECT || st->kind == SQLK_CURSOR))
      r = SQLNumResultCols(p->h, &p->ncols);
    if (!SQL_SUCCEEDED(r)) {
      int32_t code = Fail(SQL_HANDLE_STMT, p->h);
      Free(p);
      return code;
    }
    p->ind.resize(static_cast<size_t>(p->nparams));
    p->uses_clock = sql.find("vk.clock") != std::string::npos;
    st->handle = p;
    return SQL_OK;
  }

  void Release(SqlStmt* st) override {
    Free(static_cast<OdbcStmt*>(st->handle));
    st->handle = nullptr;
  }

  int32_t Execute(SqlStmt* st, const HostVar* in, int nin) override {
    OdbcStmt* p = static_cast<OdbcStmt*>(st->handle);
    if (lost_) return SQL_NOT_CONNECTED;
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    if (p->uses_clock) SyncClock();
    SQLRETURN r = p->direct.empty() ? SQLExecute(p->h)
                                    : SQLExecDirect(p->h, Text(p->direct.c_str()), SQL_NTS);
    if (r == SQL_NO_DATA) {
      code = st->kind == SQLK_CHANGE ? SQL_NOTFOUND : SQL_OK;
    } else if (SQL_SUCCEEDED(r)) {
      SQLLEN rows = -1;
      if (st->kind == SQLK_CHANGE && SQL_SUCCEEDED(SQLRowCount(p->h, &rows))) {
        if (rows == 0) code = SQL_NOTFOUND;
        if (rows > 0) dirty_ = true;
      }
    } else {
      code = Fail(SQL_HANDLE_STMT, p->h);
      if (st->kind == SQLK_CONTROL && !lost_) code = AfterFailedRollback(p, code);
    }
    if (!lost_) SQLFreeStmt(p->h, SQL_CLOSE);
    // After the rollback that follows a change that failed or touched
    // nothing, nothing waits for a commit.
    if (IsRollback(p)) ReleaseIfIdle();
    return code;
  }

  int32_t SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out,
                     int nout) override {
    OdbcStmt* p = static_cast<OdbcStmt*>(st->handle);
    if (lost_) return SQL_NOT_CONNECTED;
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    if (p->uses_clock) SyncClock();
    SQLRETURN r = SQLExecute(p->h);
    if (SQL_SUCCEEDED(r)) r = SQLFetch(p->h);
    if (r == SQL_NO_DATA) {
      code = SQL_NOTFOUND;
    } else if (!SQL_SUCCEEDED(r)) {
      code = Fail(SQL_HANDLE_STMT, p->h);
    } else {
      code = Columns(p, out, nout);
      if (code == SQL_OK) {
        r = SQLFetch(p->h);
        if (SQL_SUCCEEDED(r))
          code = SQL_TOO_MANY_ROWS;
        else if (r != SQL_NO_DATA)
          code = Fail(SQL_HANDLE_STMT, p->h);
      }
    }
    if (!lost_) SQLFreeStmt(p->h, SQL_CLOSE);
    ReleaseIfIdle();
    return code;
  }

  int32_t Open(SqlStmt* st, const HostVar* in, int nin) override {
    OdbcStmt* p = static_cast<OdbcStmt*>(st->handle);
    if (p->open) {
      p->open = false;
      if (!lost_) SQLFreeStmt(p->h, SQL_CLOSE);
    }
    if (lost_) return SQL_NOT_CONNECTED;
    int32_t code = Bind(p, in, nin);
    if (code != SQL_OK) return code;
    if (p->uses_clock) SyncClock();
    if (!SQL_SUCCEEDED(SQLExecute(p->h))) {
      code = Fail(SQL_HANDLE_STMT, p->h);
      if (!lost_) SQLFreeStmt(p->h, SQL_CLOSE);
      ReleaseIfIdle();
      return code;
    }
    p->open = true;
    p->at_end = false;
    return SQL_OK;
  }

  int32_t Fetch(SqlStmt* st, const HostVar* out, int nout) override {
    OdbcStmt* p = static_cast<OdbcStmt*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    if (lost_) return SQL_NOT_CONNECTED;
    if (p->at_end) return SQL_NOTFOUND;  // stays at the end until closed
    SQLRETURN r = SQLFetch(p->h);
    if (r == SQL_NO_DATA) {
      p->at_end = true;
      return SQL_NOTFOUND;
    }
    int32_t code = SQL_SUCCEEDED(r) ? Columns(p, out, nout) : Fail(SQL_HANDLE_STMT, p->h);
    if (code != SQL_OK) ReleaseIfIdle();
    return code;
  }

  int32_t Close(SqlStmt* st) override {
    OdbcStmt* p = static_cast<OdbcStmt*>(st->handle);
    if (!p->open) return SQL_CURSOR_INVALID;
    p->open = false;
    if (lost_) return SQL_NOT_CONNECTED;
    if (!SQL_SUCCEEDED(SQLFreeStmt(p->h, SQL_CLOSE))) return Fail(SQL_HANDLE_STMT, p->h);
    ReleaseIfIdle();
    return SQL_OK;
  }

  int32_t Commit() override {
    if (!dbc_ || lost_) return SQL_NOT_CONNECTED;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
      return Fail(SQL_HANDLE_DBC, dbc_);
    dirty_ = false;
    return SQL_OK;
  }

 private:
  static SQLCHAR* Text(const char* s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s)); }

  // Connects with a full connection string, manual commit.
  int32_t Login(const std::string& conn) {
    lost_ = false;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
      env_ = SQL_NULL_HENV;
      return SQL_NO_SUCH_DATABASE;
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
      dbc_ = SQL_NULL_HDBC;
      Hangup();
      return SQL_NO_SUCH_DATABASE;
    }
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
    SQLCHAR out[1024];
    SQLSMALLINT out_len = 0;
    SQLRETURN r = SQLDriverConnect(dbc_, nullptr, Text(conn.c_str()), SQL_NTS, out, sizeof out,
                                   &out_len, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r)) {
      int32_t code = Diagnose(SQL_HANDLE_DBC, dbc_, ODBC_CONNECTING);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
      dbc_ = SQL_NULL_HDBC;
      Hangup();
      return code;
    }
    connected_ = true;
    r = SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    if (!SQL_SUCCEEDED(r)) {
      int32_t code = Fail(SQL_HANDLE_DBC, dbc_);
      Hangup();
      return code;
    }
    return SQL_OK;
  }

  // Ends the connection; work not committed is rolled back.
  void Hangup() {
    if (dbc_ != SQL_NULL_HDBC) {
      if (connected_) {
        if (!lost_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
      }
      SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
    dbc_ = SQL_NULL_HDBC;
    env_ = SQL_NULL_HENV;
    connected_ = false;
  }

  void Info(SQLUSMALLINT what, char* buf, SQLSMALLINT size) {
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc_, what, buf, size, &len))) buf[0] = '\0';
  }

  // psqlODBC undoes a failed statement alone only where it judges that
  // something before it in the transaction needs keeping; where only a
  // savepoint of ours came before (the first change after a commit), it
  // rolls the whole transaction back, the savepoint with it. The rollback to
  // the savepoint then fails and leaves the transaction aborted, which would
  // fail every later statement: end it instead. Nothing is lost by that, as
  // the failed change was the transaction's only work; a plain "rollback"
  // keeps the cursors that earlier transactions opened, where the ODBC
  // call for it would close them.
  int32_t AfterFailedRollback(OdbcStmt* p, int32_t code) {
    if (dialect_ != DIALECT_POSTGRESQL || !IsRollback(p)) return code;
    return Direct("rollback");
  }

  static bool IsRollback(const OdbcStmt* p) {
    return strncasecmp(p->direct.c_str(), "rollback", 8) == 0;
  }

  // A PostgreSQL session holds its transaction, and with it the locks of
  // every table it has read, until the transaction ends; Oracle holds none
  // for reading. Where no change waits for its commit, the transaction is
  // ended at once, so that the session keeps nothing locked between its
  // statements (open cursors survive the commit).
  void ReleaseIfIdle() {
    if (dialect_ == DIALECT_POSTGRESQL && !dirty_ && !lost_ && dbc_)
      SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT);
  }

  // Where the program's clock is fixed (tests), the server session's sysdate
  // follows it through vk.clock; otherwise it is the server's own time.
  void SyncClock() {
    time_t want = Plat_ClockFixed() ? Plat_Now() : 0;
    if (want == clock_sent_) return;
    char sql[96] = "select set_config('vk.clock','',false)";
    if (want != 0) {
      struct tm tm;
      Plat_LocalTime(want, &tm);
      snprintf(sql, sizeof sql,
               "select set_config('vk.clock','%04d-%02d-%02d %02d:%02d:%02d',false)",
               tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    }
    if (Direct(sql) != SQL_OK) return;
    clock_sent_ = want;
    if (!dirty_) Commit();  // a setting made in a transaction goes with its rollback
  }

  // A statement without host variables, run once (session settings).
  int32_t Direct(const char* sql) {
    SQLHSTMT h = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &h)))
      return Fail(SQL_HANDLE_DBC, dbc_);
    int32_t code = SQL_OK;
    if (!SQL_SUCCEEDED(SQLExecDirect(h, Text(sql), SQL_NTS))) code = Fail(SQL_HANDLE_STMT, h);
    SQLFreeHandle(SQL_HANDLE_STMT, h);
    return code;
  }

  // The result code of the failure just reported on a handle; a lost
  // connection is remembered, and from then on every call answers -3114.
  int32_t Fail(SQLSMALLINT type, SQLHANDLE h) {
    return Diagnose(type, h, lost_ ? ODBC_LOST : ODBC_CONNECTED);
  }

  int32_t Diagnose(SQLSMALLINT type, SQLHANDLE h, OdbcPhase phase) {
    SQLCHAR state[6] = "";
    SQLCHAR msg[512] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, h, 1, state, &native, msg, sizeof msg, &len))) {
      state[0] = '\0';
      msg[0] = '\0';
    }
    const char* s = reinterpret_cast<const char*>(state);
    const char* m = reinterpret_cast<const char*>(msg);
    if (phase == ODBC_CONNECTED && OdbcErr_IsConnectionLoss(s, m)) lost_ = true;
    return OdbcErr_Map(s, native, m, phase);
  }

  void Free(OdbcStmt* p) {
    if (!p) return;
    if (p->h != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, p->h);
    delete p;
  }

  int32_t Bind(OdbcStmt* p, const HostVar* in, int nin) {
    if (nin != p->nparams) return -1008;  // not all variables bound
    for (int i = 0; i < nin; ++i) {
      const HostVar& hv = in[i];
      SQLLEN* ind = &p->ind[static_cast<size_t>(i)];
      SQLRETURN r;
      switch (hv.type) {
        case HV_STRING: {
          SQLULEN n = Hv_TextLen(hv);
          *ind = n ? static_cast<SQLLEN>(n) : SQL_NULL_DATA;  // an empty text is NULL
          r = SQLBindParameter(p->h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                               SQL_VARCHAR, n ? n : 1, 0, hv.addr, static_cast<SQLLEN>(hv.size),
                               ind);
          break;
        }
        case HV_INT16:
          *ind = 0;
          r = SQLBindParameter(p->h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                               SQL_C_SSHORT, SQL_SMALLINT, 5, 0, hv.addr, 0, ind);
          break;
        case HV_INT32:
          *ind = 0;
          r = SQLBindParameter(p->h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_SLONG,
                               SQL_INTEGER, 10, 0, hv.addr, 0, ind);
          break;
        default:
          *ind = 0;
          r = SQLBindParameter(p->h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                               SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, hv.addr, 0, ind);
          break;
      }
      if (!SQL_SUCCEEDED(r)) return Fail(SQL_HANDLE_STMT, p->h);
    }
    return SQL_OK;
  }

  // The current row into the output host variables: text straight into its
  // field (cut to it), numbers as doubles to the variable's width, NULL as an
  // empty text or 0.
  int32_t Columns(OdbcStmt* p, const HostVar* out, int nout) {
    for (int i = 0; i < nout && i < p->ncols; ++i) {
      const HostVar& hv = out[i];
      SQLUSMALLINT col = static_cast<SQLUSMALLINT>(i + 1);
      SQLLEN ind = 0;
      SQLRETURN r;
      if (hv.type == HV_STRING) {
        if (hv.size == 0) continue;
        r = SQLGetData(p->h, col, SQL_C_CHAR, hv.addr, static_cast<SQLLEN>(hv.size), &ind);
        if (!SQL_SUCCEEDED(r)) return Fail(SQL_HANDLE_STMT, p->h);
        if (ind == SQL_NULL_DATA) Hv_SetNull(hv);
      } else {
        double v = 0;
        r = SQLGetData(p->h, col, SQL_C_DOUBLE, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(r)) return Fail(SQL_HANDLE_STMT, p->h);
        if (ind == SQL_NULL_DATA)
          Hv_SetNull(hv);
        else
          Hv_SetDouble(hv, v);
      }
    }
    return SQL_OK;
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
  bool lost_ = false;
  bool dirty_ = false;     // a change not yet committed (outside a guarded change)
  time_t clock_sent_ = 0;  // the fixed clock the session was given, 0: none
  Dialect dialect_ = DIALECT_ORACLE;
};

}  // namespace

DbBackend* OdbcBackend_Create() { return new OdbcBackend; }
