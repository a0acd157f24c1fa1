// velmarkon-show: prints the records of send-buffer files so that a person can
// read them: each record's raw line, then its header and body fields with
// offset, width, name and value.
#include <cstdio>
#include <cstring>
#include <string>

#include "run/about.h"
#include "sendbuf/snddnl.h"
#include "support/cp1252.h"

namespace {

struct Field {
  int offset;  // within the record
  int width;
  const char* name;
};

const Field kHeader[] = {
    {0, 1, "start"},         {1, 15, "address"},     {16, 5, "port"},
    {21, 14, "written at"},  {35, 3, "999"},         {38, 15, "address (right)"},
    {53, 5, "port (right)"}, {58, 28, "blanks"},     {86, 4, "length"},
    {90, 3, "table"},        {93, 6, "date yymmdd"}, {99, 6, "time HHMMSS"},
    {105, 3, "BDE"},         {108, 3, "action"},
};

// Body layouts by table code; offsets within the body (record offset 111).
struct Layout {
  const char* table;
  Field fields[24];
};

const Layout kLayouts[] = {
    {"KST", {{0, 7, "cost centre"}, {7, 25, "text"}, {32, 5, "blanks"}, {37, 1, "end mark"}}},
    {"APK",
     {{0, 12, "order"},
      {12, 30, "ApkBz1"},
      {42, 30, "ApkBz2"},
      {72, 8, "ApkTxt"},
      {80, 20, "ApkTnr"},
      {100, 30, "ApkTb1"},
      {130, 30, "ApkTb2"},
      {160, 11, "ApkSme"},
      {171, 3, "ApkMee"},
      {174, 6, "ApkBgs"},
      {180, 6, "ApkEns"},
      {186, 5, "ApkAfo"},
      {191, 1, "ApkSts"},
      {192, 10, "ApkZf1"},
      {202, 20, "ApkZf2"},
      {222, 30, "ApkZf3"},
      {252, 1, "end mark"}}},
    {"APP", {{0, 12, "order"},    {12, 5, "operation"}, {17, 30, "AppBz1"},  {47, 30, "AppBz2"},
             {77, 8, "AppTxt"},   {85, 10, "AppApg"},   {95, 11, "AppSme"},  {106, 3, "AppMee"},
             {109, 7, "AppStr"},  {116, 7, "AppSte"},   {123, 7, "AppSza"},  {130, 6, "AppBds"},
             {136, 6, "AppEds"},  {142, 5, "AppVaf"},   {147, 5, "AppNaf"},  {152, 1, "AppSts"},
             {153, 10, "AppZf1"}, {163, 20, "AppZf2"},  {183, 30, "AppZf3"}, {213, 11, "AppIme"},
             {224, 11, "AppAme"}, {246, 1, "end mark"}}},
    {"MAG",
     {{0, 10, "group"},
      {10, 30, "ApgBez"},
      {40, 8, "ApgTxt"},
      {48, 10, "ApgFbe"},
      {58, 7, "cost centre"},
      {65, 10, "blanks"},
      {75, 10, "ApgZf1"},
      {85, 20, "ApgZf2"},
      {105, 30, "ApgZf3"}}},
    {"MAS",
     {{0, 10, "workplace"},
      {10, 30, "AplBez"},
      {40, 8, "AplTxt"},
      {48, 10, "AplFbe"},
      {58, 7, "cost centre"},
      {65, 10, "AplApg"},
      {75, 20, "blanks"},
      {95, 5, "AplApr"},
      {100, 1, "AplSts"},
      {101, 10, "AplZf1"},
      {111, 20, "AplZf2"},
      {131, 23, "AplZf3"},
      {154, 1, "end mark"}}},
    {"UBG",
     {{0, 1, "kind"},
      {1, 4, "reason"},
      {5, 30, "UbgBez"},
      {35, 30, "UbgBez"},
      {65, 8, "UbgTxt"},
      {73, 1, "end mark"}}},
    {"PNR", {{0, 8, "personnel no."}, {8, 7, "cost centre"}, {15, 1, "code"}, {16, 1, "end mark"}}},
    {"AWN", {{0, 8, "PrvAwn"}, {8, 8, "personnel no."}, {16, 1, "end mark"}}},
};

// Prints width bytes of Windows-1252 text as UTF-8 between quotes.
void Value(const char* p, int width) {
  char text[512], utf8[1600];
  int n = width < static_cast<int>(sizeof text) - 1 ? width : static_cast<int>(sizeof text) - 1;
  memcpy(text, p, static_cast<size_t>(n));
  text[n] = '\0';
  for (int i = 0; i < n; ++i)
    if (text[i] == '\0') text[i] = '.';
  Cp1252_ToUtf8(text, utf8, sizeof utf8);
  printf("\"%s\"\n", utf8);
}

void Row(int offset, int width, const char* name, const char* p) {
  printf("    %3d %3d  %-16s ", offset, width, name);
  Value(p, width);
}

int ShowFile(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "velmarkon-show: cannot open %s\n", path);
    return 1;
  }
  char rec[SND_RECORD_LEN];
  int count = 0;
  size_t n;
  while ((n = fread(rec, 1, sizeof rec, f)) > 0) {
    ++count;
    printf("%s, record %d\n", path, count);
    if (n != sizeof rec) {
      printf("  incomplete record of %zu bytes\n", n);
      break;
    }
    char raw[SND_RECORD_LEN], utf8[3 * SND_RECORD_LEN];
    memcpy(raw, rec, SND_RECORD_LEN - 2);
    raw[SND_RECORD_LEN - 2] = '\0';
    Cp1252_ToUtf8(raw, utf8, sizeof utf8);
    printf("  raw: %s\n", utf8);
    printf("    off len  field            value\n");
    for (const Field& h : kHeader) Row(h.offset, h.width, h.name, rec + h.offset);
    const char* body = rec + 111;
    const Layout* layout = nullptr;
    for (const Layout& l : kLayouts)
      if (memcmp(rec + 90, l.table, 3) == 0) layout = &l;
    if (layout) {
      for (const Field& b : layout->fields)
        if (b.name) Row(111 + b.offset, b.width, b.name, body + b.offset);
    } else {
      Row(111, 438, "body", body);
    }
    printf("    549   1  end              ");
    Value(rec + 549, 1);
    printf("    550   2  line end         %s\n",
           rec[550] == '\r' && rec[551] == '\n' ? "CR LF" : "(broken)");
  }
  fclose(f);
  printf("%s: %d record(s)\n\n", path, count);
  return 0;
}

const char kUsage[] =
    "usage: velmarkon-show FILE...\n"
    "       velmarkon-show --help | --version\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs(kUsage, stderr);
    return 2;
  }
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    printf(
        "%s"
        "Prints every 552-byte record of the send-buffer files given (such as\n"
        "../Comm/Buff/SndDnl1.buf): the raw line, then offset, width, field and\n"
        "value of the header and of the body as laid out for its table code.\n"
        "Exit status: 0 every file was read; 1 a file could not be opened; 2 wrong usage.\n",
        kUsage);
    return 0;
  }
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    About_PrintVersion("velmarkon-show");
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "--", 2) == 0) {  // an option it does not know (a file: ./--name)
      fputs(kUsage, stderr);
      return 2;
    }
  }
  int rc = 0;
  for (int i = 1; i < argc; ++i) rc |= ShowFile(argv[i]);
  return rc;
}
