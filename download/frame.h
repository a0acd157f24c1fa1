// The table download frame: the one loop every table download runs.
//
// A download opens its cursor with the run's marker, builds one message per
// fetched row, hands it to the send-buffer writer with the row's production
// area, and releases the row only after its record was written. A row whose
// record was not written keeps its marks and is sent by a later run. Each
// table supplies its cursor, body formatter, release and messages.
#pragma once

#include <cstdint>
#include <cstring>

#include "sendbuf/snddnl.h"
#include "support/msg.h"
#include "support/text.h"

template <class Row>
struct TableDownload {
  const char* name;          // function name of the log entries, e.g. "Apk_Dnl"
  const char* open_failure;  // message when the cursor cannot be opened
  const char* send_failure;  // message when a record is not sent; nullptr:
                             // results not looked at and no release
  bool stop_at_failure;      // leave the loop at the first failing row
  int32_t (*open)(const char* marker);
  int32_t (*fetch)(Row* row);
  int32_t (*close)();
  int32_t (*format)(DownloadMessage* msg, Row row);
  const char* (*route)(const Row& row);              // routing key: the production area
  int32_t (*release)(Row row);                       // nullptr: the table has none
  bool release_ignored;                              // the release's result does not count
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

template <class Row>
int32_t Dnl_Run(const TableDownload<Row>& t, const char* date, const char* time,
                const char* marker) {
  int32_t rc = t.open(marker);
  if (rc != 0) {
    Msg_Report(t.name, t.open_failure, rc);
    return rc;
  }
  static Row row;  // the fetch's record; copies go to the formatter and release
  static DownloadMessage msg;
  memset(&row, 0, sizeof row);
  int16_t seq = 0;
  while (t.fetch(&row) == 0) {
    seq = static_cast<int16_t>(seq + 1);
    Dnl_Begin(&msg, date, time, marker, seq);
    int32_t step = t.format(&msg, row);
    if (step == 0 || !t.send_failure) step = SndDnl_Write(msg, t.route(row));
    if (t.send_failure) {
      if (step != 0) {
        Msg_Report(t.name, t.send_failure, step);
      } else if (t.release) {
        int32_t rel = t.release(row);
        if (!t.release_ignored) step = rel;
      }
    }
    if (t.second) {
      t.second(&msg, row);
      SndDnl_Write(msg, t.route(row));
    }
    if (t.stop_at_failure && step != 0) break;
  }
  return t.close();
}
