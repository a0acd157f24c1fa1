// The re-marking frame: the one loop every table's re-marking runs in an
// update-request run. Each row its key-range cursor delivers (and the table
// does not exempt) is marked for download again: action "AEN", the run's
// marker, the system user "KoraSys" and the change time, nothing else of the
// row. The re-markings are committed in groups, as the downloads' releases
// are; a row that cannot be re-marked is reported and the loop goes on, and
// a lock that timed out ends the re-marking (the rest is left as it was).
#pragma once

#include <cstdint>
#include <cstring>

#include "db/sql.h"
#include "download/frame.h"
#include "support/msg.h"

template <class Row>
struct TableRemark {
  const char* name;          // function name of the log entries, e.g. "Apg_Sel"
  const char* failure;       // message when a row cannot be re-marked
  const char* read_failure;  // message (followed by the key) for a row whose values fail
  int32_t (*fetch)(Row* row);
  int32_t (*close)();
  int32_t (*remark)(const Row& row, const char* marker);
  bool (*exempt)(const Row& row);  // nullptr: every row is re-marked
  void (*key)(const Row& row, char (&out)[DNL_KEY_SIZE]);
};

// Commits the re-markings so far; a failed commit is reported once.
void Dnl_RemarkCommit(const char* name, const char* failure);

// Walks the key-range cursor the caller has opened, and closes it. On a
// server the re-markings of a group go in one round trip; when any of them
// does not stand, none does, and the group is re-marked again row by row,
// each failure reported as without grouping.
template <class Row>
void Dnl_Remark(const TableRemark<Row>& t, const char* marker) {
  const bool defer = Sql_CanDefer();
  Row* held = defer ? Dnl_GroupRoom<Row>(Dnl_GroupRows()) : nullptr;
  int32_t nheld = 0;
  Row one;
  char key[DNL_KEY_SIZE];
  char text[96];
  memset(&one, 0, sizeof one);
  int32_t rows = 0;
  int64_t started = 0;
  // A unit of work for the group, if none is open; false: the database is held.
  auto open = [&]() {
    if (Sql_InUnit()) return true;
    int32_t rc = Sql_Begin();
    if (rc != 0) {
      Msg_Report(t.name, "Datenbank gesperrt", rc);
      return false;
    }
    rows = 0;
    started = Dnl_NowMs();
    return true;
  };
  // One row re-marked at once; false: a lock timed out, the re-marking ends.
  auto remark = [&](const Row& row) {
    if (!open()) return false;
    int32_t rc = t.remark(row, marker);
    if (rc == SQL_RESOURCE_BUSY) {
      Dnl_RemarkCommit(t.name, t.failure);
      Msg_Report(t.name, "Datenbank gesperrt", rc);
      return false;
    }
    if (rc != 0) Msg_Report(t.name, t.failure, rc);
    if (Dnl_GroupDone(++rows, started)) Dnl_RemarkCommit(t.name, t.failure);
    return true;
  };
  // The held rows' re-markings, sent together and committed, or done again.
  auto flush = [&]() {
    const int32_t n = nheld;
    nheld = 0;
    if (!Sql_Deferring()) return true;
    if (Sql_DeferRun() == 0) {
      Dnl_RemarkCommit(t.name, t.failure);
      return true;
    }
    for (int32_t i = 0; i < n; ++i)
      if (!remark(held[i])) return false;
    return true;
  };
  for (;;) {
    Row& row = defer ? held[nheld] : one;
    int32_t got = t.fetch(&row);
    if (got == SQL_NOTFOUND) break;
    if (got != 0) {
      const bool row_failed = Sql_RowFailed();
      if (!flush() || !row_failed) break;  // the cursor cannot go on
      t.key(row, key);
      snprintf(text, sizeof text, "%s %s", t.read_failure, key);
      Msg_Report(t.name, text, got);
      continue;
    }
    if (t.exempt && t.exempt(row)) continue;
    if (!defer) {
      if (!remark(row)) break;
      continue;
    }
    if (!open()) break;
    if (!Sql_Deferring()) Sql_DeferBegin();
    t.remark(row, marker);  // kept: answers 0
    ++nheld;
    if (Dnl_GroupDone(nheld, started) && !flush()) break;
  }
  flush();
  Dnl_RemarkCommit(t.name, t.failure);
  t.close();
}
