// Interruption reason download: body formatter, release and re-marking of
// Kvs521Ubg, run by the table download frame.
#include "download/ubg.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

const char* UbgRoute(const UbgRow& row) { return row.UbgFbe; }

const TableDownload<UbgRow> kUbg = {
    /*name=*/"Ubg_Dnl",
    /*open_failure=*/"fehlerhafte Ubg_OpenDnl",
    /*send_failure=*/
    "Fehler beim Senden von UbgS"
    "\xE4"
    "tze",
    /*stop_at_failure=*/false,
    /*open=*/Ubg_OpenDnl,
    /*fetch=*/Ubg_FetchDnl,
    /*close=*/Ubg_CloseDnl,
    /*format=*/Ubg_DnlSatz,
    /*route=*/UbgRoute,
    /*release=*/Ubg_Frei,
    /*release_ignored=*/false,
    /*second=*/nullptr,
};

}  // namespace

int32_t Ubg_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kUbg, date, time, marker);
}

int32_t Ubg_DnlSatz(DownloadMessage* msg, UbgRow row) {
  char area[256];
  char text[256];
  memset(area, ' ', sizeof area);
  memset(text, 0, sizeof text);
  // Kind letter, code, the designation twice and the text, right-aligned in
  // at least 8 places; a text of 9 or 10 characters runs past position 72.
  // The precisions only bound the reads to the fields' widths.
  snprintf(text, sizeof text, "%-1s%-4.4s%-30.30s%-30.30s%8.10s", row.UbgKnz == 1 ? "U" : "S",
           row.UbgUbg, row.UbgBez, row.UbgBez, row.UbgTxt);
  memcpy(area, text, 182);
  area[73] = 'X';
  area[255] = '\0';
  Dnl_Head(msg, "NEU", row.UbgDna, "UBG", nullptr, nullptr, nullptr, nullptr);
  Dnl_Body(msg, area);
  return 0;
}

int32_t Ubg_Frei(UbgRow row) {
  int32_t rc = Ubg_PKeyRead(&row);
  if (rc != 0) {
    // A reason that cannot be read again is left alone: writing the emptied
    // copy back would wipe its columns.
    Msg_Report("UbgDnl", "Fehler bei Ubg_PKeyRead", rc);
    return rc;
  }
  if (strcmp(row.UbgDna, "LOE") == 0) {
    rc = Ubg_PKeyDel(row.UbgUbg);
    if (rc != 0) Msg_Report("Ubg_Frei", "Fehler bei Ubg_PKeyDel", rc);
    return rc;
  }
  memset(row.UbgDwn, 0, sizeof row.UbgDwn);
  memset(row.UbgDna, 0, sizeof row.UbgDna);
  rc = Ubg_PKeyUpd(&row);
  if (rc != 0) Msg_Report("UbgDnl", "Fehler bei Ubg_PKeyUpd", rc);
  return rc;
}

namespace {

const TableRemark<UbgRow> kUbgRemark = {
    "Ubg_Sel", "Fehelr bei Ubg_PKeyDel", Ubg_FetchRange,  Ubg_CloseRange,  Ubg_PKeyUpd,
    nullptr,   &UbgRow::UbgDna,          &UbgRow::UbgDwn, &UbgRow::UbgErf,
};

}  // namespace

void Ubg_Sel(const char* marker, char* from, char* to) {
  // The request's range is not used: every reason is marked again.
  snprintf(from, 6, "%s", "00000");
  snprintf(to, 6, "%s", "99999");
  if (Ubg_OpenRange(from, to) != 0) return;
  Dnl_Remark(kUbgRemark, marker);
}
