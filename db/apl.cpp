// Workplaces: the statements on Kvs531Apl.
//
// The host variables are one record of the table's row type (h) and a few
// inputs; each statement's output list points into h in its select order,
// and Sql_Deliver hands exactly those fields to the caller.
#include "db/apl.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

// AplUdt comes unconverted here, in the database's own date form.
SqlStmt s_dnl(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",AplUdt ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi ,AplPau ,AplUnt ,AplIak ,AplAvt "
    ",AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 ,AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 "
    ",AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf  from Kvs531Apl where AplDwn=:b0 order by AplFbe");

SqlStmt s_range(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",TO_CHAR(AplUdt,'yyyymmddHH24MISS') ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi "
    ",AplPau ,AplUnt ,AplIak ,AplAvt ,AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 "
    ",AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 ,AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf  from Kvs531Apl "
    "where (AplApl>:b0 and AplApl<:b1) order by AplApl");

SqlStmt s_read(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",TO_CHAR(AplUdt,'yyyymmddHH24MISS') ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi "
    ",AplPau ,AplUnt ,AplIak ,AplAvt ,AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 "
    ",AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 ,AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,"
    ":b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,"
    ":b42:b43,:b44:b45,:b46:b47,:b48:b49,:b50:b51,:b52:b53,:b54:b55,:b56:b57,:b58:b59,:b60:b61,"
    ":b62:b63,:b64:b65,:b66:b67,:b68:b69,:b70:b71,:b72:b73  from Kvs531Apl where AplApl=:b0");

// The releases act only on the row as it was sent: same marker, same action.
SqlChange s_frei = SQL_CHANGE(
    "Apl_PKeyFrei",
    "update KVS531Apl  set AplDwn=NULL,AplDna=NULL,AplDat=sysdate where AplApl=:b0 and "
    "AplDwn=:b1 and AplDna=:b2");
SqlChange s_del = SQL_CHANGE(
    "Apl_PKeyDel", "delete  from Kvs531Apl  where AplApl=:b0 and AplDwn=:b1 and AplDna=:b2");
SqlChange s_mark = SQL_CHANGE(
    "Apl_PKeyMark",
    "update KVS531Apl  set AplDna='AEN',AplDwn=:b0,AplErf='KoraSys',AplDat=sysdate where "
    "AplApl=:b1");

// Host variables of the module.
AplRow h;
struct {
  char marker[9], from[11], to[11], key[11];
  char dwn[9], dna[4];
} in;

// The download cursor: AplSts and AplSis with 16 bits, AplSta with 32.
const HostVar kDnlOut[] = {
    HvKey(h.AplApl),   HvStr(h.AplBez),   HvStr(h.AplTxt),   HvStr(h.AplApg),   HvStr(h.AplFbe),
    HvI16w(&h.AplSts), HvI16w(&h.AplSis), HvI32(&h.AplApr),  HvI32(&h.AplAaf),  HvStr(h.AplUbg),
    HvStr(h.AplUdt),   HvI32(&h.AplTag),  HvFlt(&h.AplVrf),  HvFlt(&h.AplRsp),  HvFlt(&h.AplRsi),
    HvFlt(&h.AplAfp),  HvFlt(&h.AplAfi),  HvFlt(&h.AplPau),  HvFlt(&h.AplUnt),  HvFlt(&h.AplIak),
    HvI32(&h.AplAvt),  HvFlt(&h.AplKap),  HvFlt(&h.AplAvr),  HvFlt(&h.AplAvp),  HvStr(h.AplSt1),
    HvStr(h.AplSt2),   HvStr(h.AplSt3),   HvFlt(&h.AplSf1),  HvFlt(&h.AplSf2),  HvFlt(&h.AplSf3),
    HvStr(h.AplZf1),   HvStr(h.AplZf2),   HvStr(h.AplZf3),   HvStr(h.AplDna),   HvStr(h.AplDwn),
    HvI32(&h.AplSta),  HvStr(h.AplErf)};
// The key-range cursor: AplSta with 16 bits.
const std::array<HostVar, 37> kRangeOut = Hv_Variant(kDnlOut, {{35, HvI16w(&h.AplSta)}});
// The read: as the key-range cursor, the key as it stands.
const std::array<HostVar, 37> kReadOut = Hv_Variant(kRangeOut, {{0, HvStr(h.AplApl)}});

const HostVar kMarkerIn[] = {HvStr(in.marker)};
const HostVar kRangeIn[] = {HvStr(in.from), HvStr(in.to)};
const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kSentIn[] = {HvStr(in.key), HvStr(in.dwn), HvStr(in.dna)};
const HostVar kMarkIn[] = {HvStr(in.marker), HvStr(in.key)};

void Sent(const AplRow& sent) {
  CopyText(in.key, sent.AplApl);
  CopyText(in.dwn, sent.AplDwn);
  CopyText(in.dna, sent.AplDna);
}

// A fetched row goes to the caller also when it failed, for its key.
template <class List>
int32_t Fetched(int32_t rc, const List& list, AplRow* row) {
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(list, h, row);
  return rc;
}

}  // namespace

int32_t Apl_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, kMarkerIn);
}

int32_t Apl_FetchDnl(AplRow* row) { return Fetched(Sql_Fetch(&s_dnl, kDnlOut), kDnlOut, row); }

int32_t Apl_CloseDnl() { return Sql_Close(&s_dnl); }

int32_t Apl_OpenRange(const char* from, const char* to) {
  CopyText(in.from, from);
  CopyText(in.to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Apl_FetchRange(AplRow* row) {
  return Fetched(Sql_Fetch(&s_range, kRangeOut), kRangeOut, row);
}

int32_t Apl_CloseRange() { return Sql_Close(&s_range); }

int32_t Apl_PKeyRead(AplRow* row) {
  CopyText(in.key, row->AplApl);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0 || Sql_RowFailed()) {
    Sql_Deliver(kReadOut, h, row);
  } else {
    memset(row, 0, sizeof *row);
    CopyText(row->AplApl, in.key);
  }
  return rc;
}

int32_t Apl_PKeyFrei(const AplRow& sent) {
  Sent(sent);
  return Sql_Change(&s_frei, kSentIn);
}

int32_t Apl_PKeyDel(const AplRow& sent) {
  Sent(sent);
  return Sql_Change(&s_del, kSentIn);
}

int32_t Apl_PKeyMark(const AplRow& row, const char* marker) {
  CopyText(in.marker, marker);
  CopyText(in.key, row.AplApl);
  return Sql_Change(&s_mark, kMarkIn);
}
