// The cost-centre download.
#include "download/ksg.h"

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

const char* Route(const KsgRow& row) { return row.KsgFbe; }

const TableDownload<KsgRow> kKsg = {
    "Ksg_Dnl",    "fehlerhafte Ksg_OpenDnl",
    nullptr,  // the list has no release; the writer reports its own failures
    false,        Ksg_OpenDnl,
    Ksg_FetchDnl, Ksg_CloseDnl,
    Ksg_DnlSatz,  Route,
    nullptr,      false,
    nullptr,
};

}  // namespace

int32_t Ksg_Dnl(const char* date, const char* time, const char* marker) {
  return Dnl_Run(kKsg, date, time, marker);
}
