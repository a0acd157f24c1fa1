// The database session: login from the configuration file, choice of the
// back end by the connect string, end-of-run commit.
#include "db/session.h"

#include <cstdio>
#include <cstring>

#include "db/backend.h"
#include "support/ini.h"

namespace {

DbBackend* g_backend = nullptr;

// The login text user/password@connect holds at most 100 characters.
constexpr size_t kLoginMax = 100;

}  // namespace

DbBackend* Db_Backend() { return g_backend; }

int32_t Db_ConnectWith(const char* user, const char* password, const char* net8) {
  dbDisconnect();
  char login[kLoginMax + 2];
  int n = snprintf(login, sizeof login, "%s/%s@%s", user, password, net8);
  if (n < 0 || static_cast<size_t>(n) > kLoginMax) return SQL_LOGIN_REFUSED;

  DbBackend* be = nullptr;
  const char* target = net8;
  if (strncmp(net8, "sqlite:", 7) == 0) {
    be = SqliteBackend_Create();
    target = net8 + 7;
  } else if (net8[0] != '\0') {
    be = OdbcBackend_Create();
    if (strncmp(net8, "odbc:", 5) == 0) target = net8 + 5;
  }
  if (!be) return SQL_NO_SUCH_DATABASE;
  int32_t rc = be->Connect(target, user, password);
  if (rc != SQL_OK) {
    delete be;
    return rc;
  }
  be->SetLockWait(Sql_LockWaitMs());
  g_backend = be;
  return SQL_OK;
}

int32_t dbConnect() {
  char user[52], password[52], net8[52];
  if (GetDbLogin(user, password, net8, sizeof user) != 0) return SQL_LOGIN_REFUSED;
  return Db_ConnectWith(user, password, net8);
}

int32_t dbCommit() { return g_backend ? Sql_Commit() : SQL_NOT_CONNECTED; }

void dbDisconnect() {
  if (!g_backend) return;
  Sql_SessionEnded();
  for (SqlStmt* st = Sql_FirstStmt(); st; st = st->next) {
    if (st->handle) g_backend->Release(st);
    st->handle = nullptr;
  }
  g_backend->Disconnect();
  delete g_backend;
  g_backend = nullptr;
}
