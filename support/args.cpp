// Command-line text in Windows-1252: the arguments' character set is asked
// of the platform once, and every argument goes through one conversion.
#include "support/args.h"

#include <cstring>

#include "support/cp1252.h"
#include "support/platform.h"

namespace {

enum Charset { kUtf8, kCp1252, kLatin1, kLatin9, kAsciiOnly };

// Name comparison without regard to case, '-' and '_' ("utf8" is "UTF-8").
bool SameName(const char* a, const char* b) {
  for (;;) {
    while (*a == '-' || *a == '_') ++a;
    while (*b == '-' || *b == '_') ++b;
    char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
    char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
    ++a;
    ++b;
  }
}

Charset Classify(const char* codeset) {
  static const struct {
    const char* name;
    Charset set;
  } kNames[] = {
      {"UTF-8", kUtf8},    {"ANSI_X3.4-1968", kUtf8}, {"ASCII", kUtf8},
      {"US-ASCII", kUtf8}, {"CP1252", kCp1252},       {"WINDOWS-1252", kCp1252},
      {"CP65001", kUtf8},  {"ISO-8859-1", kLatin1},   {"ISO8859-1", kLatin1},
      {"LATIN1", kLatin1}, {"ISO-8859-15", kLatin9},  {"ISO8859-15", kLatin9},
      {"LATIN9", kLatin9},
  };
  for (const auto& n : kNames)
    if (SameName(codeset, n.name)) return n.set;
  return kAsciiOnly;
}

// A byte of ISO-8859-15 in Windows-1252, or -1 when it has no form there.
int Latin9(unsigned char b) {
  static const unsigned char kFrom[8] = {0xA4, 0xA6, 0xA8, 0xB4, 0xB8, 0xBC, 0xBD, 0xBE};
  static const unsigned char kTo[8] = {0x80, 0x8A, 0x9A, 0x8E, 0x9E, 0x8C, 0x9C, 0x9F};
  for (int i = 0; i < 8; ++i)
    if (b == kFrom[i]) return kTo[i];
  return b >= 0x80 && b < 0xA0 ? -1 : b;  // the C1 controls
}

}  // namespace

int32_t Args_Convert(const char* codeset, const char* arg, char* out, size_t size) {
  if (out == nullptr || size == 0) return -1;
  out[0] = '\0';
  if (arg == nullptr || codeset == nullptr) return -1;
  const size_t n = strlen(arg);
  const Charset set = Classify(codeset);
  if (set == kUtf8) {
    // Converted whole (every character must have its form), then cut like
    // any argument. An argument longer than the buffer is looked at up to
    // its last whole character that fits, far beyond what any field keeps.
    char whole[1024];
    size_t take = n;
    if (take >= sizeof whole) {
      take = sizeof whole - 1;
      while (take > 0 && (static_cast<unsigned char>(arg[take]) & 0xC0) == 0x80) --take;
    }
    bool exact = false;
    Cp1252_FromUtf8(arg, take, whole, sizeof whole, &exact);
    if (!exact) return -1;
    const size_t len = strnlen(whole, size - 1);
    memcpy(out, whole, len);
    out[len] = '\0';
    return 0;
  }
  size_t k = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(arg[i]);
    int c = b;
    if (set == kLatin1) c = b >= 0x80 && b < 0xA0 ? -1 : b;
    if (set == kLatin9) c = Latin9(b);
    if (set == kAsciiOnly && b >= 0x80) c = -1;
    if (c < 0) {
      out[0] = '\0';
      return -1;
    }
    if (k + 1 < size) out[k++] = static_cast<char>(c);
  }
  out[k] = '\0';
  return 0;
}

int32_t Args_ToCp1252(const char* arg, char* out, size_t size) {
  return Args_Convert(Plat_ArgCodeset(), arg, out, size);
}
