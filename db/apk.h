// Order headers (Kvs501Apk): the row record and every statement the program
// runs on the table: the download cursor by marker, the key-range cursor of
// the re-marking, the read by order number, and the few single-column changes
// of the releases, the re-marking and the operation count.
//
// All operations return the statement result code (0, 1403, negative) and
// report nothing; their callers log. ApkSts, ApkSis, ApkAfo and ApkEaf travel
// as 16-bit values everywhere, ApkSsn and ApkSta in the key-range cursor and
// the read, ApkAba in the key-range cursor only: a stored value beyond that
// width fails its row (SQL_OVERFLOW). The record keeps them all as 32-bit
// integers. A change writes only the columns it names.
#pragma once

#include <cstdint>

struct ApkRow {
  char ApkApk[13];  // order number, the key
  char ApkBz1[31];
  char ApkBz2[31];
  char ApkTxt[11];
  int32_t ApkSts;  // status of the order
  int32_t ApkSis;
  char ApkKun[8];
  char ApkKb1[31];
  char ApkKb2[31];
  char ApkBgs[9];  // date yyyymmdd
  char ApkEns[9];  // date yyyymmdd
  int32_t ApkAfo;  // number of operations of the order
  int32_t ApkEaf;
  char ApkTnr[21];
  char ApkTb1[31];
  char ApkTb2[31];
  double ApkSme;
  double ApkIme;
  char ApkMee[4];
  char ApkBdiDate[9];  // ApkBdi: yyyymmdd
  char ApkBdiTime[7];  //         HH24MISS
  char ApkEdiDate[9];  // ApkEdi: yyyymmdd
  char ApkEdiTime[7];  //         HH24MISS
  char ApkFbe[11];     // production area: the routing key of the records
  char ApkKst[11];     // cost centre
  char ApkZf1[31];
  char ApkZf2[31];
  char ApkZf3[31];
  char ApkKnz[2];
  int32_t ApkSsn;
  char ApkDna[4];  // action code "NEU", "AEN", "LOE" or empty
  char ApkDwn[9];  // download marker or empty
  int32_t ApkSta;
  char ApkDat[15];  // last change yyyymmddHH24MISS; filled by the download cursor only
  char ApkErf[9];
  int32_t ApkAba;
};

// Download cursor: the rows whose ApkDwn equals marker (at most 8
// characters), ordered by production area. The fetch fills row only on 0
// (or, for a row that fails, as far as its values go).
int32_t Apk_OpenDnl(const char* marker);
int32_t Apk_FetchDnl(ApkRow* row);
int32_t Apk_CloseDnl();

// Key-range cursor: the rows whose order number lies strictly between lower
// and upper, ascending (variant 1; any other variant is refused with
// SQL_CURSOR_INVALID). The fetch fills row (all but ApkDat) only on 0.
int32_t Apk_OpenRange(const char* lower, const char* upper, int16_t variant);
int32_t Apk_FetchRange(ApkRow* row, int16_t variant);
int32_t Apk_CloseRange(int16_t variant);

// Reads the row of row->ApkApk. On 0 every field but ApkDat is filled; on any
// other result every field except ApkApk is emptied.
int32_t Apk_PKeyRead(ApkRow* row);

// The releases of a row whose record was sent: un-mark it (empty ApkDwn and
// ApkDna, ApkDat the database's time), or delete it. Each acts only while
// the row still carries the marker, the action code and the change time that
// the download cursor delivered in sent, and gives 1403 otherwise. Guarded
// changes: committed at once, or kept in the open unit of work.
int32_t Apk_PKeyFrei(const ApkRow& sent);
int32_t Apk_PKeyDel(const ApkRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", ApkDat now.
int32_t Apk_PKeyMark(const ApkRow& row, const char* marker);
// The operation count of order apk changes by delta (a missing count counts
// as 0); ApkDat becomes the database's time.
int32_t Apk_PKeyAfo(const char* apk, int32_t delta);
