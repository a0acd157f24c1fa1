// Personnel download: the two body formatters, the release and the
// re-marking of Kvs510Prv, run by the table download frame.
#include "download/prv.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

const char* PrvRoute(const PrvRow& row) { return row.PrvFbe; }

const TableDownload<PrvRow> kPrv = {
    /*name=*/"Prv_Dnl",
    /*open_failure=*/"fehlerhafte Pvr_OpenDnl",
    /*send_failure=*/
    "Fehler beim Senden von PrvS"
    "\xE4"
    "tze",
    /*stop_at_failure=*/false,
    /*open=*/Prv_OpenDnl,
    /*fetch=*/Prv_FetchDnl,
    /*close=*/Prv_CloseDnl,
    /*format=*/Prv_DnlSatz,
    /*route=*/PrvRoute,
    /*release=*/Prv_Frei,
    /*release_ignored=*/true,
    /*second=*/Prv_AwnSatz,
};

// Both bodies: the text over a blank area, "X" at its 17th character.
void PutBody(DownloadMessage* msg, const char text[256]) {
  char area[256];
  memset(area, ' ', sizeof area);
  memcpy(area, text, 182);
  area[16] = 'X';
  area[255] = '\0';
  Dnl_Body(msg, area);
}

// The one-letter code of PrvBer; a blank for values without one.
const char* BerLetter(int32_t ber) {
  if (ber == 1) return "A";
  if (ber == 2) return "M";
  return " ";
}

}  // namespace

int32_t Prv_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kPrv, date, time, marker);
}

int32_t Prv_DnlSatz(DownloadMessage* msg, PrvRow row) {
  const bool gone = strcmp(row.PrvDna, "LOE") == 0 && row.PrvAwa == 3;
  Dnl_Head(msg, "NEU", gone ? "LOE" : "AEN", "PNR", row.PrvPnr, nullptr, nullptr, nullptr);
  // A cost centre longer than 7 characters is written whole and moves the
  // letter to the right; the precisions only bound the reads to the fields.
  char text[256];
  memset(text, 0, sizeof text);
  snprintf(text, sizeof text, "%-8.8s%-7.10s%-1s", row.PrvPnr, row.PrvKst, BerLetter(row.PrvBer));
  PutBody(msg, text);
  return 0;
}

int32_t Prv_AwnSatz(DownloadMessage* msg, PrvRow row) {
  Dnl_Head(msg, "NEU", row.PrvDna, "AWN", row.PrvPnr, nullptr, nullptr, nullptr);
  char text[256];
  memset(text, 0, sizeof text);
  snprintf(text, sizeof text, "%-8.8s%-8.8s", row.PrvAwn, row.PrvPnr);
  PutBody(msg, text);
  return 0;
}

int32_t Prv_Frei(PrvRow row) {
  int32_t rc = Prv_PKeyReadk(&row);
  if (rc != 0) {
    Msg_Report("PrvDnl", "Fehler bei Prv_PKeyReadk", rc);
    return rc;
  }
  if (strcmp(row.PrvDna, "LOE") == 0) {
    if (row.PrvAwa == 3) {
      rc = Prv_PKeyDel(row.PrvPnr);
      if (rc != 0) Msg_Report("Prv_Frei", "Fehler bei Prv_PKeyDel", rc);
      return rc;
    }
    // The leave is withdrawn; the person stays with its validity period.
    memset(row.PrvAwn, 0, sizeof row.PrvAwn);
    memset(row.PrvAvn, 0, sizeof row.PrvAvn);
    memset(row.PrvAbi, 0, sizeof row.PrvAbi);
    row.PrvAnw = 0;
    row.PrvApp = 0;
    row.PrvApl = 0;
  }
  memset(row.PrvDwn, 0, sizeof row.PrvDwn);
  memset(row.PrvDna, 0, sizeof row.PrvDna);
  rc = Prv_PKeyUpd(&row);
  if (rc != 0) Msg_Report("PrvDnl", "Fehler bei Prv_PKeyUpd", rc);
  return rc;
}

namespace {

const TableRemark<PrvRow> kPrvRemark = {
    "Prv_Sel", "Fehelr bei Prv_PKeyDel", Prv_FetchRange,  Prv_CloseRange,  Prv_PKeyUpd,
    nullptr,   &PrvRow::PrvDna,          &PrvRow::PrvDwn, &PrvRow::PrvErf,
};

}  // namespace

void Prv_Sel(const char* marker, char* from, char* to) {
  // The request's range is not used: every valid person is marked again.
  snprintf(from, 9, "%s", "00000000");
  snprintf(to, 9, "%s", "99999999");
  if (Prv_OpenRange(from, to) != 0) return;
  Dnl_Remark(kPrvRemark, marker);
}
