// What waits for download, read for an operator's status report: per table
// the rows that carry a download marker, grouped by marker and action code,
// with the oldest change time among them; and the last reset of the update
// request. Read only; the program's runs never call these.
#pragma once

#include <cstdint>

// The tables whose rows wait under a download marker, in the order of a run.
enum { STATUS_TABLES = 6 };
extern const char* const kStatusTables[STATUS_TABLES];  // "Kvs501Apk", ...

struct WaitingGroup {
  char marker[9];  // the download-marker column
  char action[4];  // the action code ("" when the column is empty)
  int32_t rows;
  char oldest[15];  // oldest change time yyyymmddHHMMSS; "" when no row has one
};

// A cursor over the groups of table t (0 .. STATUS_TABLES-1), ordered by
// marker and action code. Statement result codes; 1403 ends the fetch.
int32_t Status_OpenWaiting(int t);
int32_t Status_FetchWaiting(int t, WaitingGroup* g);
int32_t Status_CloseWaiting(int t);

// When and by whom the update request row "UPD" was last changed
// (yyyymmddHHMMSS, "" when unknown). 1403 when there is no such row.
int32_t Status_ReadRequestStamp(char changed_at[15], char changed_by[9]);
