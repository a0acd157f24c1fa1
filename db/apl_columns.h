// The select list every workplace query shares (download cursor, range
// cursor, read by key): which row field each of its 37 columns goes into.
// Internal to the db/apl_* modules.
#pragma once

#include <cstring>

#include "db/apl.h"
#include "db/sql.h"

enum { APL_COLUMNS = 37 };

// Host variables of a select list: the row, and the 16-bit columns.
struct AplColumns {
  AplRow row;
  int16_t sts, sis, sta;
};

// Binds the select list to c; AplSta goes to c->row.AplSta (32 bits) when
// sta32 is set, else to c->sta.
inline void Apl_BindColumns(AplColumns* c, bool sta32, HostVar (&out)[APL_COLUMNS]) {
  AplRow* r = &c->row;
  const HostVar list[APL_COLUMNS] = {
      HvStr(r->AplApl),  HvStr(r->AplBez),  HvStr(r->AplTxt),
      HvStr(r->AplApg),  HvStr(r->AplFbe),  HvI16(&c->sts),
      HvI16(&c->sis),    HvI32(&r->AplApr), HvI32(&r->AplAaf),
      HvStr(r->AplUbg),  HvStr(r->AplUdt),  HvI32(&r->AplTag),
      HvFlt(&r->AplVrf), HvFlt(&r->AplRsp), HvFlt(&r->AplRsi),
      HvFlt(&r->AplAfp), HvFlt(&r->AplAfi), HvFlt(&r->AplPau),
      HvFlt(&r->AplUnt), HvFlt(&r->AplIak), HvI32(&r->AplAvt),
      HvFlt(&r->AplKap), HvFlt(&r->AplAvr), HvFlt(&r->AplAvp),
      HvStr(r->AplSt1),  HvStr(r->AplSt2),  HvStr(r->AplSt3),
      HvFlt(&r->AplSf1), HvFlt(&r->AplSf2), HvFlt(&r->AplSf3),
      HvStr(r->AplZf1),  HvStr(r->AplZf2),  HvStr(r->AplZf3),
      HvStr(r->AplDna),  HvStr(r->AplDwn),  sta32 ? HvI32(&r->AplSta) : HvI16(&c->sta),
      HvStr(r->AplErf)};
  memcpy(out, list, sizeof list);
}

// Hands fetched host variables to the caller's row, the 16-bit values
// sign-extended; AplDat is no column of the select list and keeps what the
// caller had.
inline void Apl_TakeRow(AplRow* dst, const AplColumns& c, bool sta32) {
  char dat[sizeof dst->AplDat];
  memcpy(dat, dst->AplDat, sizeof dat);
  *dst = c.row;
  memcpy(dst->AplDat, dat, sizeof dat);
  dst->AplSts = c.sts;
  dst->AplSis = c.sis;
  if (!sta32) dst->AplSta = c.sta;
}
