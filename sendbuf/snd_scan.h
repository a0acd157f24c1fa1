// Looking at the send-buffer files from outside, for an operator: size,
// number of whole records, a torn tail (bytes after the last whole record),
// and the time stamp of the newest record. Reads only.
#pragma once

#include <cstdint>

struct SndFileInfo {
  char name[32];    // "SndDnl3.buf"
  int32_t number;   // 3
  int64_t size;     // bytes
  int64_t records;  // whole 552-byte records
  int32_t tail;     // bytes after the last whole record; not 0: the file is torn
  int32_t rc;       // 0, or -1 when the file could not be read
  char newest[15];  // the last whole record's time stamp yyyymmddHHMMSS; "" when
                    // there is none or it is not 14 digits
};

// Fills info for the file at path. Returns 0, or -1 when it cannot be read.
int32_t Snd_Inspect(const char* path, SndFileInfo* info);

// The send-buffer files SndDnl<n>.buf of dir, ordered by n; at most max are
// filled. Returns how many there are (possibly more than max), or -1 when dir
// cannot be read.
int32_t Snd_Scan(const char* dir, SndFileInfo* out, int32_t max);
