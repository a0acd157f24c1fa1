// The table download frame's shared part: message helpers, the groups in
// which rows become durable and are released, and the run summary.
#include "download/frame.h"

#include "download/release.h"
#include "download/remark.h"
#include "sendbuf/ip.h"
#include "support/platform.h"

void Dnl_Begin(DownloadMessage* msg, const char* date, const char* time, const char* marker,
               int32_t seq) {
  memset(msg, 0, sizeof *msg);
  CopyText(msg->date, date);
  CopyText(msg->time, time);
  CopyText(msg->marker, marker);
  msg->seq = seq;
}

namespace {

template <size_t N>
void Field(char (&dst)[N], const char* src) {
  if (src) {
    CopyText(dst, src);
  } else {
    memset(dst, ' ', N - 1);
    dst[N - 1] = '\0';
  }
}

// Rows per group and the longest a group stays open; see the benchmark for
// how they were chosen.
int32_t g_group_rows = 256;
int32_t g_group_ms = 1000;
FILE* g_summary = nullptr;
int64_t (*g_clock)() = Plat_MonotonicMs;

// The keys of the open group's pending releases (one group at a time).
char (*g_keys)[DNL_KEY_SIZE] = nullptr;
int32_t g_keys_size = 0;

}  // namespace

void Dnl_Head(DownloadMessage* msg, const char* kind, const char* action, const char* table,
              const char* field8, const char* key, const char* field5, const char* field10) {
  CopyText(msg->kind, kind);
  CopyText(msg->bde, "BDE  ");
  CopyText(msg->action, action);
  CopyText(msg->table, table);
  Field(msg->field8, field8);
  Field(msg->key, key);
  Field(msg->field5, field5);
  Field(msg->field10, field10);
  memset(msg->field15, 0, sizeof msg->field15);
}

void Dnl_Body(DownloadMessage* msg, const char area[256]) {
  memset(msg->body, ' ', sizeof msg->body);
  memcpy(msg->body, area, 256);
}

const char* Dnl_Kind(const char* marker) { return strcmp(marker, "InfToGen") == 0 ? "WDH" : "NEU"; }

int32_t Dnl_GroupRows() { return g_group_rows; }
int32_t Dnl_GroupMs() { return g_group_ms; }

bool Dnl_GroupDone(int32_t rows, int64_t started_ms) {
  return rows >= g_group_rows || Dnl_NowMs() - started_ms >= g_group_ms;
}

void Dnl_SetGroup(int32_t rows, int32_t ms) {
  g_group_rows = rows > 0 ? rows : 1;
  g_group_ms = ms > 0 ? ms : 1;
}

void Dnl_SetSummary(FILE* out) { g_summary = out; }

int64_t Dnl_NowMs() { return g_clock(); }
void Dnl_SetClock(int64_t (*now)()) { g_clock = now ? now : Plat_MonotonicMs; }

void Dnl_Start(DnlRun* run, const char* name, const char* table, bool releases) {
  run->name = name;
  run->table = table;
  run->releases = releases;
  run->reported_before = Msg_Reported();
  if (g_keys_size < g_group_rows) {  // once per process, and when the groups grow
    delete[] g_keys;
    g_keys = new char[g_group_rows][DNL_KEY_SIZE];
    g_keys_size = g_group_rows;
  }
  run->keys = g_keys;
  SndDnl_ResetCounts();
  IP_Forget();  // the terminal configuration as it is now
}

int32_t Dnl_GroupOpen(DnlRun* run) {
  if (run->open) return 0;
  if (run->releases) {
    int32_t rc = Sql_Begin();
    if (rc != 0) {
      Msg_Report(run->name, "Datenbank gesperrt", rc);
      return rc;
    }
  }
  run->open = true;
  run->started_ms = Dnl_NowMs();
  run->rows = 0;
  run->pending = 0;
  return 0;
}

void Dnl_GroupRow(DnlRun* run, const char* key, bool released) {
  ++run->rows;
  if (released && run->pending < g_keys_size) CopyText(run->keys[run->pending++], key);
}

void Dnl_GroupCheck(DnlRun* run) {
  if (!run->open) return;
  if (Dnl_GroupDone(run->rows, run->started_ms)) Dnl_GroupEnd(run);
}

void Dnl_GroupEnd(DnlRun* run) {
  if (!run->open) return;
  run->open = false;
  // Every record of the group on the disk first, then the releases.
  int32_t rc = SndDnl_Sync();
  if (!run->releases) return;  // the writer has reported a failed sync
  if (rc != 0) {
    Sql_End(false);
  } else {
    rc = Sql_End(true);
  }
  if (rc == 0) {
    run->released += run->pending;
    return;
  }
  // Nothing of the group is released: every row stays marked and is sent
  // again by the next run.
  char text[96];
  for (int32_t i = 0; i < run->pending; ++i) {
    snprintf(text, sizeof text, "nicht gesichert %s", run->keys[i]);
    Msg_Report(run->name, text, rc);
  }
}

void Dnl_Finish(DnlRun* run) {
  if (!run->releases) run->released = 0;
  run->left = run->releases ? run->fetched - run->released : 0;
  if (!g_summary) return;
  int32_t written = 0, file = 0, n = 0;
  for (int i = 0; SndDnl_Count(i, &file, &n); ++i) written += n;
  fprintf(g_summary, "velmarkon: %s fetched=%d written=%d (", run->table, run->fetched, written);
  for (int i = 0; SndDnl_Count(i, &file, &n); ++i)
    fprintf(g_summary, "%sSndDnl%d.buf=%d", i ? " " : "", file, n);
  fprintf(g_summary, ") released=%d left-marked=%d failures=%d\n", run->released, run->left,
          Msg_Reported() - run->reported_before);
  fflush(g_summary);
}

void Dnl_RemarkCommit(const char* name, const char* failure) {
  if (!Sql_InUnit()) return;
  int32_t rc = Sql_End(true);
  if (rc != 0) Msg_Report(name, failure, rc);
}

int32_t Dnl_AsSent(const char* fn, const char* now_dwn, const char* now_dna, const char* sent_dwn,
                   const char* sent_dna) {
  if (strcmp(now_dwn, sent_dwn) == 0 && strcmp(now_dna, sent_dna) == 0) return -1;
  if (now_dwn[0] == '\0') return 0;  // released already (a row sent twice, or by another)
  return Dnl_LeftMarked(fn, 0);
}

int32_t Dnl_LeftMarked(const char* fn, int32_t code) {
  // Marked again since it was sent: its newer content goes with the next run.
  Msg_Report(fn, "Zeile geaendert, bleibt markiert", code);
  return DNL_LEFT_MARKED;
}
