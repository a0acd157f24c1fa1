// Message log: appends one plain-text entry per reported failure to the log
// file and rotates the file to its ".old" name once a run has written more
// than 3000 entries.
//
// Every entry is written through a fresh open with write-through, held for
// that one entry so that a second writer waits (in steps of 333 ms, at most
// ten seconds) until the entry is complete, and the file is closed again, so
// other programs can read the log at any time. An entry that cannot be
// written goes to stderr instead and is counted, so that the run can tell a
// failure it could not log. A symbolic link at the log's name is refused.
// Nothing is allocated per entry.
#include "support/msg.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "support/cp1252.h"
#include "support/platform.h"

namespace {

const int32_t kMaxCount = 3000;
const size_t kNameMax = 64;     // log file name, characters
const size_t kOldNameMax = 66;  // rotation file name, characters
const int32_t kRetryMs = 333;
const int32_t kAllKinds = DMSG | SMSG | FMSG | WMSG | CMSG;

const size_t kEntrySize = 1000;
const size_t kDetailSize = 100;  // detail text incl. NUL
const size_t kStampSize = 20;

char g_file_name[kNameMax + 1] = "msg.dat";
char g_old_file_name[kOldNameMax + 1] = "msg.old";
int32_t g_level = 0;
int32_t g_max_count = kMaxCount;
int32_t g_count = 0;
int32_t g_wait_ms = 10000;  // longest wait for a held log, per entry
int32_t g_reported = 0;     // entries asked for (with a kind the level lets through)
int32_t g_unwritten = 0;    // of those, entries that could not be written

// The rotation name: everything from the last '.' of the file-name part on is
// replaced with ".old"; without a '.' ".old" is appended. Returns -1 when the
// result does not fit.
int DeriveOldName(const char* name, char* out, size_t out_size) {
  const char* slash = strrchr(name, '/');
  const char* bslash = strrchr(name, '\\');
  if (bslash != nullptr && (slash == nullptr || bslash > slash)) slash = bslash;
  const char* base = slash != nullptr ? slash + 1 : name;
  const char* dot = strrchr(base, '.');
  size_t keep = dot != nullptr ? static_cast<size_t>(dot - name) : strlen(name);
  int n = snprintf(out, out_size, "%.*s.old", static_cast<int>(keep), name);
  if (n < 0 || static_cast<size_t>(n) >= out_size) {
    if (out_size > 0) out[0] = '\0';
    return -1;
  }
  return 0;
}

enum { kOpenFailed = -1, kOpenNoFile = -2 };

// Opens the named file as its one writer, waiting (in steps of 333 ms, at
// most g_wait_ms) while another process holds it. Once held, the file must
// still be the one under that name (another writer may have rotated it while
// we waited); otherwise the open is repeated. Returns 0 with *file set,
// kOpenNoFile when the file does not exist and create is false, or
// kOpenFailed.
int OpenHeld(const char* name, bool create, PlatFile* file) {
  const uint32_t flags = PLAT_READ | PLAT_WRITE | PLAT_NO_FOLLOW | PLAT_LOCK |
                         (create ? PLAT_CREATE | PLAT_WRITE_THROUGH : 0u);
  const int64_t until = Plat_MonotonicMs() + g_wait_ms;
  for (;;) {
    int32_t err = Plat_Open(name, flags, file);
    if (err == 0) {
      if (Plat_SameFile(*file, name)) return 0;
      Plat_Close(*file);  // the name now belongs to another file: open again
      *file = PLAT_NO_FILE;
      continue;
    }
    if (!create && Plat_IsMissing(err)) return kOpenNoFile;
    if (!Plat_IsBusy(err) || Plat_MonotonicMs() >= until) return kOpenFailed;
    Plat_SleepMs(kRetryMs);
  }
}

// Renames the log to its rotation name, replacing an earlier rotation file,
// once another writer's entry is complete; the file is closed for the rename
// (Windows renames no open file). A program that has the log or the old log
// open without letting others rename or delete it (Windows) holds the delete
// and the rename up: that is waited out like a held log. A log file that does
// not exist has nothing to rotate. Returns 0 when the entry may go on.
int Rotate() {
  PlatFile f;
  int rc = OpenHeld(g_file_name, false, &f);
  if (rc == kOpenFailed) return -1;
  if (rc == 0) {
    Plat_Close(f);
    const int64_t until = Plat_MonotonicMs() + g_wait_ms;
    // A failed delete is ignored: the rename replaces the old file anyway.
    while (Plat_IsBusy(Plat_Remove(g_old_file_name)) && Plat_MonotonicMs() < until)
      Plat_SleepMs(kRetryMs);
    int32_t err;
    while (Plat_IsBusy(err = Plat_Rename(g_file_name, g_old_file_name)) &&
           Plat_MonotonicMs() < until)
      Plat_SleepMs(kRetryMs);
    if (err != 0 && !Plat_IsMissing(err)) return -1;  // entry dropped, count unchanged
  }
  g_count = 0;
  return 0;
}

// An entry that could not be written goes to stderr, in UTF-8, without its
// leading 0xFE byte (skipped before the conversion, which makes two bytes of
// it).
void ToStderr(const char* text) {
  char utf8[3 * kEntrySize + 1];
  Cp1252_ToUtf8(text + 1, utf8, sizeof utf8);
  fprintf(stderr, "velmarkon: log entry not written to %s:%s", g_file_name, utf8);
  fflush(stderr);
}

// Builds the detail text into out (kDetailSize bytes). The detail text never
// outgrows its 100-byte buffer: when message and function name together do
// not fit, they are cut at the end so that all three lines stay complete. The
// function name keeps at least half of the room, the message gets the rest
// (more when the other one is short).
void BuildDetail(const char* message, const char* funktion, int32_t code, char* out) {
  static const char kFixed[] = "\r\nMessage____: \r\nFunktion___: \r\nErrorCode__: \r\n";
  char code_text[16];
  snprintf(code_text, sizeof code_text, "%d", static_cast<int>(code));
  size_t room = kDetailSize - 1 - (sizeof kFixed - 1) - strlen(code_text);
  size_t msg_len = strnlen(message, kDetailSize);
  size_t fn_len = strnlen(funktion, kDetailSize);
  size_t msg_keep = msg_len;
  size_t fn_keep = fn_len;
  if (msg_len + fn_len > room) {
    size_t half = room / 2;
    if (fn_len <= half) {
      msg_keep = room - fn_len;
    } else if (msg_len <= room - half) {
      fn_keep = room - msg_len;
    } else {
      fn_keep = half;
      msg_keep = room - half;
    }
  }
  snprintf(out, kDetailSize, "\r\nMessage____: %.*s\r\nFunktion___: %.*s\r\nErrorCode__: %s\r\n",
           static_cast<int>(msg_keep), message, static_cast<int>(fn_keep), funktion, code_text);
}

}  // namespace

void Msg_Init(int32_t level, const char* file_name) {
  g_level = level;
  g_max_count = kMaxCount;
  const char* name = (file_name != nullptr && file_name[0] != '\0') ? file_name : "msg.dat";
  // Names beyond the limits are refused; the log keeps its previous names.
  if (strnlen(name, kNameMax + 1) > kNameMax) return;
  char old_name[kOldNameMax + 1];
  if (DeriveOldName(name, old_name, sizeof old_name) != 0) return;
  snprintf(g_file_name, sizeof g_file_name, "%s", name);
  snprintf(g_old_file_name, sizeof g_old_file_name, "%s", old_name);
  g_count = 0;  // a new log starts counting afresh
}

void Msg_Write(const LogEntry* entry) {
  if (entry == nullptr) return;
  // Only the five known kinds are written; an entry without one of them has
  // nothing to write and is not counted.
  int32_t kind = entry->MsgArt & g_level & kAllKinds;
  if (kind <= 0) return;

  char date[kStampSize];
  char time[kStampSize];
  struct tm now;
  Plat_LocalTime(Plat_Now(), &now);
  if (strftime(date, sizeof date, "%d.%m.%y", &now) == 0) date[0] = '\0';
  if (strftime(time, sizeof time, "%H:%M:%S", &now) == 0) time[0] = '\0';

  char detail[kDetailSize];
  BuildDetail(entry->Message != nullptr ? entry->Message : "",
              entry->Funktion != nullptr ? entry->Funktion : "", entry->ErrorCode, detail);

  // The kind line names every kind of MsgArt itself, not only those the
  // level lets through.
  const int32_t art = entry->MsgArt;
  char text[kEntrySize];
  int len = snprintf(text, sizeof text,
                     "\xFE\r\nSystem-Date: %s\r\nSystem-Time: %s\r\nMsgArt_____: %s%s%s%s%s%s",
                     date, time, (art & DMSG) ? "DMSG " : "", (art & SMSG) ? "SMSG " : "",
                     (art & FMSG) ? "FMSG " : "", (art & WMSG) ? "WMSG " : "",
                     (art & CMSG) ? "CMSG " : "", detail);
  ++g_reported;
  if (len < 0 || static_cast<size_t>(len) >= sizeof text) {
    ++g_unwritten;
    return;
  }

  bool ok = !(g_count > g_max_count && Rotate() != 0);
  PlatFile f = PLAT_NO_FILE;
  ok = ok && OpenHeld(g_file_name, true, &f) == 0;
  int64_t end = 0;
  size_t done = 0;
  ok =
      ok && Plat_SeekEnd(f, &end) == 0 && Plat_Write(f, text, static_cast<size_t>(len), &done) == 0;
  if (ok && (kind & DMSG)) {
    if (entry->Data != nullptr && entry->DataLength > 0)
      ok = Plat_Write(f, entry->Data, entry->DataLength, &done) == 0;
    ok = ok && Plat_Write(f, "\r\n", 2, &done) == 0;
  }
  // The system text of an SMSG entry is a single line break.
  if (ok && (kind & SMSG)) ok = Plat_Write(f, "\r\n\r\n", 4, &done) == 0;
  if (f != PLAT_NO_FILE && Plat_Close(f) != 0) ok = false;
  if (!ok) {
    ++g_unwritten;
    ToStderr(text);
    return;
  }
  ++g_count;
}

void Msg_Report(const char* funktion, const char* message, int32_t error_code) {
  LogEntry entry = {funktion, message, FMSG, error_code, nullptr, 0, nullptr};
  Msg_Write(&entry);
}

int32_t Msg_Count() { return g_count; }
int32_t Msg_Reported() { return g_reported; }
int32_t Msg_Unwritten() { return g_unwritten; }
void Msg_SetLockWait(int32_t ms) { g_wait_ms = ms; }
const char* Msg_FileName() { return g_file_name; }
const char* Msg_OldFileName() { return g_old_file_name; }
