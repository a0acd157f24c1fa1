// Order headers: the key-range cursor used by the re-marking, and the read,
// update and delete of one order header by its order number used by the
// releases of order headers and order operations.
#include <cstdio>
#include <cstring>

#include "db/apk.h"
#include "db/apk_host.h"
#include "db/sql.h"
#include "support/text.h"

namespace {

#define APK_RANGE_COLUMNS                                                                    \
  "select ApkApk ,ApkBz1 ,ApkBz2 ,ApkTxt ,ApkSts ,ApkSis ,ApkKun ,ApkKb1 ,ApkKb2 "           \
  ",TO_CHAR(ApkBgs,'yyyymmdd') ,TO_CHAR(ApkEns,'yyyymmdd') ,ApkAfo ,ApkEaf ,ApkTnr ,ApkTb1 " \
  ",ApkTb2 ,ApkSme ,ApkIme ,ApkMee ,TO_CHAR(ApkBdi,'yyyymmdd') ,TO_CHAR(ApkBdi,'HH24MISS') " \
  ",TO_CHAR(ApkEdi,'yyyymmdd') ,TO_CHAR(ApkEdi,'HH24MISS') ,ApkFbe ,ApkKst ,ApkZf1 ,ApkZf2 " \
  ",ApkZf3 ,ApkKnz ,ApkSsn ,ApkDwn ,ApkDna ,ApkSta ,ApkErf ,ApkAba "

SqlStmt s_range1(APK_RANGE_COLUMNS
                 " from Kvs501Apk where (ApkApk>:b0 and ApkApk<:b1) order by ApkApk");
SqlStmt s_range2(APK_RANGE_COLUMNS
                 " from Kvs501Apk where (ApkApk>:b0 and ApkApk<:b1) order by ApkApk desc");

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

SqlChange s_upd = SQL_CHANGE(
    "Apk_PKeyUpd",
    "update KVS501Apk  set ApkApk=:b0,ApkBz1=:b1,ApkBz2=:b2,ApkTxt=:b3,ApkKun=:b4,ApkKb1=:b5,"
    "ApkKb2=:b6,ApkBgs=TO_DATE(:b7,'yyyymmdd'),ApkEns=TO_DATE(:b8,'yyyymmdd'),ApkTnr=:b9,"
    "ApkTb1=:b10,ApkTb2=:b11,ApkMee=:b12,ApkBdi=TO_DATE(:b13,'yyyymmddHH24MISS'),"
    "ApkEdi=TO_DATE(:b14,'yyyymmddHH24MISS'),ApkFbe=:b15,ApkKst=:b16,ApkZf1=:b17,ApkZf2=:b18,"
    "ApkZf3=:b19,ApkKnz=:b20,ApkDwn=:b21,ApkDna=:b22,ApkDat=sysdate,ApkErf=:b23,ApkEaf=:b24,"
    "ApkAba=:b25,ApkAfo=:b26,ApkSts=:b27,ApkSis=:b28,ApkSme=:b29,ApkIme=:b30,ApkSsn=:b31,"
    "ApkSta=:b32 where ApkApk=:b0");

SqlChange s_del = SQL_CHANGE("Apk_PKeyDel", "delete  from Kvs501Apk  where ApkApk=:b0");

// Host variables of the module's statements.
struct StdHost {
  char lower[13], upper[13], key[13];
  char ApkApk[13], ApkBz1[31], ApkBz2[31], ApkTxt[11];
  int16_t ApkSts, ApkSis;
  char ApkKun[8], ApkKb1[31], ApkKb2[31], ApkBgs[9], ApkEns[9];
  int16_t ApkAfo, ApkEaf;
  char ApkTnr[21], ApkTb1[31], ApkTb2[31];
  double ApkSme, ApkIme;
  char ApkMee[4], ApkBdiDate[9], ApkBdiTime[7], ApkEdiDate[9], ApkEdiTime[7];
  char ApkBdi[15], ApkEdi[15];  // date and time joined, for the update
  char ApkFbe[11], ApkKst[11], ApkZf1[31], ApkZf2[31], ApkZf3[31], ApkKnz[2];
  int16_t ApkSsn;
  char ApkDna[4], ApkDwn[9];
  int16_t ApkSta;
  char ApkErf[9];
  int16_t ApkAba16;  // the key-range cursor's width
  int32_t ApkAba;
};
StdHost h;

const HostVar kRangeIn[] = {HvStr(h.lower), HvStr(h.upper)};
const HostVar kRangeOut[] = {
    HvStr(h.ApkApk),     HvStr(h.ApkBz1),     HvStr(h.ApkBz2),     HvStr(h.ApkTxt),
    HvI16(&h.ApkSts),    HvI16(&h.ApkSis),    HvStr(h.ApkKun),     HvStr(h.ApkKb1),
    HvStr(h.ApkKb2),     HvStr(h.ApkBgs),     HvStr(h.ApkEns),     HvI16(&h.ApkAfo),
    HvI16(&h.ApkEaf),    HvStr(h.ApkTnr),     HvStr(h.ApkTb1),     HvStr(h.ApkTb2),
    HvFlt(&h.ApkSme),    HvFlt(&h.ApkIme),    HvStr(h.ApkMee),     HvStr(h.ApkBdiDate),
    HvStr(h.ApkBdiTime), HvStr(h.ApkEdiDate), HvStr(h.ApkEdiTime), HvStr(h.ApkFbe),
    HvStr(h.ApkKst),     HvStr(h.ApkZf1),     HvStr(h.ApkZf2),     HvStr(h.ApkZf3),
    HvStr(h.ApkKnz),     HvI16(&h.ApkSsn),    HvStr(h.ApkDwn),     HvStr(h.ApkDna),
    HvI16(&h.ApkSta),    HvStr(h.ApkErf),     HvI16(&h.ApkAba16),
};
static_assert(sizeof kRangeOut / sizeof kRangeOut[0] == 35);

const HostVar kKeyIn[] = {HvStr(h.key)};
const HostVar kReadOut[] = {
    HvStr(h.ApkApk),     HvStr(h.ApkBz1),     HvStr(h.ApkBz2),     HvStr(h.ApkTxt),
    HvI16(&h.ApkSts),    HvI16(&h.ApkSis),    HvStr(h.ApkKun),     HvStr(h.ApkKb1),
    HvStr(h.ApkKb2),     HvStr(h.ApkBgs),     HvStr(h.ApkEns),     HvI16(&h.ApkAfo),
    HvI16(&h.ApkEaf),    HvStr(h.ApkTnr),     HvStr(h.ApkTb1),     HvStr(h.ApkTb2),
    HvFlt(&h.ApkSme),    HvFlt(&h.ApkIme),    HvStr(h.ApkMee),     HvStr(h.ApkBdiDate),
    HvStr(h.ApkBdiTime), HvStr(h.ApkEdiDate), HvStr(h.ApkEdiTime), HvStr(h.ApkFbe),
    HvStr(h.ApkKst),     HvStr(h.ApkZf1),     HvStr(h.ApkZf2),     HvStr(h.ApkZf3),
    HvStr(h.ApkKnz),     HvI16(&h.ApkSsn),    HvStr(h.ApkDna),     HvStr(h.ApkDwn),
    HvI16(&h.ApkSta),    HvStr(h.ApkErf),     HvI32(&h.ApkAba),
};
static_assert(sizeof kReadOut / sizeof kReadOut[0] == 35);

// In placeholder order, the order number once more for the WHERE clause.
const HostVar kUpdIn[] = {
    HvStr(h.ApkApk),  HvStr(h.ApkBz1),  HvStr(h.ApkBz2),  HvStr(h.ApkTxt),  HvStr(h.ApkKun),
    HvStr(h.ApkKb1),  HvStr(h.ApkKb2),  HvStr(h.ApkBgs),  HvStr(h.ApkEns),  HvStr(h.ApkTnr),
    HvStr(h.ApkTb1),  HvStr(h.ApkTb2),  HvStr(h.ApkMee),  HvStr(h.ApkBdi),  HvStr(h.ApkEdi),
    HvStr(h.ApkFbe),  HvStr(h.ApkKst),  HvStr(h.ApkZf1),  HvStr(h.ApkZf2),  HvStr(h.ApkZf3),
    HvStr(h.ApkKnz),  HvStr(h.ApkDwn),  HvStr(h.ApkDna),  HvStr(h.ApkErf),  HvI16(&h.ApkEaf),
    HvI32(&h.ApkAba), HvI16(&h.ApkAfo), HvI16(&h.ApkSts), HvI16(&h.ApkSis), HvFlt(&h.ApkSme),
    HvFlt(&h.ApkIme), HvI16(&h.ApkSsn), HvI16(&h.ApkSta), HvStr(h.ApkApk),
};
static_assert(sizeof kUpdIn / sizeof kUpdIn[0] == 34);

SqlStmt* RangeCursor(int16_t variant) {
  return variant == 1 ? &s_range1 : variant == 2 ? &s_range2 : nullptr;
}

// A date part and a time part as one yyyymmddHH24MISS text; both empty give
// the empty text, which the database stores as NULL.
void JoinDateTime(char (&out)[15], const char* date, const char* time) {
  snprintf(out, sizeof out, "%.8s%.6s", date, time);
}

}  // namespace

int32_t Apk_OpenRange(const char* lower, const char* upper, int16_t variant) {
  SqlStmt* st = RangeCursor(variant);
  if (!st) return SQL_CURSOR_INVALID;
  CopyText(h.lower, lower);
  CopyText(h.upper, upper);
  return Sql_Open(st, kRangeIn);
}

int32_t Apk_FetchRange(ApkRow* row, int16_t variant) {
  SqlStmt* st = RangeCursor(variant);
  if (!st) return SQL_CURSOR_INVALID;
  int32_t rc = Sql_Fetch(st, kRangeOut);
  if (rc != 0) return rc;
  Apk_TakeColumns(row, h);
  row->ApkAba = h.ApkAba16;
  return 0;
}

int32_t Apk_CloseRange(int16_t variant) {
  SqlStmt* st = RangeCursor(variant);
  return st ? Sql_Close(st) : SQL_CURSOR_INVALID;
}

int32_t Apk_PKeyRead(ApkRow* row) {
  CopyText(h.key, row->ApkApk);
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0) {
    Apk_TakeColumns(row, h);
    row->ApkAba = h.ApkAba;
    return 0;
  }
  memset(row, 0, sizeof *row);
  CopyText(row->ApkApk, h.key);
  return rc;
}

int32_t Apk_PKeyUpd(const ApkRow* row) {
  CopyText(h.ApkApk, row->ApkApk);
  CopyText(h.ApkBz1, row->ApkBz1);
  CopyText(h.ApkBz2, row->ApkBz2);
  CopyText(h.ApkTxt, row->ApkTxt);
  CopyText(h.ApkKun, row->ApkKun);
  CopyText(h.ApkKb1, row->ApkKb1);
  CopyText(h.ApkKb2, row->ApkKb2);
  CopyText(h.ApkBgs, row->ApkBgs);
  CopyText(h.ApkEns, row->ApkEns);
  CopyText(h.ApkTnr, row->ApkTnr);
  CopyText(h.ApkTb1, row->ApkTb1);
  CopyText(h.ApkTb2, row->ApkTb2);
  CopyText(h.ApkMee, row->ApkMee);
  JoinDateTime(h.ApkBdi, row->ApkBdiDate, row->ApkBdiTime);
  JoinDateTime(h.ApkEdi, row->ApkEdiDate, row->ApkEdiTime);
  CopyText(h.ApkFbe, row->ApkFbe);
  CopyText(h.ApkKst, row->ApkKst);
  CopyText(h.ApkZf1, row->ApkZf1);
  CopyText(h.ApkZf2, row->ApkZf2);
  CopyText(h.ApkZf3, row->ApkZf3);
  CopyText(h.ApkKnz, row->ApkKnz);
  CopyText(h.ApkDwn, row->ApkDwn);
  CopyText(h.ApkDna, row->ApkDna);
  CopyText(h.ApkErf, row->ApkErf);
  h.ApkEaf = static_cast<int16_t>(row->ApkEaf);
  h.ApkAba = row->ApkAba;
  h.ApkAfo = static_cast<int16_t>(row->ApkAfo);
  h.ApkSts = static_cast<int16_t>(row->ApkSts);
  h.ApkSis = static_cast<int16_t>(row->ApkSis);
  h.ApkSme = row->ApkSme;
  h.ApkIme = row->ApkIme;
  h.ApkSsn = static_cast<int16_t>(row->ApkSsn);
  h.ApkSta = static_cast<int16_t>(row->ApkSta);
  return Sql_Change(&s_upd, kUpdIn);
}

int32_t Apk_PKeyDel(const char* apk) {
  CopyText(h.key, apk);
  return Sql_Change(&s_del, kKeyIn);
}
