// Send-buffer writer: turns one DownloadMessage into a 552-byte record and
// appends it to the send-buffer file of the terminal group that serves the
// row's production area. Records reach the disk in groups: SndDnl_Sync makes
// every record written since the last sync durable, and only then may the
// rows they belong to be released.
#pragma once

#include <cstdint>

#include "support/platform.h"

// What a table download fills for one row. Texts are NUL-terminated; the
// writer takes the date (from its third character), the time, the action
// code, the table code and the body into the file.
struct DownloadMessage {
  char date[9];      // run date yyyymmdd
  char time[7];      // run time HHMMSS
  int32_t seq;       // 1, 2, 3 ... per table download call
  char kind[4];      // "NEU", or "WDH" for a repeat
  char bde[6];       // "BDE  "
  char action[4];    // the row's action code
  char table[4];     // table code ("APK", "KST", ...)
  char field8[9];    // 8 blanks, or the personnel number
  char key[13];      // the row's key, or 12 blanks
  char field5[6];    // 5 blanks, or the operation number
  char field10[11];  // 10 blanks, or a group number
  char body[257];    // the table's body text, up to 256 characters
  char field15[15];  // zero bytes
  char marker[9];    // the run's download marker
};

// Length of a send-buffer record: header, 438 characters of body, "*", CR LF.
enum { SND_RECORD_LEN = 552 };

#define SND_DIR PLAT_SND_DIR

// Appends the record for msg to the file of the group that covers
// routing_key. Returns 0; the lookup's result code when no group could be
// found; -1 when the file could not be opened or written (nothing of the
// record is left in the file then, unless cutting it off failed too: that is
// logged as "SetEndOfFile", and the file then takes no further record until
// SndDnl_Close, each refused one logged). The record is durable only after
// the next successful SndDnl_Sync.
int32_t SndDnl_Write(DownloadMessage msg, const char* routing_key);

// Makes every record written since the last call durable: one data sync per
// file written to. Returns 0, or the system's error of the first sync that
// failed (reported as "FlushFileBuffers"); the records since the last
// successful sync are then not known to be on the disk.
int32_t SndDnl_Sync();

// Builds the 552-byte record (plus NUL) for msg with the group's address and
// port and the time stamp yyyymmddHHMMSS; values longer than their header
// fields are cut. Returns the record length.
int SndDnl_Format(const DownloadMessage& msg, const char* address, const char* port,
                  const char* stamp, char out[600]);

// Closes the open send-buffer file, if any, after making it durable, and
// ends the writer's run: a file refused for a torn record is tried again by
// the next one.
void SndDnl_Close();

// Records written per file since SndDnl_ResetCounts, for the run summary:
// the i-th file's number and count (i from 0 while it returns true).
void SndDnl_ResetCounts();
bool SndDnl_Count(int i, int32_t* file_number, int32_t* records);
