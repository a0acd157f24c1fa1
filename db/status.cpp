// Statements of the operator's status report (see status.h): one grouping
// query per table and the stamp of the update request. A row waits while its
// download-marker column holds more than blanks.
#include "db/status.h"

#include "db/sql.h"
#include "support/text.h"

#define VK_WAITING(p, table)                                                                    \
  "select " p "Dwn ," p "Dna ,count(*) ,TO_CHAR(min(" p "Dat),'yyyymmddHH24MISS')  from " table \
  " where length(trim(" p "Dwn))>0 group by " p "Dwn," p "Dna order by " p "Dwn," p "Dna"

const char* const kStatusTables[STATUS_TABLES] = {"Kvs501Apk", "Kvs504App", "Kvs530Apg",
                                                  "Kvs531Apl", "Kvs521Ubg", "Kvs510Prv"};

namespace {

SqlStmt s_waiting[STATUS_TABLES] = {
    SqlStmt(VK_WAITING("Apk", "Kvs501Apk")), SqlStmt(VK_WAITING("App", "Kvs504App")),
    SqlStmt(VK_WAITING("Apg", "Kvs530Apg")), SqlStmt(VK_WAITING("Apl", "Kvs531Apl")),
    SqlStmt(VK_WAITING("Ubg", "Kvs521Ubg")), SqlStmt(VK_WAITING("Prv", "Kvs510Prv")),
};

SqlStmt s_request(
    "select TO_CHAR(UpdDat,'yyyymmddHH24MISS') ,UpdErf into :b0:b1,:b2:b3  from Kvs543Upd "
    "where UpdKey=:b4");

// Host variables of the module.
struct Host {
  char marker[9], action[4];
  int32_t rows;
  char oldest[15];
  char key[4], changed_at[15], changed_by[9];
};
Host h;

const HostVar kGroup[] = {HvStr(h.marker), HvStr(h.action), HvI32(&h.rows), HvStr(h.oldest)};

bool Valid(int t) { return t >= 0 && t < STATUS_TABLES; }

}  // namespace

int32_t Status_OpenWaiting(int t) {
  return Valid(t) ? Sql_Open(&s_waiting[t], nullptr, 0) : SQL_CURSOR_INVALID;
}

int32_t Status_FetchWaiting(int t, WaitingGroup* g) {
  if (!Valid(t)) return SQL_CURSOR_INVALID;
  int32_t rc = Sql_Fetch(&s_waiting[t], kGroup);
  if (rc != 0) return rc;
  CopyText(g->marker, h.marker);
  CopyText(g->action, h.action);
  g->rows = h.rows;
  CopyText(g->oldest, h.oldest);
  return 0;
}

int32_t Status_CloseWaiting(int t) {
  return Valid(t) ? Sql_Close(&s_waiting[t]) : SQL_CURSOR_INVALID;
}

int32_t Status_ReadRequestStamp(char changed_at[15], char changed_by[9]) {
  CopyText(h.key, "UPD");
  HostVar in[] = {HvStr(h.key)};
  HostVar out[] = {HvStr(h.changed_at), HvStr(h.changed_by)};
  int32_t rc = Sql_SelectInto(&s_request, in, out);
  if (rc != 0) return rc;
  Txt_Copy(changed_at, 15, h.changed_at);
  Txt_Copy(changed_by, 9, h.changed_by);
  return 0;
}
