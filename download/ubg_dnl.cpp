// Interruption reason download: body formatter, release and re-marking of
// Kvs521Ubg, run by the table download frame.
#include "download/ubg_dnl.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/release.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

void UbgKey(const UbgRow& row, char (&out)[DNL_KEY_SIZE]) { CopyText(out, row.UbgUbg); }

const TableDownload<UbgRow> kUbg = {
    .name = "Ubg_Dnl",
    .table = "Kvs521Ubg",
    .open_failure = "fehlerhafte Ubg_OpenDnl",
    .fetch_failure = "fehlerhafte Ubg_FetchDnl",
    .read_failure = "Lesefehler UbgSatz",
    .send_failure = "Fehler beim Senden von UbgS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = false,
    .open = Ubg_OpenDnl,
    .fetch = Ubg_FetchDnl,
    .close = Ubg_CloseDnl,
    .format = Ubg_DnlSatz,
    .route = [](const UbgRow& row) -> const char* { return row.UbgFbe; },
    .key = UbgKey,
    .release = Ubg_Frei,
    .release_ignored = false,
    .second = nullptr,
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

namespace {
const TableRelease<UbgRow> kUbgFrei = {
    .name = "Ubg_Frei",
    .read = Ubg_PKeyRead,
    .read_fn = "UbgDnl",
    .read_failure = "Fehler bei Ubg_PKeyRead",
    .del = Ubg_PKeyDel,
    .del_fn = "Ubg_Frei",
    .del_failure = "Fehler bei Ubg_PKeyDel",
    .frei = Ubg_PKeyFrei,
    .frei_fn = "UbgDnl",
    .frei_failure = "Fehler bei Ubg_PKeyUpd",
    .dwn = &UbgRow::UbgDwn,
    .dna = &UbgRow::UbgDna,
    .kept = nullptr,
    .withdraw = nullptr,
};
}  // namespace

int32_t Ubg_Frei(UbgRow row) { return Dnl_Release(kUbgFrei, row); }

namespace {

const TableRemark<UbgRow> kUbgRemark = {
    .name = "Ubg_Sel",
    .failure = "Fehelr bei Ubg_PKeyDel",
    .read_failure = "Lesefehler UbgSatz",
    .fetch = Ubg_FetchRange,
    .close = Ubg_CloseRange,
    .remark = Ubg_PKeyMark,
    .exempt = nullptr,
    .key = UbgKey,
};

}  // namespace

void Ubg_Sel(const char* marker, char* from, char* to) {
  // The request's range is not used: every reason is marked again.
  snprintf(from, 6, "%s", "00000");
  snprintf(to, 6, "%s", "99999");
  if (Ubg_OpenRange(from, to) != 0) return;
  Dnl_Remark(kUbgRemark, marker);
}
