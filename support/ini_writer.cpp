// Configuration file writer: sets the enciphered login values in the
// configuration file and lists its pairs as the reader sees them. Only the
// velmarkon-ini tool uses it; the program itself never writes the file.
//
// Lines are kept byte for byte; a pair is judged with the reader's own rules
// (Ini_SplitPair, the reader's line buffers, CR LF read as LF), so the tool
// and the program always agree on which pair holds a key.
#include "support/ini_writer.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/cp1252.h"
#include "support/platform.h"

namespace {

const char* const kKeys[3] = {"LOGIN", "PASS", "NET8"};
const char kNewSection[] = ";Download;";

// The file split into lines, each with its line feed (the last may lack it).
int32_t ReadLines(const char* path, std::vector<std::string>* lines, bool* exists) {
  lines->clear();
  *exists = false;
  PlatStat st;
  if (Plat_Stat(path, &st) == 0 && st.kind == PLAT_MISSING) return INIW_OK;
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return INIW_READ;
  *exists = true;
  std::string line;
  int c;
  while ((c = getc(f)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') {
      lines->push_back(line);
      line.clear();
    }
  }
  const bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) return INIW_READ;
  if (!line.empty()) lines->push_back(line);
  return INIW_OK;
}

// A line as the reader holds it in a buffer of size bytes: CR LF read as LF.
// False when the reader would pass over the line (too long, NUL inside).
bool AsReaderSees(const std::string& raw, size_t size, std::string* out) {
  *out = raw;
  const size_t n = out->size();
  if (n >= 2 && (*out)[n - 2] == '\r' && (*out)[n - 1] == '\n') out->erase(n - 2, 1);
  return out->size() + 1 <= size && out->find('\0') == std::string::npos;
}

// Splits the pair starting at lines[i] with the reader's rules.
bool SplitPair(const std::vector<std::string>& lines, size_t i, IniEntryRec* e) {
  std::string s, t;
  if (!AsReaderSees(lines[i], INI_SECTION_LINE_SIZE, &s) ||
      !AsReaderSees(lines[i + 1], INI_ENTRY_LINE_SIZE, &t)) {
    return false;
  }
  return Ini_SplitPair(s.c_str(), t.c_str(), e) == 0;
}

bool IsBlank(const std::string& line) {
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

std::string LineEnd(const std::string& line) {
  const size_t n = line.size();
  if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n') return "\r\n";
  return "\n";
}

// The file a link at path points to, or path itself.
bool Target(const char* path, std::string* target) {
  PlatStat st;
  if (Plat_Stat(path, &st) != 0) return false;
  *target = path;
  if (st.kind != PLAT_LINK) return true;
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(path, ec);
  if (ec) return false;
  *target = real.string();
  return true;
}

// Writes data to a temporary file next to path, makes it durable and renames
// it over path (Windows renames no open file: the temporary file is closed
// first). A link at path stays; the file it points to is replaced.
int32_t WriteAtomically(const char* path, const std::string& data, bool exists) {
  std::string target;
  if (!Target(path, &target)) return INIW_WRITE;
  // A name of its own next to the target, created new: the file holds the
  // database login, so it is for its owner alone unless the file it
  // replaces was readable by more.
  static unsigned counter = 0;
  char tmp[4096];
  PlatFile f = PLAT_NO_FILE;
  int32_t err = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned tag = (static_cast<unsigned>(Plat_Pid()) << 12) ^
                         static_cast<unsigned>(Plat_MonotonicMs()) ^ (++counter * 2654435761u);
    const int n = snprintf(tmp, sizeof tmp, "%s.%08x.tmp", target.c_str(), tag);
    if (n < 0 || static_cast<size_t>(n) >= sizeof tmp) return INIW_WRITE;
    err = Plat_Open(tmp, PLAT_WRITE | PLAT_NEW | PLAT_OWNER_ONLY | PLAT_NO_FOLLOW, &f);
    if (!Plat_IsExisting(err)) break;
  }
  if (err != 0) return INIW_WRITE;
  bool ok = !exists || Plat_CopyAccess(target.c_str(), f) == 0;
  size_t done = 0;
  ok = ok && Plat_Write(f, data.data(), data.size(), &done) == 0;
  ok = ok && Plat_DataSync(f) == 0;
  ok = (Plat_Close(f) == 0) && ok;
  ok = ok && Plat_Rename(tmp, target.c_str()) == 0;
  if (!ok) {
    Plat_Remove(tmp);
    return INIW_WRITE;
  }
  // Make the rename itself durable.
  const size_t sep = target.find_last_of("/\\");
  const std::string dir = sep == std::string::npos ? "." : target.substr(0, sep + 1);
  Plat_SyncDir(dir.c_str());
  return INIW_OK;
}

// Characters a value may hold: none of the control characters.
bool StorableChars(const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
      return false;
    }
  }
  return true;
}

}  // namespace

const char* IniW_ErrorText(int32_t rc) {
  switch (rc) {
    case INIW_OK:
      return "ok";
    case INIW_KEY:
      return "unknown key: the program reads LOGIN, PASS and NET8";
    case INIW_TOO_LONG:
      return "value too long: a value holds at most 40 characters";
    case INIW_BAD_CHAR:
      return "value holds a character that cannot be stored (control character, or no "
             "Windows-1252 form)";
    case INIW_READ:
      return "file cannot be read";
    case INIW_UNPAIRED:
      return "file ends with a line that has no partner line; entries come in pairs of lines";
    case INIW_WRITE:
      return "file cannot be written";
    case INIW_BAD_DIGITS:
      return "not an enciphered value (groups of five digits, each at most 65535)";
    default:
      return "unknown error";
  }
}

int32_t IniW_CheckKey(const char* key) {
  if (key == nullptr) return INIW_KEY;
  for (const char* k : kKeys) {
    if (strcmp(key, k) == 0) return INIW_OK;
  }
  return INIW_KEY;
}

int32_t IniW_ValueFromUtf8(const char* utf8, char* out, size_t out_size) {
  if (out == nullptr || out_size == 0) return INIW_TOO_LONG;
  out[0] = '\0';
  if (utf8 == nullptr) return INIW_BAD_CHAR;
  const size_t n = strlen(utf8);
  // Every character takes at least one byte: n + 1 bytes hold the converted
  // text whole, and the round trip finds characters that became '?'.
  std::vector<char> cp(n + 1);
  const size_t chars = Cp1252_FromUtf8(utf8, n, cp.data(), cp.size());
  std::vector<char> back(3 * chars + 1);
  Cp1252_ToUtf8(cp.data(), back.data(), back.size());
  if (strcmp(back.data(), utf8) != 0) return INIW_BAD_CHAR;
  if (!StorableChars(cp.data(), chars)) return INIW_BAD_CHAR;
  if (chars > INIW_VALUE_MAX_CHARS) return INIW_TOO_LONG;
  if (chars + 1 > out_size) return INIW_TOO_LONG;
  memcpy(out, cp.data(), chars + 1);
  return INIW_OK;
}

int32_t IniW_SetEntry(const char* path, const char* key, const char* plain) {
  if (IniW_CheckKey(key) != INIW_OK) return INIW_KEY;
  if (path == nullptr || plain == nullptr) return INIW_WRITE;
  if (!StorableChars(plain, strlen(plain))) return INIW_BAD_CHAR;
  if (strlen(plain) > INIW_VALUE_MAX_CHARS) return INIW_TOO_LONG;
  char digits[INIW_VALUE_MAX_CHARS * 5 + 1];
  if (IniEncrypt(plain, digits, sizeof(digits)) < 0) return INIW_TOO_LONG;

  std::vector<std::string> lines;
  bool exists = false;
  int32_t rc = ReadLines(path, &lines, &exists);
  if (rc != INIW_OK) return rc;
  if (lines.size() % 2 != 0) {
    if (!IsBlank(lines.back())) return INIW_UNPAIRED;
    lines.pop_back();  // a trailing blank line: the reader ignores it too
  }
  if (!lines.empty() && lines.back().back() != '\n') lines.back() += "\n";

  // The pair the reader would take for the key, and the highest number.
  size_t found = lines.size();
  int64_t highest = 0;
  IniEntryRec e;
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (!SplitPair(lines, i, &e)) continue;
    if (e.number > highest) highest = e.number;
    if (found == lines.size() && strcmp(e.key, key) == 0) found = i;
  }
  int64_t number = highest < INT32_MAX ? highest + 1 : 1;
  if (found < lines.size()) {
    SplitPair(lines, found, &e);
    if (e.number > 0) number = e.number;
  }
  char entry[INI_ENTRY_LINE_SIZE];
  snprintf(entry, sizeof(entry), "%lld;%s;%s", static_cast<long long>(number), key, digits);
  if (found < lines.size()) {
    lines[found + 1] = entry + LineEnd(lines[found + 1]);
  } else {
    const std::string end = lines.empty() ? "\n" : LineEnd(lines.front());
    lines.push_back(kNewSection + end);
    lines.push_back(entry + end);
  }
  std::string data;
  for (const std::string& l : lines) data += l;
  return WriteAtomically(path, data, exists);
}

int32_t IniW_Scan(const char* path, IniWVisitor visit, void* ctx) {
  std::vector<std::string> lines;
  bool exists = false;
  const int32_t rc = path == nullptr ? INIW_READ : ReadLines(path, &lines, &exists);
  if (rc != INIW_OK) return rc;
  if (!exists) return INIW_READ;
  std::vector<std::string> seen;  // keys of readable pairs so far
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    IniWPair p;
    p.line = static_cast<int32_t>(i + 1);
    p.shadowed = false;
    p.status = INIW_PAIR_OK;
    if (!SplitPair(lines, i, &p.entry)) {
      p.status = INIW_PAIR_SKIPPED;
    } else {
      for (const std::string& k : seen) p.shadowed = p.shadowed || k == p.entry.key;
      seen.push_back(p.entry.key);
      char plain[sizeof(p.entry.value)];
      if (IniDecrypt(p.entry.value, plain, sizeof(plain)) < 0) {
        p.status = INIW_PAIR_UNDECIPHERABLE;
        plain[0] = '\0';
      }
      memcpy(p.entry.value, plain, strlen(plain) + 1);
    }
    if (visit != nullptr) visit(&p, ctx);
  }
  return INIW_OK;
}
