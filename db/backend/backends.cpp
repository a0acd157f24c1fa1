// The database back ends of this build, one row per form of the connect
// string (NET8). Whether the ODBC back end is in is decided when the build is
// configured (VELMARKON_ODBC).
#include "db/backend/backend.h"
#include "db/session.h"

namespace {

#ifdef VK_HAVE_ODBC
constexpr DbBackend* (*kOdbc)() = OdbcBackend_Create;
#else
constexpr DbBackend* (*kOdbc)() = nullptr;
#endif

const DbBackendRow kRows[] = {
    {"sqlite:", "sqlite", SqliteBackend_Create},
    {"odbc:", "odbc", kOdbc},
    {"", "odbc", kOdbc},  // any other value: the name of a data source
};

}  // namespace

const DbBackendRow* Db_BuildBackends(int* count) {
  *count = static_cast<int>(sizeof kRows / sizeof kRows[0]);
  return kRows;
}

int32_t DbBackend::ExecuteBatch(SqlStmt* const* sts, const HostVar* in, const int* nin, int n,
                                int32_t* codes) {
  for (int i = 0; i < n; ++i) {
    int32_t rc = Execute(sts[i], in, nin[i]);
    if (rc != SQL_OK && rc != SQL_NOTFOUND) return rc;
    codes[i] = rc;
    in += nin[i];
  }
  return SQL_OK;
}
