// Terminal configuration: the whole table, read once per table download by
// the terminal address lookup.
#include <cstring>

#include "db/cfg.h"
#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_all(
    "select CfgDta ,CfgIP ,CfgPrt ,CfgBez ,CfgTxt ,CfgKr1 ,CfgVn1 ,CfgBi1 ,CfgBz1 ,CfgVn2 ,CfgBi2 "
    ",CfgBz2 ,CfgVn3 ,CfgBi3 ,CfgBz3 ,CfgVn4 ,CfgBi4 ,CfgBz4 ,CfgVn5 ,CfgBi5 ,CfgBz5 ,CfgSta ,"
    "CfgDat ,CfgErf ,(case when CfgVn1 is null or CfgBi1 is null then 0 else 1 end) ,"
    "(case when CfgVn2 is null or CfgBi2 is null then 0 else 1 end)  from Kvs557Cfg order by "
    "CfgDta");

// Host variables of the module: a record of the row type (h) and what the
// select list has beyond it (out).
CfgRow h;
struct {
  char dat[30];  // the change date arrives in the database's own form
  int32_t range1, range2;
} out;

const HostVar kOut[] = {
    HvI32(&h.CfgDta), HvStr(h.CfgIP),   HvStr(h.CfgPrt), HvStr(h.CfgBez), HvStr(h.CfgTxt),
    HvI32(&h.CfgKr1), HvStr(h.CfgVn1),  HvStr(h.CfgBi1), HvStr(h.CfgBz1), HvStr(h.CfgVn2),
    HvStr(h.CfgBi2),  HvStr(h.CfgBz2),  HvStr(h.CfgVn3), HvStr(h.CfgBi3), HvStr(h.CfgBz3),
    HvStr(h.CfgVn4),  HvStr(h.CfgBi4),  HvStr(h.CfgBz4), HvStr(h.CfgVn5), HvStr(h.CfgBi5),
    HvStr(h.CfgBz5),  HvI32(&h.CfgSta), HvStr(out.dat),  HvStr(h.CfgErf), HvI32(&out.range1),
    HvI32(&out.range2)};

}  // namespace

int32_t Cfg_OpenAll() { return Sql_Open(&s_all, nullptr, 0); }

int32_t Cfg_FetchAll(CfgRow* row, bool* range1, bool* range2) {
  int32_t rc = Sql_Fetch(&s_all, kOut);
  if (rc == 0) {
    Sql_Deliver(kOut, h, row);
    CopyText(row->CfgDat, out.dat);  // a longer date text is cut to the field
    *range1 = out.range1 != 0;
    *range2 = out.range2 != 0;
  }
  return rc;
}

int32_t Cfg_CloseAll() { return Sql_Close(&s_all); }
