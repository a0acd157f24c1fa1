// Command-line text: the download marker and the table keyword arrive in the
// character set of the caller's locale (UTF-8 on Linux, the ANSI code page
// on Windows) and are turned into Windows-1252, the program's own, before
// the run uses them. An argument with a character that has no Windows-1252
// form, or with a broken sequence, is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts arg from the arguments' character set (Plat_ArgCodeset) into out
// (size bytes): at most size-1 characters are kept, the rest is cut, as for
// any argument. Returns 0, or -1 when arg cannot be converted (out is then
// empty).
int32_t Args_ToCp1252(const char* arg, char* out, size_t size);

// The same from a named character set: "UTF-8"; "ANSI_X3.4-1968" (the C
// locale, whose arguments are taken as UTF-8, which covers plain ASCII);
// "CP1252" or "WINDOWS-1252" (taken as they are); "ISO-8859-1" and
// "ISO-8859-15" (their characters that Windows-1252 holds). Any other set
// passes plain ASCII only. Names compare without regard to case, '-' or '_'.
int32_t Args_Convert(const char* codeset, const char* arg, char* out, size_t size);
