// Configuration file reader: entries of the system's configuration file, whose
// values are stored enciphered (IDEA, five decimal digits per 16-bit word).
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/platform.h"

// Relative to the working directory, as the platform writes paths.
#define INI_FILE_PATH PLAT_INI_FILE

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
  INI_FILE_MAX = 1024 * 1024,  // the largest configuration file read
};

// The entry of the latest lookup.
extern IniEntryRec IniEntry;

// Looks up the first entry that matches one of the criteria (an empty section,
// an empty key or the number 0 is no criterion) and leaves it, deciphered, in
// IniEntry; IniEntry is empty when the file cannot be read or nothing matches.
// Only a regular file of at most INI_FILE_MAX bytes is read: a folder, a
// device, a pipe or a larger file reads as no file, without waiting.
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

// Takes the next line of a configuration file held in memory (data, len
// bytes; *pos is where the line starts and is moved past it) as text mode
// would read it (CR LF becomes LF) into buf (size bytes, the line feed kept,
// NUL-terminated). Returns the line's length, 0 at the end of the data, or -1
// when the line does not fit or holds a NUL byte: such a line is consumed
// entirely and buf left empty. Never reads past data + len.
int32_t Ini_NextLine(const char* data, size_t len, size_t* pos, char* buf, size_t size);

// The lookup of GetIniEntry on a file's content already in memory (data, len
// bytes, not NUL-terminated).
void Ini_FindEntry(const char* data, size_t len, const char* section, const char* key,
                   int32_t number);

// Splits a pair of lines into out (number, section, key and the value still
// enciphered). The number is the entry line's text before its first ";" read
// as a decimal integer: leading blanks, an optional sign, the digits up to
// the first other character (no digits give 0; a value beyond 32 bits is held
// at the nearest limit). Returns 0, or -1 when the pair is outside the format
// (fewer than two ";" in a line, no line feed at the end of the entry line, a
// number field of more than 11 characters, a field longer than 200
// characters); out is then cleared.
int32_t Ini_SplitPair(const char* section_line, const char* entry_line, IniEntryRec* out);

// The key words of the configuration file's cipher.
void Ini_KeyWords(uint16_t key[8]);
