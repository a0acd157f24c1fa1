// Platform layer for Windows: files through CreateFileW, whose share modes
// are the locks (a held file makes another open fail with a sharing
// violation), FlushFileBuffers for durability, MoveFileExW for the replacing
// rename, processes through CreateProcessW.
//
// Paths are Windows-1252 (ANSI code page) text inside the program: every
// path is turned into UTF-16 with the ANSI code page before it reaches the
// system. Errors are GetLastError() numbers. Files are always binary: what
// is written is what is on the disk.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "support/platform.h"
#include "support/windows_headers.h"

namespace {

// Paths longer than this many UTF-16 units are refused.
constexpr int kPathMax = 1024;

int32_t Err() {
  DWORD e = GetLastError();
  return e != 0 ? static_cast<int32_t>(e) : static_cast<int32_t>(ERROR_GEN_FAILURE);
}

HANDLE H(PlatFile f) { return reinterpret_cast<HANDLE>(f); }

// The path in UTF-16; false (and the error set) when it does not fit.
bool Wide(const char* path, wchar_t (&out)[kPathMax]) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, out, kPathMax) == 0) {
    if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

int32_t Open(const char* path, uint32_t flags, PlatFile* file) {
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return Err();
  DWORD access = 0;
  if (flags & PLAT_READ) access |= GENERIC_READ;
  if (flags & PLAT_WRITE) access |= GENERIC_WRITE;
  // Others may read, write, rename and delete unless the flags say otherwise.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (flags & PLAT_LOCK) share = FILE_SHARE_READ;
  if (flags & PLAT_NO_SHARE) share = 0;
  DWORD disposition = OPEN_EXISTING;
  if (flags & PLAT_CREATE) disposition = OPEN_ALWAYS;
  if (flags & PLAT_NEW) disposition = CREATE_NEW;
  DWORD attrs = FILE_ATTRIBUTE_NORMAL;
  if (flags & PLAT_WRITE_THROUGH) attrs |= FILE_FLAG_WRITE_THROUGH;
  // The link itself is opened, and then refused, never the file behind it.
  if (flags & PLAT_NO_FOLLOW) attrs |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE h = CreateFileW(w, access, share, nullptr, disposition, attrs, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Err();
  if (flags & PLAT_NO_FOLLOW) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) {
      int32_t err = Err();
      CloseHandle(h);
      return err;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      CloseHandle(h);
      return ERROR_CANT_ACCESS_FILE;
    }
  }
  *file = reinterpret_cast<PlatFile>(h);
  return 0;
}

int32_t Close(PlatFile file) { return CloseHandle(H(file)) ? 0 : Err(); }

int32_t Write(PlatFile file, const void* data, size_t len, size_t* done) {
  const char* p = static_cast<const char*>(data);
  while (*done < len) {
    size_t rest = len - *done;
    DWORD chunk = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
    DWORD n = 0;
    if (!WriteFile(H(file), p + *done, chunk, &n, nullptr)) return Err();
    if (n == 0) return ERROR_WRITE_FAULT;
    *done += n;
  }
  return 0;
}

int32_t Read(PlatFile file, void* buf, size_t len, size_t* got) {
  char* p = static_cast<char*>(buf);
  while (*got < len) {
    size_t rest = len - *got;
    DWORD chunk = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
    DWORD n = 0;
    if (!ReadFile(H(file), p + *got, chunk, &n, nullptr)) {
      if (GetLastError() == ERROR_HANDLE_EOF) return 0;
      return Err();
    }
    if (n == 0) return 0;  // the end of the file
    *got += n;
  }
  return 0;
}

int32_t SeekEnd(PlatFile file, int64_t* pos) {
  LARGE_INTEGER zero, at;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(H(file), zero, &at, FILE_END)) return Err();
  *pos = at.QuadPart;
  return 0;
}

int32_t Seek(PlatFile file, int64_t pos) {
  LARGE_INTEGER to;
  to.QuadPart = pos;
  return SetFilePointerEx(H(file), to, nullptr, FILE_BEGIN) ? 0 : Err();
}

// SetEndOfFile cuts at the file pointer; the pointer is put back afterwards,
// as POSIX's ftruncate leaves it.
int32_t Truncate(PlatFile file, int64_t len) {
  LARGE_INTEGER zero, was, to;
  zero.QuadPart = 0;
  to.QuadPart = len;
  if (!SetFilePointerEx(H(file), zero, &was, FILE_CURRENT)) return Err();
  if (!SetFilePointerEx(H(file), to, nullptr, FILE_BEGIN)) return Err();
  int32_t rc = SetEndOfFile(H(file)) ? 0 : Err();
  SetFilePointerEx(H(file), was, nullptr, FILE_BEGIN);
  return rc;
}

int32_t DataSync(PlatFile file) { return FlushFileBuffers(H(file)) ? 0 : Err(); }

int32_t Rename(const char* from, const char* to) {
  wchar_t wf[kPathMax], wt[kPathMax];
  if (!Wide(from, wf) || !Wide(to, wt)) return Err();
  return MoveFileExW(wf, wt, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : Err();
}

int32_t Remove(const char* path) {
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return Err();
  return DeleteFileW(w) ? 0 : Err();
}

// A new name is on the disk with the file's own data sync on Windows.
int32_t SyncDir(const char*) { return 0; }

const PlatFileOps kSystemOps = {Open,     Close,    Write,  Read,   SeekEnd, Seek,
                                Truncate, DataSync, Rename, Remove, SyncDir};

// Processes this one started and has not waited for: their handles.
struct Child {
  DWORD pid;
  HANDLE process;
};
Child g_children[64];

HANDLE ChildHandle(int64_t pid, bool forget) {
  for (Child& c : g_children) {
    if (c.process != nullptr && c.pid == static_cast<DWORD>(pid)) {
      HANDLE h = c.process;
      if (forget) c = Child{0, nullptr};
      return h;
    }
  }
  return nullptr;
}

// One argument on a command line as the C runtime of the child splits it
// again: in quotes, backslashes before a quote doubled, quotes escaped.
void AppendQuoted(std::wstring* line, const wchar_t* arg) {
  if (!line->empty()) line->push_back(L' ');
  if (*arg != L'\0' && wcspbrk(arg, L" \t\n\v\"") == nullptr) {
    line->append(arg);
    return;
  }
  line->push_back(L'"');
  for (const wchar_t* p = arg;; ++p) {
    size_t backslashes = 0;
    while (*p == L'\\') {
      ++p;
      ++backslashes;
    }
    if (*p == L'\0') {
      line->append(backslashes * 2, L'\\');
      break;
    }
    if (*p == L'"') {
      line->append(backslashes * 2 + 1, L'\\');
    } else {
      line->append(backslashes, L'\\');
    }
    line->push_back(*p);
  }
  line->push_back(L'"');
}

int32_t Start(const char* const* argv, HANDLE in, HANDLE out, HANDLE err, int64_t* pid) {
  std::wstring line;
  for (const char* const* a = argv; *a != nullptr; ++a) {
    wchar_t w[kPathMax];
    if (!Wide(*a, w)) return Err();
    AppendQuoted(&line, w);
  }
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  const bool redirect = out != nullptr;
  if (redirect) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
  }
  PROCESS_INFORMATION pi;
  memset(&pi, 0, sizeof pi);
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, redirect ? TRUE : FALSE, 0, nullptr,
                      nullptr, &si, &pi))
    return Err();
  CloseHandle(pi.hThread);
  for (Child& c : g_children) {
    if (c.process == nullptr) {
      c = Child{pi.dwProcessId, pi.hProcess};
      *pid = pi.dwProcessId;
      return 0;
    }
  }
  // No room to remember it: it runs on, and cannot be waited for.
  TerminateProcess(pi.hProcess, PLAT_KILLED_STATUS);
  CloseHandle(pi.hProcess);
  return ERROR_TOO_MANY_OPEN_FILES;
}

// A handle the child inherits: the null device for reading, or a file
// created or emptied for writing.
HANDLE Inheritable(const char* path, bool write) {
  SECURITY_ATTRIBUTES sa;
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;
  if (!write)
    return CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                       0, nullptr);
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return INVALID_HANDLE_VALUE;
  return CreateFileW(w, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

const PlatFileOps* Plat_SystemOps() { return &kSystemOps; }

bool Plat_IsBusy(int32_t err) {
  return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION ||
         err == ERROR_LOCK_VIOLATION || err == ERROR_SHARING_BUFFER_EXCEEDED;
}

bool Plat_IsMissing(int32_t err) {
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool Plat_IsExisting(int32_t err) {
  return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
}

int32_t Plat_Stat(const char* path, PlatStat* st) {
  st->kind = PLAT_MISSING;
  st->size = 0;
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return Err();
  // The attributes of the name itself: a link is not followed.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(w, GetFileExInfoStandard, &data)) {
    int32_t err = Err();
    return Plat_IsMissing(err) ? 0 : err;
  }
  st->size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  st->kind = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? PLAT_LINK
             : (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)   ? PLAT_DIRECTORY
             : (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)      ? PLAT_OTHER
                                                                    : PLAT_REGULAR;
  return 0;
}

bool Plat_SameFile(PlatFile file, const char* path) {
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return false;
  BY_HANDLE_FILE_INFORMATION held, named;
  if (!GetFileInformationByHandle(H(file), &held)) return false;
  // Only the attributes are asked for, which no share mode refuses.
  HANDLE h =
      CreateFileW(w, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &named) != 0;
  CloseHandle(h);
  return ok && held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

int32_t Plat_ReadSmallFile(const char* path, char* buf, size_t max, size_t* len) {
  *len = 0;
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return Err();
  // Opening a file never waits on Windows; a folder cannot be opened this
  // way, a device or a pipe is refused by its type below.
  HANDLE h = CreateFileW(w, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Err();
  int32_t rc = 0;
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER size;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    rc = ERROR_BAD_FILE_TYPE;
  } else if (!GetFileInformationByHandle(h, &info) || !GetFileSizeEx(h, &size)) {
    rc = Err();
  } else if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    rc = ERROR_BAD_FILE_TYPE;
  } else if (static_cast<uint64_t>(size.QuadPart) > max) {
    rc = ERROR_FILE_TOO_LARGE;
  } else {
    PlatFile f = reinterpret_cast<PlatFile>(h);
    size_t got = 0;
    rc = Read(f, buf, max, &got);
    if (rc == 0 && got == max) {  // grew while we read: more than max after all
      char extra;
      size_t more = 0;
      if (Read(f, &extra, 1, &more) == 0 && more != 0) rc = ERROR_FILE_TOO_LARGE;
    }
    *len = got;
  }
  CloseHandle(h);
  return rc;
}

int32_t Plat_MakeDir(const char* path) {
  wchar_t w[kPathMax];
  if (!Wide(path, w)) return Err();
  if (CreateDirectoryW(w, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  return Err();
}

int32_t Plat_CopyAccess(const char*, PlatFile) { return 0; }

void Plat_LocalTime(time_t t, struct tm* out) {
  if (out == nullptr) return;
  if (localtime_s(out, &t) != 0) memset(out, 0, sizeof *out);
}

int64_t Plat_MonotonicMs() { return static_cast<int64_t>(GetTickCount64()); }

void Plat_SleepMs(int32_t ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

void Plat_StartProcess() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

const char* Plat_ArgCodeset() {
  static char codeset[16];
  if (codeset[0] == '\0') snprintf(codeset, sizeof codeset, "CP%u", GetACP());
  return codeset;
}

int32_t Plat_Pid() { return static_cast<int32_t>(GetCurrentProcessId()); }

int32_t Plat_Spawn(const char* const* argv, int64_t* pid) {
  return Start(argv, nullptr, nullptr, nullptr, pid);
}

int32_t Plat_SpawnRedirected(const char* const* argv, const char* out, const char* err,
                             int64_t* pid) {
  HANDLE hin = Inheritable(nullptr, false);
  HANDLE hout = Inheritable(out, true);
  HANDLE herr = Inheritable(err, true);
  int32_t rc = 0;
  if (hin == INVALID_HANDLE_VALUE || hout == INVALID_HANDLE_VALUE || herr == INVALID_HANDLE_VALUE)
    rc = Err();
  else
    rc = Start(argv, hin, hout, herr, pid);
  for (HANDLE h : {hin, hout, herr})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return rc;
}

int32_t Plat_Wait(int64_t pid, int32_t timeout_ms, int* status) {
  HANDLE h = ChildHandle(pid, false);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  DWORD r = WaitForSingleObject(h, timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms));
  if (r == WAIT_TIMEOUT) return 1;
  if (r != WAIT_OBJECT_0) return Err();
  DWORD code = 0;
  if (!GetExitCodeProcess(h, &code)) return Err();
  *status = static_cast<int>(code);
  ChildHandle(pid, true);
  CloseHandle(h);
  return 0;
}

void Plat_Kill(int64_t pid) {
  if (pid == static_cast<int64_t>(GetCurrentProcessId()))
    TerminateProcess(GetCurrentProcess(), PLAT_KILLED_STATUS);
  HANDLE h = ChildHandle(pid, false);
  if (h != nullptr) {
    TerminateProcess(h, PLAT_KILLED_STATUS);
    return;
  }
  h = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
  if (h == nullptr) return;
  TerminateProcess(h, PLAT_KILLED_STATUS);
  CloseHandle(h);
}

int32_t Plat_SetEnv(const char* name, const char* value) {
  // The C runtime's copy (getenv) and the system's (what children inherit).
  if (_putenv_s(name, value != nullptr ? value : "") != 0) return ERROR_INVALID_PARAMETER;
  return SetEnvironmentVariableA(name, value) ? 0 : Err();
}

int32_t Plat_MakeTempDir(const char* prefix, char* out, size_t size) {
  wchar_t wtmp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, wtmp);
  if (n == 0 || n > MAX_PATH) return n == 0 ? Err() : ERROR_FILENAME_EXCED_RANGE;
  char tmp[kPathMax];
  if (WideCharToMultiByte(CP_ACP, 0, wtmp, -1, tmp, sizeof tmp, nullptr, nullptr) == 0)
    return Err();
  size_t len = strlen(tmp);
  while (len > 0 && (tmp[len - 1] == '\\' || tmp[len - 1] == '/')) tmp[--len] = '\0';
  unsigned seed = static_cast<unsigned>(GetTickCount64()) ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    int k = snprintf(out, size, "%s\\%s%06x", tmp, prefix, (seed >> 8) & 0xFFFFFFu);
    if (k < 0 || static_cast<size_t>(k) >= size) return ERROR_FILENAME_EXCED_RANGE;
    wchar_t w[kPathMax];
    if (!Wide(out, w)) return Err();
    if (CreateDirectoryW(w, nullptr)) return 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return Err();
  }
  return ERROR_ALREADY_EXISTS;
}
