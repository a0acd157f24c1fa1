// Another process that holds a file: the test program started again as a
// child, which opens the file with the platform layer's flags (the program's
// own lock on POSIX, a share mode on Windows), says whether the open worked,
// holds the file until it is told to let go or its time is up, may append a
// text, and ends. Lets tests see what the program does with a file that
// another program has open, on every system.
#pragma once

#include <cstdint>
#include <string>

class FileHolder {
 public:
  // Starts the child and waits until it has tried the open. hold_ms: the
  // longest it holds the file (0: it closes it at once). text: appended
  // before the file is let go.
  FileHolder(const std::string& path, uint32_t flags, int32_t hold_ms,
             const std::string& text = "");
  ~FileHolder();  // lets go and waits for the child
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

  // 0 when the child opened the file, otherwise the system's error.
  int32_t OpenError() const { return open_error_; }
  // Tells the child to let go and waits for its end; its exit status (0
  // when it held the file and wrote its text).
  int Release();

 private:
  std::string dir_;  // the messages between the two processes
  int64_t pid_ = 0;
  bool ended_ = false;
  int status_ = -1;
  int32_t open_error_ = -1;
};
