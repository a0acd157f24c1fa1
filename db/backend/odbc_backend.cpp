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
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "db/backend/backend.h"
#include "db/backend/dialect.h"
#include "db/backend/odbc_errors.h"
#include "db/backend/odbc_headers.h"
#include "support/platform.h"

namespace {

struct OdbcStmt {
  SQLHSTMT h = SQL_NULL_HSTMT;
  SQLSMALLINT ncols = 0;    // columns of the result (queries)
  SQLSMALLINT nparams = 0;  // placeholders of the text
  bool open = false;        // cursor: opened and not closed
  bool at_end = false;      // cursor: the last fetch found no row
  std::string direct;       // savepoint and rollback: the text, run as it stands
  std::string sql;          // a change: the text in the server's dialect (batches)
  // A change in batches on PostgreSQL: prepared on the server once per
  // session under this name ("execute" then costs no parse and plan);
  // empty: not yet tried, "-": the server could not prepare it.
  std::string server_name;
  bool noop = false;        // a savepoint release the server has no statement for
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
    statement_undone_ = false;
    dbms_oracle_ = strncasecmp(dbms, "Oracle", 6) == 0;
    if (strncasecmp(dbms, "PostgreSQL", 10) == 0) {
      dialect_ = DIALECT_POSTGRESQL;
      if (strncasecmp(driver, "psqlodbc", 8) == 0) {
        // The connection string's values take precedence over the data
        // source's: connect again with the ones the program relies on.
        // UseServerSidePrepare=0: the driver puts the values into the
        // statement text itself (quoted), so its savepoint before a
        // statement travels with the statement, one round trip per change
        // instead of two. BoolsAsChar=0: with it the driver asks the server
        // to describe every statement that has a text value of exactly five
        // characters (it might stand for a boolean), two round trips more
        // each time; the program has no boolean columns.
        Hangup();
        rc = Login(conn + ";UseDeclareFetch=1;Protocol=7.4-2;UseServerSidePrepare=0;BoolsAsChar=0");
        if (rc != SQL_OK) return rc;
        statement_undone_ = true;
      }
      rc = Direct("set client_encoding to 'WIN1252'");
      if (rc == SQL_OK) rc = Direct("set datestyle to 'ISO, YMD'");
      if (rc == SQL_OK) rc = LockTimeout();
      if (rc == SQL_OK) rc = Commit();
      if (rc != SQL_OK) {
        Hangup();
        return rc;
      }
    }
    return SQL_OK;
  }

  void Disconnect() override { Hangup(); }

  // Oracle undoes a failed statement alone; psqlODBC does with Protocol
  // 7.4-2 (rolling the whole transaction back only where nothing before the
  // statement needs keeping).
  bool UndoesFailedStatement() const override { return statement_undone_ || dbms_oracle_; }

  // The marks of many rows change at once (an update request re-marks whole
  // ranges, the host system marks what it wants sent): until the server's
  // statistics follow, its planner may take the marker index for a
  // release's row instead of the key, and read every marked row each time.
  void RefreshStatistics(const char* table) override {
    if (dialect_ != DIALECT_POSTGRESQL || lost_ || !dbc_ || dirty_ || unit_) return;
    char sql[96];
    snprintf(sql, sizeof sql, "analyze %.64s", table);
    Direct(sql);
    Commit();
  }

  // psqlODBC takes several statements in one text, with their placeholders
  // numbered on through all of them, and sends them as one message; their
  // results come back one after another.
  bool BatchesChanges() const override { return statement_undone_; }

  int32_t ExecuteBatch(SqlStmt* const* sts, const HostVar* in, const int* nin, int n,
                       int32_t* codes) override {
    if (!statement_undone_) return DbBackend::ExecuteBatch(sts, in, nin, n, codes);
    if (lost_) return SQL_NOT_CONNECTED;
    if (batch_ == SQL_NULL_HSTMT &&
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &batch_))) {
      batch_ = SQL_NULL_HSTMT;
      return Fail(SQL_HANDLE_DBC, dbc_);
    }
    batch_text_.clear();
    bool clock = false;
    int inputs = 0;
    for (int i = 0; i < n; ++i) {
      OdbcStmt* p = static_cast<OdbcStmt*>(sts[i]->handle);
      if (p->sql.empty() || nin[i] != p->nparams) return -1008;  // not all variables bound
      if (p->server_name.empty()) PrepareOnServer(p);
      if (p->server_name[0] != '-') {
        batch_text_ += "execute ";
        batch_text_ += p->server_name;
        for (int k = 0; k < p->nparams; ++k) batch_text_ += k ? ",?" : "(?";
        batch_text_ += p->nparams ? ");\n" : ";\n";
      } else {
        batch_text_ += p->sql;
        batch_text_ += ";\n";
      }
      clock = clock || p->uses_clock;
      inputs += nin[i];
    }
    if (batch_ind_.size() < static_cast<size_t>(inputs))
      batch_ind_.resize(static_cast<size_t>(inputs));
    SQLFreeStmt(batch_, SQL_RESET_PARAMS);
    int32_t code = Bind(batch_, batch_ind_.data(), in, inputs);
    if (code != SQL_OK) return code;
    if (clock) SyncClock();
    SQLRETURN r = SQLExecDirect(batch_, Text(batch_text_.c_str()), SQL_NTS);
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) {
      code = Fail(SQL_HANDLE_STMT, batch_);
      if (!lost_) SQLFreeStmt(batch_, SQL_CLOSE);
      return code;
    }
    for (int i = 0; i < n && code == SQL_OK; ++i) {
      if (i > 0) {
        r = SQLMoreResults(batch_);
        if (!SQL_SUCCEEDED(r)) {  // fewer results than statements: take it as a failure
          code = r == SQL_NO_DATA ? SQL_CURSOR_INVALID : Fail(SQL_HANDLE_STMT, batch_);
          break;
        }
      }
      SQLLEN rows = -1;
      if (!SQL_SUCCEEDED(SQLRowCount(batch_, &rows))) rows = -1;
      codes[i] = rows == 0 ? SQL_NOTFOUND : SQL_OK;
      if (rows > 0) dirty_ = true;
    }
    if (!lost_) SQLFreeStmt(batch_, SQL_CLOSE);
    return code;
  }

  int32_t Prepare(SqlStmt* st) override {
    if (lost_ || !dbc_) return SQL_NOT_CONNECTED;
    auto* p = new OdbcStmt;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &p->h))) {
      delete p;
      return Fail(SQL_HANDLE_DBC, dbc_);
    }
    std::string sql = Dialect_Translate(dialect_, st->text);
    // psqlODBC runs every query through a server cursor (declare, fetch,
    // close: two round trips at least), which only a cursor of the program
    // needs. A text that does not begin with "select" it runs as it stands,
    // its row coming back with the answer: a single-row select gets that.
    if (st->kind == SQLK_SELECT && dialect_ == DIALECT_POSTGRESQL) sql.insert(0, "/* 1 row */ ");
    SQLRETURN r = SQL_SUCCESS;
    if (st->kind == SQLK_CONTROL) {
      // psqlODBC keeps a savepoint only when it is sent as a plain statement:
      // a prepared one is lost at the next failure, and with it the rollback.
      p->direct = sql;
      // Oracle has no release of a savepoint: a savepoint of the same name
      // later simply takes the place of the earlier one.
      p->noop = dialect_ == DIALECT_ORACLE && strncasecmp(sql.c_str(), "release", 7) == 0;
    } else {
      r = SQLPrepare(p->h, Text(sql.c_str()), SQL_NTS);
      if (st->kind == SQLK_CHANGE) p->sql = sql;
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
    if (p->noop) return SQL_OK;
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
      if (st->kind == SQLK_CONTROL) Savepoints(p);
    } else {
      code = Fail(SQL_HANDLE_STMT, p->h);
      if (st->kind == SQLK_CONTROL && !lost_) code = AfterFailedRollback(p, code);
      // A failed change with nothing before it may have taken the
      // transaction, and a clock setting made in it, along.
      if (st->kind == SQLK_CHANGE && !dirty_) clock_sent_ = -1;
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
      bool row_failed = false;
      code = Columns(p, out, nout, &row_failed);
      if (code == SQL_OK || row_failed) {
        r = SQLFetch(p->h);
        if (SQL_SUCCEEDED(r))
          code = SQL_TOO_MANY_ROWS;
        else if (r != SQL_NO_DATA)
          code = Fail(SQL_HANDLE_STMT, p->h);
        else
          st->row_failed = row_failed;
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
    // The transaction that opened the cursor ends here, so that a unit of
    // work rolled back later cannot take the cursor with it (cursors survive
    // commits).
    ReleaseIfIdle();
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
    bool row_failed = false;
    int32_t code =
        SQL_SUCCEEDED(r) ? Columns(p, out, nout, &row_failed) : Fail(SQL_HANDLE_STMT, p->h);
    st->row_failed = row_failed;
    if (code != SQL_OK && !row_failed) ReleaseIfIdle();
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
    if (aborted_ != 0) {  // the work to commit was rolled back on the way
      int32_t code = aborted_;
      aborted_ = 0;
      unit_ = false;
      return code;
    }
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
      return Fail(SQL_HANDLE_DBC, dbc_);
    dirty_ = false;
    unit_ = false;
    savepoints_ = 0;
    return SQL_OK;
  }

  // The session is in manual-commit mode: a unit of work needs nothing to
  // begin; its changes wait for its commit (rows are locked as they change).
  int32_t Begin() override {
    if (!dbc_ || lost_) return SQL_NOT_CONNECTED;
    unit_ = true;
    return SQL_OK;
  }

  int32_t Rollback() override {
    if (!dbc_ || lost_) return SQL_NOT_CONNECTED;
    // A plain "rollback" keeps the cursors earlier transactions opened.
    int32_t rc = Direct(dialect_ == DIALECT_POSTGRESQL ? "rollback" : "ROLLBACK");
    if (rc != SQL_OK && !lost_ && SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK)))
      rc = SQL_OK;
    dirty_ = false;
    unit_ = false;
    savepoints_ = 0;
    aborted_ = 0;
    clock_sent_ = -1;  // the clock setting, if made in the transaction, is gone
    return rc;
  }

  void SetLockWait(int32_t ms) override {
    lock_wait_ms_ = ms;
    if (dbc_ && !lost_ && dialect_ == DIALECT_POSTGRESQL) {
      LockTimeout();
      if (!dirty_) Commit();
    }
  }

 private:
  static SQLCHAR* Text(const char* s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s)); }

  // Prepares a change on the server under a name of its own ("prepare ...
  // as" with the driver's placeholders as $1, $2, ...). A prepared
  // statement outlives the rollback of the transaction it was made in.
  void PrepareOnServer(OdbcStmt* p) {
    char name[32];
    snprintf(name, sizeof name, "vk_b%d", ++server_names_);
    std::string text("prepare ");
    text.append(name).append(" as ");
    int k = 0;
    char quote = 0;
    for (char c : p->sql) {
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '?') {
        char number[16];
        int len = snprintf(number, sizeof number, "$%d", ++k);
        text.append(number, static_cast<size_t>(len));
        continue;
      }
      text.push_back(c);
    }
    if (k == p->nparams && Direct(text.c_str()) == SQL_OK) {
      p->server_name.assign(name);
      return;
    }
    p->server_name.assign(1, '-');  // the change goes as its text
    if (!dirty_) clock_sent_ = -1;  // the failure may have taken the transaction along
  }

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
    if (batch_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, batch_);
    batch_ = SQL_NULL_HSTMT;
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
    // Whatever else the transaction held is gone with it: a unit of work
    // then must not report its commit as done.
    if (dirty_) aborted_ = code;
    dirty_ = false;
    savepoints_ = 0;
    clock_sent_ = -1;
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
    if (dialect_ == DIALECT_POSTGRESQL && !dirty_ && !unit_ && savepoints_ <= 1 && !lost_ && dbc_) {
      SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT);
      savepoints_ = 0;
    }
  }

  // Counts the savepoints of ours that are open: a transaction that holds
  // one is not ended behind the caller's back. A rollback to a savepoint
  // undoes the session's clock setting too, if it came after it.
  void Savepoints(const OdbcStmt* p) {
    const char* t = p->direct.c_str();
    if (strncasecmp(t, "savepoint", 9) == 0) ++savepoints_;
    if (strncasecmp(t, "release", 7) == 0 && savepoints_ > 0) --savepoints_;
    if (IsRollback(p)) clock_sent_ = -1;
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
    // A setting made in a transaction goes with its rollback: where the
    // transaction is nobody else's, it is committed at once.
    if (!dirty_ && !unit_ && savepoints_ == 0) Commit();
  }

  // PostgreSQL waits for a row another session holds at most this long,
  // then fails the statement (55P03).
  int32_t LockTimeout() {
    char sql[64];
    snprintf(sql, sizeof sql, "set lock_timeout to '%dms'", static_cast<int>(lock_wait_ms_));
    return Direct(sql);
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
    return Bind(p->h, p->ind.data(), in, nin);
  }

  int32_t Bind(SQLHSTMT h, SQLLEN* inds, const HostVar* in, int nin) {
    for (int i = 0; i < nin; ++i) {
      const HostVar& hv = in[i];
      SQLLEN* ind = &inds[i];
      SQLRETURN r;
      switch (hv.type) {
        case HV_STRING: {
          SQLULEN n = Hv_TextLen(hv);
          *ind = n ? static_cast<SQLLEN>(n) : SQL_NULL_DATA;  // an empty text is NULL
          r = SQLBindParameter(h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                               SQL_VARCHAR, n ? n : 1, 0, hv.addr, static_cast<SQLLEN>(hv.size),
                               ind);
          break;
        }
        case HV_INT16:
          *ind = 0;
          r = SQLBindParameter(h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_SSHORT,
                               SQL_SMALLINT, 5, 0, hv.addr, 0, ind);
          break;
        case HV_INT32:
          *ind = 0;
          r = SQLBindParameter(h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_SLONG,
                               SQL_INTEGER, 10, 0, hv.addr, 0, ind);
          break;
        default:
          *ind = 0;
          r = SQLBindParameter(h, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_DOUBLE,
                               SQL_DOUBLE, 15, 0, hv.addr, 0, ind);
          break;
      }
      if (!SQL_SUCCEEDED(r)) return Fail(SQL_HANDLE_STMT, h);
    }
    return SQL_OK;
  }

  // The current row into the output host variables: text straight into its
  // field (cut to it), numbers as doubles to the variable's width, NULL as an
  // empty text or 0. A value that does not fit its variable (a number beyond
  // its width, a key cut short) fails the row: every value is delivered that
  // can be, *row_failed is set and the first such code returned.
  int32_t Columns(OdbcStmt* p, const HostVar* out, int nout, bool* row_failed) {
    int32_t first = SQL_OK;
    for (int i = 0; i < nout && i < p->ncols; ++i) {
      const HostVar& hv = out[i];
      SQLUSMALLINT col = static_cast<SQLUSMALLINT>(i + 1);
      SQLLEN ind = 0;
      SQLRETURN r;
      int32_t rc = SQL_OK;
      if (hv.type == HV_STRING) {
        if (hv.size == 0) continue;
        r = SQLGetData(p->h, col, SQL_C_CHAR, hv.addr, static_cast<SQLLEN>(hv.size), &ind);
        if (!SQL_SUCCEEDED(r)) return Fail(SQL_HANDLE_STMT, p->h);
        if (ind == SQL_NULL_DATA) {
          Hv_SetNull(hv);
        } else if ((hv.flags & HV_KEY) && r == SQL_SUCCESS_WITH_INFO &&
                   (ind == SQL_NO_TOTAL || ind >= static_cast<SQLLEN>(hv.size))) {
          rc = SQL_NO_CP1252;  // the key did not fit its field
        }
      } else {
        double v = 0;
        r = SQLGetData(p->h, col, SQL_C_DOUBLE, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(r)) {
          // A value the driver cannot give as a number fails its row alone.
          SQLCHAR state[6] = "";
          SQLINTEGER native = 0;
          SQLSMALLINT len = 0;
          SQLGetDiagRec(SQL_HANDLE_STMT, p->h, 1, state, &native, nullptr, 0, &len);
          const char* s = reinterpret_cast<const char*>(state);
          if (strcmp(s, "22003") != 0 && strcmp(s, "22018") != 0)
            return Fail(SQL_HANDLE_STMT, p->h);
          Hv_SetNull(hv);
          rc = strcmp(s, "22003") == 0 ? SQL_OVERFLOW : SQL_INVALID_NUMBER;
        } else if (ind == SQL_NULL_DATA) {
          Hv_SetNull(hv);
        } else {
          rc = Hv_SetDouble(hv, v);
        }
      }
      if (rc != SQL_OK && first == SQL_OK) {
        first = rc;
        *row_failed = true;
      }
    }
    return first;
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT batch_ = SQL_NULL_HSTMT;  // the handle batches run on
  std::string batch_text_;
  int server_names_ = 0;  // changes prepared on the server so far
  std::vector<SQLLEN> batch_ind_;
  bool connected_ = false;
  bool lost_ = false;
  bool dirty_ = false;             // a change not yet committed (outside a guarded change)
  bool statement_undone_ = false;  // psqlODBC with Protocol 7.4-2
  bool dbms_oracle_ = false;
  time_t clock_sent_ = 0;  // the fixed clock the session was given, 0: none
  int32_t lock_wait_ms_ = 10000;
  bool unit_ = false;    // a unit of work is open: its transaction is not ended early
  int savepoints_ = 0;   // savepoints of ours open in the transaction
  int32_t aborted_ = 0;  // the open transaction was rolled back whole: its failure
  Dialect dialect_ = DIALECT_ORACLE;
};

}  // namespace

DbBackend* OdbcBackend_Create() { return new OdbcBackend; }
