// The run lock of the working folder (see run_lock.h). The lock file stays
// on the disk after a run, empty: removing it would let a third run lock a
// new file while a second one still waits on the old. It is opened for
// reading only, so that runs under another account (which may not write a
// file the first one created) take the same lock.
#include "run/run_lock.h"

namespace {

const int32_t kRetryMs = 333;
int32_t g_wait_ms = 10 * 60 * 1000;
PlatFile g_lock = PLAT_NO_FILE;

}  // namespace

int32_t RunLock_Take() {
  if (g_lock != PLAT_NO_FILE) return 0;
  const int64_t until = Plat_MonotonicMs() + g_wait_ms;
  PlatFile f = PLAT_NO_FILE;
  int32_t err;
  for (;;) {
    err = Plat_Open(RUN_LOCK_FILE, PLAT_READ | PLAT_CREATE | PLAT_NO_FOLLOW | PLAT_NO_SHARE, &f);
    if (err == 0 || !Plat_IsBusy(err) || Plat_MonotonicMs() >= until) break;
    Plat_SleepMs(kRetryMs);
  }
  if (err != 0) return err;
  g_lock = f;
  return 0;
}

void RunLock_Release() {
  if (g_lock == PLAT_NO_FILE) return;
  Plat_Close(g_lock);
  g_lock = PLAT_NO_FILE;
}

void RunLock_SetWait(int32_t ms) { g_wait_ms = ms; }
