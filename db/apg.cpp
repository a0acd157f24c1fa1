// Workplace groups: the statements on Kvs530Apg.
//
// The host variables are one record of the table's row type (h) and a few
// inputs; each statement's output list points into h in its select order,
// and Sql_Deliver hands exactly those fields to the caller.
#include "db/apg.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_dnl(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,KsgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf  from Kvs530Apg ,Kvs537Ksg where (((ApgDwn=:b0 "
    "and ApgApg=KsgApg) and KsgGvo<=trunc(sysdate)) and (KsgGbi is null  or "
    "KsgGbi>=trunc(sysdate))) order by ApgFbe");

SqlStmt s_range(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,ApgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf  from Kvs530Apg where (ApgApg>:b0 and "
    "ApgApg<:b1) order by ApgApg");

SqlStmt s_read(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,ApgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,"
    ":b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,"
    ":b42:b43,:b44:b45,:b46:b47,:b48:b49,:b50:b51  from Kvs530Apg where ApgApg=:b0");

// The releases act only on the row as it was sent: same marker, same action.
SqlChange s_frei = SQL_CHANGE(
    "Apg_PKeyFrei",
    "update KVS530Apg  set ApgDwn=NULL,ApgDna=NULL,ApgDat=sysdate where ApgApg=:b0 and "
    "ApgDwn=:b1 and ApgDna=:b2");
SqlChange s_del = SQL_CHANGE(
    "Apg_PKeyDel", "delete  from Kvs530Apg  where ApgApg=:b0 and ApgDwn=:b1 and ApgDna=:b2");
SqlChange s_mark = SQL_CHANGE(
    "Apg_PKeyMark",
    "update KVS530Apg  set ApgDna='AEN',ApgDwn=:b0,ApgErf='KoraSys',ApgDat=sysdate where "
    "ApgApg=:b1");

// Host variables of the module.
ApgRow h;
struct {
  char marker[9], from[11], to[11], key[11];
  char dwn[9], dna[4];
} in;

// The download cursor: the assignment's cost centre arrives in ApgKst, ApgSta
// with 32 bits.
const HostVar kDnlOut[] = {
    HvKey(h.ApgApg),  HvStr(h.ApgBez),  HvStr(h.ApgTxt),  HvStr(h.ApgFbe),  HvStr(h.ApgKst),
    HvI32(&h.ApgApl), HvI32(&h.ApgTag), HvFlt(&h.ApgKap), HvFlt(&h.ApgPrd), HvFlt(&h.ApgRst),
    HvFlt(&h.ApgPau), HvFlt(&h.ApgUnt), HvFlt(&h.ApgIak), HvStr(h.ApgSt1),  HvStr(h.ApgSt2),
    HvStr(h.ApgSt3),  HvFlt(&h.ApgSf1), HvFlt(&h.ApgSf2), HvFlt(&h.ApgSf3), HvStr(h.ApgZf1),
    HvStr(h.ApgZf2),  HvStr(h.ApgZf3),  HvStr(h.ApgDna),  HvStr(h.ApgDwn),  HvI32(&h.ApgSta),
    HvStr(h.ApgErf)};
// The key-range cursor: ApgSta with 16 bits.
const std::array<HostVar, 26> kRangeOut = Hv_Variant(kDnlOut, {{24, HvI16w(&h.ApgSta)}});
// The read: as the key-range cursor, the key as it stands.
const std::array<HostVar, 26> kReadOut = Hv_Variant(kRangeOut, {{0, HvStr(h.ApgApg)}});

const HostVar kMarkerIn[] = {HvStr(in.marker)};
const HostVar kRangeIn[] = {HvStr(in.from), HvStr(in.to)};
const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kSentIn[] = {HvStr(in.key), HvStr(in.dwn), HvStr(in.dna)};
const HostVar kMarkIn[] = {HvStr(in.marker), HvStr(in.key)};

void Sent(const ApgRow& sent) {
  CopyText(in.key, sent.ApgApg);
  CopyText(in.dwn, sent.ApgDwn);
  CopyText(in.dna, sent.ApgDna);
}

// A fetched row goes to the caller also when it failed, for its key.
template <class List>
int32_t Fetched(int32_t rc, const List& list, ApgRow* row) {
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(list, h, row);
  return rc;
}

}  // namespace

int32_t Apg_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, kMarkerIn);
}

int32_t Apg_FetchDnl(ApgRow* row) { return Fetched(Sql_Fetch(&s_dnl, kDnlOut), kDnlOut, row); }

int32_t Apg_CloseDnl() { return Sql_Close(&s_dnl); }

int32_t Apg_OpenRange(const char* from, const char* to) {
  CopyText(in.from, from);
  CopyText(in.to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Apg_FetchRange(ApgRow* row) {
  return Fetched(Sql_Fetch(&s_range, kRangeOut), kRangeOut, row);
}

int32_t Apg_CloseRange() { return Sql_Close(&s_range); }

int32_t Apg_PKeyRead(ApgRow* row) {
  CopyText(in.key, row->ApgApg);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0 || Sql_RowFailed()) {
    Sql_Deliver(kReadOut, h, row);
  } else {
    memset(row, 0, sizeof *row);
    CopyText(row->ApgApg, in.key);
  }
  return rc;
}

int32_t Apg_PKeyFrei(const ApgRow& sent) {
  Sent(sent);
  return Sql_Change(&s_frei, kSentIn);
}

int32_t Apg_PKeyDel(const ApgRow& sent) {
  Sent(sent);
  return Sql_Change(&s_del, kSentIn);
}

int32_t Apg_PKeyMark(const ApgRow& row, const char* marker) {
  CopyText(in.marker, marker);
  CopyText(in.key, row.ApgApg);
  return Sql_Change(&s_mark, kMarkIn);
}
