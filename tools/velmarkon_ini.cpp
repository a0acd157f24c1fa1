// velmarkon-ini: writes the database login (LOGIN, PASS, NET8) enciphered
// into a configuration file, and shows what a configuration file holds.
#include <cstdio>
#include <cstring>
#include <string>

#include "run/about.h"
#include "support/args.h"
#include "support/cp1252.h"
#include "support/ini.h"
#include "support/ini_writer.h"

namespace {

const char kHelp[] =
    "Usage:\n"
    "  velmarkon-ini set FILE KEY VALUE   set the entry KEY of FILE to VALUE (enciphered)\n"
    "  velmarkon-ini set FILE KEY -       the same, VALUE read as one line from standard input\n"
    "                                     (keeps a password out of the shell's history)\n"
    "  velmarkon-ini show FILE            list the entries of FILE, values deciphered\n"
    "  velmarkon-ini encrypt VALUE        print VALUE enciphered\n"
    "  velmarkon-ini decrypt DIGITS       print the deciphered text of DIGITS\n"
    "  velmarkon-ini --help               this text\n"
    "  velmarkon-ini --version            version and database back ends of the build\n"
    "\n"
    "The download program takes its database login from the configuration file\n"
    "  " INI_FILE_PATH
    "\n"
    "relative to its working directory (it only reads the file). It looks up three keys:\n"
    "  LOGIN  database user name\n"
    "  PASS   database password\n"
    "  NET8   connect string, e.g. sqlite:PATH (PATH relative to the working directory)\n"
    "A missing key gives an empty value.\n"
    "\n"
    "File format: pairs of lines, a section line and an entry line:\n"
    "  ;Download;\n"
    "  1;LOGIN;1291561986177003289150242209654102514186\n"
    "The entry line holds number, key and the enciphered value: one 16-bit word per\n"
    "character, filled up with 0 words to a multiple of four, enciphered with IDEA and\n"
    "written as five decimal digits per word.\n"
    "\n"
    "set adds a pair for KEY (numbered one more than the highest number in the file, so\n"
    "never 0) or replaces the entry line of the pair that already holds KEY; every other\n"
    "line of the file stays as it is. A missing file is created (mode 0600); the file is\n"
    "replaced as a whole through a temporary file, never left half written. KEY is LOGIN,\n"
    "PASS or NET8, written exactly so. A value holds at most 40 characters (200 digits);\n"
    "it is taken in the character set of the command line (UTF-8 on Linux, the ANSI\n"
    "code page on Windows; UTF-8 from standard input) and stored in Windows-1252, so\n"
    "characters without a Windows-1252 form and control characters cannot be stored\n"
    "and are refused.\n"
    "\n"
    "show prints line, number, section, key and value of every pair; the password is\n"
    "shown as ****. Pairs the program passes over (outside the format) are marked.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage.\n";

// Prints Windows-1252 text as UTF-8, control characters as '?'.
void PrintText(const char* cp1252) {
  char clean[sizeof(IniEntry.value)];
  size_t n = 0;
  for (const char* s = cp1252; *s != '\0' && n + 1 < sizeof(clean); ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    clean[n++] = (c < 0x20 || c == 0x7F) ? '?' : *s;
  }
  clean[n] = '\0';
  char utf8[3 * sizeof(clean) + 1];
  Cp1252_ToUtf8(clean, utf8, sizeof(utf8));
  fputs(utf8, stdout);
}

struct ShowState {
  int32_t pairs;
  bool found[3];
};

const char* const kKeys[3] = {"LOGIN", "PASS", "NET8"};

void ShowPair(const IniWPair* p, void* ctx) {
  ShowState* st = static_cast<ShowState*>(ctx);
  ++st->pairs;
  printf("line %d: ", p->line);
  if (p->status == INIW_PAIR_SKIPPED) {
    printf("(outside the format, passed over by the program)\n");
    return;
  }
  printf("number %d, section \"", p->entry.number);
  PrintText(p->entry.section);
  printf("\", key \"");
  PrintText(p->entry.key);
  printf("\", value ");
  if (p->status == INIW_PAIR_UNDECIPHERABLE) {
    printf("(cannot be deciphered)");
  } else if (p->entry.value[0] == '\0') {
    printf("(empty)");
  } else if (strcmp(p->entry.key, "PASS") == 0) {
    printf("****");
  } else {
    printf("\"");
    PrintText(p->entry.value);
    printf("\"");
  }
  if (p->shadowed) printf(" (not used: an earlier entry has this key)");
  printf("\n");
  for (int i = 0; i < 3; ++i) {
    if (strcmp(p->entry.key, kKeys[i]) == 0) st->found[i] = true;
  }
}

int Show(const char* path) {
  ShowState st = {0, {false, false, false}};
  const int32_t rc = IniW_Scan(path, ShowPair, &st);
  if (rc != INIW_OK) {
    fprintf(stderr, "velmarkon-ini: %s: %s\n", path, IniW_ErrorText(rc));
    return 1;
  }
  if (st.pairs == 0) printf("(no entries)\n");
  for (int i = 0; i < 3; ++i) {
    if (!st.found[i]) printf("%s is missing: the program gets an empty value\n", kKeys[i]);
  }
  return 0;
}

// A command-line value as UTF-8: it arrives in the arguments' character set
// (the locale's on POSIX, the ANSI code page on Windows). A value that has no
// Windows-1252 form comes back as it was, for the check to refuse.
std::string ArgumentUtf8(const char* arg) {
  static char cp1252[4096];
  if (Args_ToCp1252(arg, cp1252, sizeof cp1252) != 0) return arg;
  static char utf8[3 * sizeof cp1252 + 1];
  Cp1252_ToUtf8(cp1252, utf8, sizeof utf8);
  return utf8;
}

// The value argument, or one line of standard input (UTF-8) for "-".
bool ValueArgument(const char* arg, std::string* value) {
  if (strcmp(arg, "-") != 0) {
    *value = ArgumentUtf8(arg);
    return true;
  }
  value->clear();
  int c;
  while ((c = getchar()) != EOF && c != '\n') value->push_back(static_cast<char>(c));
  if (!value->empty() && value->back() == '\r') value->pop_back();
  return !ferror(stdin);
}

int Set(const char* path, const char* key, const char* arg) {
  int32_t rc = IniW_CheckKey(key);
  if (rc != INIW_OK) {
    fprintf(stderr, "velmarkon-ini: %s: %s\n", key, IniW_ErrorText(rc));
    return 1;
  }
  std::string utf8;
  if (!ValueArgument(arg, &utf8)) {
    fprintf(stderr, "velmarkon-ini: value cannot be read from standard input\n");
    return 1;
  }
  char plain[INIW_VALUE_MAX_CHARS + 1];
  rc = IniW_ValueFromUtf8(utf8.c_str(), plain, sizeof(plain));
  if (rc != INIW_OK) {
    fprintf(stderr, "velmarkon-ini: %s: %s\n", key, IniW_ErrorText(rc));
    return 1;
  }
  rc = IniW_SetEntry(path, key, plain);
  if (rc != INIW_OK) {
    fprintf(stderr, "velmarkon-ini: %s: %s\n", path, IniW_ErrorText(rc));
    return 1;
  }
  return 0;
}

int Encrypt(const char* arg) {
  char plain[INIW_VALUE_MAX_CHARS + 1];
  int32_t rc = IniW_ValueFromUtf8(ArgumentUtf8(arg).c_str(), plain, sizeof(plain));
  if (rc != INIW_OK) {
    fprintf(stderr, "velmarkon-ini: %s\n", IniW_ErrorText(rc));
    return 1;
  }
  char digits[INIW_VALUE_MAX_CHARS * 5 + 1];
  if (IniEncrypt(plain, digits, sizeof(digits)) < 0) {
    fprintf(stderr, "velmarkon-ini: %s\n", IniW_ErrorText(INIW_TOO_LONG));
    return 1;
  }
  printf("%s\n", digits);
  return 0;
}

int Decrypt(const char* digits) {
  const size_t n = strlen(digits);
  if (n % 5 != 0 || n > sizeof(IniEntry.value) - 1) {
    fprintf(stderr, "velmarkon-ini: %s\n", IniW_ErrorText(INIW_BAD_DIGITS));
    return 1;
  }
  char plain[sizeof(IniEntry.value)];
  if (IniDecrypt(digits, plain, sizeof(plain)) < 0) {
    fprintf(stderr, "velmarkon-ini: %s\n", IniW_ErrorText(INIW_BAD_DIGITS));
    return 1;
  }
  PrintText(plain);
  printf("\n");
  return 0;
}

int Usage() {
  // The usage lines of the help text, up to its first empty line.
  fwrite(kHelp, 1, static_cast<size_t>(strstr(kHelp, "\n\n") + 1 - kHelp), stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* cmd = argv[1];
  if (strcmp(cmd, "--help") == 0 || strcmp(cmd, "-h") == 0 || strcmp(cmd, "help") == 0) {
    fputs(kHelp, stdout);
    return 0;
  }
  if (strcmp(cmd, "--version") == 0 && argc == 2) {
    About_PrintVersion("velmarkon-ini");
    return 0;
  }
  if (strcmp(cmd, "set") == 0 && argc == 5) return Set(argv[2], argv[3], argv[4]);
  if (strcmp(cmd, "show") == 0 && argc == 3) return Show(argv[2]);
  if (strcmp(cmd, "encrypt") == 0 && argc == 3) return Encrypt(argv[2]);
  if (strcmp(cmd, "decrypt") == 0 && argc == 3) return Decrypt(argv[2]);
  return Usage();
}
