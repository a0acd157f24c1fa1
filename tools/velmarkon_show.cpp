// velmarkon-show: prints the records of send-buffer files so that a person can
// read them: each record's raw line, then its header and body fields with
// offset, width, name and value, as sendbuf/record_layout describes them.
#include <cstdio>
#include <cstring>
#include <string>

#include "run/about.h"
#include "sendbuf/record_layout.h"
#include "sendbuf/snddnl.h"
#include "support/cp1252.h"

namespace {

void Row(const RecValue& v) {
  char utf8[3 * REC_BODY_WIDTH + 1];
  Rec_ValueText(v, utf8, sizeof utf8);
  printf("    %3d %3d  %-16s \"%s\"\n", v.offset, v.width, v.name, utf8);
}

int ShowFile(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "velmarkon-show: cannot open %s\n", path);
    return 1;
  }
  char rec[REC_LEN];
  int count = 0;
  size_t n;
  while ((n = fread(rec, 1, sizeof rec, f)) > 0) {
    ++count;
    printf("%s, record %d\n", path, count);
    if (n != sizeof rec) {
      printf("  incomplete record of %zu bytes\n", n);
      break;
    }
    char raw[REC_LEN], utf8[3 * REC_LEN];
    memcpy(raw, rec, REC_LEN - 2);
    raw[REC_LEN - 2] = '\0';
    Cp1252_ToUtf8(raw, utf8, sizeof utf8);
    printf("  raw: %s\n", utf8);
    printf("    off len  field            value\n");
    RecDecoded d;
    Rec_Decode(rec, sizeof rec, &d);
    for (int i = 0; i < d.count; ++i) {
      const RecValue& v = d.values[i];
      if (v.offset == REC_END_OFFSET + 1)
        printf("    %3d %3d  %-16s %s\n", v.offset, v.width, v.name,
               v.text[0] == '\r' && v.text[1] == '\n' ? "CR LF" : "(broken)");
      else
        Row(v);
    }
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
        "Prints every 552-byte record of the send-buffer files given (such as\n" SND_DIR PLAT_SEP
        "SndDnl1.buf): the raw line, then offset, width, field and\n"
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
