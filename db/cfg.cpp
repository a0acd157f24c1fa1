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

// Host variables of the module.
CfgRow h_row;
char h_dat[30];  // the change date arrives in the database's own form
int32_t h_range1, h_range2;

const HostVar kOut[] = {
    HvI32(&h_row.CfgDta), HvStr(h_row.CfgIP),   HvStr(h_row.CfgPrt), HvStr(h_row.CfgBez),
    HvStr(h_row.CfgTxt),  HvI32(&h_row.CfgKr1), HvStr(h_row.CfgVn1), HvStr(h_row.CfgBi1),
    HvStr(h_row.CfgBz1),  HvStr(h_row.CfgVn2),  HvStr(h_row.CfgBi2), HvStr(h_row.CfgBz2),
    HvStr(h_row.CfgVn3),  HvStr(h_row.CfgBi3),  HvStr(h_row.CfgBz3), HvStr(h_row.CfgVn4),
    HvStr(h_row.CfgBi4),  HvStr(h_row.CfgBz4),  HvStr(h_row.CfgVn5), HvStr(h_row.CfgBi5),
    HvStr(h_row.CfgBz5),  HvI32(&h_row.CfgSta), HvStr(h_dat),        HvStr(h_row.CfgErf),
    HvI32(&h_range1),     HvI32(&h_range2)};

}  // namespace

int32_t Cfg_OpenAll() { return Sql_Open(&s_all, nullptr, 0); }

int32_t Cfg_FetchAll(CfgRow* row, bool* range1, bool* range2) {
  int32_t rc = Sql_Fetch(&s_all, kOut);
  if (rc == 0) {
    CopyText(h_row.CfgDat, h_dat);  // a longer date text is cut to the field
    *row = h_row;
    *range1 = h_range1 != 0;
    *range2 = h_range2 != 0;
  }
  return rc;
}

int32_t Cfg_CloseAll() { return Sql_Close(&s_all); }
