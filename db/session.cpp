// The database session: login from the configuration file, choice of the
// back end by the connect string (the back-end table), end-of-run commit.
#include "db/session.h"

#include <cstdio>
#include <cstring>

#include "db/backend/backend.h"
#include "support/ini.h"

namespace {

DbBackend* g_backend = nullptr;

const DbBackendRow* g_rows = nullptr;  // nullptr: the build's own table
int g_nrows = 0;
const char* g_missing = "";

// The login text user/password@connect holds at most 100 characters.
constexpr size_t kLoginMax = 100;

// The row whose prefix the connect string starts with; "" matches any
// non-empty value. nullptr for an empty connect string.
const DbBackendRow* RowFor(const char* net8) {
  if (net8[0] == '\0') return nullptr;
  int n = 0;
  const DbBackendRow* rows = Db_Backends(&n);
  for (int i = 0; i < n; ++i) {
    const size_t len = strlen(rows[i].prefix);
    if (strncmp(net8, rows[i].prefix, len) == 0) return &rows[i];
  }
  return nullptr;
}

}  // namespace

DbBackend* Db_Backend() { return g_backend; }

const DbBackendRow* Db_Backends(int* count) {
  if (g_rows) {
    *count = g_nrows;
    return g_rows;
  }
  return Db_BuildBackends(count);
}

void Db_SetBackends(const DbBackendRow* rows, int count) {
  g_rows = rows;
  g_nrows = rows ? count : 0;
}

char* Db_BuiltBackends(char* out, int out_size) {
  if (out_size <= 0) return out;
  out[0] = '\0';
  int n = 0;
  const DbBackendRow* rows = Db_Backends(&n);
  size_t used = 0;
  for (int i = 0; i < n; ++i) {
    if (!rows[i].create) continue;
    bool seen = false;
    for (int j = 0; j < i; ++j)
      seen = seen || (rows[j].create && !strcmp(rows[j].name, rows[i].name));
    if (seen) continue;
    int w = snprintf(out + used, static_cast<size_t>(out_size) - used, "%s%s", used ? ", " : "",
                     rows[i].name);
    if (w < 0 || used + static_cast<size_t>(w) >= static_cast<size_t>(out_size)) {
      out[used] = '\0';  // whole names only
      break;
    }
    used += static_cast<size_t>(w);
  }
  return out;
}

const char* Db_MissingBackend() { return g_missing; }

int32_t Db_ConnectWith(const char* user, const char* password, const char* net8) {
  dbDisconnect();
  g_missing = "";
  char login[kLoginMax + 2];
  int n = snprintf(login, sizeof login, "%s/%s@%s", user, password, net8);
  if (n < 0 || static_cast<size_t>(n) > kLoginMax) return SQL_LOGIN_REFUSED;

  const DbBackendRow* row = RowFor(net8);
  if (!row) return SQL_NO_SUCH_DATABASE;
  if (!row->create) {
    g_missing = row->name;
    return DB_BACKEND_MISSING;
  }
  DbBackend* be = row->create();
  if (!be) return SQL_NO_SUCH_DATABASE;
  int32_t rc = be->Connect(net8 + strlen(row->prefix), user, password);
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
