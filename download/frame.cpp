// Message helpers shared by the table downloads.
#include "download/frame.h"

void Dnl_Begin(DownloadMessage* msg, const char* date, const char* time, const char* marker,
               int32_t seq) {
  memset(msg, 0, sizeof *msg);
  CopyText(msg->date, date);
  CopyText(msg->time, time);
  CopyText(msg->marker, marker);
  msg->seq = seq;
}

namespace {
template <size_t N>
void Field(char (&dst)[N], const char* src) {
  if (src) {
    CopyText(dst, src);
  } else {
    memset(dst, ' ', N - 1);
    dst[N - 1] = '\0';
  }
}
}  // namespace

void Dnl_Head(DownloadMessage* msg, const char* kind, const char* action, const char* table,
              const char* field8, const char* key, const char* field5, const char* field10) {
  CopyText(msg->kind, kind);
  CopyText(msg->bde, "BDE  ");
  CopyText(msg->action, action);
  CopyText(msg->table, table);
  Field(msg->field8, field8);
  Field(msg->key, key);
  Field(msg->field5, field5);
  Field(msg->field10, field10);
  memset(msg->field15, 0, sizeof msg->field15);
}

void Dnl_Body(DownloadMessage* msg, const char area[256]) {
  memset(msg->body, ' ', sizeof msg->body);
  memcpy(msg->body, area, 256);
}

const char* Dnl_Kind(const char* marker) { return strcmp(marker, "InfToGen") == 0 ? "WDH" : "NEU"; }
