// Cost-centre assignments: the cost centre valid today for a workplace group,
// and the cost-centre list cursor (every cost centre for every production area
// of type 1).
//
// The host variables are one record of the table's row type (h) and the
// inputs (in); each statement's output list points into h, and Sql_Deliver
// hands exactly those fields to the caller.
#include "db/ksg.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_apg_read(
    "select KsgApg ,KsgKst into :b0:b1,:b2:b3  from Kvs537Ksg where ((KsgApg=:b0 and "
    "KsgGvo<=trunc(sysdate)) and (KsgGbi>trunc(sysdate) or KsgGbi is null ))");
SqlStmt s_dnl(
    "select KstNum ,FbeFbe  from o1003Kststelle ,Kvs559Fbe where FbeTyp=1 order by FbeFbe");

// Host variables of the module.
KsgRow h;
struct {
  char apg[11];
  char marker[9];  // kept like every download cursor's marker; this one has no input
} in;

const HostVar kApgIn[] = {HvStr(in.apg)};
const HostVar kApgOut[] = {HvStr(h.KsgApg), HvStr(h.KsgKst)};
// The list delivers the cost centre number (KstNum) and the production area.
const HostVar kDnlOut[] = {HvStr(h.KsgKst), HvStr(h.KsgFbe)};

}  // namespace

int32_t Ksg_ApgRead(KsgRow* row) {
  CopyText(in.apg, row->KsgApg);
  int32_t rc = Sql_SelectInto(&s_apg_read, kApgIn, kApgOut);
  if (rc == 0) Sql_Deliver(kApgOut, h, row);
  return rc;
}

int32_t Ksg_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, nullptr, 0);
}

int32_t Ksg_FetchDnl(KsgRow* row) {
  int32_t rc = Sql_Fetch(&s_dnl, kDnlOut);
  if (rc == 0) Sql_Deliver(kDnlOut, h, row);
  return rc;
}

int32_t Ksg_CloseDnl() { return Sql_Close(&s_dnl); }
