// Workplace group download: body formatter, release and re-marking, and the
// group table's place in the download frame.
#include "download/apg.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

template <size_t N>
void Terminate(char (&field)[N]) {
  field[N - 1] = '\0';
}

const char* Route(const ApgRow& row) { return row.ApgFbe; }

const TableDownload<ApgRow> kApg = {
    "Apg_Dnl",
    "fehlerhafter Apg_OpenDnl",
    "Fehler beim Senden von ApgS"
    "\xE4"
    "tze",
    /*stop_at_failure=*/false,
    Apg_OpenDnl,
    Apg_FetchDnl,
    Apg_CloseDnl,
    Apg_DnlSatz,
    Route,
    Apg_Frei,
    /*release_ignored=*/false,
    /*second=*/nullptr,
};

}  // namespace

int32_t Apg_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kApg, date, time, marker);
}

int32_t Apg_DnlSatz(DownloadMessage* msg, ApgRow row) {
  // The row is a copy: make sure every text printed below ends in its field.
  Terminate(row.ApgApg);
  Terminate(row.ApgBez);
  Terminate(row.ApgFbe);
  Terminate(row.ApgKst);
  Terminate(row.ApgZf1);
  Terminate(row.ApgZf2);
  Terminate(row.ApgZf3);
  Terminate(row.ApgDna);

  char area[256];
  memset(area, ' ', sizeof area);
  char txt[9] = {0};
  memcpy(txt, row.ApgTxt, 8);  // the terminals show 8 of its 10 characters

  // Widths are minimum widths: a longer value shifts the later fields. With
  // every value within its width the line has 135 characters, so the copy
  // below takes its NUL along and the "X" stays behind the end of the body.
  char text[256] = {0};
  snprintf(text, sizeof text, "%-10s%-30s%-8s%-10s%-7s%10s%10s%20s%30s", row.ApgApg, row.ApgBez,
           txt, row.ApgFbe, row.ApgKst, "          ", row.ApgZf1, row.ApgZf2, row.ApgZf3);
  memcpy(area, text, 136);
  area[136] = 'X';
  area[255] = '\0';

  Dnl_Head(msg, "NEU", row.ApgDna, "MAG", nullptr, nullptr, nullptr, row.ApgApg);
  Dnl_Body(msg, area);
  return 0;
}

int32_t Apg_Frei(ApgRow row) {
  // Without a fresh read the update would write empty values over every
  // column of the group: leave it marked instead.
  int32_t rc = Apg_PKeyRead(&row);
  if (rc != 0) {
    Msg_Report("ApgDnl", "Fehler bei Apg_PKeyRead", rc);
    return rc;
  }
  if (strcmp(row.ApgDna, "LOE") == 0) {
    rc = Apg_PKeyDel(row.ApgApg);
    if (rc != 0) Msg_Report("Apg_Frei", "Fehler bei Apg_PKeyDel", rc);
    return rc;
  }
  memset(row.ApgDwn, 0, sizeof row.ApgDwn);
  memset(row.ApgDna, 0, sizeof row.ApgDna);
  rc = Apg_PKeyUpd(&row);
  if (rc != 0) Msg_Report("ApgDnl", "Fehler bei Apg_PKeyUpd", rc);
  return rc;
}

namespace {

const TableRemark<ApgRow> kApgRemark = {
    "Apg_Sel", "Fehelr bei Apg_PKeyDel", Apg_FetchRange,  Apg_CloseRange,  Apg_PKeyUpd,
    nullptr,   &ApgRow::ApgDna,          &ApgRow::ApgDwn, &ApgRow::ApgErf,
};

}  // namespace

void Apg_Sel(const char* marker, char* from, char* to) {
  memcpy(from, "0000000000", 11);
  memcpy(to, "9999999999", 11);
  if (Apg_OpenRange(from, to) != 0) return;
  Dnl_Remark(kApgRemark, marker);
}
