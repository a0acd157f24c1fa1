// A fault-injecting file layer for tests, in place of the system's table of
// file operations (support/platform.h). Every operation goes on to the
// system's table unless the test has asked for it to fail: the Nth open,
// write, data sync, truncate or rename (optionally only on paths containing
// a given text) fails with a chosen error, and a write can be made short
// (half its bytes reach the file). It also records, in order, the durable
// steps the program takes: each data sync of a file ("sync <name>"), each
// request to sync a folder ("syncdir <name>") and each commit of the session
// ("commit"); and every open the program asked for, with its flags and its
// result. Not part of the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum FaultOp { FAULT_OPEN, FAULT_WRITE, FAULT_SYNC, FAULT_TRUNCATE, FAULT_RENAME, FAULT_OPS };

// One open the program asked for.
struct FaultOpen {
  std::string name;  // the file name, without its folder
  uint32_t flags;    // PLAT_... (support/platform.h)
  int32_t rc;        // 0, or the error it failed with
};

class FaultFs {
 public:
  FaultFs();   // takes the place of the system's table and watches commits
  ~FaultFs();  // puts the system's table back
  FaultFs(const FaultFs&) = delete;
  FaultFs& operator=(const FaultFs&) = delete;

  // The nth operation of kind op from now on (1 = the next one), counting
  // only those on paths that contain path_part, fails with err; short_write
  // lets half of a failing write's bytes reach the file first.
  void FailNth(FaultOp op, int nth, int32_t err, const std::string& path_part = "",
               bool short_write = false);
  // Every such operation from now on fails.
  void FailAll(FaultOp op, int32_t err, const std::string& path_part = "");

  int Count(FaultOp op) const { return counts_[op]; }
  // The durable steps so far: "sync <file name>", "syncdir <folder name>"
  // and "commit".
  const std::vector<std::string>& Steps() const { return steps_; }
  // Every open so far, in order, failed ones included.
  const std::vector<FaultOpen>& Opens() const { return opens_; }
  // The flags of the opens of the file called name (without its folder).
  std::vector<uint32_t> OpenFlags(const std::string& name) const;
  // Called before every operation (after it was counted) with its kind and
  // path: tests use it to act between the program's steps.
  std::function<void(FaultOp op, const std::string& path)> before;
  // Called after every data sync that succeeded, with the file's path.
  std::function<void(const std::string& path)> after_sync;

  // For the table's functions.
  static FaultFs* Current();
  int32_t Check(FaultOp op, const std::string& path, bool* short_write);
  void Step(const std::string& step) { steps_.push_back(step); }
  void Opened(const FaultOpen& open) { opens_.push_back(open); }

 private:
  struct Rule {
    FaultOp op;
    int nth;  // 0: every one
    int32_t err;
    std::string path_part;
    bool short_write;
    int seen;
  };
  std::vector<Rule> rules_;
  int counts_[FAULT_OPS] = {};
  std::vector<std::string> steps_;
  std::vector<FaultOpen> opens_;
};
