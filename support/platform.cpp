// Platform layer, the part every platform shares: the table of file
// operations in use, and the test hook of the clock.
#include "support/platform.h"

namespace {
const PlatFileOps* g_ops = nullptr;  // nullptr: the system's table
time_t g_fixed_clock = 0;            // 0: the system clock

const PlatFileOps* Ops() { return g_ops != nullptr ? g_ops : Plat_SystemOps(); }
}  // namespace

void Plat_SetOps(const PlatFileOps* ops) { g_ops = ops; }

int32_t Plat_Open(const char* path, uint32_t flags, PlatFile* file) {
  *file = PLAT_NO_FILE;
  return Ops()->open(path, flags, file);
}
int32_t Plat_Close(PlatFile file) { return Ops()->close(file); }
int32_t Plat_Write(PlatFile file, const void* data, size_t len, size_t* done) {
  *done = 0;
  return Ops()->write(file, data, len, done);
}
int32_t Plat_Read(PlatFile file, void* buf, size_t len, size_t* got) {
  *got = 0;
  return Ops()->read(file, buf, len, got);
}
int32_t Plat_SeekEnd(PlatFile file, int64_t* pos) { return Ops()->seek_end(file, pos); }
int32_t Plat_Seek(PlatFile file, int64_t pos) { return Ops()->seek(file, pos); }
int32_t Plat_Truncate(PlatFile file, int64_t len) { return Ops()->truncate(file, len); }
int32_t Plat_DataSync(PlatFile file) { return Ops()->data_sync(file); }
int32_t Plat_Rename(const char* from, const char* to) { return Ops()->rename(from, to); }
int32_t Plat_Remove(const char* path) { return Ops()->remove(path); }
int32_t Plat_SyncDir(const char* dir) { return Ops()->sync_dir(dir); }

time_t Plat_Now() {
  if (g_fixed_clock != 0) return g_fixed_clock;
  return time(nullptr);
}

void Plat_SetClock(time_t t) { g_fixed_clock = t; }

bool Plat_ClockFixed() { return g_fixed_clock != 0; }
