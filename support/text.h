// Bounded text helpers for fixed-width fields: every write into a field of
// the program goes through one of these, so no copy can run past its field.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most size-1 characters of src into dst and terminates it.
char* Txt_Copy(char* dst, size_t size, const char* src);

// Copies src into dst[0..width) left-aligned: a shorter text is padded with
// blanks, a longer one is cut. Writes no NUL.
void Txt_Put(char* dst, size_t width, const char* src);

template <size_t N>
inline char* CopyText(char (&dst)[N], const char* src) {
  return Txt_Copy(dst, N, src);
}

// Length of a text held in a field of size bytes (never reads past it).
inline size_t Txt_Len(const char* s, size_t size) { return strnlen(s, size); }
