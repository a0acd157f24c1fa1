// Configuration file writer: enciphers the database login values and sets
// them in the configuration file, and lists what a file holds the way the
// reader sees it. Used by the velmarkon-ini tool, never by the program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/ini.h"

// Result codes.
enum : int32_t {
  INIW_OK = 0,
  INIW_KEY = -2,        // not one of LOGIN, PASS, NET8
  INIW_TOO_LONG = -3,   // value longer than INIW_VALUE_MAX_CHARS
  INIW_BAD_CHAR = -4,   // value holds a character that cannot be stored
  INIW_READ = -5,       // file cannot be read
  INIW_UNPAIRED = -6,   // file ends with a line that has no partner
  INIW_WRITE = -7,      // file cannot be written
  INIW_BAD_DIGITS = -8  // enciphered text cannot be deciphered
};

// A value holds at most 40 characters: 40 words of 5 digits fill the 200
// characters of an entry's value field.
enum : size_t { INIW_VALUE_MAX_CHARS = 40 };

// Readable text of a result code.
const char* IniW_ErrorText(int32_t rc);

// Checks a key name: one of LOGIN, PASS, NET8.
int32_t IniW_CheckKey(const char* key);

// Turns UTF-8 text into a value (Windows-1252) in out (out_size bytes).
// Returns INIW_OK, INIW_TOO_LONG, or INIW_BAD_CHAR for a character that has
// no Windows-1252 form or is a control character.
int32_t IniW_ValueFromUtf8(const char* utf8, char* out, size_t out_size);

// Sets the entry of key in the file at path to the enciphered value (plain,
// Windows-1252): the first pair that the reader would take for the key gets a
// new entry line, otherwise a pair ";Download;" / "N;KEY;DIGITS" is appended
// (N one more than the highest number in the file, at least 1). Every other
// line stays as it was. A missing file is created. The file is replaced
// atomically (a temporary file in the same folder, then a rename).
int32_t IniW_SetEntry(const char* path, const char* key, const char* plain);

// One pair of a file as the reader sees it.
enum : int32_t {
  INIW_PAIR_OK = 0,
  INIW_PAIR_SKIPPED = 1,        // outside the format: the reader passes over it
  INIW_PAIR_UNDECIPHERABLE = 2  // fields read, value cannot be deciphered
};

struct IniWPair {
  int32_t line;       // line number of the section line, from 1
  int32_t status;     // INIW_PAIR_...
  bool shadowed;      // an earlier readable pair has the same key
  IniEntryRec entry;  // fields; value deciphered (status INIW_PAIR_OK)
};

typedef void (*IniWVisitor)(const IniWPair* pair, void* ctx);

// Calls visit for every pair of the file, in file order. A last line without
// a partner is not reported. Returns INIW_OK or INIW_READ.
int32_t IniW_Scan(const char* path, IniWVisitor visit, void* ctx);
