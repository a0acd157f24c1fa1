// Windows-1252 <-> UTF-8 conversion for back ends that store UTF-8.
//
// The bytes 0x80-0x9F follow the code page's published table; its five
// unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number, both ways, so every byte survives a round
// trip. Broken UTF-8 (one '?' per maximal invalid subsequence) and characters
// the code page lacks become '?'.
#include "support/cp1252.h"

#include <cstdint>

namespace {

// Unicode code points of the bytes 0x80-0x9F.
const uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

uint32_t ToCodePoint(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHigh[b - 0x80];
  return b;
}

// The byte of a code point, or '?' when the code page lacks it.
char FromCodePoint(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Decodes one UTF-8 character at in[0..n). Sets *used to the bytes consumed
// (at least 1) and returns the code point, or -1 for a broken sequence.
int32_t Decode(const unsigned char* in, size_t n, size_t* used) {
  unsigned char b = in[0];
  *used = 1;
  if (b < 0x80) return b;
  size_t need;
  uint32_t cp;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return -1;
  }
  for (size_t i = 1; i <= need; ++i) {
    if (i >= n || in[i] < lo || in[i] > hi) {
      *used = i;  // the byte that broke the sequence starts the next one
      return -1;
    }
    cp = (cp << 6) | (in[i] & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  *used = need + 1;
  return static_cast<int32_t>(cp);
}

}  // namespace

size_t Cp1252_FromUtf8(const char* in, size_t n, char* out, size_t out_size, bool* exact) {
  if (exact != nullptr) *exact = true;
  if (out == nullptr || out_size == 0) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  size_t written = 0;
  size_t i = 0;
  bool same = true;
  while (in != nullptr && i < n && written + 1 < out_size) {
    size_t used;
    int32_t cp = Decode(p + i, n - i, &used);
    if (cp == 0) break;  // the text ends at a NUL
    char c = cp < 0 ? '?' : FromCodePoint(static_cast<uint32_t>(cp));
    if (c == '?' && cp != '?') same = false;
    out[written++] = c;
    i += used;
  }
  if (in != nullptr && i < n && p[i] != 0) same = false;  // cut to the room there was
  out[written] = '\0';
  if (exact != nullptr) *exact = same;
  return written;
}

uint32_t Cp1252_CodePoint(unsigned char b) { return ToCodePoint(b); }

size_t Cp1252_ToUtf8(const char* in, char* out, size_t out_size) {
  if (out == nullptr || out_size == 0) return 0;
  size_t written = 0;
  for (const char* s = in; s != nullptr && *s != '\0'; ++s) {
    uint32_t cp = ToCodePoint(static_cast<unsigned char>(*s));
    unsigned char buf[3];
    size_t len;
    if (cp < 0x80) {
      buf[0] = static_cast<unsigned char>(cp);
      len = 1;
    } else if (cp < 0x800) {
      buf[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      buf[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      len = 2;
    } else {
      buf[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      buf[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      buf[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      len = 3;
    }
    // A character that does not fit whole is left out, with all after it.
    if (written + len + 1 > out_size) break;
    for (size_t k = 0; k < len; ++k) out[written++] = static_cast<char>(buf[k]);
  }
  out[written] = '\0';
  return written;
}
