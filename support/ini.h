// Configuration file reader: entries of the system's configuration file, whose
// values are stored enciphered (IDEA, five decimal digits per 16-bit word).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Relative to the working directory.
#define INI_FILE_PATH "../../../../files/korvantis.ini"

struct IniEntryRec {
  int32_t number;
  char section[201];
  char key[201];
  char value[201];
};

// Line buffers of the reader: a pair is a section line and an entry line.
enum : size_t {
  INI_SECTION_LINE_SIZE = 200,  // 199 characters and the NUL
  INI_ENTRY_LINE_SIZE = 400,    // 399 characters and the NUL
  INI_NUMBER_MAX_CHARS = 11,
};

// The entry of the latest lookup.
extern IniEntryRec IniEntry;

// Looks up the first entry that matches one of the criteria (an empty section,
// an empty key or the number 0 is no criterion) and leaves it, deciphered, in
// IniEntry; IniEntry is empty when the file cannot be read or nothing matches.
void GetIniEntry(const char* section, const char* key, int32_t number, const char* path);

// Deciphers a value text into out (out_size bytes, NUL-terminated). Returns
// the number of characters written, or -1 when out is too small (out then
// holds an empty string).
int32_t IniDecrypt(const char* text, char* out, size_t out_size);

// Enciphers plain text into its digit form (the inverse of IniDecrypt).
// Returns the number of digits written, or -1 when out is too small.
int32_t IniEncrypt(const char* plain, char* out, size_t out_size);

// Fills user, password and connect string (each size bytes) from the keys
// LOGIN, PASS and NET8 of the configuration file. Returns 0, or -1 when a
// deciphered value does not fit its buffer (the buffers are then empty).
int32_t GetDbLogin(char* user, char* password, char* connect, size_t size);

// Reads one line of a configuration file as text mode would (CR LF becomes
// LF) into buf (size bytes, the line feed kept, NUL-terminated). Returns the
// line's length, 0 at the end of the file, or -1 when the line does not fit or
// holds a NUL byte: such a line is consumed entirely and buf left empty.
int32_t Ini_ReadLine(FILE* f, char* buf, size_t size);

// Splits a pair of lines into out (number, section, key and the value still
// enciphered). Returns 0, or -1 when the pair is outside the format (fewer
// than two ";" in a line, no line feed at the end of the entry line, a number
// field that is not a number of at most 11 characters, a field longer than
// 200 characters); out is then cleared.
int32_t Ini_SplitPair(const char* section_line, const char* entry_line, IniEntryRec* out);

// The key words of the configuration file's cipher.
void Ini_KeyWords(uint16_t key[8]);
