// Personnel (Kvs510Prv): the row record and the statements the personnel
// download and the re-marking run on the table. Dates travel as digit texts
// (yyyymmdd, or yyyymmddHHMMSS with the time of day); an empty text stands
// for NULL. Every operation returns the statement result code and reports
// nothing itself. A change writes only the columns it names. PrvSta travels
// as a 16-bit value: a stored value beyond it fails its row (SQL_OVERFLOW).
#pragma once

#include <cstdint>

struct PrvRow {
  char PrvPnr[9];   // personnel number, the key
  char PrvGvo[9];   // first day of validity, yyyymmdd
  char PrvGbi[9];   // last day of validity, yyyymmdd
  int32_t PrvBer;   // 1: "A", 2: "M" in the personnel record
  char PrvKst[11];  // cost centre
  char PrvFbe[11];  // production area, the routing key
  int32_t PrvMmb;
  char PrvZf1[31];
  char PrvZf2[31];
  char PrvZf3[31];
  char PrvDna[4];  // action code "NEU", "AEN", "LOE"; empty when released
  char PrvDwn[9];  // download marker; empty when released
  int32_t PrvAwa;  // 3 with "LOE": the row is deleted after sending
  char PrvAwn[9];
  int32_t PrvAnw;
  char PrvAvn[15];  // yyyymmddHHMMSS
  char PrvAbi[15];  // yyyymmddHHMMSS
  int32_t PrvApl;
  int32_t PrvApp;
  int32_t PrvSta;   // travels as a 16-bit value
  char PrvDat[15];  // last change, set by the database on every update
  char PrvErf[9];
  int32_t PrvPzm;
  char PrvNam[51];
  char PrvStr[51];
  char PrvOrt[51];
};

// Download cursor: the persons carrying the marker, by production area.
int32_t Prv_OpenDnl(const char* marker);
// Fills row only on 0; PrvNam, PrvStr and PrvOrt are not selected.
int32_t Prv_FetchDnl(PrvRow* row);
int32_t Prv_CloseDnl();

// Key-range cursor: personnel numbers from..to inclusive (compared as text)
// whose first day of validity is today or earlier or not set, by number.
int32_t Prv_OpenRange(const char* from, const char* to);
int32_t Prv_FetchRange(PrvRow* row);  // fills row only on 0; PrvDat not selected
int32_t Prv_CloseRange();

// Reads the person row->PrvPnr; fills the row only on 0 (PrvDat not read).
int32_t Prv_PKeyReadk(PrvRow* row);

// The releases of a person whose records were sent, each only while the row
// still carries the marker, the action code and the change time of sent
// (1403 otherwise); guarded changes. Prv_PKeyFrei un-marks the row (PrvDwn
// and PrvDna emptied, PrvDat the database's time). Prv_PKeyLoe withdraws a
// leave ("LOE" without PrvAwa 3): PrvAwn, PrvGvo, PrvGbi, PrvAvn and PrvAbi
// emptied, PrvAnw, PrvApp and PrvApl 0, and the row un-marked. Prv_PKeyDel
// deletes a row of PrvAwa 3.
int32_t Prv_PKeyFrei(const PrvRow& sent);
int32_t Prv_PKeyLoe(const PrvRow& sent);
int32_t Prv_PKeyDel(const PrvRow& sent);
// Re-marking: action "AEN", the marker, the user "KoraSys", PrvDat now.
int32_t Prv_PKeyMark(const PrvRow& row, const char* marker);
