// The run driver: opens the log, takes the working folder's run lock,
// connects, takes the run's stamp, reads the command line, dispatches the
// table downloads in their fixed order and ends the run with a commit and an
// exit status.
#include "run/download_main.h"

#include <cstdio>
#include <cstring>

#include "db/session.h"
#include "download/frame.h"
#include "run/connect_report.h"
#include "run/run_lock.h"
#include "sendbuf/snddnl.h"
#include "support/args.h"
#include "support/datetime.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

bool KnownKeyword(const DownloadEntries* e, const char* kw) {
  if (strcmp(kw, "ALL") == 0) return true;
  for (const RunTable& t : e->tables)
    if (t.keyword && strcmp(kw, t.keyword) == 0) return true;
  return false;
}

// The values one run works with.
struct Run {
  char date[40];
  char time[9];
  char marker[9];
  char keyword[10];
  UpdateRequest req;
  int32_t result;
  const DownloadEntries* e;
};

// A step's result: the first non-zero result of the run is the one it ends
// with, so that a later success cannot hide an earlier failure.
void Keep(Run* r, int32_t rc) {
  if (r->result == 0) r->result = rc;
}

// An entry the program was built without cannot run: that is a failure.
bool Wired(const void* entry, const char* name, Run* r) {
  if (entry) return true;
  Msg_Report(name, "nicht verfuegbar", -1);
  Keep(r, -1);
  return false;
}

void Download(Run* r, const RunTable& t) {
  if (Wired(reinterpret_cast<const void*>(t.dnl), t.dnl_name, r))
    Keep(r, t.dnl(r->date, r->time, r->marker));
}

// The re-marking of an update-request run, then the download.
void Requested(Run* r, const RunTable& t) {
  UpdateRequest& q = r->req;
  if (t.op_sel) {  // the operations: order and operation numbers
    if (Wired(reinterpret_cast<const void*>(t.op_sel), t.sel_name, r))
      t.op_sel(r->marker, t.from(q), t.to(q), t.op_from(q), t.op_to(q));
  } else if (t.sel_name) {
    if (Wired(reinterpret_cast<const void*>(t.sel), t.sel_name, r))
      t.sel(r->marker, t.from(q), t.to(q));
  }  // the cost centres have no re-marking
  Download(r, t);
}

void Dispatch(Run* r) {
  const bool all = strcmp(r->keyword, "ALL") == 0;
  for (const RunTable& t : r->e->tables) {
    if (!t.keyword) continue;
    if (strcmp(r->keyword, t.keyword) == 0) Download(r, t);
    if (all && SortsAfterBlanks(t.from(r->req), t.width)) Requested(r, t);
  }
  if (all && Wired(reinterpret_cast<const void*>(r->e->Upd_PKeyUpd), "Upd_PKeyUpd", r)) {
    int32_t rc = r->e->Upd_PKeyUpd();
    if (rc != 0) Msg_Report("Download_Main", "Upd_PKeyUpd", rc);
    Keep(r, rc);
  }
}

// Reads the update request; its result is the run result.
void ReadRequest(Run* r) {
  if (!Wired(reinterpret_cast<const void*>(r->e->Upd_PKeyReadk), "Upd_PKeyReadk", r)) return;
  r->result = r->e->Upd_PKeyReadk(&r->req);
  if (r->result != 0)
    Msg_Report("Download_Main", "Upd_PKeyReadk", r->result);
  else
    CopyText(r->keyword, "ALL");
}

}  // namespace

bool SortsAfterBlanks(const char* field, int n) {
  for (int i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(field[i]);
    if (c != ' ') return c > ' ';  // NUL: the field is the shorter, it sorts first
  }
  return field[n] != '\0';  // n blanks and more: longer sorts after
}

int ExitStatus(int32_t result) {
  int low = static_cast<int>(static_cast<uint32_t>(result) & 0xffu);
  return result != 0 && low == 0 ? 1 : low;
}

// One run, inside the working folder's run lock.
static int LockedRun(int argc, const char* const* argv, const DownloadEntries* entries) {
  Msg_Init(FMSG | SMSG | DMSG, MSG_FILE_PATH);
  Dnl_SetSummary(stdout);
  const int32_t reported_before = Msg_Reported();

  int32_t rc = dbConnect();
  if (rc != 0) {
    // A run that could not connect did nothing: that must not read as success.
    Run_ReportConnectFailure(rc);
    return ExitStatus(rc);
  }

  Run r;
  memset(&r, 0, sizeof r);
  r.e = entries;
  r.result = Get_DateTime(r.date, r.time, 3);

  const int nargs = argc - 1;
  if (nargs == 2 || nargs == 1) {
    // The arguments in Windows-1252; one that has no such form names no table.
    const bool text = Args_ToCp1252(argv[1], r.marker, sizeof r.marker) == 0 &&
                      (nargs == 1 || Args_ToCp1252(argv[2], r.keyword, sizeof r.keyword) == 0);
    if (!text) {
      Msg_Report("Get_Download", "Download->unbekannte Tabelle", 0);
      r.result = -1;
    } else if (nargs == 1 || strcmp(r.keyword, "ALL") == 0) {
      // The explicit "ALL" is an update-request run like the one-argument form.
      ReadRequest(&r);
    }
  } else {
    Msg_Report("Download_Main", "Anzahl der Parametern", -1);
    r.result = -1;
  }

  if (r.result == 0 && !KnownKeyword(entries, r.keyword)) {
    Msg_Report("Get_Download", "Download->unbekannte Tabelle", 0);
    r.result = -1;
  }

  if (r.result != 0)
    Msg_Report("Download_Main", "fehlerhaft beendet", r.result);
  else
    Dispatch(&r);

  dbCommit();
  // The last send-buffer file is let go for the communication program, and
  // the session ends with the run: the embedded database's write-ahead log
  // is checkpointed and removed.
  SndDnl_Close();
  dbDisconnect();
  if (r.result != 0) return ExitStatus(r.result);
  // A run that reported anything did not do all it was asked.
  return Msg_Reported() > reported_before ? EXIT_FAILURES_LOGGED : 0;
}

int Download_Main(int argc, const char* const* argv, const DownloadEntries* entries) {
  Msg_Init(FMSG | SMSG | DMSG, MSG_FILE_PATH);
  int32_t err = RunLock_Take();
  if (err != 0) {
    Msg_Report(
        "Download_Main",
        Plat_IsBusy(err) ? "Lauf gesperrt, anderer Lauf aktiv" : "Sperrdatei nicht geoeffnet", err);
    return EXIT_RUN_LOCKED;
  }
  int status = LockedRun(argc, argv, entries);
  RunLock_Release();
  return status;
}
