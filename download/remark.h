// The re-marking frame: the one loop every table's re-marking runs in an
// update-request run. Each row its key-range cursor delivers (and the table
// does not exempt) is marked for download again with action "AEN", the run's
// marker and the system user "KoraSys", and written back at once; a row
// that cannot be written is reported and the loop goes on.
#pragma once

#include <cstdint>
#include <cstring>

#include "support/msg.h"
#include "support/text.h"

template <class Row>
struct TableRemark {
  const char* name;     // function name of the log entries, e.g. "Apg_Sel"
  const char* failure;  // message when a row cannot be written back
  int32_t (*fetch)(Row* row);
  int32_t (*close)();
  int32_t (*update)(const Row* row);
  bool (*exempt)(const Row& row);  // nullptr: every row is re-marked
  char (Row::*action)[4];
  char (Row::*marker)[9];
  char (Row::*user)[9];
};

// Walks the key-range cursor the caller has opened, and closes it.
template <class Row>
void Dnl_Remark(const TableRemark<Row>& t, const char* marker) {
  static Row row;
  memset(&row, 0, sizeof row);
  while (t.fetch(&row) == 0) {
    if (t.exempt && t.exempt(row)) continue;
    CopyText(row.*t.action, "AEN");
    CopyText(row.*t.marker, marker);
    CopyText(row.*t.user, "KoraSys");
    int32_t rc = t.update(&row);
    if (rc != 0) Msg_Report(t.name, t.failure, rc);
  }
  t.close();
}
