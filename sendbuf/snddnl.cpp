// Send-buffer writer.
//
// One send-buffer file per terminal group, ../Comm/Buff/SndDnl<n>.buf. The
// file of the latest record stays open, locked exclusively, while records for
// the same group follow; a record for another group closes it and opens the
// other. Records are appended with write-through: when SndDnl_Write returns 0
// the record is on the disk. A write that fails leaves no part of its record
// in the file.
#include "sendbuf/snddnl.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "sendbuf/ip.h"
#include "support/msg.h"
#include "support/platform.h"
#include "support/text.h"

namespace {

int32_t g_current = 0;  // file number of the open file; 0: none open
int g_fd = -1;

void CloseCurrent() {
  if (g_fd >= 0) {
    Plat_Unlock(g_fd);
    close(g_fd);
  }
  g_fd = -1;
  g_current = 0;
}

// Makes a newly created file's directory entry durable as well.
void SyncDir() {
  int dfd = open(SND_DIR, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
}

int32_t OpenFile(int32_t number) {
  char name[64];
  snprintf(name, sizeof name, SND_DIR "/SndDnl%d.buf", number);
  int fd = open(name, O_WRONLY | O_CREAT | O_DSYNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    Msg_Report("CreateFile", "Datei oeffnen", errno);
    return -1;
  }
  // No sharing while the file is open: another holder makes the open fail.
  int32_t lk = Plat_TryLock(fd);
  if (lk != 0) {
    close(fd);
    Msg_Report("CreateFile", "Datei oeffnen", lk > 0 ? lk : errno);
    return -1;
  }
  if (lseek(fd, 0, SEEK_END) < 0) {
    int err = errno;
    Plat_Unlock(fd);
    close(fd);
    Msg_Report("SetFilePointer", "Ende der Datei", err);
    return -1;
  }
  SyncDir();
  g_fd = fd;
  g_current = number;
  return 0;
}

// Writes the whole record at the end, or nothing: a failed or short write
// is cut back to the file's length before it.
int32_t Append(const char* rec, size_t len) {
  off_t start = lseek(g_fd, 0, SEEK_CUR);
  size_t done = 0;
  int err = 0;
  while (done < len) {
    ssize_t n = write(g_fd, rec + done, len - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      err = n < 0 ? errno : EIO;
      break;
    }
  }
  if (done == len) return 0;
  if (start >= 0 && done > 0) {
    if (ftruncate(g_fd, start) == 0) fdatasync(g_fd);
  }
  if (start >= 0) lseek(g_fd, start, SEEK_SET);
  Msg_Report("WrittenFile", "", err);
  return -1;
}

}  // namespace

int SndDnl_Format(const DownloadMessage& msg, const char* address, const char* port,
                  const char* stamp, char out[600]) {
  memset(out, 0, 600);
  // The message's texts may fill their fields: read no further than each.
  char date[sizeof msg.date], time[sizeof msg.time], table[sizeof msg.table],
      action[sizeof msg.action], body[sizeof msg.body + 1];
  CopyText(date, msg.date);
  CopyText(time, msg.time);
  CopyText(table, msg.table);
  CopyText(action, msg.action);
  Txt_Copy(body, sizeof body, msg.body);
  const char* yymmdd = strlen(date) >= 2 ? date + 2 : "";
  int n = snprintf(out, 600,
                   "$%-15.15s%-5.5s%14.14s%3s%15.15s%5.5s%28s%4s%3.3s%6.6s%6.6sBDE%3.3s%-438.438s*"
                   "\r\n",
                   address, port, stamp, "999", address, port, "", "0460", table, yymmdd, time,
                   action, body);
  return n;
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

  if (g_current != cfg.CfgDta || g_fd < 0) {
    CloseCurrent();
    if (OpenFile(cfg.CfgDta) != 0) return -1;
  }
  return Append(rec, static_cast<size_t>(len));
}

void SndDnl_Close() { CloseCurrent(); }
