// Order headers: the download cursor, every row that carries the run's
// download marker, ordered by production area so that the records of one
// terminal group follow each other.
#include <cstring>

#include "db/apk.h"
#include "db/apk_host.h"
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

// Host variables of the cursor, module-wide.
struct DnlHost {
  char marker[9];
  char ApkApk[13], ApkBz1[31], ApkBz2[31], ApkTxt[11];
  int16_t ApkSts, ApkSis;
  char ApkKun[8], ApkKb1[31], ApkKb2[31], ApkBgs[9], ApkEns[9];
  int16_t ApkAfo, ApkEaf;
  char ApkTnr[21], ApkTb1[31], ApkTb2[31];
  double ApkSme, ApkIme;
  char ApkMee[4], ApkBdiDate[9], ApkBdiTime[7], ApkEdiDate[9], ApkEdiTime[7];
  char ApkFbe[11], ApkKst[11], ApkZf1[31], ApkZf2[31], ApkZf3[31], ApkKnz[2];
  int32_t ApkSsn;
  char ApkDna[4], ApkDwn[9];
  int32_t ApkSta;
  char ApkDat[15], ApkErf[9];
  int32_t ApkAba;
};
DnlHost h;

const HostVar kIn[] = {HvStr(h.marker)};
const HostVar kOut[] = {
    HvStr(h.ApkApk),     HvStr(h.ApkBz1),     HvStr(h.ApkBz2),     HvStr(h.ApkTxt),
    HvI16(&h.ApkSts),    HvI16(&h.ApkSis),    HvStr(h.ApkKun),     HvStr(h.ApkKb1),
    HvStr(h.ApkKb2),     HvStr(h.ApkBgs),     HvStr(h.ApkEns),     HvI16(&h.ApkAfo),
    HvI16(&h.ApkEaf),    HvStr(h.ApkTnr),     HvStr(h.ApkTb1),     HvStr(h.ApkTb2),
    HvFlt(&h.ApkSme),    HvFlt(&h.ApkIme),    HvStr(h.ApkMee),     HvStr(h.ApkBdiDate),
    HvStr(h.ApkBdiTime), HvStr(h.ApkEdiDate), HvStr(h.ApkEdiTime), HvStr(h.ApkFbe),
    HvStr(h.ApkKst),     HvStr(h.ApkZf1),     HvStr(h.ApkZf2),     HvStr(h.ApkZf3),
    HvStr(h.ApkKnz),     HvI32(&h.ApkSsn),    HvStr(h.ApkDna),     HvStr(h.ApkDwn),
    HvI32(&h.ApkSta),    HvStr(h.ApkDat),     HvStr(h.ApkErf),     HvI32(&h.ApkAba),
};
static_assert(sizeof kOut / sizeof kOut[0] == 36);

}  // namespace

int32_t Apk_OpenDnl(const char* marker) {
  CopyText(h.marker, marker);
  return Sql_Open(&s_dnl, kIn);
}

int32_t Apk_FetchDnl(ApkRow* row) {
  int32_t rc = Sql_Fetch(&s_dnl, kOut);
  if (rc != 0) return rc;
  Apk_TakeColumns(row, h);
  CopyText(row->ApkDat, h.ApkDat);
  row->ApkAba = h.ApkAba;
  return 0;
}

int32_t Apk_CloseDnl() { return Sql_Close(&s_dnl); }
