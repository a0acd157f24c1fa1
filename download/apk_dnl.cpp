// Order header download: body formatter, release, re-marking and the table
// download through the common frame.
#include "download/apk_dnl.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/order_body.h"
#include "download/release.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

int32_t Apk_DnlSatz(DownloadMessage* msg, ApkRow row) {
  char area[256];
  memset(area, ' ', sizeof area);
  Txt_Put(area + 0, 12, row.ApkApk);
  Txt_Put(area + 12, 30, row.ApkBz1);
  Txt_Put(area + 42, 30, row.ApkBz2);
  Txt_Put(area + 72, 8, row.ApkTxt);
  Txt_Put(area + 80, 20, row.ApkTnr);
  Txt_Put(area + 100, 30, row.ApkTb1);
  Txt_Put(area + 130, 30, row.ApkTb2);
  Ord_Number(area + 160, row.ApkSme);
  Txt_Put(area + 171, 3, row.ApkMee);
  Ord_Date(area + 174, row.ApkBgs);
  Ord_Date(area + 180, row.ApkEns);
  // The operation count's digits begin at the field's start, blanks follow;
  // a sixth character (a count below -9999) would run into the status.
  char count[16];
  snprintf(count, sizeof count, "%d", static_cast<int>(row.ApkAfo));
  Txt_Put(area + 186, 5, count);
  Ord_Status(area + 191, row.ApkSts);
  Txt_Put(area + 192, 10, row.ApkZf1);
  Txt_Put(area + 202, 20, row.ApkZf2);
  Txt_Put(area + 222, 30, row.ApkZf3);
  area[252] = 'X';
  area[255] = '\0';

  Dnl_Head(msg, Dnl_Kind(msg->marker), row.ApkDna, "APK", nullptr, row.ApkApk, nullptr, nullptr);
  Dnl_Body(msg, area);
  return 0;
}

namespace {
const TableRelease<ApkRow> kApkFrei = {
    .name = "Apk_Frei",
    .read = Apk_PKeyRead,
    .read_fn = "ApkDnl",
    .read_failure = "Fehler bei Apk_PKeyRead",
    .del = Apk_PKeyDel,
    .del_fn = "ApkDnl",
    .del_failure = "Fehler bei Apk_PKeyUpd",
    .frei = Apk_PKeyFrei,
    .frei_fn = "ApkDnl",
    .frei_failure = "Fehler bei Apk_PKeyUpd",
    .dwn = &ApkRow::ApkDwn,
    .dna = &ApkRow::ApkDna,
    .kept = nullptr,
    .withdraw = nullptr,
};
}  // namespace

int32_t Apk_Frei(ApkRow row) { return Dnl_Release(kApkFrei, row); }

namespace {

void ApkKey(const ApkRow& row, char (&out)[DNL_KEY_SIZE]) { CopyText(out, row.ApkApk); }

// Rows of status 7 or 9 are left as they are.
const TableRemark<ApkRow> kApkRemark = {
    .name = "Auk_To_Apk",
    .failure = "Fehelr bei Apk_PKeyDel",
    .read_failure = "Lesefehler ApkSatz",
    .fetch = [](ApkRow* row) { return Apk_FetchRange(row, 1); },
    .close = [] { return Apk_CloseRange(1); },
    .remark = Apk_PKeyMark,
    .exempt = [](const ApkRow& row) { return row.ApkSts == 9 || row.ApkSts == 7; },
    .key = ApkKey,
};

}  // namespace

void Auk_To_Apk(const char* marker, char* lower, char* upper) {
  Txt_Copy(lower, 13, "000000000000");
  Txt_Copy(upper, 13, "999999999999");
  if (Apk_OpenRange(lower, upper, 1) != 0) return;
  Dnl_Remark(kApkRemark, marker);
}

namespace {

const TableDownload<ApkRow> kApk = {
    .name = "Apk_Dnl",
    .table = "Kvs501Apk",
    .open_failure = "fehlerhafte Apk_OpenDnl",
    .fetch_failure = "fehlerhafte Apk_FetchDnl",
    .read_failure = "Lesefehler ApkSatz",
    .send_failure = "Fehler beim Senden von ApkS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = true,
    .open = Apk_OpenDnl,
    .fetch = Apk_FetchDnl,
    .close = Apk_CloseDnl,
    .format = Apk_DnlSatz,
    .route = [](const ApkRow& row) -> const char* { return row.ApkFbe; },
    .key = ApkKey,
    .release = Apk_Frei,
    .release_ignored = false,
    .second = nullptr,
};

}  // namespace

int32_t Apk_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kApk, date, time, marker);
}
