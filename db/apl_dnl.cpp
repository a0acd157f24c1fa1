// Download cursor of the workplaces: the workplaces carrying the run's
// marker, by production area.
#include "db/apl_columns.h"

namespace {

SqlStmt s_dnl(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",AplUdt ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi ,AplPau ,AplUnt ,AplIak ,AplAvt "
    ",AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 ,AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 "
    ",AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf  from Kvs531Apl where AplDwn=:b0 order by AplFbe");

// Host variables of the cursor (AplSta with 32 bits).
struct {
  char marker[9];
  AplColumns cols;
} s_hv;

}  // namespace

int32_t Apl_OpenDnl(const char* marker) {
  CopyText(s_hv.marker, marker);
  HostVar in[] = {HvStr(s_hv.marker)};
  return Sql_Open(&s_dnl, in);
}

int32_t Apl_FetchDnl(AplRow* row) {
  HostVar out[APL_COLUMNS];
  Apl_BindColumns(&s_hv.cols, true, out);
  int32_t rc = Sql_Fetch(&s_dnl, out);
  if (rc == 0) Apl_TakeRow(row, s_hv.cols, true);
  return rc;
}

int32_t Apl_CloseDnl() { return Sql_Close(&s_dnl); }
