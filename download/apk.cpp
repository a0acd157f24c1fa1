// Order header download: body formatter, release, re-marking and the table
// download through the common frame.
#include "download/apk.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"
#include "download/order_body.h"
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

int32_t Apk_Frei(ApkRow row) {
  static ApkRow cur;  // the row as it is now in the database
  memset(&cur, 0, sizeof cur);
  CopyText(cur.ApkApk, row.ApkApk);
  int32_t rc = Apk_PKeyRead(&cur);
  if (rc != 0) {
    Msg_Report("ApkDnl", "Fehler bei Apk_PKeyRead", rc);
    return rc;
  }
  if (strcmp(row.ApkDna, "LOE") == 0) {
    rc = Apk_PKeyDel(cur.ApkApk);
  } else {
    cur.ApkDwn[0] = '\0';
    cur.ApkDna[0] = '\0';
    rc = Apk_PKeyUpd(&cur);
  }
  if (rc != 0) Msg_Report("ApkDnl", "Fehler bei Apk_PKeyUpd", rc);
  return rc;
}

namespace {

// Rows of status 7 or 9 are left as they are.
const TableRemark<ApkRow> kApkRemark = {
    "Auk_To_Apk",
    "Fehelr bei Apk_PKeyDel",
    [](ApkRow* row) { return Apk_FetchRange(row, 1); },
    [] { return Apk_CloseRange(1); },
    Apk_PKeyUpd,
    [](const ApkRow& row) { return row.ApkSts == 9 || row.ApkSts == 7; },
    &ApkRow::ApkDna,
    &ApkRow::ApkDwn,
    &ApkRow::ApkErf,
};

}  // namespace

void Auk_To_Apk(const char* marker, char* lower, char* upper) {
  Txt_Copy(lower, 13, "000000000000");
  Txt_Copy(upper, 13, "999999999999");
  if (Apk_OpenRange(lower, upper, 1) != 0) return;
  Dnl_Remark(kApkRemark, marker);
}

namespace {

const char* ApkRoute(const ApkRow& row) { return row.ApkFbe; }

const TableDownload<ApkRow> kApk = {
    "Apk_Dnl",
    "fehlerhafte Apk_OpenDnl",
    "Fehler beim Senden von ApkS"
    "\xE4"
    "tze",
    /*stop_at_failure=*/true,
    Apk_OpenDnl,
    Apk_FetchDnl,
    Apk_CloseDnl,
    Apk_DnlSatz,
    ApkRoute,
    Apk_Frei,
    /*release_ignored=*/false,
    /*second=*/nullptr,
};

}  // namespace

int32_t Apk_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kApk, date, time, marker);
}
