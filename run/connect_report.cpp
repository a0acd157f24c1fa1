// The report of a run whose database could not be reached.
#include "run/connect_report.h"

#include <cstdio>

#include "db/session.h"
#include "support/msg.h"

void Run_ReportConnectFailure(int32_t rc) {
  if (rc != DB_BACKEND_MISSING) {
    Msg_Report("dbConnect", "Connect mit DB fehlgeschlagen", rc);
    return;
  }
  // The log's detail lines hold 99 characters: the message stays short.
  Msg_Report("dbConnect", "DB-Schnittstelle nicht im Programm", rc);
  char built[64];
  fprintf(stderr,
          "velmarkon: NET8 names the %s database back end, which this build does not contain "
          "(back ends in this build: %s)\n",
          Db_MissingBackend(), Db_BuiltBackends(built, sizeof built));
}
