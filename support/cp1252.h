// Windows-1252 <-> UTF-8. The program works in Windows-1252; back ends that
// store UTF-8 convert on the way in and out.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts UTF-8 (n bytes) to Windows-1252 into out (at most out_size-1
// characters, NUL-terminated); a character outside Windows-1252, or a broken
// sequence, becomes '?'. Returns the number of characters written. *exact,
// when given, tells whether the text arrived whole and unchanged.
size_t Cp1252_FromUtf8(const char* in, size_t n, char* out, size_t out_size,
                       bool* exact = nullptr);

// The Unicode code point of a Windows-1252 byte: texts compared by their
// code points sort as the databases sort their UTF-8 text.
uint32_t Cp1252_CodePoint(unsigned char b);

// Converts NUL-terminated Windows-1252 text to UTF-8 into out (out_size must
// be at least 3 * strlen(in) + 1 to hold every character). Returns the number
// of bytes written (without the NUL).
size_t Cp1252_ToUtf8(const char* in, char* out, size_t out_size);
