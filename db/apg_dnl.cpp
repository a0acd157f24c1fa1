// Download cursor of the workplace groups: the groups carrying the run's
// marker, each with the cost centre of an assignment valid today.
#include "db/apg_columns.h"

namespace {

SqlStmt s_dnl(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,KsgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf  from Kvs530Apg ,Kvs537Ksg where (((ApgDwn=:b0 "
    "and ApgApg=KsgApg) and KsgGvo<=trunc(sysdate)) and (KsgGbi is null  or "
    "KsgGbi>=trunc(sysdate))) order by ApgFbe");

// Host variables of the cursor.
struct {
  char marker[9];
  ApgRow row;  // KsgKst arrives in row.ApgKst; ApgSta with 32 bits
} s_hv;

}  // namespace

int32_t Apg_OpenDnl(const char* marker) {
  CopyText(s_hv.marker, marker);
  HostVar in[] = {HvStr(s_hv.marker)};
  return Sql_Open(&s_dnl, in);
}

int32_t Apg_FetchDnl(ApgRow* row) {
  HostVar out[APG_COLUMNS];
  Apg_BindColumns(&s_hv.row, HvI32(&s_hv.row.ApgSta), out);
  int32_t rc = Sql_Fetch(&s_dnl, out);
  if (rc == 0) Apg_TakeRow(row, s_hv.row);
  return rc;
}

int32_t Apg_CloseDnl() { return Sql_Close(&s_dnl); }
