// Order operations: the download cursor, every operation that carries the
// run's download marker, ordered by production area so that the records of
// one terminal group follow each other.
#include "db/app.h"
#include "db/app_host.h"

namespace {

SqlStmt s_dnl(APP_SELECT_COLUMNS " from Kvs504App where AppDwn=:b0 order by AppDwn,AppFbe");

// Host variables of the cursor, module-wide; AppSsn and AppSta are 32-bit here.
char s_marker[9];
AppHost<int32_t> h;
const HostVar kIn[] = {HvStr(s_marker)};
HostVar s_out[APP_COLUMN_COUNT];

}  // namespace

int32_t App_OpenDnl(const char* marker) {
  CopyText(s_marker, marker);
  return Sql_Open(&s_dnl, kIn);
}

int32_t App_FetchDnl(AppRow* row) {
  if (!s_out[0].addr) App_OutputList(h, s_out);
  int32_t rc = Sql_Fetch(&s_dnl, s_out);
  if (rc == 0) App_ToRow(h, row);
  return rc;
}

int32_t App_CloseDnl() { return Sql_Close(&s_dnl); }
