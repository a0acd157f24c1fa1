// velmarkon-status: what an operator asks of the download program, answered in
// its working folder: which rows wait for download and since when, what the
// update request holds, how the send-buffer files stand, what the log says
// and how the last run ended. Text for a person or one JSON document for
// monitoring; the exit status says whether something needs a person.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/status.h"
#include "db/upd.h"
#include "run/about.h"
#include "run/download_main.h"
#include "run/last_run.h"
#include "sendbuf/snd_scan.h"
#include "sendbuf/snddnl.h"
#include "support/cp1252.h"
#include "support/datetime.h"
#include "support/ini.h"
#include "support/log_reader.h"
#include "support/platform.h"

namespace {

const char kUsage[] =
    "usage: velmarkon-status [--json] [--stale HOURS] [--log N]\n"
    "       velmarkon-status --help | --version\n";

const char kHelp[] =
    "\n"
    "Run in the download program's working folder. Shows, with the program's\n"
    "configuration file (" INI_FILE_PATH
    ") and database:\n"
    "  - per table the rows waiting for download (download marker set), by marker\n"
    "    and action code, with the oldest change time among them;\n"
    "  - the update request (Kvs543Upd, key UPD) and the ranges it holds;\n"
    "  - the send-buffer files " SND_DIR PLAT_SEP
    "SndDnl*.buf: size, records, a torn\n"
    "    tail (size not a whole number of 552-byte records), the newest record's\n"
    "    time stamp;\n"
    "  - the log " MSG_FILE_PATH
    ": number of entries, the last N, and the last\n"
    "    run and last clean run (" LAST_RUN_FILE_PATH
    ").\n"
    "It reads only; it changes nothing and writes no log entry.\n"
    "\n"
    "  --json         print the same as one JSON document (UTF-8)\n"
    "  --stale HOURS  rows marked longer than HOURS (by their change time) need a person\n"
    "  --log N        show the last N log entries (default 10, at most 1000)\n"
    "\n"
    "Exit status: 0 nothing needs a person; 1 the report could not be written;\n"
    "2 wrong usage; otherwise the sum of\n"
    "  4  rows marked longer than --stale HOURS\n"
    "  8  a torn send-buffer file, or the send-buffer folder cannot be read\n"
    " 16  log entries newer than the last clean run (every entry when no clean\n"
    "     run is known)\n"
    " 32  the database could not be reached or read\n";

enum : int { ATT_STALE = 4, ATT_SENDBUF = 8, ATT_LOG = 16, ATT_DB = 32 };

struct Options {
  bool json = false;
  long stale_hours = -1;  // -1: no age check
  int log_n = 10;
};

// How text reaches the terminal: the program's Windows-1252 converted to
// what the locale says the terminal shows.
enum Encoding { ENC_UTF8, ENC_CP1252, ENC_ASCII };

Encoding TerminalEncoding() {
  // The locale the environment names, in the order of precedence, even one
  // that is not installed; without one, the system's (on Windows
  // "Language_Country.1252").
  std::string name;
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = getenv(var);
    if (name.empty() && v && *v) name = v;
  }
  if (name.empty()) {
    const char* set = setlocale(LC_CTYPE, "");
    name = set ? set : "";
    setlocale(LC_CTYPE, "C");
  }
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  if (name.find("utf-8") != std::string::npos || name.find("utf8") != std::string::npos)
    return ENC_UTF8;
  if (name.find("1252") != std::string::npos) return ENC_CP1252;
  return ENC_ASCII;
}

// Windows-1252 text in the given encoding, control characters as '?'.
std::string Show(const char* cp1252, Encoding enc) {
  std::string clean;
  for (const char* s = cp1252; *s; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    const bool control = c < 0x20 || c == 0x7F;
    clean += control || (enc == ENC_ASCII && c >= 0x80) ? '?' : *s;
  }
  if (enc != ENC_UTF8) return clean;
  std::string utf8(3 * clean.size() + 1, '\0');
  utf8.resize(Cp1252_ToUtf8(clean.c_str(), utf8.data(), utf8.size()));
  return utf8;
}

// A JSON string of UTF-8 text.
std::string JsonUtf8(const std::string& utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

// A JSON string of Windows-1252 text.
std::string Json(const char* cp1252) {
  std::string utf8(3 * strlen(cp1252) + 1, '\0');
  utf8.resize(Cp1252_ToUtf8(cp1252, utf8.data(), utf8.size()));
  return JsonUtf8(utf8);
}

// An error code as a JSON number; a code that is not one stays a string.
std::string JsonCode(const char* code) {
  char* end = nullptr;
  const long v = strtol(code, &end, 10);
  return end != code && *end == '\0' ? std::to_string(v) : Json(code);
}

// yyyymmddHHMMSS as "yyyy-mm-dd HH:MM:SS" (sep ' ') or ISO (sep 'T').
std::string When(const char* stamp, char sep = ' ') {
  if (strlen(stamp) != 14) return "";
  char out[20];
  snprintf(out, sizeof out, "%.4s-%.2s-%.2s%c%.2s:%.2s:%.2s", stamp, stamp + 4, stamp + 6, sep,
           stamp + 8, stamp + 10, stamp + 12);
  return out;
}

std::string JsonWhen(const char* stamp) {
  if (!stamp[0]) return "null";
  std::string s(1, '"');
  s += When(stamp, 'T');
  s += '"';
  return s;
}

// Local time of a stamp; -1 when it does not read.
time_t TimeOf(const char* stamp) {
  int v[6];
  if (strlen(stamp) != 14 ||
      sscanf(stamp, "%4d%2d%2d%2d%2d%2d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
    return -1;
  struct tm tm = {};
  tm.tm_year = v[0] - 1900;
  tm.tm_mon = v[1] - 1;
  tm.tm_mday = v[2];
  tm.tm_hour = v[3];
  tm.tm_min = v[4];
  tm.tm_sec = v[5];
  tm.tm_isdst = -1;
  return mktime(&tm);
}

struct Group {
  WaitingGroup g;
  bool stale;
};

struct TableReport {
  const char* name;
  int32_t rc = 0;  // 0, or the statement result that stopped the reading
  std::vector<Group> groups;
};

struct RangePair {
  const char* from_col;
  const char* to_col;
  const char* what;
  const char* from;
  const char* to;
};

// Everything the report shows; texts from the database and the log stay in
// Windows-1252 until they are printed.
struct Report {
  char now[40];        // yyyymmddHHMMSS
  std::string folder;  // in the file system's own encoding
  int32_t connect_rc = 0;
  TableReport tables[STATUS_TABLES];
  int32_t upd_rc = 0;
  UpdateRequest req = {};
  int32_t stamp_rc = 0;
  char upd_at[15] = "", upd_by[9] = "";
  int32_t buf_rc = 0;  // number of files, or -1
  std::vector<SndFileInfo> bufs;
  int32_t log_rc = 0;
  LogSummary log = {};
  std::vector<LogEntryText> last;
  int32_t run_rc = 0;
  LastRun run = {};
  std::vector<std::string> attention;  // Windows-1252
  int status = 0;
};

bool Blank(const char* s) {
  for (; *s; ++s)
    if (*s != ' ') return false;
  return true;
}

std::vector<RangePair> Ranges(const UpdateRequest& q) {
  const RangePair all[] = {
      {"UpdAkv", "UpdAkb", "order headers", q.UpdAkv, q.UpdAkb},
      {"UpdAav", "UpdAab", "order operations (order)", q.UpdAav, q.UpdAab},
      {"UpdApv", "UpdApb", "order operations (operation)", q.UpdApv, q.UpdApb},
      {"UpdAgv", "UpdAgb", "workplace groups", q.UpdAgv, q.UpdAgb},
      {"UpdAlv", "UpdAlb", "workplaces", q.UpdAlv, q.UpdAlb},
      {"UpdUgv", "UpdUgb", "interruption reasons", q.UpdUgv, q.UpdUgb},
      {"UpdAuv", "UpdAub", "(not used by a run)", q.UpdAuv, q.UpdAub},
      {"UpdPvv", "UpdPvb", "personnel", q.UpdPvv, q.UpdPvb},
      {"UpdKsv", "UpdKsb", "cost centres", q.UpdKsv, q.UpdKsb},
  };
  std::vector<RangePair> out;
  for (const RangePair& p : all)
    if (!Blank(p.from) || !Blank(p.to)) out.push_back(p);
  return out;
}

void Attention(Report* r, int bit, const std::string& text) {
  r->status |= bit;
  r->attention.push_back(text);
}

void ReadFailed(Report* r, const char* table, int32_t rc) {
  char text[96];
  snprintf(text, sizeof text, "%s: cannot be read (result %d)", table, rc);
  Attention(r, ATT_DB, text);
}

void ReadDatabase(Report* r, const Options& o) {
  r->connect_rc = dbConnect();
  if (r->connect_rc != 0) {
    char text[160];
    if (r->connect_rc == DB_BACKEND_MISSING) {
      char built[64];
      snprintf(text, sizeof text,
               "database: NET8 names the %s back end, which this build does not contain "
               "(it has: %s)",
               Db_MissingBackend(), Db_BuiltBackends(built, sizeof built));
    } else {
      snprintf(text, sizeof text, "database: cannot connect (result %d)", r->connect_rc);
    }
    Attention(r, ATT_DB, text);
    return;
  }
  const time_t now = Plat_Now();
  for (int t = 0; t < STATUS_TABLES; ++t) {
    TableReport& tr = r->tables[t];
    tr.rc = Status_OpenWaiting(t);
    if (tr.rc != 0) {
      ReadFailed(r, tr.name, tr.rc);
      continue;
    }
    Group g = {};
    char oldest_stale[15] = "";
    while ((tr.rc = Status_FetchWaiting(t, &g.g)) == 0) {
      const time_t since = TimeOf(g.g.oldest);
      g.stale = o.stale_hours >= 0 && since >= 0 &&
                difftime(now, since) > static_cast<double>(o.stale_hours) * 3600.0;
      tr.groups.push_back(g);
      if (g.stale && (!oldest_stale[0] || strcmp(g.g.oldest, oldest_stale) < 0))
        memcpy(oldest_stale, g.g.oldest, sizeof oldest_stale);
    }
    if (oldest_stale[0]) {
      char text[128];
      snprintf(text, sizeof text, "%s: rows marked longer than %ld hours, the oldest since %s",
               tr.name, o.stale_hours, When(oldest_stale).c_str());
      Attention(r, ATT_STALE, text);
    }
    const int32_t close_rc = Status_CloseWaiting(t);
    if (tr.rc == 1403) tr.rc = close_rc;
    if (tr.rc != 0) ReadFailed(r, tr.name, tr.rc);
  }
  r->upd_rc = Upd_PKeyReadk(&r->req);
  if (r->upd_rc == 0) r->stamp_rc = Status_ReadRequestStamp(r->upd_at, r->upd_by);
  if (r->upd_rc != 0 && r->upd_rc != 1403) ReadFailed(r, "Kvs543Upd", r->upd_rc);
  dbDisconnect();  // read only: the session ends without a change
}

void ReadSendBuffers(Report* r) {
  r->buf_rc = Snd_Scan(SND_DIR, nullptr, 0);
  if (r->buf_rc > 0) {
    r->bufs.resize(static_cast<size_t>(r->buf_rc));
    r->buf_rc = Snd_Scan(SND_DIR, r->bufs.data(), r->buf_rc);
    if (r->buf_rc >= 0 && static_cast<size_t>(r->buf_rc) < r->bufs.size())
      r->bufs.resize(static_cast<size_t>(r->buf_rc));  // a file went away in between
  }
  if (r->buf_rc < 0) {
    r->bufs.clear();
    Attention(r, ATT_SENDBUF, SND_DIR ": cannot be read");
    return;
  }
  for (const SndFileInfo& f : r->bufs) {
    char text[128];
    if (f.rc != 0) {
      snprintf(text, sizeof text, "%s: cannot be read", f.name);
      Attention(r, ATT_SENDBUF, text);
    } else if (f.tail != 0) {
      snprintf(text, sizeof text, "%s: torn, %d byte(s) after the last whole record", f.name,
               f.tail);
      Attention(r, ATT_SENDBUF, text);
    }
  }
}

void ReadLog(Report* r, const Options& o) {
  r->run_rc = LastRun_Read(LAST_RUN_FILE_PATH, &r->run);
  r->last.resize(static_cast<size_t>(o.log_n));
  r->log_rc = LogRead(MSG_FILE_PATH, r->run.clean_end, r->last.data(), o.log_n, &r->log);
  r->last.resize(static_cast<size_t>(r->log.kept));
  if (r->log_rc == -1) {
    Attention(r, ATT_LOG, MSG_FILE_PATH ": cannot be read");
  } else if (r->log.newer > 0) {
    char text[128];
    snprintf(text, sizeof text, "%d log entr%s %s", r->log.newer, r->log.newer == 1 ? "y" : "ies",
             r->run.clean_end[0] ? "after the last clean run" : "and no clean run on record");
    Attention(r, ATT_LOG, text);
  }
}

const char* RangeText(const RangePair& p, Encoding enc, std::string* buf) {
  *buf = std::string(p.from_col) + "/" + p.to_col + "  " + p.what + ": \"" + Show(p.from, enc) +
         "\" .. \"" + Show(p.to, enc) + "\"";
  return buf->c_str();
}

void PrintText(const Report& r, const Options& o, Encoding enc) {
  std::string buf;
  printf("velmarkon-status %s\n", About_Version());
  printf("working folder %s, %s\n", r.folder.c_str(), When(r.now).c_str());

  printf("\nRows waiting for download");
  if (o.stale_hours >= 0) printf(" (stale: marked longer than %ld hours)", o.stale_hours);
  printf("\n");
  if (r.connect_rc != 0) {
    printf("  database not reached (result %d)\n", r.connect_rc);
  } else {
    for (const TableReport& t : r.tables) {
      if (t.rc != 0) {
        printf("  %-10s cannot be read (result %d)\n", t.name, t.rc);
      } else if (t.groups.empty()) {
        printf("  %-10s none\n", t.name);
      }
      for (const Group& g : t.groups) {
        printf("  %-10s marker %-8s  action %-3s  %6d row(s)  oldest change %s%s\n", t.name,
               Show(g.g.marker, enc).c_str(), Show(g.g.action, enc).c_str(), g.g.rows,
               g.g.oldest[0] ? When(g.g.oldest).c_str() : "(none)", g.stale ? "  STALE" : "");
      }
    }
  }

  printf("\nUpdate request (Kvs543Upd, key UPD)\n");
  if (r.connect_rc != 0) {
    printf("  database not reached\n");
  } else if (r.upd_rc == 1403) {
    printf("  not present\n");
  } else if (r.upd_rc != 0) {
    printf("  cannot be read (result %d)\n", r.upd_rc);
  } else {
    printf("  present, last changed %s by %s\n", r.upd_at[0] ? When(r.upd_at).c_str() : "(unknown)",
           r.upd_by[0] ? Show(r.upd_by, enc).c_str() : "(unknown)");
    std::vector<RangePair> ranges = Ranges(r.req);
    if (ranges.empty()) printf("  no range requested\n");
    for (const RangePair& p : ranges) printf("  %s\n", RangeText(p, enc, &buf));
  }

  printf("\nSend buffers (%s)\n", SND_DIR);
  if (r.buf_rc < 0) printf("  the folder cannot be read\n");
  if (r.buf_rc == 0) printf("  no send-buffer file\n");
  for (const SndFileInfo& f : r.bufs) {
    if (f.rc != 0) {
      printf("  %-12s cannot be read\n", f.name);
      continue;
    }
    printf("  %-12s %10lld bytes  %8lld record(s)  newest %s", f.name,
           static_cast<long long>(f.size), static_cast<long long>(f.records),
           f.newest[0] ? When(f.newest).c_str() : "(none)");
    if (f.tail != 0) printf("  TORN: %d byte(s) after the last whole record", f.tail);
    printf("\n");
  }

  printf("\nLog (%s)\n", MSG_FILE_PATH);
  if (r.log_rc == 1403) printf("  no log file\n");
  if (r.log_rc == -1) printf("  cannot be read\n");
  if (r.log_rc == 0) printf("  %d entr%s\n", r.log.entries, r.log.entries == 1 ? "y" : "ies");
  if (r.run_rc == 0) {
    printf("  last run ended %s, exit status %d\n", When(r.run.end).c_str(), r.run.status);
    if (r.run.clean_end[0])
      printf("  last clean run ended %s; %d entr%s since\n", When(r.run.clean_end).c_str(),
             r.log.newer, r.log.newer == 1 ? "y" : "ies");
    else
      printf("  no clean run on record\n");
  } else {
    printf("  no run on record (%s)\n", r.run_rc == 1403 ? "no " LAST_RUN_FILE_PATH : "unreadable");
  }
  if (!r.last.empty())
    printf("  last %zu entr%s:\n", r.last.size(), r.last.size() == 1 ? "y" : "ies");
  for (const LogEntryText& e : r.last) {
    printf("    %s %s  %s  %s: %s  (ErrorCode %s)\n", Show(e.date, enc).c_str(),
           Show(e.time, enc).c_str(), Show(e.kind, enc).c_str(), Show(e.function, enc).c_str(),
           Show(e.message, enc).c_str(), Show(e.code, enc).c_str());
  }

  if (r.attention.empty()) {
    printf("\nNothing needs attention.\n");
  } else {
    printf("\nNeeds attention (exit status %d):\n", r.status);
    for (const std::string& a : r.attention) printf("  - %s\n", Show(a.c_str(), enc).c_str());
  }
}

void PrintJson(const Report& r, const Options& o) {
  std::string s = "{\n";
  s += "  \"program\": \"velmarkon-status\",\n";
  s += "  \"version\": " + Json(About_Version()) + ",\n";
  s += "  \"time\": " + JsonWhen(r.now) + ",\n";
  s += "  \"working_folder\": " + JsonUtf8(r.folder) + ",\n";
  s +=
      "  \"stale_hours\": " + (o.stale_hours >= 0 ? std::to_string(o.stale_hours) : "null") + ",\n";
  s += "  \"database\": {\"connected\": " + std::string(r.connect_rc == 0 ? "true" : "false") +
       ", \"connect_result\": " + std::to_string(r.connect_rc) + "},\n";

  s += "  \"tables\": [";
  bool first = true;
  for (const TableReport& t : r.tables) {
    if (r.connect_rc != 0) break;
    s += first ? "\n" : ",\n";
    first = false;
    s += "    {\"table\": \"" + std::string(t.name) + "\", \"result\": " + std::to_string(t.rc) +
         ", \"waiting\": [";
    bool gfirst = true;
    for (const Group& g : t.groups) {
      s += gfirst ? "\n" : ",\n";
      gfirst = false;
      s += "      {\"marker\": " + Json(g.g.marker) + ", \"action\": " + Json(g.g.action) +
           ", \"rows\": " + std::to_string(g.g.rows) +
           ", \"oldest_change\": " + JsonWhen(g.g.oldest) +
           ", \"stale\": " + (g.stale ? "true" : "false") + "}";
    }
    s += gfirst ? "]}" : "\n    ]}";
  }
  s += first ? "],\n" : "\n  ],\n";

  s += "  \"update_request\": ";
  if (r.connect_rc != 0 || (r.upd_rc != 0 && r.upd_rc != 1403)) {
    s += "{\"result\": " + std::to_string(r.connect_rc != 0 ? r.connect_rc : r.upd_rc) + "},\n";
  } else if (r.upd_rc == 1403) {
    s += "{\"present\": false},\n";
  } else {
    s += "{\"present\": true, \"changed_at\": " + JsonWhen(r.upd_at) +
         ", \"changed_by\": " + Json(r.upd_by) + ", \"ranges\": [";
    bool rfirst = true;
    for (const RangePair& p : Ranges(r.req)) {
      s += rfirst ? "\n" : ",\n";
      rfirst = false;
      s += "    {\"from_column\": \"" + std::string(p.from_col) + "\", \"to_column\": \"" +
           p.to_col + "\", \"what\": " + Json(p.what) + ", \"from\": " + Json(p.from) +
           ", \"to\": " + Json(p.to) + "}";
    }
    s += rfirst ? "]},\n" : "\n  ]},\n";
  }

  s += "  \"send_buffers\": {\"folder\": " + Json(SND_DIR) +
       ", \"readable\": " + std::string(r.buf_rc >= 0 ? "true" : "false") + ", \"files\": [";
  first = true;
  for (const SndFileInfo& f : r.bufs) {
    s += first ? "\n" : ",\n";
    first = false;
    s += "    {\"file\": " + Json(f.name) + ", \"readable\": " + (f.rc == 0 ? "true" : "false") +
         ", \"size\": " + std::to_string(f.size) + ", \"records\": " + std::to_string(f.records) +
         ", \"torn\": " + (f.tail != 0 ? "true" : "false") +
         ", \"tail_bytes\": " + std::to_string(f.tail) + ", \"newest\": " + JsonWhen(f.newest) +
         "}";
  }
  s += first ? "]},\n" : "\n  ]},\n";

  s += "  \"log\": {\"file\": " + Json(MSG_FILE_PATH) +
       ", \"present\": " + std::string(r.log_rc != 1403 ? "true" : "false") +
       ", \"readable\": " + (r.log_rc != -1 ? "true" : "false") +
       ", \"entries\": " + std::to_string(r.log.entries) +
       ", \"entries_since_clean_run\": " + std::to_string(r.log.newer) + ",\n";
  s += "    \"last_run\": ";
  s += r.run_rc == 0 ? "{\"end\": " + JsonWhen(r.run.end) +
                           ", \"exit_status\": " + std::to_string(r.run.status) + "}"
                     : std::string("null");
  s += ", \"last_clean_run\": ";
  s += r.run_rc == 0 && r.run.clean_end[0] ? "{\"end\": " + JsonWhen(r.run.clean_end) + "}"
                                           : std::string("null");
  s += ",\n    \"last\": [";
  first = true;
  for (const LogEntryText& e : r.last) {
    s += first ? "\n" : ",\n";
    first = false;
    s += "      {\"date\": " + Json(e.date) + ", \"time\": " + Json(e.time) +
         ", \"when\": " + JsonWhen(e.stamp) + ", \"kind\": " + Json(e.kind) +
         ", \"function\": " + Json(e.function) + ", \"message\": " + Json(e.message) +
         ", \"error_code\": " + JsonCode(e.code) + "}";
  }
  s += first ? "]},\n" : "\n    ]},\n";

  s += "  \"attention\": [";
  first = true;
  for (const std::string& a : r.attention) {
    s += first ? "\n" : ",\n";
    first = false;
    s += "    " + Json(a.c_str());
  }
  s += first ? "],\n" : "\n  ],\n";
  s += "  \"exit_status\": " + std::to_string(r.status) + "\n}\n";
  fputs(s.c_str(), stdout);
}

int Usage() {
  fputs(kUsage, stderr);
  return 2;
}

// A whole decimal number from lo to hi; false otherwise.
bool Number(const char* s, long lo, long hi, long* out) {
  char* end = nullptr;
  long v = strtol(s, &end, 10);
  if (end == s || *end != '\0' || v < lo || v > hi || s[0] == '-' || s[0] == '+') return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    About_PrintVersion("velmarkon-status");
    return 0;
  }
  Options o;
  for (int i = 1; i < argc; ++i) {
    long v = 0;
    if (strcmp(argv[i], "--json") == 0) {
      o.json = true;
    } else if (strcmp(argv[i], "--stale") == 0 && i + 1 < argc &&
               Number(argv[i + 1], 0, 1000000, &v)) {
      o.stale_hours = v;
      ++i;
    } else if (strcmp(argv[i], "--log") == 0 && i + 1 < argc && Number(argv[i + 1], 0, 1000, &v)) {
      o.log_n = static_cast<int>(v);
      ++i;
    } else {
      return Usage();
    }
  }
  const Encoding enc = o.json ? ENC_UTF8 : TerminalEncoding();

  static Report r;
  for (int t = 0; t < STATUS_TABLES; ++t) r.tables[t].name = kStatusTables[t];
  char unused[9];
  Get_DateTime(r.now, unused, 4);
  std::error_code ec;
  r.folder = std::filesystem::current_path(ec).string();

  ReadDatabase(&r, o);
  ReadSendBuffers(&r);
  ReadLog(&r, o);

  if (o.json)
    PrintJson(r, o);
  else
    PrintText(r, o, enc);
  if (fflush(stdout) != 0) return 1;
  return r.status;
}
