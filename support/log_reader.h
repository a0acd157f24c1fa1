// Reading the message log back for an operator: how many entries the file
// holds, the last of them field by field, and how many came after a given
// time. Entries begin with a line holding the byte 0xFE alone; lines end with
// CR LF; the text is Windows-1252 and stays so here.
#pragma once

#include <cstdint>

struct LogEntryText {
  char date[9];       // DD.MM.YY as written
  char time[9];       // HH:MM:SS as written
  char kind[32];      // the kind text, trailing blanks removed ("FMSG")
  char message[128];  // longer texts are cut
  char function[128];
  char code[16];   // the error code as written
  char stamp[15];  // yyyymmddHHMMSS (year 20YY); "" when date or time do not read
};

struct LogSummary {
  int32_t entries;  // entries in the file
  int32_t newer;    // entries later than the given time (or without a readable time)
  int32_t kept;     // entries in last[], oldest first
};

// Reads the log at path. last[] receives the last `keep` entries (keep may be
// 0); since is a time yyyymmddHHMMSS, or "" to count every entry as newer.
// Returns 0, 1403 when there is no such file, -1 when it cannot be read.
int32_t LogRead(const char* path, const char* since, LogEntryText* last, int32_t keep,
                LogSummary* sum);
