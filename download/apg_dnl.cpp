// Workplace group download: body formatter, release and re-marking, and the
// group table's place in the download frame.
#include "download/apg_dnl.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/release.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

namespace {

template <size_t N>
void Terminate(char (&field)[N]) {
  field[N - 1] = '\0';
}

void ApgKey(const ApgRow& row, char (&out)[DNL_KEY_SIZE]) { CopyText(out, row.ApgApg); }

const TableDownload<ApgRow> kApg = {
    .name = "Apg_Dnl",
    .table = "Kvs530Apg",
    .open_failure = "fehlerhafter Apg_OpenDnl",
    .fetch_failure = "fehlerhafter Apg_FetchDnl",
    .read_failure = "Lesefehler ApgSatz",
    .send_failure = "Fehler beim Senden von ApgS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = false,
    .open = Apg_OpenDnl,
    .fetch = Apg_FetchDnl,
    .close = Apg_CloseDnl,
    .format = Apg_DnlSatz,
    .route = [](const ApgRow& row) -> const char* { return row.ApgFbe; },
    .key = ApgKey,
    .release = Apg_Frei,
    .release_ignored = false,
    .second = nullptr,
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

namespace {
const TableRelease<ApgRow> kApgFrei = {
    .name = "Apg_Frei",
    .read = Apg_PKeyRead,
    .read_fn = "ApgDnl",
    .read_failure = "Fehler bei Apg_PKeyRead",
    .del = Apg_PKeyDel,
    .del_fn = "Apg_Frei",
    .del_failure = "Fehler bei Apg_PKeyDel",
    .frei = Apg_PKeyFrei,
    .frei_fn = "ApgDnl",
    .frei_failure = "Fehler bei Apg_PKeyUpd",
    .dwn = &ApgRow::ApgDwn,
    .dna = &ApgRow::ApgDna,
    .kept = nullptr,
    .withdraw = nullptr,
};
}  // namespace

int32_t Apg_Frei(ApgRow row) { return Dnl_Release(kApgFrei, row); }

namespace {

const TableRemark<ApgRow> kApgRemark = {
    .name = "Apg_Sel",
    .failure = "Fehelr bei Apg_PKeyDel",
    .read_failure = "Lesefehler ApgSatz",
    .fetch = Apg_FetchRange,
    .close = Apg_CloseRange,
    .remark = Apg_PKeyMark,
    .exempt = nullptr,
    .key = ApgKey,
};

}  // namespace

void Apg_Sel(const char* marker, char* from, char* to) {
  memcpy(from, "0000000000", 11);
  memcpy(to, "9999999999", 11);
  if (Apg_OpenRange(from, to) != 0) return;
  Dnl_Remark(kApgRemark, marker);
}
