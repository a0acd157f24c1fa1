// Order operations: the select list that every query on Kvs504App shares and
// the host variables it fetches into, for the download cursor (db/app_dnl.cpp)
// and the key-range cursor and read (db/app_std.cpp). The two modules differ
// only in the width of AppSsn and AppSta, which is the template argument.
#pragma once

#include <cstdint>

#include "db/app.h"
#include "db/sql.h"
#include "support/text.h"

#define APP_SELECT_COLUMNS                                                                       \
  "select AppApk ,AppApp ,AppVaf ,AppNaf ,AppBz1 ,AppBz2 ,AppTxt ,AppSts ,AppSis "               \
  ",TO_CHAR(AppBdi,'yyyymmdd') ,TO_CHAR(AppBdi,'HH24MISS') ,TO_CHAR(AppBds,'yyyymmdd') "         \
  ",TO_CHAR(AppBds,'HH24MISS') ,TO_CHAR(AppSbd,'yyyymmdd') ,TO_CHAR(AppSbd,'HH24MISS') "         \
  ",TO_CHAR(AppEdi,'yyyymmdd') ,TO_CHAR(AppEdi,'HH24MISS') ,TO_CHAR(AppEds,'yyyymmdd') "         \
  ",TO_CHAR(AppEds,'HH24MISS') ,TO_CHAR(AppSed,'yyyymmdd') ,TO_CHAR(AppSed,'HH24MISS') "         \
  ",TO_CHAR(AppRad,'yyyymmdd') ,TO_CHAR(AppRad,'HH24MISS') ,TO_CHAR(AppRed,'yyyymmdd') "         \
  ",TO_CHAR(AppRed,'HH24MISS') ,AppAgs ,AppAbs ,AppAes ,AppSme ,AppIme ,AppAme ,AppMee ,AppSza " \
  ",AppStr ,AppSte ,AppIta ,AppItr ,AppIte ,AppApg ,AppApl ,AppKt1 ,AppKz1 ,AppKt2 ,AppKz2 "     \
  ",AppKt3 ,AppKz3 ,AppKt4 ,AppKz4 ,AppFbe ,AppKst ,AppZf1 ,AppZf2 ,AppZf3 ,AppKnz ,AppSsn "     \
  ",AppDna ,AppDwn ,AppSta ,TO_CHAR(AppDat,'yyyymmddHH24MISS') ,AppErf "

enum { APP_COLUMN_COUNT = 60 };

// Output host variables of the 60 columns; Small is int16_t or int32_t.
template <class Small>
struct AppHost {
  char AppApk[13], AppApp[6], AppVaf[6], AppNaf[6], AppBz1[31], AppBz2[31], AppTxt[11];
  int16_t AppSts, AppSis;
  char AppBdiDate[9], AppBdiTime[7], AppBdsDate[9], AppBdsTime[7];
  char AppSbdDate[9], AppSbdTime[7], AppEdiDate[9], AppEdiTime[7];
  char AppEdsDate[9], AppEdsTime[7], AppSedDate[9], AppSedTime[7];
  char AppRadDate[9], AppRadTime[7], AppRedDate[9], AppRedTime[7];
  int32_t AppAgs, AppAbs, AppAes;
  double AppSme, AppIme, AppAme;
  char AppMee[4];
  double AppSza, AppStr, AppSte, AppIta, AppItr, AppIte;
  char AppApg[11], AppApl[11];
  char AppKt1[16], AppKz1[4], AppKt2[16], AppKz2[4], AppKt3[16], AppKz3[4], AppKt4[16], AppKz4[4];
  char AppFbe[11], AppKst[11], AppZf1[31], AppZf2[31], AppZf3[31], AppKnz[2];
  Small AppSsn;
  char AppDna[4], AppDwn[9];
  Small AppSta;
  char AppDat[15], AppErf[9];
};

inline HostVar App_HvInt(int16_t* v) { return HvI16(v); }
inline HostVar App_HvInt(int32_t* v) { return HvI32(v); }

// The output list of h, in select order.
template <class Small>
void App_OutputList(AppHost<Small>& h, HostVar (&out)[APP_COLUMN_COUNT]) {
  const HostVar list[] = {
      HvStr(h.AppApk),     HvStr(h.AppApp),      HvStr(h.AppVaf),      HvStr(h.AppNaf),
      HvStr(h.AppBz1),     HvStr(h.AppBz2),      HvStr(h.AppTxt),      HvI16(&h.AppSts),
      HvI16(&h.AppSis),    HvStr(h.AppBdiDate),  HvStr(h.AppBdiTime),  HvStr(h.AppBdsDate),
      HvStr(h.AppBdsTime), HvStr(h.AppSbdDate),  HvStr(h.AppSbdTime),  HvStr(h.AppEdiDate),
      HvStr(h.AppEdiTime), HvStr(h.AppEdsDate),  HvStr(h.AppEdsTime),  HvStr(h.AppSedDate),
      HvStr(h.AppSedTime), HvStr(h.AppRadDate),  HvStr(h.AppRadTime),  HvStr(h.AppRedDate),
      HvStr(h.AppRedTime), HvI32(&h.AppAgs),     HvI32(&h.AppAbs),     HvI32(&h.AppAes),
      HvFlt(&h.AppSme),    HvFlt(&h.AppIme),     HvFlt(&h.AppAme),     HvStr(h.AppMee),
      HvFlt(&h.AppSza),    HvFlt(&h.AppStr),     HvFlt(&h.AppSte),     HvFlt(&h.AppIta),
      HvFlt(&h.AppItr),    HvFlt(&h.AppIte),     HvStr(h.AppApg),      HvStr(h.AppApl),
      HvStr(h.AppKt1),     HvStr(h.AppKz1),      HvStr(h.AppKt2),      HvStr(h.AppKz2),
      HvStr(h.AppKt3),     HvStr(h.AppKz3),      HvStr(h.AppKt4),      HvStr(h.AppKz4),
      HvStr(h.AppFbe),     HvStr(h.AppKst),      HvStr(h.AppZf1),      HvStr(h.AppZf2),
      HvStr(h.AppZf3),     HvStr(h.AppKnz),      App_HvInt(&h.AppSsn), HvStr(h.AppDna),
      HvStr(h.AppDwn),     App_HvInt(&h.AppSta), HvStr(h.AppDat),      HvStr(h.AppErf),
  };
  static_assert(sizeof list / sizeof list[0] == APP_COLUMN_COUNT);
  for (int i = 0; i < APP_COLUMN_COUNT; ++i) out[i] = list[i];
}

// Copies the fetched values into the caller's record.
template <class Small>
void App_ToRow(const AppHost<Small>& h, AppRow* row) {
  CopyText(row->AppApk, h.AppApk);
  CopyText(row->AppApp, h.AppApp);
  CopyText(row->AppVaf, h.AppVaf);
  CopyText(row->AppNaf, h.AppNaf);
  CopyText(row->AppBz1, h.AppBz1);
  CopyText(row->AppBz2, h.AppBz2);
  CopyText(row->AppTxt, h.AppTxt);
  row->AppSts = h.AppSts;
  row->AppSis = h.AppSis;
  CopyText(row->AppBdiDate, h.AppBdiDate);
  CopyText(row->AppBdiTime, h.AppBdiTime);
  CopyText(row->AppBdsDate, h.AppBdsDate);
  CopyText(row->AppBdsTime, h.AppBdsTime);
  CopyText(row->AppSbdDate, h.AppSbdDate);
  CopyText(row->AppSbdTime, h.AppSbdTime);
  CopyText(row->AppEdiDate, h.AppEdiDate);
  CopyText(row->AppEdiTime, h.AppEdiTime);
  CopyText(row->AppEdsDate, h.AppEdsDate);
  CopyText(row->AppEdsTime, h.AppEdsTime);
  CopyText(row->AppSedDate, h.AppSedDate);
  CopyText(row->AppSedTime, h.AppSedTime);
  CopyText(row->AppRadDate, h.AppRadDate);
  CopyText(row->AppRadTime, h.AppRadTime);
  CopyText(row->AppRedDate, h.AppRedDate);
  CopyText(row->AppRedTime, h.AppRedTime);
  row->AppAgs = h.AppAgs;
  row->AppAbs = h.AppAbs;
  row->AppAes = h.AppAes;
  row->AppSme = h.AppSme;
  row->AppIme = h.AppIme;
  row->AppAme = h.AppAme;
  CopyText(row->AppMee, h.AppMee);
  row->AppSza = h.AppSza;
  row->AppStr = h.AppStr;
  row->AppSte = h.AppSte;
  row->AppIta = h.AppIta;
  row->AppItr = h.AppItr;
  row->AppIte = h.AppIte;
  CopyText(row->AppApg, h.AppApg);
  CopyText(row->AppApl, h.AppApl);
  CopyText(row->AppKt1, h.AppKt1);
  CopyText(row->AppKz1, h.AppKz1);
  CopyText(row->AppKt2, h.AppKt2);
  CopyText(row->AppKz2, h.AppKz2);
  CopyText(row->AppKt3, h.AppKt3);
  CopyText(row->AppKz3, h.AppKz3);
  CopyText(row->AppKt4, h.AppKt4);
  CopyText(row->AppKz4, h.AppKz4);
  CopyText(row->AppFbe, h.AppFbe);
  CopyText(row->AppKst, h.AppKst);
  CopyText(row->AppZf1, h.AppZf1);
  CopyText(row->AppZf2, h.AppZf2);
  CopyText(row->AppZf3, h.AppZf3);
  CopyText(row->AppKnz, h.AppKnz);
  row->AppSsn = h.AppSsn;
  CopyText(row->AppDna, h.AppDna);
  CopyText(row->AppDwn, h.AppDwn);
  row->AppSta = h.AppSta;
  CopyText(row->AppDat, h.AppDat);
  CopyText(row->AppErf, h.AppErf);
}
