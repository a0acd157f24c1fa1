// The fault-injecting file layer for tests (see fault_fs.h).
#include "tests/fault_fs.h"

#include <map>

#include "db/sql.h"
#include "support/platform.h"

namespace {

FaultFs* g_current = nullptr;
std::map<PlatFile, std::string> g_paths;  // the name each open file was opened by

const PlatFileOps* System() { return Plat_SystemOps(); }

std::string PathOf(PlatFile f) {
  auto it = g_paths.find(f);
  return it == g_paths.end() ? std::string() : it->second;
}

std::string BaseName(const std::string& path) {
  size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

int32_t Fail(FaultOp op, const std::string& path, bool* short_write) {
  return g_current ? g_current->Check(op, path, short_write) : 0;
}

int32_t Open(const char* path, uint32_t flags, PlatFile* file) {
  bool shrt = false;
  int32_t rc = Fail(FAULT_OPEN, path, &shrt);
  if (rc == 0) rc = System()->open(path, flags, file);
  if (rc == 0) g_paths[*file] = path;
  if (g_current) g_current->Opened({BaseName(path), flags, rc});
  return rc;
}

int32_t Close(PlatFile file) {
  g_paths.erase(file);
  return System()->close(file);
}

int32_t Write(PlatFile file, const void* data, size_t len, size_t* done) {
  bool shrt = false;
  if (int32_t err = Fail(FAULT_WRITE, PathOf(file), &shrt)) {
    if (shrt && len > 1) System()->write(file, data, len / 2, done);
    return err;
  }
  return System()->write(file, data, len, done);
}

int32_t Read(PlatFile file, void* buf, size_t len, size_t* got) {
  return System()->read(file, buf, len, got);
}
int32_t SeekEnd(PlatFile file, int64_t* pos) { return System()->seek_end(file, pos); }
int32_t Seek(PlatFile file, int64_t pos) { return System()->seek(file, pos); }

int32_t Truncate(PlatFile file, int64_t len) {
  bool shrt = false;
  if (int32_t err = Fail(FAULT_TRUNCATE, PathOf(file), &shrt)) return err;
  return System()->truncate(file, len);
}

int32_t DataSync(PlatFile file) {
  bool shrt = false;
  std::string path = PathOf(file);
  if (int32_t err = Fail(FAULT_SYNC, path, &shrt)) return err;
  int32_t rc = System()->data_sync(file);
  if (rc == 0 && g_current) {
    g_current->Step("sync " + BaseName(path));
    if (g_current->after_sync) g_current->after_sync(path);
  }
  return rc;
}

int32_t Rename(const char* from, const char* to) {
  bool shrt = false;
  if (int32_t err = Fail(FAULT_RENAME, from, &shrt)) return err;
  return System()->rename(from, to);
}

int32_t Remove(const char* path) { return System()->remove(path); }
// Recorded whatever the system answers: the program asks for it and goes on
// either way, and a system may have nothing to do for it.
int32_t SyncDir(const char* dir) {
  if (g_current) g_current->Step("syncdir " + BaseName(dir));
  return System()->sync_dir(dir);
}

const PlatFileOps kFaultOps = {Open,     Close,    Write,  Read,   SeekEnd, Seek,
                               Truncate, DataSync, Rename, Remove, SyncDir};

void Committed() {
  if (g_current) g_current->Step("commit");
}

}  // namespace

FaultFs::FaultFs() {
  g_current = this;
  Plat_SetOps(&kFaultOps);
  Sql_SetCommitHook(Committed);
}

FaultFs::~FaultFs() {
  Plat_SetOps(nullptr);
  Sql_SetCommitHook(nullptr);
  g_current = nullptr;
}

FaultFs* FaultFs::Current() { return g_current; }

std::vector<uint32_t> FaultFs::OpenFlags(const std::string& name) const {
  std::vector<uint32_t> flags;
  for (const FaultOpen& o : opens_)
    if (o.name == name) flags.push_back(o.flags);
  return flags;
}

void FaultFs::FailNth(FaultOp op, int nth, int32_t err, const std::string& path_part,
                      bool short_write) {
  rules_.push_back({op, nth, err, path_part, short_write, 0});
}

void FaultFs::FailAll(FaultOp op, int32_t err, const std::string& path_part) {
  rules_.push_back({op, 0, err, path_part, false, 0});
}

int32_t FaultFs::Check(FaultOp op, const std::string& path, bool* short_write) {
  ++counts_[op];
  if (before) before(op, path);
  for (Rule& r : rules_) {
    if (r.op != op || path.find(r.path_part) == std::string::npos) continue;
    ++r.seen;
    if (r.nth == 0 || r.seen == r.nth) {
      *short_write = r.short_write;
      return r.err;
    }
  }
  return 0;
}
