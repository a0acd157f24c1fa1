// Order operations (Kvs504App): the row record and every statement the
// program runs on the table: the download cursor by marker, the key-range
// cursor of the re-marking, the read by order number and operation number,
// and the few single-column changes of the release and the re-marking.
//
// All operations return the statement result code (0, 1403, negative) and
// report nothing; their callers log. AppSts and AppSis travel as 16-bit
// values everywhere, AppSsn and AppSta in the key-range cursor and the read:
// a stored value beyond that width fails its row (SQL_OVERFLOW). The record
// keeps them all as 32-bit integers. A change writes only the columns it
// names.
#pragma once

#include <cstdint>

struct AppRow {
  char AppApk[13];  // order number, first part of the key
  char AppApp[6];   // operation number, second part of the key
  char AppVaf[6];
  char AppNaf[6];
  char AppBz1[31];
  char AppBz2[31];
  char AppTxt[11];
  int32_t AppSts;  // status of the operation
  int32_t AppSis;
  char AppBdiDate[9], AppBdiTime[7];  // each date-time as yyyymmdd and HH24MISS
  char AppBdsDate[9], AppBdsTime[7];
  char AppSbdDate[9], AppSbdTime[7];
  char AppEdiDate[9], AppEdiTime[7];
  char AppEdsDate[9], AppEdsTime[7];
  char AppSedDate[9], AppSedTime[7];
  char AppRadDate[9], AppRadTime[7];
  char AppRedDate[9], AppRedTime[7];
  int32_t AppAgs;
  int32_t AppAbs;
  int32_t AppAes;
  double AppSme;
  double AppIme;
  double AppAme;
  char AppMee[4];
  double AppSza;
  double AppStr;
  double AppSte;
  double AppIta;
  double AppItr;
  double AppIte;
  char AppApg[11];  // workplace group
  char AppApl[11];  // workplace
  char AppKt1[16], AppKz1[4];
  char AppKt2[16], AppKz2[4];
  char AppKt3[16], AppKz3[4];
  char AppKt4[16], AppKz4[4];
  char AppFbe[11];  // production area: the routing key of the records
  char AppKst[11];  // cost centre
  char AppZf1[31];
  char AppZf2[31];
  char AppZf3[31];
  char AppKnz[2];
  char AppDna[4];  // action code "NEU", "AEN", "LOE" or empty
  char AppDwn[9];  // download marker or empty
  int32_t AppSsn;
  int32_t AppSta;
  char AppDat[15];  // last change yyyymmddHH24MISS
  char AppErf[9];
};

// Download cursor: the rows whose AppDwn equals marker (at most 8
// characters), ordered by production area. The fetch fills row only on 0
// (or, for a row that fails, as far as its values go).
int32_t App_OpenDnl(const char* marker);
int32_t App_FetchDnl(AppRow* row);
int32_t App_CloseDnl();

// Key-range cursor, variant 1: the rows whose (order number, operation
// number) lies strictly between (lower_apk, lower_app) and (upper_apk,
// upper_app), ascending. Any other variant is refused with
// SQL_CURSOR_INVALID. On a fetch result other than 0 every field but the key
// is emptied.
int32_t App_OpenRange(const char* lower_apk, const char* lower_app, const char* upper_apk,
                      const char* upper_app, int16_t variant);
int32_t App_FetchRange(AppRow* row, int16_t variant);
int32_t App_CloseRange(int16_t variant);

// Reads the row of (row->AppApk, row->AppApp). On any result other than 0
// every field but the key is emptied.
int32_t App_PKeyRead(AppRow* row);

// The releases of an operation whose record was sent: un-mark it (empty
// AppDwn and AppDna, AppDat the database's time), or delete it; each only
// while the row still carries the marker, action code and change time the
// download cursor delivered in sent (1403 otherwise). Guarded changes.
int32_t App_PKeyFrei(const AppRow& sent);
int32_t App_PKeyDel(const AppRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", AppDat now.
int32_t App_PKeyMark(const AppRow& row, const char* marker);

// The release of an operation and the change of its order's operation count
// stand or fall together: App_FreiBegin opens their savepoint, App_FreiEnd
// keeps both (committing them outside a unit of work) or undoes both.
int32_t App_FreiBegin();
int32_t App_FreiEnd(bool keep);
