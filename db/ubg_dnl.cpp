// The interruption reasons' download cursor: every reason that carries the
// run's download marker, ordered by production area.
#include <cstring>

#include "db/sql.h"
#include "db/ubg.h"

namespace {

SqlStmt s_dnl(
    "select UbgUbg ,UbgKnz ,UbgFbe ,UbgBez ,UbgTxt ,UbgZf1 ,UbgZf2 ,UbgZf3 ,UbgAst ,UbgRst "
    ",UbgAsf ,UbgSt1 ,UbgSt2 ,UbgSt3 ,UbgSf1 ,UbgSf2 ,UbgSf3 ,UbgDna ,UbgDwn ,UbgSta ,UbgErf  "
    "from Kvs521Ubg where UbgDwn=:b0 order by UbgFbe");

// Host variables of the cursor.
char s_marker[9];
UbgRow s_out;

const HostVar kIn[] = {HvStr(s_marker)};
const HostVar kOut[] = {HvStr(s_out.UbgUbg),  HvI32(&s_out.UbgKnz), HvStr(s_out.UbgFbe),
                        HvStr(s_out.UbgBez),  HvStr(s_out.UbgTxt),  HvStr(s_out.UbgZf1),
                        HvStr(s_out.UbgZf2),  HvStr(s_out.UbgZf3),  HvI32(&s_out.UbgAst),
                        HvFlt(&s_out.UbgRst), HvFlt(&s_out.UbgAsf), HvStr(s_out.UbgSt1),
                        HvStr(s_out.UbgSt2),  HvStr(s_out.UbgSt3),  HvFlt(&s_out.UbgSf1),
                        HvFlt(&s_out.UbgSf2), HvFlt(&s_out.UbgSf3), HvStr(s_out.UbgDna),
                        HvStr(s_out.UbgDwn),  HvI32(&s_out.UbgSta), HvStr(s_out.UbgErf)};

}  // namespace

int32_t Ubg_OpenDnl(const char* marker) {
  CopyText(s_marker, marker);
  return Sql_Open(&s_dnl, kIn);
}

int32_t Ubg_FetchDnl(UbgRow* row) {
  int32_t rc = Sql_Fetch(&s_dnl, kOut);
  if (rc == 0) {
    char dat[sizeof row->UbgDat];
    memcpy(dat, row->UbgDat, sizeof dat);  // not selected: stays as it was
    *row = s_out;
    memcpy(row->UbgDat, dat, sizeof dat);
  }
  return rc;
}

int32_t Ubg_CloseDnl() { return Sql_Close(&s_dnl); }
