// Interruption reasons (Kvs521Ubg): the row record and the statements the
// download and the re-marking run on the table. Every operation returns the
// statement result code and reports nothing itself. A change writes only the
// columns it names.
#pragma once

#include <cstdint>

struct UbgRow {
  char UbgUbg[5];   // reason code, the key
  int32_t UbgKnz;   // 1: kind letter "U", else "S"
  char UbgFbe[11];  // production area, the routing key
  char UbgBez[31];
  char UbgTxt[11];
  char UbgZf1[31];
  char UbgZf2[31];
  char UbgZf3[31];
  int32_t UbgAst;
  double UbgRst;
  double UbgAsf;
  char UbgSt1[11];
  char UbgSt2[11];
  char UbgSt3[11];
  double UbgSf1;
  double UbgSf2;
  double UbgSf3;
  char UbgDna[4];   // action code "NEU", "AEN", "LOE"; empty when released
  char UbgDwn[9];   // download marker; empty when released
  int32_t UbgSta;   // 16 bits wide in the key statements
  char UbgDat[15];  // set by the database on update; no statement reads it
  char UbgErf[9];
};

// Download cursor: the reasons carrying the marker, by production area.
int32_t Ubg_OpenDnl(const char* marker);
int32_t Ubg_FetchDnl(UbgRow* row);  // fills row only on 0; UbgDat untouched
int32_t Ubg_CloseDnl();

// Key-range cursor: codes strictly between from and to (up to 5 characters
// each, compared as text), by code.
int32_t Ubg_OpenRange(const char* from, const char* to);
int32_t Ubg_FetchRange(UbgRow* row);  // fills row only on 0; UbgDat untouched
int32_t Ubg_CloseRange();

// Reads the reason row->UbgUbg. On any result but 0 the row keeps its key
// and every other field is emptied.
int32_t Ubg_PKeyRead(UbgRow* row);

// The releases of a reason whose record was sent: un-mark it (UbgDwn and
// UbgDna emptied, UbgDat the database's time) or delete it; each only while
// the reason still carries the marker and action code of sent (1403
// otherwise). Guarded changes.
int32_t Ubg_PKeyFrei(const UbgRow& sent);
int32_t Ubg_PKeyDel(const UbgRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", UbgDat now.
int32_t Ubg_PKeyMark(const UbgRow& row, const char* marker);
