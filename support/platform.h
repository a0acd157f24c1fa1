// Platform layer: the few operating-system services the program needs
// (clock, sleeping, file locks), behind one seam so that a Windows build
// can put its own calls in their place.
#pragma once

#include <cstdint>
#include <ctime>

// Current calendar time. Tests may fix it with Plat_SetClock.
time_t Plat_Now();
// Local broken-down time of t.
void Plat_LocalTime(time_t t, struct tm* out);
// Fix the clock to t (0: back to the system clock). For tests.
void Plat_SetClock(time_t t);
// True while the clock is fixed.
bool Plat_ClockFixed();

void Plat_SleepMs(int32_t ms);

// Exclusive lock on an open file descriptor. Plat_TryLock returns 0 when the
// lock is taken, a positive error number when another process holds it, a
// negative value on any other failure.
int32_t Plat_TryLock(int fd);
void Plat_Unlock(int fd);
