// The release of a row whose records were written, the same for every table:
// the table's guarded statement deletes the row ("LOE") or empties its marks
// only while it is still as it was sent (the marker and the action code that
// were sent, and the change time where the cursor delivers it). Only when it
// does not succeed is the row read again, to tell why: gone, released
// already, marked again by another program meanwhile (left as that program
// left it, with one log entry; its newer content goes with the next run), or
// the change itself failed. Each table gives its statements and log texts.
#pragma once

#include <cstdint>
#include <cstring>

#include "db/sql.h"
#include "download/frame.h"
#include "support/msg.h"

template <class Row>
struct TableRelease {
  const char* name;           // the release's function name, for its own entries ("Apg_Frei")
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
  const bool loe = strcmp(sent.*t.dna, "LOE") == 0;
  // A server's group takes its releases together, before any result is
  // known: there the row as it was fetched chooses between deletion and
  // withdrawal. A row changed since makes the group's releases fail, and
  // they are done again one by one, as below.
  if (loe && t.kept && t.withdraw && Sql_Deferring() && t.kept(sent)) return t.withdraw(sent);
  bool del = loe;
  int32_t rc = loe ? t.del(sent) : t.frei(sent);
  if (rc == SQL_NOTFOUND && loe && t.withdraw) {  // not one to delete, perhaps
    del = false;
    rc = t.withdraw(sent);
  }
  if (rc == 0) return 0;

  // Not released: the row read again tells why, and the log says what a
  // release that read first would have said.
  Row now = sent;  // the key, and the fields the read does not select
  // A value the release does not need may fail the read (a number beyond
  // its width): the marks it decides on have arrived all the same.
  int32_t read = t.read(&now);
  if (read != 0 && Sql_RowFailed()) read = 0;
  if (read != 0) {
    Msg_Report(t.read_fn, t.read_failure, read);
    return read;
  }
  int32_t as_sent = Dnl_AsSent(t.name, now.*t.dwn, now.*t.dna, sent.*t.dwn, sent.*t.dna);
  if (as_sent >= 0) return as_sent;
  if (del && t.kept && t.kept(now)) {  // the delete failed; this row is withdrawn instead
    del = false;
    rc = t.withdraw(sent);
    if (rc == 0) return 0;
  }
  if (rc == SQL_NOTFOUND) return Dnl_LeftMarked(t.name, rc);  // same marks, newer change
  Msg_Report(del ? t.del_fn : t.frei_fn, del ? t.del_failure : t.frei_failure, rc);
  return rc;
}
