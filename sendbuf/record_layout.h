// Send-buffer record layout: the one description of the 552-byte record, its
// header fields and, per table code, the fields of its body, with a decoder
// that turns a record's bytes into named fields. velmarkon-show prints
// records with it; a test holds the tables against the body formatters, so a
// formatter and this description cannot drift apart unnoticed. The record
// itself is described in docs/record-format.md.
#pragma once

#include <cstddef>
#include <cstdint>

enum : int {
  REC_LEN = 552,          // the whole record, CR LF included
  REC_BODY_OFFSET = 111,  // the body's first byte in the record
  REC_BODY_WIDTH = 438,
  REC_END_OFFSET = 549,  // "*", then CR LF
  REC_MAX_VALUES = 48,   // header, the longest body layout, the end
};

// A field: offset (in the record for the header and the end, in the body
// for body fields), width and name.
struct RecField {
  int16_t offset;
  int16_t width;
  const char* name;
};

// The body fields of one table code, in ascending offsets; what a body holds
// beyond its last field is blanks.
struct RecLayout {
  const char* table;  // the table code of the header, offset 90: "APK", ...
  const char* what;   // the record's content in words
  const RecField* fields;
  int count;
};

// The header (offsets 0 to 110) and the end (549 to 551).
const RecField* Rec_Header(int* count);
const RecField* Rec_End(int* count);
// The body layouts, one per table code.
const RecLayout* Rec_Layouts(int* count);
// The layout of a table code (3 bytes, not NUL-terminated), or nullptr.
const RecLayout* Rec_FindLayout(const char* table);

// One decoded field: a view into the record's bytes (never a copy).
struct RecValue {
  const char* name;
  int offset;        // in the record
  int width;         // the field's width
  int have;          // bytes of it within the input (width, or fewer at its end)
  const char* text;  // the input at offset; nullptr when have is 0
};

enum : int32_t {
  REC_OK = 0,
  REC_SHORT = 1,   // fewer than 552 bytes: the fields up to the input's end
  REC_NO_END = 2,  // 552 bytes, but no "*" CR LF at their end
};

struct RecDecoded {
  const RecLayout* layout;  // nullptr: a table code without a layout, one field "body"
  int count;
  RecValue values[REC_MAX_VALUES];
};

// Decodes the first record of data (len bytes; anything after 552 bytes is
// not looked at) into out: the header fields, the body fields of its table
// code, the end. Reads nothing outside data[0, len). Returns REC_OK,
// REC_SHORT or REC_NO_END.
int32_t Rec_Decode(const char* data, size_t len, RecDecoded* out);

// A decoded value as readable UTF-8 text (Windows-1252 converted, NUL bytes
// shown as '.') into out (size bytes, at least 3 * width + 1 to hold all).
// Returns the bytes written.
size_t Rec_ValueText(const RecValue& value, char* out, size_t size);
