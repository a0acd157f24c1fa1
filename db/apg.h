// Workplace groups (Kvs530Apg): the row record and the statements on the
// table. The download cursor delivers the marked groups together with the
// cost centre of each assignment valid today (Kvs537Ksg); the key-range
// cursor, the read and the single-column changes of the release and the
// re-marking work on the group's own row. Every operation returns the
// statement result code and reports nothing. A change writes only the
// columns it names.
#pragma once

#include <cstdint>

struct ApgRow {
  char ApgApg[11];  // group number, key
  char ApgBez[31];
  char ApgTxt[11];
  char ApgKst[11];  // download cursor: the assignment's cost centre
  char ApgFbe[11];  // production area, the routing key
  char ApgZf1[31];
  char ApgZf2[31];
  char ApgZf3[31];
  int32_t ApgApl;
  int32_t ApgTag;
  double ApgKap;
  double ApgPrd;
  double ApgRst;
  double ApgPau;
  double ApgUnt;
  double ApgIak;
  char ApgSt1[11];
  char ApgSt2[11];
  char ApgSt3[11];
  double ApgSf1;
  double ApgSf2;
  double ApgSf3;
  char ApgDna[4];   // action code: "NEU", "AEN", "LOE"; empty when released
  char ApgDwn[9];   // download marker; empty when released
  int32_t ApgSta;   // 32 bits through the download cursor, 16 bits otherwise
  char ApgDat[15];  // never filled by a statement
  char ApgErf[9];
};

// Marked groups with a cost-centre assignment valid today (valid-to today
// included), one row per such assignment, ordered by production area.
int32_t Apg_OpenDnl(const char* marker);
int32_t Apg_FetchDnl(ApgRow* row);  // fills row only on 0; ApgDat untouched
int32_t Apg_CloseDnl();

// Groups whose number lies strictly between from and to, by number.
int32_t Apg_OpenRange(const char* from, const char* to);
int32_t Apg_FetchRange(ApgRow* row);  // fills row only on 0; ApgDat untouched
int32_t Apg_CloseRange();

// Reads the group row->ApgApg. On a nonzero result the row keeps only its
// key; every other field is emptied.
int32_t Apg_PKeyRead(ApgRow* row);

// The releases of a group whose record was sent: un-mark it (ApgDwn and
// ApgDna emptied, ApgDat the database's time) or delete it; each only while
// the group still carries the marker and action code of sent (1403
// otherwise). Guarded changes.
int32_t Apg_PKeyFrei(const ApgRow& sent);
int32_t Apg_PKeyDel(const ApgRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", ApgDat now.
int32_t Apg_PKeyMark(const ApgRow& row, const char* marker);
