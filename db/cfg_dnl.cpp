// Terminal configuration: the search for the groups that serve a production
// area.
#include <cstring>

#include "db/cfg.h"
#include "db/sql.h"

namespace {

SqlStmt s_search(
    "select CfgDta ,CfgIP ,CfgPrt ,CfgBez ,CfgTxt ,CfgKr1 ,CfgVn1 ,CfgBi1 ,CfgBz1 ,CfgVn2 ,CfgBi2 "
    ",CfgBz2 ,CfgVn3 ,CfgBi3 ,CfgBz3 ,CfgVn4 ,CfgBi4 ,CfgBz4 ,CfgVn5 ,CfgBi5 ,CfgBz5 ,CfgSta ,"
    "CfgDat ,CfgErf  from Kvs557Cfg where ((:b0>=CfgVn1 and :b0<=CfgBi1) or (:b0>=CfgVn2 and "
    ":b0<=CfgBi2)) order by CfgDta");

// Host variables of the module.
char h_key[11];
CfgRow h_row;
char h_dat[30];  // the change date arrives in the database's own form

}  // namespace

int32_t Cfg_Open(const char* key) {
  CopyText(h_key, key);
  HostVar in[] = {HvStr(h_key), HvStr(h_key), HvStr(h_key), HvStr(h_key)};
  return Sql_Open(&s_search, in);
}

int32_t Cfg_Fetch(CfgRow* row) {
  CfgRow& r = h_row;
  HostVar out[] = {HvI32(&r.CfgDta), HvStr(r.CfgIP),   HvStr(r.CfgPrt), HvStr(r.CfgBez),
                   HvStr(r.CfgTxt),  HvI32(&r.CfgKr1), HvStr(r.CfgVn1), HvStr(r.CfgBi1),
                   HvStr(r.CfgBz1),  HvStr(r.CfgVn2),  HvStr(r.CfgBi2), HvStr(r.CfgBz2),
                   HvStr(r.CfgVn3),  HvStr(r.CfgBi3),  HvStr(r.CfgBz3), HvStr(r.CfgVn4),
                   HvStr(r.CfgBi4),  HvStr(r.CfgBz4),  HvStr(r.CfgVn5), HvStr(r.CfgBi5),
                   HvStr(r.CfgBz5),  HvI32(&r.CfgSta), HvStr(h_dat),    HvStr(r.CfgErf)};
  int32_t rc = Sql_Fetch(&s_search, out);
  if (rc == 0) {
    CopyText(r.CfgDat, h_dat);  // a longer date text is cut to the field
    *row = r;
  }
  return rc;
}

int32_t Cfg_Close() { return Sql_Close(&s_search); }
