// Platform layer for POSIX: clock with a test hook, local time, sleeping and
// the advisory file lock that keeps two writers of one file apart.
#include "support/platform.h"

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace {
time_t g_fixed_clock = 0;  // 0: the system clock
}  // namespace

time_t Plat_Now() {
  if (g_fixed_clock != 0) return g_fixed_clock;
  return time(nullptr);
}

void Plat_LocalTime(time_t t, struct tm* out) {
  if (out == nullptr) return;
  if (localtime_r(&t, out) == nullptr) memset(out, 0, sizeof *out);
}

void Plat_SetClock(time_t t) { g_fixed_clock = t; }

bool Plat_ClockFixed() { return g_fixed_clock != 0; }

void Plat_SleepMs(int32_t ms) {
  if (ms <= 0) return;
  struct timespec rest;
  rest.tv_sec = ms / 1000;
  rest.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  // Sleep the whole time even when a signal interrupts.
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

int32_t Plat_TryLock(int fd) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    int err = errno;
    if (err == EINTR) continue;
    if (err == EWOULDBLOCK) return EWOULDBLOCK;
    return err > 0 ? -err : -1;
  }
}

void Plat_Unlock(int fd) {
  while (flock(fd, LOCK_UN) != 0 && errno == EINTR) {
  }
}
