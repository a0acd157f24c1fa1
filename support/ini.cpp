// Configuration file reader: finds an entry of the system's configuration file
// by section, key or number and deciphers its value; the database login
// (LOGIN, PASS, NET8) comes from here.
//
// The file is a sequence of line pairs:
//   any text;section;any text
//   number;key;enciphered value
// A pair outside that shape is skipped as a whole and never written beyond
// the fields of IniEntry; an over-long line is consumed entirely so that the
// pairs after it keep their places. The file is read whole into memory first
// (a regular file of at most 1 MiB) and parsed from there.
#include "support/ini.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/idea.h"
#include "support/platform.h"

IniEntryRec IniEntry;

namespace {

// The constant key text: "GrüßDnl" in Windows-1252 and its NUL.
const unsigned char kKeyText[8] = {0x47, 0x72, 0xFC, 0xDF, 0x44, 0x6E, 0x6C, 0x00};

const size_t kFieldMax = sizeof(IniEntry.value) - 1;  // 200 characters

void ClearEntry(IniEntryRec* e) {
  e->number = 0;
  e->section[0] = '\0';
  e->key[0] = '\0';
  e->value[0] = '\0';
}

// Copies [begin, end) into a field of kFieldMax + 1 bytes; -1 when too long.
int32_t CopyField(const char* begin, const char* end, char* field) {
  const size_t n = static_cast<size_t>(end - begin);
  if (n > kFieldMax) return -1;
  memcpy(field, begin, n);
  field[n] = '\0';
  return 0;
}

// The field between the first two ";" of a line; when they stand next to
// each other, the whole rest of the line after the first one.
int32_t ExtractField(const char* line, char* field, const char** second) {
  const char* s1 = strchr(line, ';');
  if (s1 == nullptr) return -1;
  const char* s2 = strchr(s1 + 1, ';');
  if (s2 == nullptr) return -1;
  if (second != nullptr) *second = s2;
  if (s2 == s1 + 1) return CopyField(s1 + 1, line + strlen(line), field);
  return CopyField(s1 + 1, s2, field);
}

// The number field as a decimal integer: leading blanks, an optional sign,
// then the digits up to the first other character; text without digits is
// 0, and a value beyond 32 bits is held at the nearest limit. Only a field
// of more than 11 characters is refused.
int32_t ParseNumber(const char* begin, const char* end, int32_t* number) {
  if (static_cast<size_t>(end - begin) > INI_NUMBER_MAX_CHARS) return -1;
  *number = 0;
  const char* p = begin;
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int64_t v = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    if (v <= static_cast<int64_t>(INT32_MAX) + 1) v = v * 10 + (*p - '0');
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  *number = static_cast<int32_t>(v);
  return 0;
}

// One group of five decimal digits as a 16-bit word; -1 when it is not one.
int32_t ParseWord(const char* group, uint16_t* word) {
  uint32_t v = 0;
  for (int i = 0; i < 5; ++i) {
    if (group[i] < '0' || group[i] > '9') return -1;
    v = v * 10 + static_cast<uint32_t>(group[i] - '0');
  }
  if (v > 0xFFFFu) return -1;
  *word = static_cast<uint16_t>(v);
  return 0;
}

bool Matches(const IniEntryRec* e, const char* section, const char* key, int32_t number) {
  if (section != nullptr && section[0] != '\0' && strcmp(e->section, section) == 0) return true;
  if (key != nullptr && key[0] != '\0' && strcmp(e->key, key) == 0) return true;
  return number != 0 && e->number == number;
}

}  // namespace

void Ini_KeyWords(uint16_t key[8]) {
  for (int i = 0; i < 8; ++i) {
    // Sign-extended, whatever the signedness of plain char.
    const int8_t b = static_cast<int8_t>(kKeyText[i]);
    key[i] = static_cast<uint16_t>(static_cast<int16_t>(b));
  }
}

int32_t Ini_NextLine(const char* data, size_t len, size_t* pos, char* buf, size_t size) {
  size_t at = *pos;
  if (at >= len) {
    if (size > 0) buf[0] = '\0';
    return 0;
  }
  size_t n = 0;
  bool broken = size == 0;  // does not fit, or holds a NUL byte
  while (at < len) {
    char c = data[at++];
    if (c == '\r' && at < len && data[at] == '\n') c = data[at++];  // CR LF reads as LF
    if (c == '\0') broken = true;
    if (!broken) {
      if (n + 1 < size) {
        buf[n++] = c;
      } else {
        broken = true;
      }
    }
    if (c == '\n') break;
  }
  *pos = at;
  if (broken) {
    if (size > 0) buf[0] = '\0';
    return -1;
  }
  buf[n] = '\0';
  return static_cast<int32_t>(n);
}

int32_t Ini_SplitPair(const char* section_line, const char* entry_line, IniEntryRec* out) {
  ClearEntry(out);
  const size_t len = strlen(entry_line);
  const char* second = nullptr;
  if (len == 0 || entry_line[len - 1] != '\n' ||
      ExtractField(section_line, out->section, nullptr) != 0 ||
      ExtractField(entry_line, out->key, &second) != 0 ||
      ParseNumber(entry_line, strchr(entry_line, ';'), &out->number) != 0) {
    ClearEntry(out);
    return -1;
  }
  // The value runs up to the line feed; a line feed right after the second
  // ";" is the value itself (and deciphers to nothing).
  const char* begin = second + 1;
  const char* end = strchr(begin, '\n');
  if (end == begin) end = entry_line + len;
  if (CopyField(begin, end, out->value) != 0) {
    ClearEntry(out);
    return -1;
  }
  return 0;
}

void Ini_FindEntry(const char* data, size_t len, const char* section, const char* key,
                   int32_t number) {
  ClearEntry(&IniEntry);
  char section_line[INI_SECTION_LINE_SIZE];
  char entry_line[INI_ENTRY_LINE_SIZE];
  size_t pos = 0;
  for (;;) {
    const int32_t s = Ini_NextLine(data, len, &pos, section_line, sizeof(section_line));
    if (s == 0) break;
    const int32_t e = Ini_NextLine(data, len, &pos, entry_line, sizeof(entry_line));
    if (e == 0) break;
    if (s < 0 || e < 0) continue;
    if (Ini_SplitPair(section_line, entry_line, &IniEntry) != 0) continue;
    if (Matches(&IniEntry, section, key, number)) {
      char plain[sizeof(IniEntry.value)];
      if (IniDecrypt(IniEntry.value, plain, sizeof(plain)) < 0) plain[0] = '\0';
      memcpy(IniEntry.value, plain, strlen(plain) + 1);
      return;
    }
    ClearEntry(&IniEntry);
  }
  ClearEntry(&IniEntry);
}

void GetIniEntry(const char* section, const char* key, int32_t number, const char* path) {
  ClearEntry(&IniEntry);
  if (path == nullptr) return;
  // The whole file at once: a pipe or a device at the path is refused at
  // once instead of being read for ever.
  char* data = static_cast<char*>(malloc(INI_FILE_MAX));
  if (data == nullptr) return;
  size_t len = 0;
  if (Plat_ReadSmallFile(path, data, INI_FILE_MAX, &len) == 0)
    Ini_FindEntry(data, len, section, key, number);
  free(data);
}

int32_t IniDecrypt(const char* text, char* out, size_t out_size) {
  if (out == nullptr || out_size == 0) return -1;
  out[0] = '\0';
  if (text == nullptr) return -1;
  const size_t words = strlen(text) / 5;  // a trailing part group is ignored
  uint16_t word = 0;
  for (size_t i = 0; i < words; ++i) {
    if (ParseWord(text + 5 * i, &word) != 0) return -1;
  }
  uint16_t key[8];
  Ini_KeyWords(key);
  IdeaKey enc, dec;
  Idea_EncryptKey(key, &enc);
  Idea_DecryptKey(&enc, &dec);
  size_t n = 0;
  for (size_t b = 0; b < words; b += 4) {
    uint16_t block[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 4 && b + i < words; ++i) ParseWord(text + 5 * (b + i), &block[i]);
    Idea_Block(&dec, block);
    for (size_t i = 0; i < 4 && b + i < words; ++i) {
      const char c = static_cast<char>(block[i] & 0xFFu);
      if (c == '\0') {  // the text ends at the first 0 word
        out[n] = '\0';
        return static_cast<int32_t>(n);
      }
      if (n + 1 >= out_size) {
        out[0] = '\0';
        return -1;
      }
      out[n++] = c;
    }
  }
  out[n] = '\0';
  return static_cast<int32_t>(n);
}

int32_t IniEncrypt(const char* plain, char* out, size_t out_size) {
  if (out == nullptr || out_size == 0) return -1;
  out[0] = '\0';
  if (plain == nullptr) return -1;
  const size_t n = strlen(plain);
  const size_t words = (n + 3) / 4 * 4;  // the last block filled up with 0 words
  if (n > INT32_MAX / 10 || words * 5 >= out_size) return -1;
  uint16_t key[8];
  Ini_KeyWords(key);
  IdeaKey enc;
  Idea_EncryptKey(key, &enc);
  for (size_t b = 0; b < words; b += 4) {
    uint16_t block[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 4 && b + i < n; ++i) {
      block[i] = static_cast<unsigned char>(plain[b + i]);
    }
    Idea_Block(&enc, block);
    for (size_t i = 0; i < 4; ++i) {
      snprintf(out + 5 * (b + i), out_size - 5 * (b + i), "%05u", static_cast<unsigned>(block[i]));
    }
  }
  out[words * 5] = '\0';
  return static_cast<int32_t>(words * 5);
}

int32_t GetDbLogin(char* user, char* password, char* connect, size_t size) {
  char* const outs[3] = {user, password, connect};
  static const char* const kKeys[3] = {"LOGIN", "PASS", "NET8"};
  for (char* o : outs) {
    if (o != nullptr && size > 0) o[0] = '\0';
  }
  if (user == nullptr || password == nullptr || connect == nullptr || size == 0) return -1;
  int32_t rc = 0;
  for (int i = 0; i < 3; ++i) {
    GetIniEntry("", kKeys[i], 0, INI_FILE_PATH);
    const size_t len = strlen(IniEntry.value);
    if (len >= size) {
      rc = -1;  // refused, not cut
      break;
    }
    memcpy(outs[i], IniEntry.value, len + 1);
  }
  if (rc != 0) {
    for (char* o : outs) o[0] = '\0';
  }
  return rc;
}
