// Send-buffer writer.
//
// One send-buffer file per terminal group, ../Comm/Buff/SndDnl<n>.buf. The
// file of the latest record stays open, held exclusively, while records for
// the same group follow; a record for another group closes it (made durable
// first when it holds records not yet synced) and opens the other. A write
// that fails leaves no part of its record in the file; when the part that
// reached the file cannot be cut off again, the file is closed and gets no
// further record in this run, so that the part stays its last bytes (the
// status tool shows it as a torn tail) and no record is written out of step
// behind it; the next run that opens the file cuts such a part off first (it
// is also what a run killed in the middle of a write leaves). A newly
// created file's folder entry is made durable with it; a link at a file's
// name is refused.
#include "sendbuf/snddnl.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "sendbuf/ip.h"
#include "support/msg.h"
#include "support/platform.h"
#include "support/text.h"

namespace {

int32_t g_current = 0;  // file number of the open file; 0: none open
PlatFile g_file = PLAT_NO_FILE;
bool g_dirty = false;      // the open file holds records not yet synced
int32_t g_sync_error = 0;  // a sync at a close failed since the last SndDnl_Sync

struct Count {
  int32_t file;
  int32_t records;
};
Count g_counts[64];
int g_count_used = 0;

// Files that end in part of a record this run, with the error that kept it
// there.
struct Torn {
  int32_t file;
  int32_t err;
};
Torn g_torn[64];
int g_torn_used = 0;

void MarkTorn(int32_t file, int32_t err) {
  if (g_torn_used < static_cast<int>(sizeof g_torn / sizeof g_torn[0]))
    g_torn[g_torn_used++] = {file, err};
}

int32_t TornError(int32_t file) {
  for (int i = 0; i < g_torn_used; ++i)
    if (g_torn[i].file == file) return g_torn[i].err;
  return 0;
}

void Counted(int32_t file) {
  for (int i = 0; i < g_count_used; ++i) {
    if (g_counts[i].file == file) {
      ++g_counts[i].records;
      return;
    }
  }
  if (g_count_used < static_cast<int>(sizeof g_counts / sizeof g_counts[0]))
    g_counts[g_count_used++] = {file, 1};
}

int32_t SyncOpen() {
  if (g_file == PLAT_NO_FILE || !g_dirty) return 0;
  int32_t err = Plat_DataSync(g_file);
  if (err != 0) {
    Msg_Report("FlushFileBuffers", "Datei sichern", err);
    return err;
  }
  g_dirty = false;
  return 0;
}

void CloseCurrent() {
  if (g_file != PLAT_NO_FILE) {
    int32_t err = SyncOpen();
    if (err != 0 && g_sync_error == 0) g_sync_error = err;
    Plat_Close(g_file);
  }
  g_file = PLAT_NO_FILE;
  g_current = 0;
  g_dirty = false;
}

// True when the byte at offset pos of the file is the first byte of a
// record ('$').
bool RecordStartsAt(const char* name, int64_t pos) {
  PlatFile f;
  if (Plat_Open(name, PLAT_READ | PLAT_NO_FOLLOW, &f) != 0) return false;
  char first = 0;
  size_t got = 0;
  bool ok = Plat_Seek(f, pos) == 0 && Plat_Read(f, &first, 1, &got) == 0 && got == 1;
  Plat_Close(f);
  return ok && first == '$';
}

int32_t OpenFile(int32_t number) {
  char name[64];
  snprintf(name, sizeof name, SND_DIR PLAT_SEP "SndDnl%d.buf", number);
  PlatStat before;
  bool existed = Plat_Stat(name, &before) == 0 && before.kind != PLAT_MISSING;
  // Only the start of a record of the program's own is ever cut off: what
  // else a file holds stays as it is.
  const bool own_part = existed && before.kind == PLAT_REGULAR &&
                        before.size % SND_RECORD_LEN != 0 &&
                        RecordStartsAt(name, before.size - before.size % SND_RECORD_LEN);
  PlatFile f;
  // No sharing while the file is open: another holder makes the open fail.
  int32_t err = Plat_Open(name, PLAT_WRITE | PLAT_CREATE | PLAT_NO_FOLLOW | PLAT_NO_SHARE, &f);
  if (err != 0) {
    Msg_Report("CreateFile", "Datei oeffnen", err);
    return -1;
  }
  int64_t end;
  err = Plat_SeekEnd(f, &end);
  if (err != 0) {
    Plat_Close(f);
    Msg_Report("SetFilePointer", "Ende der Datei", err);
    return -1;
  }
  // A run ended in the middle of a write (killed, the machine stopped) can
  // leave the first part of a record as the file's last bytes; that row was
  // not released. The part is cut off before anything is appended, so that
  // every record starts at a multiple of the record length. A file whose
  // part cannot be cut off gets no record in this run.
  if (own_part && end == before.size) {  // unchanged since it was looked at
    const int64_t part = end % SND_RECORD_LEN;
    err = Plat_Truncate(f, end - part);
    if (err == 0) err = Plat_DataSync(f);
    if (err != 0) {
      Plat_Close(f);
      Msg_Report("SetEndOfFile", "Datei kuerzen", err);
      MarkTorn(number, err);
      return -1;
    }
    Msg_Report("SetEndOfFile", "Satzrest abgeschnitten", static_cast<int32_t>(part));
  }
  if (!existed) Plat_SyncDir(SND_DIR);  // the new file's name on the disk too
  g_file = f;
  g_current = number;
  g_dirty = false;
  return 0;
}

// Writes the whole record at the end, or nothing: a failed or short write
// is cut back to the file's length before it. When that cut fails (or the
// length before it is unknown), the file is closed and marked torn.
int32_t Append(const char* rec, size_t len) {
  int64_t start = -1;
  int32_t at = Plat_SeekEnd(g_file, &start);
  if (at != 0) start = -1;
  size_t done = 0;
  int32_t err = Plat_Write(g_file, rec, len, &done);
  if (err == 0 && done == len) {
    g_dirty = true;
    return 0;
  }
  int32_t cut = 0;
  if (done > 0) {
    g_dirty = true;
    cut = start >= 0 ? Plat_Truncate(g_file, start) : at;
    if (cut == 0) Plat_DataSync(g_file);
  }
  if (start >= 0) Plat_Seek(g_file, start);
  Msg_Report("WrittenFile", "", err);
  if (cut != 0) {
    Msg_Report("SetEndOfFile", "Datei kuerzen", cut);
    MarkTorn(g_current, cut);
    CloseCurrent();  // the records before it are synced as at any switch
  }
  return -1;
}

// Copies text into width characters of out, left- or right-aligned, padded
// with blanks and cut to width.
char* Field(char* out, const char* text, size_t width, bool right = false) {
  size_t n = strnlen(text, width);
  if (right) {
    memset(out, ' ', width - n);
    memcpy(out + width - n, text, n);
  } else {
    memcpy(out, text, n);
    memset(out + n, ' ', width - n);
  }
  return out + width;
}

}  // namespace

int SndDnl_Format(const DownloadMessage& msg, const char* address, const char* port,
                  const char* stamp, char out[600]) {
  memset(out, 0, 600);
  // The message's texts may fill their fields: read no further than each.
  char date[sizeof msg.date], time[sizeof msg.time], table[sizeof msg.table],
      action[sizeof msg.action];
  CopyText(date, msg.date);
  CopyText(time, msg.time);
  CopyText(table, msg.table);
  CopyText(action, msg.action);
  const char* yymmdd = strlen(date) >= 2 ? date + 2 : "";
  char* p = out;
  *p++ = '$';
  p = Field(p, address, 15);
  p = Field(p, port, 5);
  p = Field(p, stamp, 14, true);
  p = Field(p, "999", 3, true);
  p = Field(p, address, 15, true);
  p = Field(p, port, 5, true);
  p = Field(p, "", 28, true);
  p = Field(p, "0460", 4, true);
  p = Field(p, table, 3, true);
  p = Field(p, yymmdd, 6, true);
  p = Field(p, time, 6, true);
  p = Field(p, "BDE", 3);
  p = Field(p, action, 3, true);
  // The body up to its NUL, never past its field, padded to 438.
  size_t body = strnlen(msg.body, sizeof msg.body);
  memcpy(p, msg.body, body);
  memset(p + body, ' ', 438 - body);
  p += 438;
  memcpy(p, "*\r\n", 3);
  p += 3;
  return static_cast<int>(p - out);
}

int32_t SndDnl_Write(DownloadMessage msg, const char* routing_key) {
  CfgRow cfg;
  memset(&cfg, ' ', sizeof cfg);
  int32_t rc = IP_Ermitteln(&cfg, routing_key);
  if (rc != 0) return rc;

  char stamp[15];
  struct tm tm;
  Plat_LocalTime(Plat_Now(), &tm);
  if (strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm) == 0) CopyText(stamp, "00000000000000");

  char rec[600];
  int len = SndDnl_Format(msg, cfg.CfgIP, cfg.CfgPrt, stamp, rec);
  if (len != SND_RECORD_LEN) return -1;

  // A file that ends in part of a record gets nothing more in this run.
  if (int32_t torn = TornError(cfg.CfgDta)) {
    Msg_Report("WrittenFile", "Satzrest in der Datei", torn);
    return -1;
  }
  if (g_current != cfg.CfgDta || g_file == PLAT_NO_FILE) {
    CloseCurrent();
    if (OpenFile(cfg.CfgDta) != 0) return -1;
  }
  rc = Append(rec, static_cast<size_t>(len));
  if (rc == 0) Counted(cfg.CfgDta);
  return rc;
}

int32_t SndDnl_Sync() {
  int32_t err = SyncOpen();
  if (g_sync_error != 0) err = g_sync_error;
  g_sync_error = 0;
  return err;
}

void SndDnl_Close() {
  CloseCurrent();
  g_sync_error = 0;
  g_torn_used = 0;  // the next run tries its files afresh
}

void SndDnl_ResetCounts() { g_count_used = 0; }

bool SndDnl_Count(int i, int32_t* file_number, int32_t* records) {
  if (i < 0 || i >= g_count_used) return false;
  *file_number = g_counts[i].file;
  *records = g_counts[i].records;
  return true;
}
