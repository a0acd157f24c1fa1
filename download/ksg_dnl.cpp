// The cost-centre download.
#include "download/ksg_dnl.h"

#include <cstdio>
#include <cstring>

#include "download/frame.h"

int32_t Ksg_DnlSatz(DownloadMessage* msg, KsgRow row) {
  Dnl_Head(msg, "NEU", "NEU", "KST", nullptr, nullptr, nullptr, nullptr);
  char area[256];
  char text[256] = {};
  memset(area, ' ', sizeof area);
  // Minimum widths: a longer cost-centre number shifts the rest to the right.
  snprintf(text, sizeof text, "%-7s%-25s%-5s", row.KsgKst, "Kostenstelle", "     ");
  memcpy(area, text, 182);
  area[37] = 'X';  // position 38 of the body, also over a long number's blank
  area[255] = '\0';
  Dnl_Body(msg, area);
  return 0;
}

namespace {

void KsgKey(const KsgRow& row, char (&out)[DNL_KEY_SIZE]) {
  snprintf(out, sizeof out, "%.10s/%.10s", row.KsgKst, row.KsgFbe);
}

// The list has no release; the writer reports its own failures.
const TableDownload<KsgRow> kKsg = {
    .name = "Ksg_Dnl",
    .table = "Kvs537Ksg",
    .open_failure = "fehlerhafte Ksg_OpenDnl",
    .fetch_failure = "fehlerhafte Ksg_FetchDnl",
    .read_failure = "Lesefehler KsgSatz",
    .send_failure = nullptr,
    .policy = DnlPolicy::kSendOnly,
    .stop_at_failure = false,
    .open = Ksg_OpenDnl,
    .fetch = Ksg_FetchDnl,
    .close = Ksg_CloseDnl,
    .format = Ksg_DnlSatz,
    .route = [](const KsgRow& row) -> const char* { return row.KsgFbe; },
    .key = KsgKey,
    .release = nullptr,
    .release_ignored = false,
    .second = nullptr,
};

}  // namespace

int32_t Ksg_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kKsg, date, time, marker);
}
