// The tests' own connection to the database server (see test_server.h).
#include "tests/test_server.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "db/sql.h"
#include "support/sql_script.h"

#ifdef VK_HAVE_ODBC
#include "tools/odbc_text.h"
#endif

namespace {

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

}  // namespace

bool Test_OnServer() { return Env("VK_TEST_BACKEND") == "postgresql"; }

namespace {

// VK_TEST_DEFER=1: the embedded database takes a group's releases together
// too (run one by one), as a server does, so that the frame's way with them
// runs under every local test.
const bool kDeferAlways = [] {
  Sql_SetDeferAlways(Env("VK_TEST_DEFER") == "1");
  return true;
}();

}  // namespace

TestServerLogin Test_ServerLogin() {
  TestServerLogin l{Env("VK_PG_DSN"), Env("VK_PG_USER"), Env("VK_PG_PASS")};
  if (l.dsn.empty() || l.user.empty())
    throw std::runtime_error(
        "VK_TEST_BACKEND=postgresql needs VK_PG_DSN, VK_PG_USER and VK_PG_PASS "
        "(source the env.sh of scripts/pg-server.sh)");
  return l;
}

#ifdef VK_HAVE_ODBC

TestServer::TestServer(const std::string& database) {
  TestServerLogin l = Test_ServerLogin();
  conn_ = "DSN=" + l.dsn + ";UID=" + l.user + ";PWD=" + l.pass;
  if (!database.empty()) conn_ += ";Database=" + database;
  Open();
}

TestServer::~TestServer() { Close(); }

void TestServer::Open() {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  env_ = env;
  dbc_ = dbc;
  SQLRETURN r = SQLDriverConnect(dbc, nullptr, OdbcText(conn_), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(r)) {
    std::string why = OdbcDiag(SQL_HANDLE_DBC, dbc);
    Close();
    throw std::runtime_error("test connection to the server failed: " + why);
  }
  // UTF-8 test SQL; a test waiting for a lock the session holds fails
  // instead of hanging.
  Run("set client_encoding to 'UTF8'", nullptr);
  Run("set lock_timeout to '20s'", nullptr);
}

void TestServer::Close() {
  if (dbc_) {
    SQLDisconnect(static_cast<SQLHDBC>(dbc_));
    SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(dbc_));
  }
  if (env_) SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(env_));
  dbc_ = env_ = nullptr;
}

// One statement; rows into *rows when given. A connection that the server
// has dropped (a test stopped it) is opened again once.
void TestServer::Run(const std::string& sql, std::vector<std::vector<std::string>>* rows) {
  for (int attempt = 0;; ++attempt) {
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(dbc_), &st);
    SQLRETURN r = SQLExecDirect(st, OdbcText(sql), SQL_NTS);
    if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) {
      std::string why = OdbcDiag(SQL_HANDLE_STMT, st);
      SQLFreeHandle(SQL_HANDLE_STMT, st);
      bool lost = why.rfind("08", 0) == 0 || why.rfind("57P01", 0) == 0;
      if (lost && attempt == 0) {
        Close();
        Open();
        continue;
      }
      throw std::runtime_error("test SQL failed: " + why + " in " + sql);
    }
    if (rows) OdbcReadRows(st, rows, "<NULL>");
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return;
  }
}

void TestServer::Exec(const std::string& sql) {
  for (const std::string& one : SqlScript_Split(sql)) Run(one, nullptr);
}

std::vector<std::vector<std::string>> TestServer::Query(const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  Run(sql, &rows);
  return rows;
}

// psqlODBC keeps a few bytes per connection and per described statement
// until the process ends; those are the driver's, not the program's.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbca.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

#else  // built without ODBC: there is no server to reach

TestServer::TestServer(const std::string&) {
  throw std::runtime_error("built without ODBC: no database server for the tests");
}
TestServer::~TestServer() = default;
void TestServer::Open() {}
void TestServer::Close() {}
void TestServer::Run(const std::string&, std::vector<std::vector<std::string>>*) {}
void TestServer::Exec(const std::string&) {}
std::vector<std::vector<std::string>> TestServer::Query(const std::string&) { return {}; }

#endif
