// Platform layer for POSIX systems: files with descriptors, flock(2) for
// the locks, fdatasync(2) for durability.
#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "support/platform.h"

extern char** environ;

namespace {

int32_t Err() { return errno != 0 ? errno : EIO; }

int Fd(PlatFile f) { return static_cast<int>(f); }

int32_t Open(const char* path, uint32_t flags, PlatFile* file) {
  int mode = (flags & PLAT_WRITE) ? ((flags & PLAT_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (flags & PLAT_CREATE) mode |= O_CREAT;
  if (flags & PLAT_NEW) mode |= O_CREAT | O_EXCL;
  if (flags & PLAT_WRITE_THROUGH) mode |= O_DSYNC;
  if (flags & PLAT_NO_FOLLOW) mode |= O_NOFOLLOW;
  int fd;
  do {
    fd = open(path, mode | O_CLOEXEC | O_NOCTTY, (flags & PLAT_OWNER_ONLY) ? 0600 : 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return (flags & PLAT_NO_FOLLOW) && errno == ELOOP ? ELOOP : Err();
  if (flags & (PLAT_LOCK | PLAT_NO_SHARE)) {
    // Advisory locks keep the program's own writers apart; a process that
    // holds the lock makes the open fail as a share mode would.
    int rc;
    do {
      rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      int32_t err = Err();
      close(fd);
      return err;
    }
  }
  *file = fd;
  return 0;
}

int32_t Close(PlatFile file) {
  // Closing the descriptor releases its lock.
  return close(Fd(file)) == 0 ? 0 : Err();
}

int32_t Write(PlatFile file, const void* data, size_t len, size_t* done) {
  const char* p = static_cast<const char*>(data);
  while (*done < len) {
    ssize_t n = write(Fd(file), p + *done, len - *done);
    if (n > 0) {
      *done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 ? Err() : EIO;
    }
  }
  return 0;
}

int32_t Read(PlatFile file, void* buf, size_t len, size_t* got) {
  char* p = static_cast<char*>(buf);
  while (*got < len) {
    ssize_t n = read(Fd(file), p + *got, len - *got);
    if (n > 0) {
      *got += static_cast<size_t>(n);
    } else if (n == 0) {
      return 0;
    } else if (errno != EINTR) {
      return Err();
    }
  }
  return 0;
}

int32_t SeekEnd(PlatFile file, int64_t* pos) {
  off_t at = lseek(Fd(file), 0, SEEK_END);
  if (at < 0) return Err();
  *pos = static_cast<int64_t>(at);
  return 0;
}

int32_t Seek(PlatFile file, int64_t pos) {
  return lseek(Fd(file), static_cast<off_t>(pos), SEEK_SET) < 0 ? Err() : 0;
}

int32_t Truncate(PlatFile file, int64_t len) {
  int rc;
  do {
    rc = ftruncate(Fd(file), static_cast<off_t>(len));
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : Err();
}

int32_t DataSync(PlatFile file) {
  int rc;
  do {
    rc = fdatasync(Fd(file));
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : Err();
}

int32_t Rename(const char* from, const char* to) { return rename(from, to) == 0 ? 0 : Err(); }

int32_t Remove(const char* path) { return unlink(path) == 0 ? 0 : Err(); }

int32_t SyncDir(const char* dir) {
  int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Err();
  int32_t rc = fsync(fd) == 0 ? 0 : Err();
  close(fd);
  return rc;
}

const PlatFileOps kSystemOps = {Open,     Close,    Write,  Read,   SeekEnd, Seek,
                                Truncate, DataSync, Rename, Remove, SyncDir};

}  // namespace

const PlatFileOps* Plat_SystemOps() { return &kSystemOps; }

bool Plat_IsBusy(int32_t err) { return err == EWOULDBLOCK || err == EAGAIN; }

bool Plat_IsMissing(int32_t err) { return err == ENOENT; }

bool Plat_IsExisting(int32_t err) { return err == EEXIST; }

int32_t Plat_Stat(const char* path, PlatStat* st) {
  struct stat sb;
  st->kind = PLAT_MISSING;
  st->size = 0;
  if (lstat(path, &sb) != 0) return errno == ENOENT ? 0 : Err();
  st->size = static_cast<int64_t>(sb.st_size);
  st->kind = S_ISREG(sb.st_mode)   ? PLAT_REGULAR
             : S_ISDIR(sb.st_mode) ? PLAT_DIRECTORY
             : S_ISLNK(sb.st_mode) ? PLAT_LINK
                                   : PLAT_OTHER;
  return 0;
}

bool Plat_SameFile(PlatFile file, const char* path) {
  struct stat held, named;
  if (fstat(Fd(file), &held) != 0 || stat(path, &named) != 0) return false;
  return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

int32_t Plat_ReadSmallFile(const char* path, char* buf, size_t max, size_t* len) {
  *len = 0;
  // Non-blocking, so that a pipe or a device at the path cannot make the
  // open wait; only a regular file is read.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Err();
  struct stat sb;
  int32_t rc = 0;
  if (fstat(fd, &sb) != 0) {
    rc = Err();
  } else if (!S_ISREG(sb.st_mode)) {
    rc = EINVAL;
  } else if (static_cast<uint64_t>(sb.st_size) > max) {
    rc = EFBIG;
  } else {
    size_t got = 0;
    rc = Read(fd, buf, max, &got);
    if (rc == 0 && got == max) {  // grew while we read: more than max after all
      char extra;
      size_t more = 0;
      if (Read(fd, &extra, 1, &more) == 0 && more != 0) rc = EFBIG;
    }
    *len = got;
  }
  close(fd);
  return rc;
}

int32_t Plat_MakeDir(const char* path) {
  if (mkdir(path, 0755) == 0 || errno == EEXIST) return 0;
  return Err();
}

int32_t Plat_CopyAccess(const char* path, PlatFile file) {
  struct stat sb;
  if (stat(path, &sb) != 0) return Err();
  return fchmod(Fd(file), sb.st_mode & 07777) == 0 ? 0 : Err();
}

void Plat_LocalTime(time_t t, struct tm* out) {
  if (out == nullptr) return;
  if (localtime_r(&t, out) == nullptr) memset(out, 0, sizeof *out);
}

int64_t Plat_MonotonicMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void Plat_SleepMs(int32_t ms) {
  if (ms <= 0) return;
  struct timespec rest;
  rest.tv_sec = ms / 1000;
  rest.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  // Sleep the whole time even when a signal interrupts.
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

void Plat_StartProcess() { signal(SIGXFSZ, SIG_IGN); }

const char* Plat_ArgCodeset() {
  static char codeset[64];
  if (codeset[0] == '\0') {
    // The environment's locale only for this question: the program keeps the
    // "C" locale, whose numbers have a '.' as the records need.
    char saved[256];
    const char* now = setlocale(LC_ALL, nullptr);
    snprintf(saved, sizeof saved, "%s", now != nullptr ? now : "C");
    if (setlocale(LC_ALL, "") == nullptr) setlocale(LC_CTYPE, "");
    const char* cs = nl_langinfo(CODESET);
    snprintf(codeset, sizeof codeset, "%s", cs != nullptr && *cs != '\0' ? cs : "ANSI_X3.4-1968");
    setlocale(LC_ALL, saved);
  }
  return codeset;
}

int32_t Plat_Pid() { return static_cast<int32_t>(getpid()); }

int32_t Plat_Spawn(const char* const* argv, int64_t* pid) {
  pid_t child = 0;
  int rc = posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ);
  if (rc != 0) return rc;
  *pid = child;
  return 0;
}

int32_t Plat_SpawnRedirected(const char* const* argv, const char* out, const char* err,
                             int64_t* pid) {
  posix_spawn_file_actions_t actions;
  int rc = posix_spawn_file_actions_init(&actions);
  if (rc != 0) return rc;
  const int kOut = O_WRONLY | O_CREAT | O_TRUNC;
  rc = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&actions, 1, out, kOut, 0644);
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&actions, 2, err, kOut, 0644);
  pid_t child = 0;
  if (rc == 0)
    rc = posix_spawn(&child, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return rc;
  *pid = child;
  return 0;
}

int32_t Plat_Wait(int64_t pid, int32_t timeout_ms, int* status) {
  const int64_t until = Plat_MonotonicMs() + (timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int ws = 0;
    pid_t r = waitpid(static_cast<pid_t>(pid), &ws, WNOHANG);
    if (r == static_cast<pid_t>(pid)) {
      *status = WIFEXITED(ws) ? WEXITSTATUS(ws) : WIFSIGNALED(ws) ? 128 + WTERMSIG(ws) : 255;
      return 0;
    }
    if (r < 0 && errno != EINTR) return Err();
    if (timeout_ms >= 0 && Plat_MonotonicMs() >= until) return 1;
    Plat_SleepMs(5);
  }
}

void Plat_Kill(int64_t pid) { kill(static_cast<pid_t>(pid), SIGKILL); }

int32_t Plat_SetEnv(const char* name, const char* value) {
  int rc = value != nullptr ? setenv(name, value, 1) : unsetenv(name);
  return rc == 0 ? 0 : Err();
}

int32_t Plat_MakeTempDir(const char* prefix, char* out, size_t size) {
  const char* tmp = getenv("TMPDIR");
  if (tmp == nullptr || *tmp == '\0') tmp = "/tmp";
  int n = snprintf(out, size, "%s/%sXXXXXX", tmp, prefix);
  if (n < 0 || static_cast<size_t>(n) >= size) return ENAMETOOLONG;
  return mkdtemp(out) != nullptr ? 0 : Err();
}
