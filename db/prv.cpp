// Personnel: the statements on Kvs510Prv.
//
// The host variables are one record of the table's row type (h) and a few
// inputs; each statement's output list points into h in its select order,
// and Sql_Deliver hands exactly those fields to the caller.
#include "db/prv.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_dnl(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvDna ,PrvDwn ,PrvAwa ,PrvAwn ,PrvAnw "
    ",TO_CHAR(PrvAvn,'yyyymmddHH24MISS') ,TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvApl ,PrvApp "
    ",PrvPzm ,PrvSta ,TO_CHAR(PrvDat,'yyyymmddHH24MISS') ,PrvErf  from Kvs510Prv where "
    "PrvDwn=:b0 order by PrvFbe");

SqlStmt s_range(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvDna ,PrvDwn ,PrvAwa ,PrvAwn ,PrvAnw "
    ",TO_CHAR(PrvAvn,'yyyymmddHH24MISS') ,TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvApl ,PrvApp "
    ",PrvPzm ,PrvSta ,PrvErf ,PrvNam ,PrvStr ,PrvOrt  from Kvs510Prv where ((PrvPnr>=:b0 and "
    "PrvPnr<=:b1) and (PrvGvo<=trunc(sysdate) or PrvGvo is null )) order by PrvPnr");

SqlStmt s_read(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvSta ,PrvErf ,PrvDna ,PrvDwn ,PrvAwn ,PrvAwa "
    ",PrvAnw ,PrvApl ,PrvApp ,PrvPzm ,TO_CHAR(PrvAvn,'yyyymmddHH24MISS') "
    ",TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvNam ,PrvStr ,PrvOrt into :b0:b1,:b2:b3,:b4:b5,"
    ":b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,:b22:b23,:b24:b25,"
    ":b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,:b42:b43,:b44:b45,"
    ":b46:b47,:b48:b49  from Kvs510Prv where PrvPnr=:b0");

// The releases act only on the row as it was sent: same marker, same action
// code, same change time (a NULL time compares as one blank).
#define PRV_AS_SENT                                       \
  " where PrvPnr=:b0 and PrvDwn=:b1 and PrvDna=:b2 and " \
  "coalesce(TO_CHAR(PrvDat,'yyyymmddHH24MISS'),' ')=:b3"

SqlChange s_frei = SQL_CHANGE(
    "Prv_PKeyFrei", "update Kvs510Prv  set PrvDwn=NULL,PrvDna=NULL,PrvDat=sysdate" PRV_AS_SENT);
SqlChange s_loe = SQL_CHANGE(
    "Prv_PKeyLoe",
    "update Kvs510Prv  set PrvAwn=NULL,PrvGvo=NULL,PrvGbi=NULL,PrvAvn=NULL,PrvAbi=NULL,PrvAnw=0,"
    "PrvApp=0,PrvApl=0,PrvDwn=NULL,PrvDna=NULL,PrvDat=sysdate" PRV_AS_SENT
    " and coalesce(PrvAwa,0)<>3");
SqlChange s_del =
    SQL_CHANGE("Prv_PKeyDel", "delete  from Kvs510Prv " PRV_AS_SENT " and PrvAwa=3");
SqlChange s_mark = SQL_CHANGE(
    "Prv_PKeyMark",
    "update Kvs510Prv  set PrvDna='AEN',PrvDwn=:b0,PrvErf='KoraSys',PrvDat=sysdate where "
    "PrvPnr=:b1");

// Host variables of the module.
PrvRow h;
struct {
  char marker[9], from[9], to[9], key[9];
  char dwn[9], dna[4], dat[15];
} in;

const HostVar kDnlOut[] = {
    HvKey(h.PrvPnr),   HvStr(h.PrvGvo),   HvStr(h.PrvGbi),   HvI32(&h.PrvBer),  HvStr(h.PrvKst),
    HvStr(h.PrvFbe),   HvI32(&h.PrvMmb),  HvStr(h.PrvZf1),   HvStr(h.PrvZf2),   HvStr(h.PrvZf3),
    HvStr(h.PrvDna),   HvStr(h.PrvDwn),   HvI32(&h.PrvAwa),  HvStr(h.PrvAwn),   HvI32(&h.PrvAnw),
    HvStr(h.PrvAvn),   HvStr(h.PrvAbi),   HvI32(&h.PrvApl),  HvI32(&h.PrvApp),  HvI32(&h.PrvPzm),
    HvI16w(&h.PrvSta), HvStr(h.PrvDat),   HvStr(h.PrvErf)};
const HostVar kRangeOut[] = {
    HvKey(h.PrvPnr),   HvStr(h.PrvGvo),   HvStr(h.PrvGbi),   HvI32(&h.PrvBer),  HvStr(h.PrvKst),
    HvStr(h.PrvFbe),   HvI32(&h.PrvMmb),  HvStr(h.PrvZf1),   HvStr(h.PrvZf2),   HvStr(h.PrvZf3),
    HvStr(h.PrvDna),   HvStr(h.PrvDwn),   HvI32(&h.PrvAwa),  HvStr(h.PrvAwn),   HvI32(&h.PrvAnw),
    HvStr(h.PrvAvn),   HvStr(h.PrvAbi),   HvI32(&h.PrvApl),  HvI32(&h.PrvApp),  HvI32(&h.PrvPzm),
    HvI16w(&h.PrvSta), HvStr(h.PrvErf),   HvStr(h.PrvNam),   HvStr(h.PrvStr),   HvStr(h.PrvOrt)};
const HostVar kReadOut[] = {
    HvStr(h.PrvPnr),  HvStr(h.PrvGvo),  HvStr(h.PrvGbi),  HvI32(&h.PrvBer),  HvStr(h.PrvKst),
    HvStr(h.PrvFbe),  HvI32(&h.PrvMmb), HvStr(h.PrvZf1),  HvStr(h.PrvZf2),   HvStr(h.PrvZf3),
    HvI16w(&h.PrvSta), HvStr(h.PrvErf), HvStr(h.PrvDna),  HvStr(h.PrvDwn),   HvStr(h.PrvAwn),
    HvI32(&h.PrvAwa), HvI32(&h.PrvAnw), HvI32(&h.PrvApl), HvI32(&h.PrvApp),  HvI32(&h.PrvPzm),
    HvStr(h.PrvAvn),  HvStr(h.PrvAbi),  HvStr(h.PrvNam),  HvStr(h.PrvStr),   HvStr(h.PrvOrt)};

const HostVar kMarkerIn[] = {HvStr(in.marker)};
const HostVar kRangeIn[] = {HvStr(in.from), HvStr(in.to)};
const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kSentIn[] = {HvStr(in.key), HvStr(in.dwn), HvStr(in.dna), HvStr(in.dat)};
const HostVar kMarkIn[] = {HvStr(in.marker), HvStr(in.key)};

void Sent(const PrvRow& sent) {
  CopyText(in.key, sent.PrvPnr);
  CopyText(in.dwn, sent.PrvDwn);
  CopyText(in.dna, sent.PrvDna);
  CopyText(in.dat, sent.PrvDat[0] ? sent.PrvDat : " ");
}

// A fetched row goes to the caller also when it failed, for its key.
template <class List>
int32_t Fetched(int32_t rc, const List& list, PrvRow* row) {
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(list, h, row);
  return rc;
}

}  // namespace

int32_t Prv_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, kMarkerIn);
}

// Name, street and place are not selected: they keep what they held.
int32_t Prv_FetchDnl(PrvRow* row) { return Fetched(Sql_Fetch(&s_dnl, kDnlOut), kDnlOut, row); }

int32_t Prv_CloseDnl() { return Sql_Close(&s_dnl); }

int32_t Prv_OpenRange(const char* from, const char* to) {
  CopyText(in.from, from);
  CopyText(in.to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Prv_FetchRange(PrvRow* row) {
  return Fetched(Sql_Fetch(&s_range, kRangeOut), kRangeOut, row);
}

int32_t Prv_CloseRange() { return Sql_Close(&s_range); }

int32_t Prv_PKeyReadk(PrvRow* row) {
  CopyText(in.key, row->PrvPnr);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(kReadOut, h, row);
  return rc;
}

int32_t Prv_PKeyFrei(const PrvRow& sent) {
  Sent(sent);
  return Sql_Change(&s_frei, kSentIn);
}

int32_t Prv_PKeyLoe(const PrvRow& sent) {
  Sent(sent);
  return Sql_Change(&s_loe, kSentIn);
}

int32_t Prv_PKeyDel(const PrvRow& sent) {
  Sent(sent);
  return Sql_Change(&s_del, kSentIn);
}

int32_t Prv_PKeyMark(const PrvRow& row, const char* marker) {
  CopyText(in.marker, marker);
  CopyText(in.key, row.PrvPnr);
  return Sql_Change(&s_mark, kMarkIn);
}
