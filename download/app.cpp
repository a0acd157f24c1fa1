// Order operation download: body formatter, release with the order header's
// operation count, re-marking and the table download through the common
// frame.
#include "download/app.h"

#include <cstring>

#include "db/apk.h"
#include "download/frame.h"
#include "download/order_body.h"
#include "download/remark.h"
#include "support/msg.h"
#include "support/text.h"

int32_t App_DnlSatz(DownloadMessage* msg, AppRow row) {
  char area[256];
  memset(area, ' ', sizeof area);
  Txt_Put(area + 0, 12, row.AppApk);
  Txt_Put(area + 12, 5, row.AppApp);
  Txt_Put(area + 17, 30, row.AppBz1);
  Txt_Put(area + 47, 30, row.AppBz2);
  Txt_Put(area + 77, 8, row.AppTxt);
  Txt_Put(area + 85, 10, row.AppApg);
  Ord_Number(area + 95, row.AppSme);
  Txt_Put(area + 106, 3, row.AppMee);
  Ord_ShortNumber(area + 109, row.AppStr);
  Ord_ShortNumber(area + 116, row.AppSte);
  Ord_ShortNumber(area + 123, row.AppSza);
  Ord_Date(area + 130, row.AppBdsDate);
  Ord_Date(area + 136, row.AppEdsDate);
  Txt_Put(area + 142, 5, row.AppVaf);
  Txt_Put(area + 147, 5, row.AppNaf);
  Ord_Status(area + 152, row.AppSts);
  Txt_Put(area + 153, 10, row.AppZf1);
  Txt_Put(area + 163, 20, row.AppZf2);
  Txt_Put(area + 183, 30, row.AppZf3);
  Ord_Number(area + 213, row.AppIme);
  Ord_Number(area + 224, row.AppAme);
  area[246] = 'X';  // blanks follow up to the end of the body field

  Dnl_Head(msg, Dnl_Kind(msg->marker), row.AppDna, "APP", nullptr, row.AppApk, row.AppApp, nullptr);
  Dnl_Body(msg, area);
  return 0;
}

namespace {

// Adds delta to the operation count of order apk. Returns the result of the
// last statement; a count that cannot be read or written stays as it was.
int32_t CountOperations(const char* apk, int32_t delta) {
  static ApkRow head;
  memset(&head, 0, sizeof head);
  CopyText(head.ApkApk, apk);
  int32_t rc = Apk_PKeyRead(&head);
  if (rc != 0) return rc;
  head.ApkAfo += delta;
  return Apk_PKeyUpd(&head);
}

}  // namespace

int32_t App_Frei(AppRow row) {
  static AppRow cur;  // the operation as it is now in the database
  memset(&cur, 0, sizeof cur);
  CopyText(cur.AppApk, row.AppApk);
  CopyText(cur.AppApp, row.AppApp);
  int32_t read = App_PKeyRead(&cur);

  if (strcmp(row.AppDna, "LOE") == 0) {
    int32_t rc = App_PKeyDel(&cur);
    if (rc != 0) {
      Msg_Report("App_Frei", "Fehler bei Apk_PKeyDel", rc);
      return rc;
    }
    return CountOperations(row.AppApk, -1);
  }

  if (read != 0) return read;  // the operation stays waiting
  cur.AppDwn[0] = '\0';
  cur.AppDna[0] = '\0';
  int32_t rc = App_PKeyUpd(&cur);
  if (rc != 0) {
    Msg_Report("APP_Frei", "Fehler bei App_PKeyUpd", rc);
    return rc;
  }
  if (strcmp(row.AppDna, "NEU") == 0) return CountOperations(row.AppApk, +1);
  return 0;
}

namespace {

// Rows of status 7 or 9 are left as they are.
const TableRemark<AppRow> kAppRemark = {
    "App_Sel",
    "Fehelr bei App_PKeyDel",
    [](AppRow* row) { return App_FetchRange(row, 1); },
    [] { return App_CloseRange(1); },
    App_PKeyUpd,
    [](const AppRow& row) { return row.AppSts == 9 || row.AppSts == 7; },
    &AppRow::AppDna,
    &AppRow::AppDwn,
    &AppRow::AppErf,
};

}  // namespace

void App_Sel(const char* marker, char* order_from, char* order_to, char* op_from, char* op_to) {
  if (App_OpenRange(order_from, op_from, order_to, op_to, 1) != 0) return;
  Dnl_Remark(kAppRemark, marker);
}

namespace {

const char* AppRoute(const AppRow& row) { return row.AppFbe; }

const TableDownload<AppRow> kApp = {
    "App_Dnl",
    "fehlerhafte App_OpenDnl",
    "Fehler beim Senden von AppS"
    "\xE4"
    "tze",
    /*stop_at_failure=*/false,
    App_OpenDnl,
    App_FetchDnl,
    App_CloseDnl,
    App_DnlSatz,
    AppRoute,
    App_Frei,
    /*release_ignored=*/false,
    /*second=*/nullptr,
};

}  // namespace

int32_t App_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kApp, date, time, marker);
}
