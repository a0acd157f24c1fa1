// Workplaces (Kvs531Apl): the row record and the statements on the table:
// the download cursor over the marked workplaces, the key-range cursor, the
// read by key, and the single-column changes of the release and the
// re-marking. Every operation returns the statement result code and reports
// nothing. A change writes only the columns it names.
#pragma once

#include <cstdint>

struct AplRow {
  char AplApl[11];  // workplace number, key
  char AplBez[31];
  char AplTxt[11];
  char AplApg[11];  // the workplace's group
  char AplFbe[11];  // production area, the routing key
  int32_t AplSts;   // exchanged as 16 bits
  int32_t AplSis;   // exchanged as 16 bits
  int32_t AplApr;
  int32_t AplAaf;
  char AplUbg[5];
  char AplUdt[15];  // yyyymmddHHMMSS; the download cursor leaves it unconverted
  char AplZf1[31];
  char AplZf2[31];
  char AplZf3[31];
  int32_t AplTag;
  double AplVrf;
  double AplRsp;
  double AplRsi;
  double AplAfp;
  double AplAfi;
  double AplPau;
  double AplUnt;
  double AplIak;
  int32_t AplAvt;
  double AplKap;
  double AplAvr;
  double AplAvp;
  char AplSt1[11];
  char AplSt2[11];
  char AplSt3[11];
  double AplSf1;
  double AplSf2;
  double AplSf3;
  char AplDna[4];   // action code: "NEU", "AEN", "LOE"; empty when released
  char AplDwn[9];   // download marker; empty when released
  int32_t AplSta;   // 32 bits through the download cursor, 16 bits otherwise
  char AplDat[15];  // never filled by a statement
  char AplErf[9];
};

// Marked workplaces, ordered by production area. AplUdt comes in the
// database's own date form (cut to 14 characters); AplDat is untouched.
int32_t Apl_OpenDnl(const char* marker);
int32_t Apl_FetchDnl(AplRow* row);  // fills row only on 0
int32_t Apl_CloseDnl();

// Workplaces whose number lies strictly between from and to, by number.
int32_t Apl_OpenRange(const char* from, const char* to);
int32_t Apl_FetchRange(AplRow* row);  // fills row only on 0; AplDat untouched
int32_t Apl_CloseRange();

// Reads the workplace row->AplApl. On a nonzero result the row keeps only
// its key; every other field is emptied.
int32_t Apl_PKeyRead(AplRow* row);

// The releases of a workplace whose record was sent: un-mark it (AplDwn and
// AplDna emptied, AplDat the database's time) or delete it; each only while
// the workplace still carries the marker and action code of sent (1403
// otherwise). Guarded changes.
int32_t Apl_PKeyFrei(const AplRow& sent);
int32_t Apl_PKeyDel(const AplRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", AplDat now.
int32_t Apl_PKeyMark(const AplRow& row, const char* marker);
