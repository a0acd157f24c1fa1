// The download program's entry: --help and --version (each only as the single
// argument; a download marker never starts with "--"), otherwise one run,
// recorded in the state file next to the log when it ends.
#include <cstdio>
#include <cstring>

#include "run/about.h"
#include "run/download_main.h"
#include "run/last_run.h"
#include "sendbuf/snddnl.h"
#include "support/ini.h"

namespace {

// The fixed paths as this platform writes them go in at the %s.
const char kHelp[] =
    "usage: velmarkon MARKER TABLE   download one table\n"
    "       velmarkon MARKER         update-request run (also: velmarkon MARKER ALL)\n"
    "       velmarkon --help | --version\n"
    "\n"
    "MARKER: the download marker (up to 8 characters) of the rows to send.\n"
    "TABLE:  Kvs501Apk Kvs504App Kvs530Apg Kvs531Apl Kvs521Ubg Kvs510Prv Kvs537Ksg\n"
    "\n"
    "Run in the working folder; it reads %s (LOGIN,\n"
    "PASS, NET8), appends to %s%sSndDnl<n>.buf, logs failures in\n"
    "%s and records its end in %s.\n"
    "\n"
    "Exit status: 0 the run did all it was asked; 3 the run succeeded but a\n"
    "failure was logged (or a log entry could not be written); 4 another run\n"
    "held the working folder for more than 10 minutes; 5 NET8 names a database\n"
    "back end this build does not contain; otherwise the run result's low 8 bits\n"
    "(255 wrong arguments, 123 no update request, the connect result's low 8\n"
    "bits when the database could not be reached).\n"
    "See velmarkon(1); velmarkon-status shows what waits and what the log says.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    printf(kHelp, INI_FILE_PATH, SND_DIR, PLAT_SEP, MSG_FILE_PATH, LAST_RUN_FILE_PATH);
    return 0;
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    About_PrintVersion("velmarkon");
    return 0;
  }
  Plat_StartProcess();  // a write beyond the file-size limit fails, as on a full disk
  const int status = Download_Main(argc, argv, &kProgramEntries);
  if (LastRun_Write(LAST_RUN_FILE_PATH, status) != 0)
    fprintf(stderr, "velmarkon: cannot write %s\n", LAST_RUN_FILE_PATH);
  return status;
}
