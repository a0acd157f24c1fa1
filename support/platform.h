// Platform layer: the operating-system services the program needs, behind
// one seam. Everything else in the tree is portable C++ and reaches files,
// locks, clocks and processes only through these functions; the POSIX and
// the Windows implementation live in platform_posix.cpp and platform_win.cpp.
//
// File operations return 0 or the operating system's own error number
// (errno, or GetLastError() on Windows): that number is what the program's
// log entries show. They reach the system through a table of operations
// (PlatFileOps) so that tests can put a fault-injecting table in its place;
// the program itself always runs on the system's table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// The program's fixed paths, relative to its working folder, as this
// platform writes them.
#if defined(_WIN32)
#define PLAT_SEP "\\"
#else
#define PLAT_SEP "/"
#endif
#define PLAT_MSG_DIR "." PLAT_SEP "Msg"
#define PLAT_MSG_FILE PLAT_MSG_DIR PLAT_SEP "Velmarkon.Txt"
#define PLAT_SND_DIR ".." PLAT_SEP "Comm" PLAT_SEP "Buff"
#define PLAT_INI_FILE \
  ".." PLAT_SEP ".." PLAT_SEP ".." PLAT_SEP ".." PLAT_SEP "files" PLAT_SEP "korvantis.ini"

// An open file: a descriptor or a handle.
typedef intptr_t PlatFile;
constexpr PlatFile PLAT_NO_FILE = -1;

// How Plat_Open opens a file.
enum : uint32_t {
  PLAT_READ = 1u << 0,
  PLAT_WRITE = 1u << 1,
  PLAT_CREATE = 1u << 2,         // create it when it is missing
  PLAT_WRITE_THROUGH = 1u << 3,  // every write is on the disk when it returns
  PLAT_NO_FOLLOW = 1u << 4,      // a symbolic link at the path is refused
  // One writer at a time: while the file is open no other writer may open it
  // this way, readers may (the log). A held file gives an error for which
  // Plat_IsBusy is true.
  PLAT_LOCK = 1u << 5,
  // Nobody else may open the file while it is open (the send buffers).
  PLAT_NO_SHARE = 1u << 6,
  PLAT_NEW = 1u << 7,         // create it; an existing file is an error
  PLAT_OWNER_ONLY = 1u << 8,  // a file this open creates is for its owner alone (POSIX)
};

enum PlatKind : uint8_t { PLAT_MISSING, PLAT_REGULAR, PLAT_DIRECTORY, PLAT_LINK, PLAT_OTHER };

struct PlatStat {
  PlatKind kind;
  int64_t size;
};

// The file operations, as a table that tests may replace.
struct PlatFileOps {
  int32_t (*open)(const char* path, uint32_t flags, PlatFile* file);
  int32_t (*close)(PlatFile file);
  // Writes len bytes (all of them, or fewer when an error ends the write);
  // *done says how many reached the file.
  int32_t (*write)(PlatFile file, const void* data, size_t len, size_t* done);
  int32_t (*read)(PlatFile file, void* buf, size_t len, size_t* got);
  int32_t (*seek_end)(PlatFile file, int64_t* pos);  // to the end; *pos its offset
  int32_t (*seek)(PlatFile file, int64_t pos);
  int32_t (*truncate)(PlatFile file, int64_t len);
  int32_t (*data_sync)(PlatFile file);  // the file's data and size on the disk
  // Replaces an existing "to". Windows renames no open file: callers close
  // it first.
  int32_t (*rename)(const char* from, const char* to);
  int32_t (*remove)(const char* path);
  int32_t (*sync_dir)(const char* dir);  // a new name in dir on the disk
};

// The operating system's table, and the table in use (the system's unless
// a test replaced it; nullptr puts the system's back).
const PlatFileOps* Plat_SystemOps();
void Plat_SetOps(const PlatFileOps* ops);

int32_t Plat_Open(const char* path, uint32_t flags, PlatFile* file);
int32_t Plat_Close(PlatFile file);
int32_t Plat_Write(PlatFile file, const void* data, size_t len, size_t* done);
int32_t Plat_Read(PlatFile file, void* buf, size_t len, size_t* got);
int32_t Plat_SeekEnd(PlatFile file, int64_t* pos);
int32_t Plat_Seek(PlatFile file, int64_t pos);
int32_t Plat_Truncate(PlatFile file, int64_t len);
int32_t Plat_DataSync(PlatFile file);
int32_t Plat_Rename(const char* from, const char* to);
int32_t Plat_Remove(const char* path);
int32_t Plat_SyncDir(const char* dir);

// True for the errors of a file another process holds (a lock or a share
// mode), which are worth waiting out.
bool Plat_IsBusy(int32_t err);
// True for the error of a path that does not exist.
bool Plat_IsMissing(int32_t err);
// True for the error of a PLAT_NEW open that found the file there.
bool Plat_IsExisting(int32_t err);

// What is at path, without following a link at the path itself.
int32_t Plat_Stat(const char* path, PlatStat* st);
// True when the open file is still the one that path names.
bool Plat_SameFile(PlatFile file, const char* path);
// Reads a regular file of at most max bytes whole into buf (which has room
// for max bytes); anything else (a folder, a device, a pipe, a larger file)
// is refused without waiting. *len is the number of bytes read.
int32_t Plat_ReadSmallFile(const char* path, char* buf, size_t max, size_t* len);
int32_t Plat_MakeDir(const char* path);  // 0 also when it exists
// Gives the open file the access rights of the file at path (POSIX: its
// permission bits). Nothing on Windows, where a file takes the rights its
// folder passes on.
int32_t Plat_CopyAccess(const char* path, PlatFile file);

// Current calendar time. Tests may fix it with Plat_SetClock.
time_t Plat_Now();
// Local broken-down time of t.
void Plat_LocalTime(time_t t, struct tm* out);
// Fix the clock to t (0: back to the system clock). For tests.
void Plat_SetClock(time_t t);
// True while the clock is fixed.
bool Plat_ClockFixed();
// A clock for measuring waits: milliseconds since some fixed point.
int64_t Plat_MonotonicMs();
void Plat_SleepMs(int32_t ms);

// Called first thing in the program: a signal that would end the process
// where a call should fail is turned off (on POSIX, SIGXFSZ: a write beyond
// the file-size limit then fails with EFBIG like a full disk). On Windows
// the system's error dialogs are turned off, so that a run that nobody
// watches never waits for a click.
void Plat_StartProcess();

// The character set the command-line arguments arrive in, as the system
// names it: on POSIX the codeset of the environment's locale (LC_ALL,
// LC_CTYPE, LANG; "UTF-8", "ISO-8859-1", "ANSI_X3.4-1968" for the C
// locale), on Windows the ANSI code page ("CP1252"). The program's own
// locale stays "C". Never nullptr.
const char* Plat_ArgCodeset();

// Processes, for the program's run lock messages, tests and the benchmark.
int32_t Plat_Pid();
// Starts argv[0] (a path to the program file; on Windows ".exe" may be left
// off) with the given arguments (argv ends with nullptr) in the current
// folder, with the caller's environment; *pid identifies it. Returns 0 or
// the system's error.
int32_t Plat_Spawn(const char* const* argv, int64_t* pid);
// The same with standard input from the null device and standard output
// and standard error going to the files out and err (created or emptied).
int32_t Plat_SpawnRedirected(const char* const* argv, const char* out, const char* err,
                             int64_t* pid);
// The status Plat_Wait gives for a process that Plat_Kill ended: 128 + 9 on
// both systems (POSIX reports SIGKILL so; on Windows Plat_Kill makes it the
// process's exit code).
constexpr int PLAT_KILLED_STATUS = 137;
// Waits at most timeout_ms (negative: without limit) for a process this one
// started to end. Returns 0 and its exit status in *status (a process ended
// by a signal gives 128 plus the signal on POSIX; on Windows the status is
// the exit code, for a crash the exception code), or 1 when it is still
// running.
int32_t Plat_Wait(int64_t pid, int32_t timeout_ms, int* status);
// Ends the process at once, as a crash or a power cut would (also the
// calling process itself, given Plat_Pid()).
void Plat_Kill(int64_t pid);
// Sets (value nullptr: removes) a variable of this process's environment,
// which the processes it starts inherit. For tests.
int32_t Plat_SetEnv(const char* name, const char* value);
// Makes a new folder below the system's temporary folder; its path, with no
// separator at the end, goes to out.
int32_t Plat_MakeTempDir(const char* prefix, char* out, size_t size);
