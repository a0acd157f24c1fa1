// Message log: appends one plain-text entry per reported failure to the log
// file and rotates the file to its ".old" name once a run has written more
// than 3000 entries.
//
// Every entry is written through a fresh open with write-through (O_DSYNC),
// under an exclusive flock(2) held for that one entry, and the file is closed
// again, so other programs can read the log at any time and a second writer
// waits (in steps of 333 ms) until the entry is complete. Failures are never
// reported: an entry that cannot be written is dropped. Nothing is allocated
// per entry.
#include "support/msg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

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

// The rotation name: everything from the last '.' of the file-name part on is
// replaced with ".old"; without a '.' ".old" is appended. Returns -1 when the
// result does not fit.
int DeriveOldName(const char* name, char* out, size_t out_size) {
  const char* slash = strrchr(name, '/');
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

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

enum { kLockFailed = -1, kLockNoFile = -2 };

// Opens the named file and takes its exclusive lock, waiting while another
// process holds it. Once the lock is held, the descriptor must still refer to
// the file under that name (another writer may have rotated it while we
// waited); otherwise the open is repeated. Returns the descriptor, kLockNoFile
// when the file does not exist and create is false, or kLockFailed.
int OpenLocked(const char* name, bool create) {
  int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_DSYNC : 0);
  for (;;) {
    int fd;
    do {
      fd = open(name, flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return (!create && errno == ENOENT) ? kLockNoFile : kLockFailed;

    int32_t rc;
    while ((rc = Plat_TryLock(fd)) > 0) Plat_SleepMs(kRetryMs);
    if (rc < 0) {
      close(fd);
      return kLockFailed;
    }

    struct stat held;
    struct stat named;
    if (fstat(fd, &held) != 0) {
      Plat_Unlock(fd);
      close(fd);
      return kLockFailed;
    }
    int stat_err = 0;
    if (stat(name, &named) != 0) {
      stat_err = errno;
    } else if (named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
      return fd;
    }
    Plat_Unlock(fd);
    close(fd);
    if (stat_err != 0 && stat_err != ENOENT) return kLockFailed;
    // The name now belongs to another file (or to none): open again.
  }
}

// Renames the log to its rotation name, replacing an earlier rotation file.
// The rename waits for another writer's entry to be complete. A log file that
// does not exist has nothing to rotate. Returns 0 when the entry may go on.
int Rotate() {
  int fd = OpenLocked(g_file_name, false);
  if (fd == kLockFailed) return -1;
  int rc = 0;
  if (fd >= 0) {
    unlink(g_old_file_name);  // a failed delete is ignored
    if (rename(g_file_name, g_old_file_name) != 0 && errno != ENOENT) rc = -1;
    Plat_Unlock(fd);
    close(fd);
  }
  if (rc != 0) return rc;  // entry dropped, count unchanged
  g_count = 0;
  return 0;
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
  if (len < 0 || static_cast<size_t>(len) >= sizeof text) return;

  if (g_count > g_max_count && Rotate() != 0) return;

  int fd = OpenLocked(g_file_name, true);
  if (fd < 0) return;
  bool ok = lseek(fd, 0, SEEK_END) >= 0 && WriteAll(fd, text, static_cast<size_t>(len));
  if (ok && (kind & DMSG)) {
    if (entry->Data != nullptr && entry->DataLength > 0) {
      ok = WriteAll(fd, entry->Data, entry->DataLength);
    }
    ok = ok && WriteAll(fd, "\r\n", 2);
  }
  // The system text of an SMSG entry is a single line break.
  if (ok && (kind & SMSG)) ok = WriteAll(fd, "\r\n\r\n", 4);
  Plat_Unlock(fd);
  if (close(fd) != 0 || !ok) return;
  ++g_count;
}

void Msg_Report(const char* funktion, const char* message, int32_t error_code) {
  LogEntry entry = {funktion, message, FMSG, error_code, nullptr, 0, nullptr};
  Msg_Write(&entry);
}

int32_t Msg_Count() { return g_count; }
const char* Msg_FileName() { return g_file_name; }
const char* Msg_OldFileName() { return g_old_file_name; }
