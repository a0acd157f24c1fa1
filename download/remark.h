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
#include "support/platform.h"

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

// Walks the key-range cursor the caller has opened, and closes it.
template <class Row>
void Dnl_Remark(const TableRemark<Row>& t, const char* marker) {
  Row row;
  char key[DNL_KEY_SIZE];
  char text[96];
  memset(&row, 0, sizeof row);
  int32_t rows = 0;
  int64_t started = 0;
  for (;;) {
    int32_t got = t.fetch(&row);
    if (got == SQL_NOTFOUND) break;
    if (got != 0) {
      if (!Sql_RowFailed()) break;  // the cursor cannot go on
      t.key(row, key);
      snprintf(text, sizeof text, "%s %s", t.read_failure, key);
      Msg_Report(t.name, text, got);
      continue;
    }
    if (t.exempt && t.exempt(row)) continue;
    if (!Sql_InUnit()) {
      int32_t rc = Sql_Begin();
      if (rc != 0) {
        Msg_Report(t.name, "Datenbank gesperrt", rc);
        break;
      }
      rows = 0;
      started = Plat_MonotonicMs();
    }
    int32_t rc = t.remark(row, marker);
    if (rc == SQL_RESOURCE_BUSY) {
      Dnl_RemarkCommit(t.name, t.failure);
      Msg_Report(t.name, "Datenbank gesperrt", rc);
      break;
    }
    if (rc != 0) Msg_Report(t.name, t.failure, rc);
    if (++rows >= Dnl_GroupRows() || Plat_MonotonicMs() - started >= Dnl_GroupMs())
      Dnl_RemarkCommit(t.name, t.failure);
  }
  Dnl_RemarkCommit(t.name, t.failure);
  t.close();
}
