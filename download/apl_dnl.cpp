// Workplace download: body formatter (with the group's cost centre), release
// and re-marking, and the workplace table's place in the download frame.
#include "download/apl_dnl.h"

#include <cstdio>
#include <cstring>

#include "db/ksg.h"
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

void AplKey(const AplRow& row, char (&out)[DNL_KEY_SIZE]) { CopyText(out, row.AplApl); }

// The cost centres a workplace download has looked up, by group: the
// workplaces of a group share it, so each group is read once per download
// (as the terminal configuration is), not once per workplace. Only answers
// about the data are kept (found, none, several); a failed read is not.
struct KstSlot {
  bool used;
  char apg[11];
  int32_t rc;
  char kst[11];
};
KstSlot g_kst[256];
bool g_kst_on = false;  // only inside a workplace download

unsigned Slot(const char* apg) {
  unsigned h = 2166136261u;
  for (const char* p = apg; *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
  return h % (sizeof g_kst / sizeof g_kst[0]);
}

int32_t GroupKst(KsgRow* ksg) {
  KstSlot* slot = g_kst_on ? &g_kst[Slot(ksg->KsgApg)] : nullptr;
  if (slot && slot->used && strcmp(slot->apg, ksg->KsgApg) == 0) {
    CopyText(ksg->KsgKst, slot->kst);
    return slot->rc;
  }
  int32_t rc = Ksg_ApgRead(ksg);
  if (slot && (rc == 0 || rc == SQL_NOTFOUND || rc == SQL_TOO_MANY_ROWS)) {
    slot->used = true;
    CopyText(slot->apg, ksg->KsgApg);
    slot->rc = rc;
    CopyText(slot->kst, ksg->KsgKst);
  }
  return rc;
}

const TableDownload<AplRow> kApl = {
    .name = "Apl_Dnl",
    .table = "Kvs531Apl",
    .open_failure = "fehlerhafte Apl_OpenDnl",
    .fetch_failure = "fehlerhafte Apl_FetchDnl",
    .read_failure = "Lesefehler AplSatz",
    .send_failure = "Fehler beim Senden von AplS\xE4tze",
    .policy = DnlPolicy::kRelease,
    .stop_at_failure = false,
    .open = Apl_OpenDnl,
    .fetch = Apl_FetchDnl,
    .close = Apl_CloseDnl,
    .format = Apl_DnlSatz,
    .route = [](const AplRow& row) -> const char* { return row.AplFbe; },
    .key = AplKey,
    .release = Apl_Frei,
    .release_ignored = false,
    .second = nullptr,
};

}  // namespace

int32_t Apl_Dnl(const char* date, const char* time, const char* marker) {
  memset(g_kst, 0, sizeof g_kst);
  g_kst_on = true;
  int32_t rc = Dnl_Run(kApl, date, time, marker);
  g_kst_on = false;
  return rc;
}

int32_t Apl_DnlSatz(DownloadMessage* msg, AplRow row) {
  // The row is a copy: make sure every text printed below ends in its field.
  Terminate(row.AplApl);
  Terminate(row.AplBez);
  Terminate(row.AplApg);
  Terminate(row.AplFbe);
  Terminate(row.AplZf1);
  Terminate(row.AplZf2);
  Terminate(row.AplZf3);
  Terminate(row.AplDna);

  char area[256];
  memset(area, ' ', sizeof area);
  char txt[9] = {0};
  memcpy(txt, row.AplTxt, 8);  // the terminals show 8 of its 10 characters

  // The cost centre valid today for the workplace's group; without exactly
  // one such assignment the workplace is not sent.
  KsgRow ksg;
  memset(&ksg, ' ', sizeof ksg);
  CopyText(ksg.KsgApg, row.AplApg);
  int32_t rc = GroupKst(&ksg);
  if (rc != 0) return rc;
  Terminate(ksg.KsgKst);

  // Room for any 32-bit value: a longer number than the terminals expect
  // widens its field and shifts the later ones.
  char apr[12], sts[12];
  snprintf(apr, sizeof apr, "%d", row.AplApr);
  snprintf(sts, sizeof sts, "%d", row.AplSts);

  // The line has at least 161 characters; the body keeps the first 154,
  // which cuts the last 7 of the right-aligned AplZf3 field.
  char text[256] = {0};
  snprintf(text, sizeof text, "%-10s%-30s%-8s%-10s%-7s%-10s%10s%10s%5s%1s%10s%20s%30s", row.AplApl,
           row.AplBez, txt, row.AplFbe, ksg.KsgKst, row.AplApg, "          ", "          ", apr,
           sts, row.AplZf1, row.AplZf2, row.AplZf3);
  memcpy(area, text, 154);
  area[154] = 'X';
  area[255] = '\0';

  Dnl_Head(msg, "NEU", row.AplDna, "MAS", nullptr, nullptr, nullptr, row.AplApg);
  Dnl_Body(msg, area);
  return rc;
}

namespace {
const TableRelease<AplRow> kAplFrei = {
    .name = "Apl_Frei",
    .read = Apl_PKeyRead,
    .read_fn = "AplDnl",
    .read_failure = "Fehler bei Apl_PKeyRead",
    .del = Apl_PKeyDel,
    .del_fn = "Apl_Frei",
    .del_failure = "Fehler bei Apl_PKeyDel",
    .frei = Apl_PKeyFrei,
    .frei_fn = "AplDnl",
    .frei_failure = "Fehler bei Apl_PKeyUpd",
    .dwn = &AplRow::AplDwn,
    .dna = &AplRow::AplDna,
    .kept = nullptr,
    .withdraw = nullptr,
};
}  // namespace

int32_t Apl_Frei(AplRow row) { return Dnl_Release(kAplFrei, row); }

namespace {

const TableRemark<AplRow> kAplRemark = {
    .name = "Apl_Sel",
    .failure = "Fehelr bei Apl_PKeyUpd",
    .read_failure = "Lesefehler AplSatz",
    .fetch = Apl_FetchRange,
    .close = Apl_CloseRange,
    .remark = Apl_PKeyMark,
    .exempt = nullptr,
    .key = AplKey,
};

}  // namespace

void Apl_Sel(const char* marker, char* from, char* to) {
  memcpy(from, "0000000000", 11);
  memcpy(to, "9999999999", 11);
  if (Apl_OpenRange(from, to) != 0) return;
  Dnl_Remark(kAplRemark, marker);
}
