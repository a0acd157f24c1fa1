// The state file of the program's last run, kept next to its log so that an
// operator's tools can tell which log entries came after the last clean run.
//
// Lines "yyyymmddHHMMSS STATUS" (end time, local, and exit status): first the
// last run; when that one did not end with 0, a second line with the last run
// that did, if one is known. The file is replaced as a whole, never left half
// written.
#pragma once

#include <cstdint>

#include "support/platform.h"

#define LAST_RUN_FILE_PATH PLAT_MSG_DIR PLAT_SEP "Velmarkon.run"

struct LastRun {
  char end[15];        // yyyymmddHHMMSS of the last run
  int32_t status;      // its exit status
  char clean_end[15];  // the end of the last run with status 0; "" if unknown
};

// Records a run that ends now with exit_status. Returns 0, or -1 when the
// file could not be written (the previous one then stays as it was).
int32_t LastRun_Write(const char* path, int exit_status);

// Reads the file: 0, SQL-style 1403 when there is none, -1 when it cannot be
// read or holds something else.
int32_t LastRun_Read(const char* path, LastRun* out);
