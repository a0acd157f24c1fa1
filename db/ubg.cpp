// Interruption reasons: the statements on Kvs521Ubg.
//
// The host variables are one record of the table's row type (h) and a few
// inputs; each statement's output list points into h in its select order,
// and Sql_Deliver hands exactly those fields to the caller.
#include "db/ubg.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

// The select list every query on the table shares.
#define UBG_COLUMNS                                                                            \
  "select UbgUbg ,UbgKnz ,UbgFbe ,UbgBez ,UbgTxt ,UbgZf1 ,UbgZf2 ,UbgZf3 ,UbgAst ,UbgRst "     \
  ",UbgAsf ,UbgSt1 ,UbgSt2 ,UbgSt3 ,UbgSf1 ,UbgSf2 ,UbgSf3 ,UbgDna ,UbgDwn ,UbgSta ,UbgErf "

SqlStmt s_dnl(UBG_COLUMNS " from Kvs521Ubg where UbgDwn=:b0 order by UbgFbe");
SqlStmt s_range(UBG_COLUMNS " from Kvs521Ubg where (UbgUbg>:b0 and UbgUbg<:b1) order by UbgUbg");
SqlStmt s_read(UBG_COLUMNS
               "into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,"
               ":b18:b19,:b20:b21,:b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,"
               ":b36:b37,:b38:b39,:b40:b41  from Kvs521Ubg where UbgUbg=:b0");

// The releases act only on the row as it was sent: same marker, same action.
SqlChange s_frei = SQL_CHANGE(
    "Ubg_PKeyFrei",
    "update KVS521Ubg  set UbgDwn=NULL,UbgDna=NULL,UbgDat=sysdate where UbgUbg=:b0 and "
    "UbgDwn=:b1 and UbgDna=:b2");
SqlChange s_del = SQL_CHANGE(
    "Ubg_PKeyDel", "delete  from Kvs521Ubg  where UbgUbg=:b0 and UbgDwn=:b1 and UbgDna=:b2");
SqlChange s_mark = SQL_CHANGE(
    "Ubg_PKeyMark",
    "update KVS521Ubg  set UbgDna='AEN',UbgDwn=:b0,UbgErf='KoraSys',UbgDat=sysdate where "
    "UbgUbg=:b1");

// Host variables of the module.
UbgRow h;
struct {
  char marker[9], from[6], to[6], key[5];
  char dwn[9], dna[4];
} in;

// The download cursor: UbgSta with 32 bits.
const HostVar kDnlOut[] = {
    HvKey(h.UbgUbg),  HvI32(&h.UbgKnz), HvStr(h.UbgFbe),  HvStr(h.UbgBez),  HvStr(h.UbgTxt),
    HvStr(h.UbgZf1),  HvStr(h.UbgZf2),  HvStr(h.UbgZf3),  HvI32(&h.UbgAst), HvFlt(&h.UbgRst),
    HvFlt(&h.UbgAsf), HvStr(h.UbgSt1),  HvStr(h.UbgSt2),  HvStr(h.UbgSt3),  HvFlt(&h.UbgSf1),
    HvFlt(&h.UbgSf2), HvFlt(&h.UbgSf3), HvStr(h.UbgDna),  HvStr(h.UbgDwn),  HvI32(&h.UbgSta),
    HvStr(h.UbgErf)};
// The key-range cursor: UbgSta with 16 bits.
const std::array<HostVar, 21> kRangeOut = Hv_Variant(kDnlOut, {{19, HvI16w(&h.UbgSta)}});
// The read: as the key-range cursor, the key as it stands.
const std::array<HostVar, 21> kReadOut = Hv_Variant(kRangeOut, {{0, HvStr(h.UbgUbg)}});

const HostVar kMarkerIn[] = {HvStr(in.marker)};
const HostVar kRangeIn[] = {HvStr(in.from), HvStr(in.to)};
const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kSentIn[] = {HvStr(in.key), HvStr(in.dwn), HvStr(in.dna)};
const HostVar kMarkIn[] = {HvStr(in.marker), HvStr(in.key)};

void Sent(const UbgRow& sent) {
  CopyText(in.key, sent.UbgUbg);
  CopyText(in.dwn, sent.UbgDwn);
  CopyText(in.dna, sent.UbgDna);
}

// A fetched row goes to the caller also when it failed, for its key.
template <class List>
int32_t Fetched(int32_t rc, const List& list, UbgRow* row) {
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(list, h, row);
  return rc;
}

}  // namespace

int32_t Ubg_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, kMarkerIn);
}

int32_t Ubg_FetchDnl(UbgRow* row) { return Fetched(Sql_Fetch(&s_dnl, kDnlOut), kDnlOut, row); }

int32_t Ubg_CloseDnl() { return Sql_Close(&s_dnl); }

int32_t Ubg_OpenRange(const char* from, const char* to) {
  CopyText(in.from, from);
  CopyText(in.to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Ubg_FetchRange(UbgRow* row) {
  return Fetched(Sql_Fetch(&s_range, kRangeOut), kRangeOut, row);
}

int32_t Ubg_CloseRange() { return Sql_Close(&s_range); }

int32_t Ubg_PKeyRead(UbgRow* row) {
  CopyText(in.key, row->UbgUbg);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0 || Sql_RowFailed()) {
    Sql_Deliver(kReadOut, h, row);
  } else {
    memset(row, 0, sizeof *row);
    CopyText(row->UbgUbg, in.key);
  }
  return rc;
}

int32_t Ubg_PKeyFrei(const UbgRow& sent) {
  Sent(sent);
  return Sql_Change(&s_frei, kSentIn);
}

int32_t Ubg_PKeyDel(const UbgRow& sent) {
  Sent(sent);
  return Sql_Change(&s_del, kSentIn);
}

int32_t Ubg_PKeyMark(const UbgRow& row, const char* marker) {
  CopyText(in.marker, marker);
  CopyText(in.key, row.UbgUbg);
  return Sql_Change(&s_mark, kMarkIn);
}
