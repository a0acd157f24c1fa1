// The select list every workplace-group query shares (download cursor, range
// cursor, read by key): which row field each of its 26 columns goes into.
// Internal to the db/apg_* modules.
#pragma once

#include <cstring>

#include "db/apg.h"
#include "db/sql.h"

enum { APG_COLUMNS = 26 };

// Binds the select list to the fields of *r; ApgSta goes to sta, the host
// variable of the width the statement exchanges it with.
inline void Apg_BindColumns(ApgRow* r, HostVar sta, HostVar (&out)[APG_COLUMNS]) {
  const HostVar list[APG_COLUMNS] = {
      HvStr(r->ApgApg),  HvStr(r->ApgBez),  HvStr(r->ApgTxt),  HvStr(r->ApgFbe),  HvStr(r->ApgKst),
      HvI32(&r->ApgApl), HvI32(&r->ApgTag), HvFlt(&r->ApgKap), HvFlt(&r->ApgPrd), HvFlt(&r->ApgRst),
      HvFlt(&r->ApgPau), HvFlt(&r->ApgUnt), HvFlt(&r->ApgIak), HvStr(r->ApgSt1),  HvStr(r->ApgSt2),
      HvStr(r->ApgSt3),  HvFlt(&r->ApgSf1), HvFlt(&r->ApgSf2), HvFlt(&r->ApgSf3), HvStr(r->ApgZf1),
      HvStr(r->ApgZf2),  HvStr(r->ApgZf3),  HvStr(r->ApgDna),  HvStr(r->ApgDwn),  sta,
      HvStr(r->ApgErf)};
  memcpy(out, list, sizeof list);
}

// Hands fetched host variables to the caller's row; ApgDat is no column of
// the select list and keeps what the caller had.
inline void Apg_TakeRow(ApgRow* dst, const ApgRow& fetched) {
  char dat[sizeof dst->ApgDat];
  memcpy(dat, dst->ApgDat, sizeof dat);
  *dst = fetched;
  memcpy(dst->ApgDat, dat, sizeof dat);
}
