// Order headers: the statements on Kvs501Apk.
//
// The host variables are one record of the table's row type (h) and a few
// inputs; each statement's output list points into h in its select order,
// and Sql_Deliver hands exactly those fields to the caller.
#include "db/apk.h"

#include <cstring>

#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_dnl(
    "select ApkApk ,ApkBz1 ,ApkBz2 ,ApkTxt ,ApkSts ,ApkSis ,ApkKun ,ApkKb1 ,ApkKb2 "
    ",TO_CHAR(ApkBgs,'yyyymmdd') ,TO_CHAR(ApkEns,'yyyymmdd') ,ApkAfo ,ApkEaf ,ApkTnr ,ApkTb1 "
    ",ApkTb2 ,ApkSme ,ApkIme ,ApkMee ,TO_CHAR(ApkBdi,'yyyymmdd') ,TO_CHAR(ApkBdi,'HH24MISS') "
    ",TO_CHAR(ApkEdi,'yyyymmdd') ,TO_CHAR(ApkEdi,'HH24MISS') ,ApkFbe ,ApkKst ,ApkZf1 ,ApkZf2 "
    ",ApkZf3 ,ApkKnz ,ApkSsn ,ApkDna ,ApkDwn ,ApkSta ,TO_CHAR(ApkDat,'yyyymmddHH24MISS') "
    ",ApkErf ,ApkAba  from Kvs501Apk where ApkDwn=:b0 order by ApkDwn,ApkFbe");

SqlStmt s_range(
    "select ApkApk ,ApkBz1 ,ApkBz2 ,ApkTxt ,ApkSts ,ApkSis ,ApkKun ,ApkKb1 ,ApkKb2 "
    ",TO_CHAR(ApkBgs,'yyyymmdd') ,TO_CHAR(ApkEns,'yyyymmdd') ,ApkAfo ,ApkEaf ,ApkTnr ,ApkTb1 "
    ",ApkTb2 ,ApkSme ,ApkIme ,ApkMee ,TO_CHAR(ApkBdi,'yyyymmdd') ,TO_CHAR(ApkBdi,'HH24MISS') "
    ",TO_CHAR(ApkEdi,'yyyymmdd') ,TO_CHAR(ApkEdi,'HH24MISS') ,ApkFbe ,ApkKst ,ApkZf1 ,ApkZf2 "
    ",ApkZf3 ,ApkKnz ,ApkSsn ,ApkDwn ,ApkDna ,ApkSta ,ApkErf ,ApkAba  from Kvs501Apk where "
    "(ApkApk>:b0 and ApkApk<:b1) order by ApkApk");

SqlStmt s_read(
    "select ApkApk ,ApkBz1 ,ApkBz2 ,ApkTxt ,ApkSts ,ApkSis ,ApkKun ,ApkKb1 ,ApkKb2 "
    ",TO_CHAR(ApkBgs,'yyyymmdd') ,TO_CHAR(ApkEns,'yyyymmdd') ,ApkAfo ,ApkEaf ,ApkTnr ,ApkTb1 "
    ",ApkTb2 ,ApkSme ,ApkIme ,ApkMee ,TO_CHAR(ApkBdi,'yyyymmdd') ,TO_CHAR(ApkBdi,'HH24MISS') "
    ",TO_CHAR(ApkEdi,'yyyymmdd') ,TO_CHAR(ApkEdi,'HH24MISS') ,ApkFbe ,ApkKst ,ApkZf1 ,ApkZf2 "
    ",ApkZf3 ,ApkKnz ,ApkSsn ,ApkDna ,ApkDwn ,ApkSta ,ApkErf ,ApkAba into :b0:b1,:b2:b3,:b4:b5,"
    ":b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,:b22:b23,:b24:b25,"
    ":b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,:b42:b43,:b44:b45,"
    ":b46:b47,:b48:b49,:b50:b51,:b52:b53,:b54:b55,:b56:b57,:b58:b59,:b60:b61,:b62:b63,:b64:b65,"
    ":b66:b67,:b68:b69  from Kvs501Apk where ApkApk=:b0");

// The releases act only on the row as it was sent: same marker, same action
// code, same change time (a NULL time compares as one blank).
SqlChange s_frei = SQL_CHANGE(
    "Apk_PKeyFrei",
    "update KVS501Apk  set ApkDwn=NULL,ApkDna=NULL,ApkDat=sysdate where ApkApk=:b0 and "
    "ApkDwn=:b1 and ApkDna=:b2 and coalesce(TO_CHAR(ApkDat,'yyyymmddHH24MISS'),' ')=:b3");
SqlChange s_del =
    SQL_CHANGE("Apk_PKeyDel",
               "delete  from Kvs501Apk  where ApkApk=:b0 and ApkDwn=:b1 and ApkDna=:b2 and "
               "coalesce(TO_CHAR(ApkDat,'yyyymmddHH24MISS'),' ')=:b3");
SqlChange s_mark = SQL_CHANGE(
    "Apk_PKeyMark",
    "update KVS501Apk  set ApkDna='AEN',ApkDwn=:b0,ApkErf='KoraSys',ApkDat=sysdate where "
    "ApkApk=:b1");
SqlChange s_afo = SQL_CHANGE(
    "Apk_PKeyAfo",
    "update KVS501Apk  set ApkAfo=coalesce(ApkAfo,0)+:b0,ApkDat=sysdate where ApkApk=:b1");

// Host variables of the module.
ApkRow h;
struct {
  char marker[9], lower[13], upper[13], key[13];
  char dwn[9], dna[4], dat[15];
  int32_t delta;
} in;

// The columns both cursors select first, in their order.
#define APK_OUT_FIRST_29                                                                         \
  HvKey(h.ApkApk), HvStr(h.ApkBz1), HvStr(h.ApkBz2), HvStr(h.ApkTxt), HvI16w(&h.ApkSts),         \
      HvI16w(&h.ApkSis), HvStr(h.ApkKun), HvStr(h.ApkKb1), HvStr(h.ApkKb2), HvStr(h.ApkBgs),     \
      HvStr(h.ApkEns), HvI16w(&h.ApkAfo), HvI16w(&h.ApkEaf), HvStr(h.ApkTnr), HvStr(h.ApkTb1),   \
      HvStr(h.ApkTb2), HvFlt(&h.ApkSme), HvFlt(&h.ApkIme), HvStr(h.ApkMee), HvStr(h.ApkBdiDate), \
      HvStr(h.ApkBdiTime), HvStr(h.ApkEdiDate), HvStr(h.ApkEdiTime), HvStr(h.ApkFbe),            \
      HvStr(h.ApkKst), HvStr(h.ApkZf1), HvStr(h.ApkZf2), HvStr(h.ApkZf3), HvStr(h.ApkKnz)

const HostVar kDnlOut[] = {
    APK_OUT_FIRST_29, HvI32(&h.ApkSsn), HvStr(h.ApkDna), HvStr(h.ApkDwn),
    HvI32(&h.ApkSta), HvStr(h.ApkDat),  HvStr(h.ApkErf), HvI32(&h.ApkAba),
};
static_assert(sizeof kDnlOut / sizeof kDnlOut[0] == 36);

const HostVar kRangeOut[] = {
    APK_OUT_FIRST_29,  HvI16w(&h.ApkSsn), HvStr(h.ApkDwn),   HvStr(h.ApkDna),
    HvI16w(&h.ApkSta), HvStr(h.ApkErf),   HvI16w(&h.ApkAba),
};
static_assert(sizeof kRangeOut / sizeof kRangeOut[0] == 35);

// The read: the key as it stands, the action code before the marker, ApkAba
// with 32 bits.
const std::array<HostVar, 35> kReadOut = Hv_Variant(
    kRangeOut,
    {{0, HvStr(h.ApkApk)}, {30, HvStr(h.ApkDna)}, {31, HvStr(h.ApkDwn)}, {34, HvI32(&h.ApkAba)}});

const HostVar kMarkerIn[] = {HvStr(in.marker)};
const HostVar kRangeIn[] = {HvStr(in.lower), HvStr(in.upper)};
const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kSentIn[] = {HvStr(in.key), HvStr(in.dwn), HvStr(in.dna), HvStr(in.dat)};
const HostVar kMarkIn[] = {HvStr(in.marker), HvStr(in.key)};
const HostVar kAfoIn[] = {HvI32(&in.delta), HvStr(in.key)};

// The row as it was sent, for the releases' conditions.
void Sent(const ApkRow& sent) {
  CopyText(in.key, sent.ApkApk);
  CopyText(in.dwn, sent.ApkDwn);
  CopyText(in.dna, sent.ApkDna);
  CopyText(in.dat, sent.ApkDat[0] ? sent.ApkDat : " ");
}

// A fetched row goes to the caller also when it failed, for its key.
template <class List>
int32_t Fetched(int32_t rc, const List& list, ApkRow* row) {
  if (rc == 0 || Sql_RowFailed()) Sql_Deliver(list, h, row);
  return rc;
}

}  // namespace

int32_t Apk_OpenDnl(const char* marker) {
  CopyText(in.marker, marker);
  return Sql_Open(&s_dnl, kMarkerIn);
}

int32_t Apk_FetchDnl(ApkRow* row) { return Fetched(Sql_Fetch(&s_dnl, kDnlOut), kDnlOut, row); }

int32_t Apk_CloseDnl() { return Sql_Close(&s_dnl); }

int32_t Apk_OpenRange(const char* lower, const char* upper, int16_t variant) {
  if (variant != 1) return SQL_CURSOR_INVALID;
  CopyText(in.lower, lower);
  CopyText(in.upper, upper);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Apk_FetchRange(ApkRow* row, int16_t variant) {
  if (variant != 1) return SQL_CURSOR_INVALID;
  return Fetched(Sql_Fetch(&s_range, kRangeOut), kRangeOut, row);
}

int32_t Apk_CloseRange(int16_t variant) {
  return variant == 1 ? Sql_Close(&s_range) : SQL_CURSOR_INVALID;
}

int32_t Apk_PKeyRead(ApkRow* row) {
  CopyText(in.key, row->ApkApk);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0 || Sql_RowFailed()) {
    Sql_Deliver(kReadOut, h, row);
    return rc;
  }
  memset(row, 0, sizeof *row);
  CopyText(row->ApkApk, in.key);
  return rc;
}

int32_t Apk_PKeyFrei(const ApkRow& sent) {
  Sent(sent);
  return Sql_Change(&s_frei, kSentIn);
}

int32_t Apk_PKeyDel(const ApkRow& sent) {
  Sent(sent);
  return Sql_Change(&s_del, kSentIn);
}

int32_t Apk_PKeyMark(const ApkRow& row, const char* marker) {
  CopyText(in.marker, marker);
  CopyText(in.key, row.ApkApk);
  return Sql_Change(&s_mark, kMarkIn);
}

int32_t Apk_PKeyAfo(const char* apk, int32_t delta) {
  in.delta = delta;
  CopyText(in.key, apk);
  return Sql_Change(&s_afo, kAfoIn);
}
