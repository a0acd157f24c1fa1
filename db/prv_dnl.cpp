// The personnel download cursor: every person that carries the run's
// download marker, ordered by production area.
#include <cstring>

#include "db/prv.h"
#include "db/sql.h"

namespace {

SqlStmt s_dnl(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvDna ,PrvDwn ,PrvAwa ,PrvAwn ,PrvAnw "
    ",TO_CHAR(PrvAvn,'yyyymmddHH24MISS') ,TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvApl ,PrvApp "
    ",PrvPzm ,PrvSta ,TO_CHAR(PrvDat,'yyyymmddHH24MISS') ,PrvErf  from Kvs510Prv where "
    "PrvDwn=:b0 order by PrvFbe");

// Host variables of the cursor.
char s_marker[9];
PrvRow s_out;
int16_t s_sta;

const HostVar kIn[] = {HvStr(s_marker)};
const HostVar kOut[] = {
    HvStr(s_out.PrvPnr),  HvStr(s_out.PrvGvo),  HvStr(s_out.PrvGbi),  HvI32(&s_out.PrvBer),
    HvStr(s_out.PrvKst),  HvStr(s_out.PrvFbe),  HvI32(&s_out.PrvMmb), HvStr(s_out.PrvZf1),
    HvStr(s_out.PrvZf2),  HvStr(s_out.PrvZf3),  HvStr(s_out.PrvDna),  HvStr(s_out.PrvDwn),
    HvI32(&s_out.PrvAwa), HvStr(s_out.PrvAwn),  HvI32(&s_out.PrvAnw), HvStr(s_out.PrvAvn),
    HvStr(s_out.PrvAbi),  HvI32(&s_out.PrvApl), HvI32(&s_out.PrvApp), HvI32(&s_out.PrvPzm),
    HvI16(&s_sta),        HvStr(s_out.PrvDat),  HvStr(s_out.PrvErf)};

}  // namespace

int32_t Prv_OpenDnl(const char* marker) {
  CopyText(s_marker, marker);
  return Sql_Open(&s_dnl, kIn);
}

int32_t Prv_FetchDnl(PrvRow* row) {
  int32_t rc = Sql_Fetch(&s_dnl, kOut);
  if (rc != 0) return rc;
  // Name, street and place are not selected: they keep what they held.
  PrvRow keep = *row;
  *row = s_out;
  row->PrvSta = s_sta;
  memcpy(row->PrvNam, keep.PrvNam, sizeof row->PrvNam);
  memcpy(row->PrvStr, keep.PrvStr, sizeof row->PrvStr);
  memcpy(row->PrvOrt, keep.PrvOrt, sizeof row->PrvOrt);
  return rc;
}

int32_t Prv_CloseDnl() { return Sql_Close(&s_dnl); }
