// Order operation download: body formatter, release with the order header's
// operation count, re-marking and the table download through the common
// frame.
#include "download/app_dnl.h"

#include <cstdio>
#include <cstring>

#include "db/apk.h"
#include "download/frame.h"
#include "download/order_body.h"
#include "download/release.h"
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

// Ends the release's savepoint, keeping or undoing the operation's change and
// the count's together; a failed commit is logged like the update's failure.
int32_t Done(int32_t rc, const char* fn, const char* message) {
  if (rc != 0) {
    App_FreiEnd(false);
    Msg_Report(fn, message, rc);
    return rc;
  }
  rc = App_FreiEnd(true);
  if (rc != 0) Msg_Report(fn, message, rc);
  return rc;
}

// The order's operation count follows a released "NEU" (+1) or "LOE" (-1).
// A missing order header leaves nothing to count (no log entry); any other
// failure undoes the operation's release with the count's.
int32_t Count(const AppRow& row, int32_t delta) {
  int32_t rc = Apk_PKeyAfo(row.AppApk, delta);
  return rc == SQL_NOTFOUND ? 0 : rc;
}

// The release did not succeed (rc): the operation read again tells why, and
// the log says what a release that read first would have said. Unreadable:
// an "LOE" is logged as the failed delete, any other release leaves the
// operation waiting; released already: nothing to do; marked again, or the
// same marks with a newer change time: left marked.
int32_t NotReleased(const AppRow& row, bool loe, int32_t rc, bool joined = true) {
  if (joined) App_FreiEnd(false);
  AppRow cur;  // the operation as it is now in the database
  memset(&cur, 0, sizeof cur);
  CopyText(cur.AppApk, row.AppApk);
  CopyText(cur.AppApp, row.AppApp);
  int32_t read = App_PKeyRead(&cur);
  if (read != 0 && Sql_RowFailed()) read = 0;  // the marks it decides on have arrived
  if (read != 0 && !loe) return read;
  if (read == 0) {
    int32_t as_sent = Dnl_AsSent("App_Frei", cur.AppDwn, cur.AppDna, row.AppDwn, row.AppDna);
    if (as_sent >= 0) return as_sent;
    if (rc == SQL_NOTFOUND) return Dnl_LeftMarked("App_Frei", rc);
  }
  Msg_Report(loe ? "App_Frei" : "APP_Frei",
             loe ? "Fehler bei Apk_PKeyDel" : "Fehler bei App_PKeyUpd", rc);
  return rc;
}

}  // namespace

int32_t App_Frei(AppRow row) {
  const bool loe = strcmp(row.AppDna, "LOE") == 0;
  const bool neu = strcmp(row.AppDna, "NEU") == 0;
  if (!loe && !neu) {  // no count follows: the guarded change stands alone
    int32_t rc = App_PKeyFrei(row);
    return rc == 0 ? 0 : NotReleased(row, loe, rc, false);
  }
  int32_t rc = App_FreiBegin();
  if (rc != 0) return NotReleased(row, loe, rc, false);
  if (loe) {
    rc = App_PKeyDel(row);
    if (rc != 0) return NotReleased(row, loe, rc);
    rc = Count(row, -1);
    return Done(rc, "App_Frei", rc != 0 ? "Fehler bei Apk_PKeyUpd" : "Fehler bei Apk_PKeyDel");
  }
  rc = App_PKeyFrei(row);
  if (rc != 0) return NotReleased(row, loe, rc);
  rc = Count(row, +1);
  if (rc != 0) return Done(rc, "APP_Frei", "Fehler bei Apk_PKeyUpd");
  return Done(0, "APP_Frei", "Fehler bei App_PKeyUpd");
}

namespace {

void AppKey(const AppRow& row, char (&out)[DNL_KEY_SIZE]) {
  snprintf(out, sizeof out, "%.12s/%.5s", row.AppApk, row.AppApp);
}

// Rows of status 7 or 9 are left as they are.
const TableRemark<AppRow> kAppRemark = {
    .name = "App_Sel",
    .failure = "Fehelr bei App_PKeyDel",
    .read_failure = "Lesefehler AppSatz",
    .fetch = [](AppRow* row) { return App_FetchRange(row, 1); },
    .close = [] { return App_CloseRange(1); },
    .remark = App_PKeyMark,
    .exempt = [](const AppRow& row) { return row.AppSts == 9 || row.AppSts == 7; },
    .key = AppKey,
};

}  // namespace

void App_Sel(const char* marker, char* order_from, char* order_to, char* op_from, char* op_to) {
  if (App_OpenRange(order_from, op_from, order_to, op_to, 1) != 0) return;
  Dnl_Remark(kAppRemark, marker);
}

namespace {

const TableDownload<AppRow> kApp = {
    .name = "App_Dnl",
    .table = "Kvs504App",
    .open_failure = "fehlerhafte App_OpenDnl",
    .fetch_failure = "fehlerhafte App_FetchDnl",
    .read_failure = "Lesefehler AppSatz",
    .send_failure = "Fehler beim Senden von AppS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = false,
    .open = App_OpenDnl,
    .fetch = App_FetchDnl,
    .close = App_CloseDnl,
    .format = App_DnlSatz,
    .route = [](const AppRow& row) -> const char* { return row.AppFbe; },
    .key = AppKey,
    .release = App_Frei,
    .release_ignored = false,
    .second = nullptr,
};

}  // namespace

int32_t App_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kApp, date, time, marker);
}
