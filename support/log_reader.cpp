// Reading the message log back (see log_reader.h). One pass over the file
// with a ring of the last entries; nothing else is held in memory.
#include "support/log_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/text.h"

namespace {

// Strips the line end (CR LF, LF).
void Chop(char* s) {
  size_t n = strlen(s);
  while (n > 0 && (s[n - 1] == '\n' || s[n - 1] == '\r')) s[--n] = '\0';
}

bool Digits2(const char* s, char out[2]) {
  if (!isdigit(static_cast<unsigned char>(s[0])) || !isdigit(static_cast<unsigned char>(s[1])))
    return false;
  out[0] = s[0];
  out[1] = s[1];
  return true;
}

// "DD.MM.YY" and "HH:MM:SS" as "20YYMMDDHHMMSS".
void Stamp(LogEntryText* e) {
  e->stamp[0] = '\0';
  const char* d = e->date;
  const char* t = e->time;
  if (strlen(d) != 8 || strlen(t) != 8 || d[2] != '.' || d[5] != '.' || t[2] != ':' || t[5] != ':')
    return;
  char s[15] = "20";
  if (!Digits2(d + 6, s + 2) || !Digits2(d + 3, s + 4) || !Digits2(d, s + 6) ||
      !Digits2(t, s + 8) || !Digits2(t + 3, s + 10) || !Digits2(t + 6, s + 12))
    return;
  s[14] = '\0';
  CopyText(e->stamp, s);
}

// Copies the value after a field's label into dst.
bool Field(const char* line, const char* label, char* dst, size_t size) {
  const size_t n = strlen(label);
  if (strncmp(line, label, n) != 0) return false;
  Txt_Copy(dst, size, line + n);
  return true;
}

struct Reader {
  const char* since;
  LogEntryText* ring;
  int32_t keep;
  LogSummary* sum;
  LogEntryText cur;
  bool open = false;

  void Finish() {
    if (!open) return;
    open = false;
    size_t n = strlen(cur.kind);
    while (n > 0 && cur.kind[n - 1] == ' ') cur.kind[--n] = '\0';
    Stamp(&cur);
    if (since[0] == '\0' || cur.stamp[0] == '\0' || strcmp(cur.stamp, since) > 0) ++sum->newer;
    if (keep > 0) ring[sum->entries % keep] = cur;
    ++sum->entries;
  }

  void Line(const char* line) {
    if (strcmp(line, "\xFE") == 0) {
      Finish();
      memset(&cur, 0, sizeof cur);
      open = true;
      return;
    }
    if (!open) return;
    Field(line, "System-Date: ", cur.date, sizeof cur.date) ||
        Field(line, "System-Time: ", cur.time, sizeof cur.time) ||
        Field(line, "MsgArt_____: ", cur.kind, sizeof cur.kind) ||
        Field(line, "Message____: ", cur.message, sizeof cur.message) ||
        Field(line, "Funktion___: ", cur.function, sizeof cur.function) ||
        Field(line, "ErrorCode__: ", cur.code, sizeof cur.code);
  }
};

// Puts the ring in order, oldest first.
void Unroll(LogEntryText* ring, int32_t keep, LogSummary* sum) {
  if (keep <= 0) return;
  sum->kept = sum->entries < keep ? sum->entries : keep;
  if (sum->entries > keep) std::rotate(ring, ring + sum->entries % keep, ring + keep);
}

}  // namespace

int32_t LogRead(const char* path, const char* since, LogEntryText* last, int32_t keep,
                LogSummary* sum) {
  memset(sum, 0, sizeof *sum);
  FILE* f = fopen(path, "rb");
  if (!f) return errno == ENOENT ? 1403 : -1;
  Reader r{since ? since : "", last, keep, sum, {}, false};
  char line[1024];
  bool continued = false;  // the rest of a line longer than the buffer
  while (fgets(line, sizeof line, f)) {
    const bool whole = strchr(line, '\n') != nullptr;
    if (!continued) {
      Chop(line);
      r.Line(line);
    }
    continued = !whole;
  }
  const bool failed = ferror(f) != 0;
  fclose(f);
  r.Finish();
  Unroll(last, keep, sum);
  return failed ? -1 : 0;
}
