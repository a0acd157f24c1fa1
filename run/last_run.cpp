// The state file of the program's last run (see last_run.h).
#include "run/last_run.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "support/datetime.h"
#include "support/platform.h"
#include "support/text.h"

namespace {

// One line "yyyymmddHHMMSS STATUS"; false for anything else.
bool ParseLine(const char* line, char end[15], int32_t* status) {
  for (int i = 0; i < 14; ++i)
    if (!isdigit(static_cast<unsigned char>(line[i]))) return false;
  if (line[14] != ' ') return false;
  const char* p = line + 15;
  char* stop = nullptr;
  long v = strtol(p, &stop, 10);
  if (stop == p || v < -2147483647L || v > 2147483647L) return false;
  while (*stop == '\r' || *stop == '\n') ++stop;
  if (*stop != '\0') return false;
  memcpy(end, line, 14);
  end[14] = '\0';
  *status = static_cast<int32_t>(v);
  return true;
}

}  // namespace

int32_t LastRun_Read(const char* path, LastRun* out) {
  memset(out, 0, sizeof *out);
  FILE* f = fopen(path, "rb");
  if (!f) return 1403;
  char line[64];
  int32_t rc = 0;
  int n = 0;
  while (rc == 0 && fgets(line, sizeof line, f)) {
    char end[15];
    int32_t status = 0;
    if (!ParseLine(line, end, &status) || n >= 2) {
      rc = -1;
    } else if (n == 0) {
      CopyText(out->end, end);
      out->status = status;
      if (status == 0) CopyText(out->clean_end, end);
    } else if (status == 0 && out->status != 0) {
      CopyText(out->clean_end, end);
    } else {
      rc = -1;
    }
    ++n;
  }
  if (ferror(f) || n == 0) rc = -1;
  fclose(f);
  if (rc != 0) memset(out, 0, sizeof *out);
  return rc;
}

int32_t LastRun_Write(const char* path, int exit_status) {
  char now[40], unused[9];
  Get_DateTime(now, unused, 4);
  LastRun before;
  const bool known = LastRun_Read(path, &before) == 0;

  char text[80];
  int len;
  if (exit_status != 0 && known && before.clean_end[0] != '\0')
    len = snprintf(text, sizeof text, "%.14s %d\n%.14s 0\n", now, exit_status, before.clean_end);
  else
    len = snprintf(text, sizeof text, "%.14s %d\n", now, exit_status);
  if (len < 0 || static_cast<size_t>(len) >= sizeof text) return -1;

  char tmp[300];
  // A name of its own, so that two programs ending at once do not share it.
  unsigned tag = static_cast<unsigned>(Plat_Now());
  try {
    tag ^= std::random_device()();
  } catch (...) {
    // no source of randomness: the time alone
  }
  int tn = snprintf(tmp, sizeof tmp, "%s.%08x.tmp", path, tag);
  if (tn < 0 || static_cast<size_t>(tn) >= sizeof tmp) return -1;
  FILE* f = fopen(tmp, "wb");
  if (!f) return -1;
  bool ok = fwrite(text, 1, static_cast<size_t>(len), f) == static_cast<size_t>(len);
  ok = fflush(f) == 0 && ok;
  ok = fclose(f) == 0 && ok;
  // Closed before the rename, which Windows refuses for an open file.
  if (!ok || Plat_Rename(tmp, path) != 0) {
    Plat_Remove(tmp);
    return -1;
  }
  return 0;
}
