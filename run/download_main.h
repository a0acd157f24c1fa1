// The run driver: one run of the download program from start to exit status.
#pragma once

#include <cstdint>

#include "db/upd.h"
#include "support/platform.h"

// Every table download takes the run date (yyyymmdd), the run time (HHMMSS)
// and the download marker.
using TableDnl = int32_t (*)(const char* date, const char* time, const char* marker);
// Re-marking steps take the marker and range buffers of the update request.
using RangeSel = void (*)(const char* marker, char* from, char* to);
using OperationSel = void (*)(const char* marker, char* order_from, char* order_to, char* op_from,
                              char* op_to);

// One table of a run: its keyword, its download, its re-marking in an
// update-request run and the request's fields for it. The driver walks the
// tables in the order they stand in DownloadEntries, which is the fixed
// order of a run.
struct RunTable {
  const char* keyword;  // "Kvs501Apk"
  const char* dnl_name;  // "Apk_Dnl", for the report of a step that is missing
  TableDnl dnl;
  // The re-marking: of a key range (sel), or of the operations' pairs of
  // order and operation number (op_sel); the cost centres have none
  // (sel_name nullptr).
  const char* sel_name;
  RangeSel sel;
  OperationSel op_sel;
  // The request's fields: the start field (its first sel argument), the
  // end field, and for the operations the operation-number pair.
  char* (*from)(UpdateRequest& q);
  char* (*to)(UpdateRequest& q);
  char* (*op_from)(UpdateRequest& q);
  char* (*op_to)(UpdateRequest& q);
  int width;  // the start field's width: a request for the table fills it
};

// What the driver calls. The program's build wires the real operations
// (run/entries.cpp); tests put doubles in their place.
struct DownloadEntries {
  RunTable tables[7];  // in the fixed order of a run
  int32_t (*Upd_PKeyReadk)(UpdateRequest* req);
  int32_t (*Upd_PKeyUpd)();
};

extern const DownloadEntries kProgramEntries;

#define MSG_FILE_PATH PLAT_MSG_FILE

// Exit statuses of their own, besides 0 and a run result's low 8 bits.
enum : int {
  // The run result was 0, but something failed on the way (a failure was
  // logged, or an entry could not be written and went to stderr).
  EXIT_FAILURES_LOGGED = 3,
  // Another run held the working folder's run lock for the whole wait (10
  // minutes), or the lock file could not be opened: nothing was done, and
  // the log says which.
  EXIT_RUN_LOCKED = 4,
};

// argv[0] is the program name. Returns the process exit status.
int Download_Main(int argc, const char* const* argv, const DownloadEntries* entries);

// The exit status of a run result: its low 8 bits, except that a non-zero
// result whose low 8 bits are 0 gives 1.
int ExitStatus(int32_t result);

// Byte-wise comparison of a NUL-terminated field with n blanks: true when the
// field sorts after them (some character above the blank at its first
// non-blank position within the first n, or more than n blanks).
bool SortsAfterBlanks(const char* field, int n);
