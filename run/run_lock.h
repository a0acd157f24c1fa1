// The run lock: one run at a time per working folder. A run holds the lock
// file ./velmarkon.lck, opened so that nobody else may open it, from before
// it connects until its end; a second run in the same folder waits for it (in
// steps of 333 ms, at most 10 minutes) and then gives up. Runs in different
// working folders have different lock files and never wait for each other.
#pragma once

#include <cstdint>

#include "support/platform.h"

#define RUN_LOCK_FILE "." PLAT_SEP "velmarkon.lck"

// Takes the run lock of the current working folder, waiting while another
// run holds it. Returns 0, or the system's error of the last attempt: one for
// which Plat_IsBusy is true when the wait ran out, another when the lock file
// cannot be opened at all (a folder that cannot be written, a link at the
// name). Nothing is logged here.
int32_t RunLock_Take();

// Gives the lock back (nothing when it is not held).
void RunLock_Release();

// The longest wait for another run (10 minutes; tests make it shorter).
void RunLock_SetWait(int32_t ms);
