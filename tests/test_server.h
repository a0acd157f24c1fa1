// The database server that tests run on besides the embedded database.
//
// VK_TEST_BACKEND=postgresql makes every TestTree create its database on the
// PostgreSQL server that scripts/pg-server.sh started (data source VK_PG_DSN,
// login VK_PG_USER / VK_PG_PASS, ODBCSYSINI and ODBCINI pointing at its ODBC
// set-up); unset, tests run on SQLite. TestServer is a plain ODBC connection
// in autocommit mode that speaks UTF-8, for the tests' own statements.
#pragma once

#include <string>
#include <vector>

// True when the tests run on the PostgreSQL server.
bool Test_OnServer();

struct TestServerLogin {
  std::string dsn, user, pass;
};
// The data source and login from the environment (throws when incomplete).
TestServerLogin Test_ServerLogin();

class TestServer {
 public:
  // database: the database to use; empty: the data source's own.
  explicit TestServer(const std::string& database);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  // Runs statements separated by ";" (outside quotes and "--" comments).
  // A connection the server dropped is opened again once.
  void Exec(const std::string& sql);
  // Rows of a query as text; NULL as "<NULL>".
  std::vector<std::vector<std::string>> Query(const std::string& sql);

 private:
  void Open();
  void Close();
  void Run(const std::string& sql, std::vector<std::vector<std::string>>* rows);

  std::string conn_;
  void* env_ = nullptr;
  void* dbc_ = nullptr;
};
