// The table download frame: the one loop every table download runs.
//
// A download opens its cursor with the run's marker, builds one message per
// fetched row, hands it to the send-buffer writer with the row's production
// area, and releases the row only after its record is on the disk. Rows go in
// groups: the records of up to Dnl_GroupRows() rows (or of what arrived within
// Dnl_GroupMs()) are appended, every send-buffer file the group wrote to is
// made durable with one data sync, and only then are the group's releases
// committed, together. On the embedded database each release runs right
// after its record is written, inside its own savepoint, so its failures
// are logged at once; on a server the group's releases go in one round trip
// before its records are written (Dnl_Flush), and a group in which any of
// them does not stand is done again row by row, with the same records,
// releases and log entries. A crash loses nothing: at most the rows of the
// unfinished group are sent again by the next run. A row whose record was
// not written keeps its marks.
//
// Before a failure is handled (a record not written, a lock that timed out,
// the order headers' stop at their first failure) the group so far is made
// durable and committed. A group whose data sync or commit fails leaves all
// its rows marked and logs each of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "db/sql.h"
#include "sendbuf/ip.h"
#include "sendbuf/snddnl.h"
#include "support/msg.h"
#include "support/text.h"

// What the frame does after a row's records were written.
enum class DnlPolicy : uint8_t {
  kRelease,   // the row is released (deleted or un-marked)
  kSendOnly,  // nothing is released; the formatter's and writer's results are
              // not looked at (the writer reports its own failures)
};

// What a release returns besides 0 (released) and a failure's code: the
// row was left as another program left it (it carries a newer mark than the
// one that was sent); the release has logged that.
enum : int32_t { DNL_LEFT_MARKED = 1 };

// Room for a row's key in log entries ("000000001234/00010").
enum { DNL_KEY_SIZE = 32 };

template <class Row>
struct TableDownload {
  const char* name;           // function name of the log entries, e.g. "Apk_Dnl"
  const char* table;          // the table's keyword, for the run summary
  const char* open_failure;   // message when the cursor cannot be opened
  const char* fetch_failure;  // message when the cursor cannot go on
  const char* read_failure;   // message (followed by the key) for a row whose values fail
  const char* send_failure;   // message when a record is not sent
  DnlPolicy policy;
  bool stop_at_failure;  // leave the loop at the first failing row
  int32_t (*open)(const char* marker);
  int32_t (*fetch)(Row* row);
  int32_t (*close)();
  int32_t (*format)(DownloadMessage* msg, Row row);
  const char* (*route)(const Row& row);  // routing key: the production area
  void (*key)(const Row& row, char (&out)[DNL_KEY_SIZE]);
  int32_t (*release)(Row row);
  bool release_ignored;  // a failed release does not count as the row's failure
  int32_t (*second)(DownloadMessage* msg, Row row);  // a second record per row
};

// Clears msg and fills the fields the frame owns.
void Dnl_Begin(DownloadMessage* msg, const char* date, const char* time, const char* marker,
               int32_t seq);

// The fields every body formatter sets besides the body; a nullptr text
// gives blanks of the field's width.
void Dnl_Head(DownloadMessage* msg, const char* kind, const char* action, const char* table,
              const char* field8, const char* key, const char* field5, const char* field10);

// The body: 257 blanks, then the 256-byte body area copied over their start
// (the writer takes the body up to its first NUL).
void Dnl_Body(DownloadMessage* msg, const char area[256]);

// "WDH" for the repeat marker "InfToGen", else "NEU".
const char* Dnl_Kind(const char* marker);

// Group size: rows per group, and the longest a group stays open.
int32_t Dnl_GroupRows();
int32_t Dnl_GroupMs();
// True when a group of this many rows, opened at started_ms, is to end now.
bool Dnl_GroupDone(int32_t rows, int64_t started_ms);
void Dnl_SetGroup(int32_t rows, int32_t ms);  // tests and the benchmark
// The clock a group's age is read from (milliseconds, monotonic); tests set
// their own (nullptr: the system's).
int64_t Dnl_NowMs();
void Dnl_SetClock(int64_t (*now)());

// The run summary: one line per table download to this stream (none when
// nullptr, the default; the program sets stdout).
void Dnl_SetSummary(FILE* out);

// The non-template part of the frame: one download's group and counts.
struct DnlRun {
  const char* name;
  const char* table;
  bool releases;
  const char *date = "", *time = "", *marker = "";  // the run's, for the messages
  int32_t fetched = 0, released = 0, left = 0;
  int32_t reported_before = 0;  // log entries asked for before the download
  // The open group.
  bool open = false;
  int64_t started_ms = 0;
  int32_t rows = 0;                      // rows in the group
  int32_t pending = 0;                   // of those, releases waiting for the group's commit
  char (*keys)[DNL_KEY_SIZE] = nullptr;  // their keys, for log entries
};

void Dnl_Start(DnlRun* run, const char* name, const char* table, bool releases);
// Opens a group if none is open: 0, or the lock wait's failure (logged).
int32_t Dnl_GroupOpen(DnlRun* run);
// A row of the open group; released: its release waits for the commit.
void Dnl_GroupRow(DnlRun* run, const char* key, bool released);
// Makes the group durable and commits it when it is full or old enough.
void Dnl_GroupCheck(DnlRun* run);
// Makes the group durable and commits it now.
void Dnl_GroupEnd(DnlRun* run);
void Dnl_Finish(DnlRun* run);  // the summary line

// A row on its way: its records formatted, and once written their results.
template <class Row>
struct DnlHeld {
  Row row;
  DownloadMessage msg;
  DownloadMessage second;  // the second record, where the table has one
  char key[DNL_KEY_SIZE];
  int16_t seq;     // its row sequence number
  bool formatted;  // msg and second are filled; format is the formatter's result
  int32_t format;
  bool written;  // its records were written: sent and sent2 say how
  int32_t sent, sent2;
};

// Fills the row's records (once).
template <class Row>
void Dnl_Format(const TableDownload<Row>& t, const DnlRun* run, DnlHeld<Row>* h) {
  if (h->formatted) return;
  h->formatted = true;
  Dnl_Begin(&h->msg, run->date, run->time, run->marker, h->seq);
  h->format = t.format(&h->msg, h->row);
  if (t.second) {
    h->second = h->msg;
    t.second(&h->second, h->row);
  }
}

// One row's records, then its release, then what a failure asks for. False:
// the download ends here, *result says why (or stays as it was).
template <class Row>
bool Dnl_Step(const TableDownload<Row>& t, DnlRun* run, DnlHeld<Row>* h, int32_t* result) {
  const bool releases = run->releases;
  // The embedded database's write lock is taken before the record is
  // written: a held database gets no record for a row it keeps marked.
  int32_t rc = Dnl_GroupOpen(run);
  if (rc != 0) {
    *result = rc;
    return false;
  }
  Dnl_Format(t, run, h);
  int32_t step = h->format;
  if (step == 0 || !releases) step = h->written ? h->sent : SndDnl_Write(h->msg, t.route(h->row));
  if (!releases) {
    Dnl_GroupRow(run, h->key, false);
    Dnl_GroupCheck(run);
    return true;
  }
  if (step != 0) {
    Dnl_GroupEnd(run);
    Msg_Report(t.name, t.send_failure, step);
  }
  if (t.second) {
    // The second record goes whatever became of the first; the row is
    // released only when both were written.
    int32_t second = h->written ? h->sent2 : SndDnl_Write(h->second, t.route(h->row));
    if (step == 0 && second != 0) {
      Dnl_GroupEnd(run);
      Msg_Report(t.name, t.send_failure, second);
      step = second;
    }
  }
  bool released = false;
  if (step == 0) {
    int32_t rel = t.release(h->row);
    released = rel == 0;
    if (rel == SQL_RESOURCE_BUSY) {
      // A row another session holds: the rest of the table stays marked.
      Dnl_GroupEnd(run);
      Msg_Report(t.name, "Datenbank gesperrt", rel);
      *result = rel;
      return false;
    }
    if (rel != 0 && rel != DNL_LEFT_MARKED && !t.release_ignored) step = rel;
  }
  Dnl_GroupRow(run, h->key, released);
  if (t.stop_at_failure && step != 0) return false;
  Dnl_GroupCheck(run);
  return true;
}

// A deferred group (a server): its rows' releases were kept in the
// statement layer and go to the server in one round trip, before any of
// their records is written. When every one of them stands, the records are
// written and the group ends as any other (one data sync, one commit).
// Otherwise nothing of them stands, and the group is done again row by row
// as Dnl_Step does it: a row whose release fails is then logged, stops the
// download or is left marked exactly as without deferral, and no record of
// a row after a stop is written. A record that cannot be written undoes
// the releases as well; the rows before it are done again, its own failure
// is handled as Dnl_Step handles it. False: the download ends here.
template <class Row>
bool Dnl_Flush(const TableDownload<Row>& t, DnlRun* run, DnlHeld<Row>* held, int32_t* n,
               int32_t* result) {
  const int32_t rows = *n;
  *n = 0;
  if (rows == 0) {
    if (Sql_Deferring()) Sql_DeferRun();  // nothing kept: deferral just ends
    return true;
  }
  int32_t first = rows;  // the first row done row by row
  if (Sql_DeferRun() == 0) {
    for (int32_t i = 0; i < rows && first == rows; ++i) {
      DnlHeld<Row>& h = held[i];
      h.written = true;
      h.sent = SndDnl_Write(h.msg, t.route(h.row));
      h.sent2 = t.second ? SndDnl_Write(h.second, t.route(h.row)) : 0;
      if (h.sent != 0 || h.sent2 != 0) first = i;
    }
    if (first == rows) {  // every record written: the group ends with its releases
      for (int32_t i = 0; i < rows; ++i) {
        ++run->fetched;
        Dnl_GroupRow(run, held[i].key, true);
      }
      Dnl_GroupEnd(run);
      return true;
    }
    Sql_End(false);  // the releases of the rows from the failed record on go too
  }
  run->open = false;  // the unit was rolled back: a new one for the rows again
  run->rows = 0;
  run->pending = 0;
  for (int32_t i = 0; i < rows; ++i) {
    ++run->fetched;
    if (!Dnl_Step(t, run, &held[i], result)) return false;
  }
  return true;
}

// Room for a group's rows (T: what a row needs while it is held), kept for
// the process and grown with the groups.
template <class T>
T* Dnl_GroupRoom(int32_t rows) {
  static T* room = nullptr;
  static int32_t size = 0;
  if (size < rows) {
    delete[] room;
    room = new T[static_cast<size_t>(rows)]();
    size = rows;
  }
  return room;
}

template <class Row>
int32_t Dnl_Run(const TableDownload<Row>& t, const char* date, const char* time,
                const char* marker) {
  const bool releases = t.policy == DnlPolicy::kRelease;
  // On a server the releases of a group go together (see Dnl_Flush).
  const bool defer = releases && Sql_CanDefer();
  DnlRun run;
  Dnl_Start(&run, t.name, t.table, releases);
  run.date = date;
  run.time = time;
  run.marker = marker;
  if (releases) Sql_RefreshStatistics(t.table);
  int32_t rc = t.open(marker);
  if (rc != 0) {
    Msg_Report(t.name, t.open_failure, rc);
    Dnl_Finish(&run);
    return rc;
  }
  DnlHeld<Row>* held = defer ? Dnl_GroupRoom<DnlHeld<Row>>(Dnl_GroupRows()) : nullptr;
  int32_t nheld = 0;
  DnlHeld<Row> one;  // the row done at once
  char text[96];
  memset(&one, 0, sizeof one);
  int32_t result = 0;
  int16_t seq = 0;
  for (;;) {
    DnlHeld<Row>& h = defer ? held[nheld] : one;
    int32_t got = t.fetch(&h.row);
    if (got == SQL_NOTFOUND) break;
    const bool row_failed = got != 0 && Sql_RowFailed();
    seq = static_cast<int16_t>(seq + 1);
    h.seq = seq;
    t.key(h.row, h.key);
    h.formatted = false;
    h.written = false;
    if (got == 0 && defer) {
      // Held with its release kept, when its records can be written: a
      // group is only started where no other row's work waits in it.
      if (nheld == 0 && run.open) Dnl_GroupEnd(&run);
      rc = Dnl_GroupOpen(&run);
      if (rc != 0) {
        ++run.fetched;
        result = rc;
        break;
      }
      Dnl_Format(t, &run, &h);
      if (!Sql_Deferring()) Sql_DeferBegin();
      const int kept = Sql_DeferCount();
      if (h.format == 0 && IP_Covers(t.route(h.row)) && t.release(h.row) == 0) {
        ++nheld;
        if (!Dnl_GroupDone(nheld, run.started_ms)) continue;
        if (!Dnl_Flush(t, &run, held, &nheld, &result)) break;
        continue;
      }
      // Not one to hold: the held rows first, then this one at once.
      Sql_DeferCut(kept);
      one = h;
    } else if (defer) {
      one = h;
    }
    if (defer && !Dnl_Flush(t, &run, held, &nheld, &result)) break;
    if (got != 0 && !row_failed) {  // the cursor cannot go on
      Dnl_GroupEnd(&run);
      Msg_Report(t.name, t.fetch_failure, got);
      result = got;
      break;
    }
    ++run.fetched;
    if (got != 0) {
      // A row whose values cannot be read is neither sent nor released. A
      // key without a Windows-1252 form would address another row: that row
      // counts as a record that could not be sent.
      Dnl_GroupEnd(&run);
      if (got == SQL_NO_CP1252 && releases) {
        Msg_Report(t.name, t.send_failure, got);
        if (t.stop_at_failure) break;
      } else {
        snprintf(text, sizeof text, "%s %s", t.read_failure, one.key);
        Msg_Report(t.name, text, got);
      }
      continue;
    }
    if (!Dnl_Step(t, &run, &one, &result)) break;
  }
  if (defer) Dnl_Flush(t, &run, held, &nheld, &result);  // the rows held, if not ended
  Dnl_GroupEnd(&run);
  rc = t.close();
  Dnl_Finish(&run);
  return result != 0 ? result : rc;
}
