// Bounded text helpers for fixed-width fields.
#include "support/text.h"

char* Txt_Copy(char* dst, size_t size, const char* src) {
  if (size == 0) return dst;
  size_t n = src ? strnlen(src, size - 1) : 0;
  if (n) memcpy(dst, src, n);
  dst[n] = '\0';
  return dst;
}

void Txt_Put(char* dst, size_t width, const char* src) {
  size_t n = src ? strnlen(src, width) : 0;
  if (n) memcpy(dst, src, n);
  memset(dst + n, ' ', width - n);
}
