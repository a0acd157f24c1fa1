// The release of a row whose records were written, the same for every table:
// read the row again by its key, act only while it is still as it was sent
// (the marker and the action code that were sent; the table's guarded
// statement checks the change time as well), then delete it ("LOE") or empty
// its marks. A row another program marked again meanwhile is left as that
// program left it, with one log entry, and its newer content goes with the
// next run. Each table gives its statements and its log texts.
#pragma once

#include <cstdint>
#include <cstring>

#include "db/sql.h"
#include "download/frame.h"
#include "support/msg.h"

template <class Row>
struct TableRelease {
  const char* name;  // the release's function name, for its own entries ("Apg_Frei")
  int32_t (*read)(Row* row);  // reads the row of row's key again
  const char* read_fn;
  const char* read_failure;
  int32_t (*del)(const Row& sent);  // guarded delete, 1403 when not as sent
  const char* del_fn;
  const char* del_failure;
  int32_t (*frei)(const Row& sent);  // guarded un-marking, 1403 when not as sent
  const char* frei_fn;
  const char* frei_failure;
  char (Row::*dwn)[9];
  char (Row::*dna)[4];
  // "LOE" that does not delete (personnel without PrvAwa 3): kept tells it
  // from the row read again, withdraw is the release then (logged as frei).
  bool (*kept)(const Row& now);
  int32_t (*withdraw)(const Row& sent);
};

// The checks every release makes. When the row read again no longer carries
// the marker and action code that were sent, Dnl_AsSent gives what the
// release returns: 0 when the row is not marked any more (nothing to do),
// DNL_LEFT_MARKED when it carries a newer mark (logged under fn); it gives -1
// when the row is still as sent and the release goes on.
int32_t Dnl_AsSent(const char* fn, const char* now_dwn, const char* now_dna, const char* sent_dwn,
                   const char* sent_dna);
// A release's guarded change found the row changed after all (1403): the
// row is left as the other program left it; logged under fn.
int32_t Dnl_LeftMarked(const char* fn, int32_t code);

template <class Row>
int32_t Dnl_Release(const TableRelease<Row>& t, const Row& sent) {
  Row now = sent;  // the key, and the fields the read does not select
  // A value the release does not need may fail the read (a number beyond
  // its width): the marks it decides on have arrived all the same.
  int32_t rc = t.read(&now);
  if (rc != 0 && Sql_RowFailed()) rc = 0;
  if (rc != 0) {
    Msg_Report(t.read_fn, t.read_failure, rc);
    return rc;
  }
  int32_t as_sent = Dnl_AsSent(t.name, now.*t.dwn, now.*t.dna, sent.*t.dwn, sent.*t.dna);
  if (as_sent >= 0) return as_sent;
  const bool loe = strcmp(sent.*t.dna, "LOE") == 0;
  const bool keep = loe && t.kept && t.kept(now);
  const bool del = loe && !keep;
  rc = del ? t.del(sent) : keep ? t.withdraw(sent) : t.frei(sent);
  if (rc == SQL_NOTFOUND) return Dnl_LeftMarked(t.name, rc);
  if (rc != 0) Msg_Report(del ? t.del_fn : t.frei_fn, del ? t.del_failure : t.frei_failure, rc);
  return rc;
}
