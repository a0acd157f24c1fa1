// Personnel download: the two body formatters, the release and the
// re-marking of Kvs510Prv, run by the table download frame.
#include "download/prv_dnl.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/release.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

void PrvKey(const PrvRow& row, char (&out)[DNL_KEY_SIZE]) { CopyText(out, row.PrvPnr); }

// Two records a row: the row is released only when both were written, and
// the release's failures are its own (logged by it) and do not count as the
// row's.
const TableDownload<PrvRow> kPrv = {
    .name = "Prv_Dnl",
    .table = "Kvs510Prv",
    .open_failure = "fehlerhafte Pvr_OpenDnl",
    .fetch_failure = "fehlerhafte Prv_FetchDnl",
    .read_failure = "Lesefehler PrvSatz",
    .send_failure = "Fehler beim Senden von PrvS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = false,
    .open = Prv_OpenDnl,
    .fetch = Prv_FetchDnl,
    .close = Prv_CloseDnl,
    .format = Prv_DnlSatz,
    .route = [](const PrvRow& row) -> const char* { return row.PrvFbe; },
    .key = PrvKey,
    .release = Prv_Frei,
    .release_ignored = true,
    .second = Prv_AwnSatz,
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

// "LOE" deletes the person only with PrvAwa 3 (as stored now); any other
// "LOE" withdraws a leave: its columns and the validity dates are emptied,
// the person stays.
namespace {
const TableRelease<PrvRow> kPrvFrei = {
    .name = "Prv_Frei",
    .read = Prv_PKeyReadk,
    .read_fn = "PrvDnl",
    .read_failure = "Fehler bei Prv_PKeyReadk",
    .del = Prv_PKeyDel,
    .del_fn = "Prv_Frei",
    .del_failure = "Fehler bei Prv_PKeyDel",
    .frei = Prv_PKeyFrei,
    .frei_fn = "PrvDnl",
    .frei_failure = "Fehler bei Prv_PKeyUpd",
    .dwn = &PrvRow::PrvDwn,
    .dna = &PrvRow::PrvDna,
    .kept = [](const PrvRow& now) { return now.PrvAwa != 3; },
    .withdraw = Prv_PKeyLoe,
};
}  // namespace

int32_t Prv_Frei(PrvRow row) { return Dnl_Release(kPrvFrei, row); }

namespace {

const TableRemark<PrvRow> kPrvRemark = {
    .name = "Prv_Sel",
    .failure = "Fehelr bei Prv_PKeyDel",
    .read_failure = "Lesefehler PrvSatz",
    .fetch = Prv_FetchRange,
    .close = Prv_CloseRange,
    .remark = Prv_PKeyMark,
    .exempt = nullptr,
    .key = PrvKey,
};

}  // namespace

void Prv_Sel(const char* marker, char* from, char* to) {
  // The request's range is not used: every valid person is marked again.
  snprintf(from, 9, "%s", "00000000");
  snprintf(to, 9, "%s", "99999999");
  if (Prv_OpenRange(from, to) != 0) return;
  Dnl_Remark(kPrvRemark, marker);
}
