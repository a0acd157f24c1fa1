// The benchmark's own database connection (see bench_db.h).
#include "bench/bench_db.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/sql_script.h"

#ifdef VK_HAVE_ODBC
#include "tools/odbc_text.h"
#endif

void Bench_Die(const std::string& what) {
  fflush(stdout);
  fprintf(stderr, "velmarkon-bench: %s\n", what.c_str());
  exit(2);
}

namespace {

class SqliteDb final : public BenchDb {
 public:
  explicit SqliteDb(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) Bench_Die("cannot open " + path);
    sqlite3_busy_timeout(db_, 10000);
    Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL");
    begin_ = Prepare("BEGIN");
    commit_ = Prepare("COMMIT");
  }

  ~SqliteDb() override {
    sqlite3_finalize(begin_);
    sqlite3_finalize(commit_);
    sqlite3_finalize(update_);
    // The last connection's close checkpoints the log and removes it.
    sqlite3_close(db_);
  }

  void Exec(const std::string& sql) override {
    std::string why;
    if (!Try(sql, &why)) Bench_Die("SQL failed: " + why + " in " + sql.substr(0, 300));
  }

  bool Try(const std::string& sql, std::string* why) override {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK) return true;
    *why = err ? err : "?";
    sqlite3_free(err);
    return false;
  }

  std::vector<std::vector<std::string>> Query(const std::string& sql) override {
    sqlite3_stmt* st = Prepare(sql);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* v = sqlite3_column_text(st, i);
        row.push_back(v ? reinterpret_cast<const char*>(v) : "");
      }
      rows.push_back(row);
    }
    if (rc != SQLITE_DONE) Bench_Die(std::string("query failed: ") + sqlite3_errmsg(db_));
    sqlite3_finalize(st);
    return rows;
  }

  void PrepareUpdate(const std::string& sql) override {
    sqlite3_finalize(update_);
    update_ = Prepare(sql);
  }

  void RunUpdate(const char* const* values, int n) override {
    for (int i = 0; i < n; ++i) {
      int rc = values[i] ? sqlite3_bind_text(update_, i + 1, values[i], -1, SQLITE_STATIC)
                         : sqlite3_bind_null(update_, i + 1);
      if (rc != SQLITE_OK) Bench_Die(std::string("bind failed: ") + sqlite3_errmsg(db_));
    }
    Step(update_);
    if (sqlite3_changes(db_) != 1) Bench_Die("a floor's update did not find its row");
  }

  void Begin() override { Step(begin_); }
  void Commit() override { Step(commit_); }

 private:
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      Bench_Die(std::string("prepare failed: ") + sqlite3_errmsg(db_) + " in " + sql);
    return st;
  }

  void Step(sqlite3_stmt* st) {
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) Bench_Die(std::string("statement failed: ") + sqlite3_errmsg(db_));
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
  sqlite3_stmt* update_ = nullptr;
};

#ifdef VK_HAVE_ODBC

class OdbcDb final : public BenchDb {
 public:
  OdbcDb(const std::string& conn, bool autocommit) : autocommit_(autocommit) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    SQLRETURN r = SQLDriverConnect(dbc_, nullptr, OdbcText(conn), SQL_NTS, nullptr, 0, nullptr,
                                   SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r))
      Bench_Die("cannot connect (" + conn + "): " + OdbcDiag(SQL_HANDLE_DBC, dbc_));
    Run("set client_encoding to 'UTF8'", nullptr);
    if (!autocommit_) {
      r = SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
      if (!SQL_SUCCEEDED(r)) Bench_Die("manual commit: " + OdbcDiag(SQL_HANDLE_DBC, dbc_));
    }
  }

  ~OdbcDb() override {
    if (update_) SQLFreeHandle(SQL_HANDLE_STMT, update_);
    if (!autocommit_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  void Exec(const std::string& sql) override {
    for (const std::string& one : SqlScript_Split(sql)) Run(one, nullptr);
  }

  bool Try(const std::string& sql, std::string* why) override { return Run(sql, nullptr, why); }

  std::vector<std::vector<std::string>> Query(const std::string& sql) override {
    std::vector<std::vector<std::string>> rows;
    Run(sql, &rows);
    if (!autocommit_) Commit();  // no read transaction left open
    return rows;
  }

  void PrepareUpdate(const std::string& sql) override {
    if (update_) SQLFreeHandle(SQL_HANDLE_STMT, update_);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &update_);
    if (!SQL_SUCCEEDED(SQLPrepare(update_, OdbcText(sql), SQL_NTS)))
      Bench_Die("prepare failed: " + OdbcDiag(SQL_HANDLE_STMT, update_) + " in " + sql);
  }

  void RunUpdate(const char* const* values, int n) override {
    for (int i = 0; i < n && i < kMaxParams; ++i) {
      ind_[i] = values[i] ? SQL_NTS : SQL_NULL_DATA;
      SQLRETURN r = SQLBindParameter(update_, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                     SQL_C_CHAR, SQL_VARCHAR, 30, 0,
                                     const_cast<char*>(values[i] ? values[i] : ""), 0, &ind_[i]);
      if (!SQL_SUCCEEDED(r)) Bench_Die("bind failed: " + OdbcDiag(SQL_HANDLE_STMT, update_));
    }
    if (!SQL_SUCCEEDED(SQLExecute(update_)))
      Bench_Die("update failed: " + OdbcDiag(SQL_HANDLE_STMT, update_));
    SQLLEN count = 0;
    SQLRowCount(update_, &count);
    if (count != 1) Bench_Die("a floor's update did not find its row");
  }

  void Begin() override {}  // manual commit: the next statement begins it

  void Commit() override {
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
      Bench_Die("commit failed: " + OdbcDiag(SQL_HANDLE_DBC, dbc_));
  }

 private:
  void Run(const std::string& sql, std::vector<std::vector<std::string>>* rows) {
    std::string why;
    if (!Run(sql, rows, &why)) Bench_Die("SQL failed: " + why + " in " + sql.substr(0, 300));
  }

  bool Run(const std::string& sql, std::vector<std::vector<std::string>>* rows, std::string* why) {
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
    SQLRETURN r = SQLExecDirect(st, OdbcText(sql), SQL_NTS);
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) {
      *why = OdbcDiag(SQL_HANDLE_STMT, st);
      SQLFreeHandle(SQL_HANDLE_STMT, st);
      return false;
    }
    if (rows) OdbcReadRows(st, rows, "");
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return true;
  }

  static constexpr int kMaxParams = 8;
  bool autocommit_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT update_ = SQL_NULL_HSTMT;
  SQLLEN ind_[kMaxParams] = {};
};

#endif

}  // namespace

BenchDb* BenchDb_OpenSqlite(const std::string& path) { return new SqliteDb(path); }

#ifdef VK_HAVE_ODBC
BenchDb* BenchDb_OpenOdbc(const std::string& connection, bool autocommit) {
  return new OdbcDb(connection, autocommit);
}
#else
BenchDb* BenchDb_OpenOdbc(const std::string&, bool) {
  Bench_Die("built without ODBC: no database server to measure");
}
#endif
