// Fuzz target: the configuration reader and its cipher. The input is a whole
// configuration file's content. Every lookup must stay inside the input and
// inside IniEntry's fields; a value the cipher enciphers must decipher to
// itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "support/ini.h"

namespace {

void Require(bool ok) {
  if (!ok) abort();
}

void CheckEntry() {
  Require(strnlen(IniEntry.section, sizeof IniEntry.section) < sizeof IniEntry.section);
  Require(strnlen(IniEntry.key, sizeof IniEntry.key) < sizeof IniEntry.key);
  Require(strnlen(IniEntry.value, sizeof IniEntry.value) < sizeof IniEntry.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INI_FILE_MAX) return 0;
  const char* text = reinterpret_cast<const char*>(data);

  // The lookups the program makes, and by section and number.
  static const char* const kKeys[] = {"LOGIN", "PASS", "NET8"};
  for (const char* key : kKeys) {
    Ini_FindEntry(text, size, "", key, 0);
    CheckEntry();
  }
  Ini_FindEntry(text, size, "Download", "", 1);
  CheckEntry();

  // The lines one by one, into buffers of the reader's sizes and smaller.
  char line[INI_ENTRY_LINE_SIZE];
  size_t pos = 0;
  for (size_t size_of = 1; pos < size; size_of = size_of % sizeof line + 7) {
    const size_t before = pos;
    const int32_t n = Ini_NextLine(text, size, &pos, line, size_of);
    Require(pos > before && pos <= size);
    Require(n < 0 || static_cast<size_t>(n) < size_of);
  }

  // The cipher on the start of the input as a value text, into the login's
  // buffer size and a tiny one.
  char value[INI_ENTRY_LINE_SIZE];
  const size_t n = size < sizeof value - 1 ? size : sizeof value - 1;
  memcpy(value, text, n);
  value[n] = '\0';
  char plain[52], tiny[3];
  const int32_t got = IniDecrypt(value, plain, sizeof plain);
  Require(got < static_cast<int32_t>(sizeof plain));
  Require(IniDecrypt(value, tiny, sizeof tiny) < static_cast<int32_t>(sizeof tiny));

  // Enciphering the start as plain text (up to its first NUL, at most 40
  // characters) deciphers back to it.
  char clear[41];
  const size_t m = strnlen(value, 40);
  memcpy(clear, value, m);
  clear[m] = '\0';
  char digits[INI_ENTRY_LINE_SIZE];
  Require(IniEncrypt(clear, digits, sizeof digits) >= 0);
  char back[sizeof clear];
  Require(IniDecrypt(digits, back, sizeof back) == static_cast<int32_t>(m));
  Require(strcmp(back, clear) == 0);
  return 0;
}
