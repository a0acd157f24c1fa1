// Cost-centre assignments: the cost centre valid today for a workplace group,
// and the cost-centre list cursor (every cost centre for every production area
// of type 1).
#include <cstring>

#include "db/ksg.h"
#include "db/sql.h"

namespace {

SqlStmt s_apg_read(
    "select KsgApg ,KsgKst into :b0:b1,:b2:b3  from Kvs537Ksg where ((KsgApg=:b0 and "
    "KsgGvo<=trunc(sysdate)) and (KsgGbi>trunc(sysdate) or KsgGbi is null ))");
SqlStmt s_dnl(
    "select KstNum ,FbeFbe  from o1003Kststelle ,Kvs559Fbe where FbeTyp=1 order by FbeFbe");

// Host variables of the module.
char h_apg[11];
char h_kst[11];
char h_fbe[11];
char h_marker[9];  // kept like every download cursor's marker; this one has no input

}  // namespace

int32_t Ksg_ApgRead(KsgRow* row) {
  CopyText(h_apg, row->KsgApg);
  HostVar in[] = {HvStr(h_apg)};
  HostVar out[] = {HvStr(h_apg), HvStr(h_kst)};
  int32_t rc = Sql_SelectInto(&s_apg_read, in, out);
  if (rc == 0) {
    CopyText(row->KsgApg, h_apg);
    CopyText(row->KsgKst, h_kst);
  }
  return rc;
}

int32_t Ksg_OpenDnl(const char* marker) {
  CopyText(h_marker, marker);
  return Sql_Open(&s_dnl, nullptr, 0);
}

int32_t Ksg_FetchDnl(KsgRow* row) {
  HostVar out[] = {HvStr(h_kst), HvStr(h_fbe)};
  int32_t rc = Sql_Fetch(&s_dnl, out);
  if (rc == 0) {
    CopyText(row->KsgKst, h_kst);
    CopyText(row->KsgFbe, h_fbe);
  }
  return rc;
}

int32_t Ksg_CloseDnl() { return Sql_Close(&s_dnl); }
