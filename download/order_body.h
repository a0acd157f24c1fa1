// Field writers shared by the order header and order operation bodies: the
// number without decimal point, its short seven-character form, the date as
// yymmdd and the one-character status. Each writes exactly its field's width
// and nothing beyond it.
#pragma once

#include <cstdint>

// 11 characters: v formatted "%012.3f" with its decimal point removed,
// cut after 11 characters (123.45 gives 00000123450).
void Ord_Number(char* dst, double v);
// 7 characters: characters 4 to 10 of the number above (123.45 gives
// 0012345); values of 100000 and more lose their leading digits.
void Ord_ShortNumber(char* dst, double v);
// 6 characters: a yyyymmdd date as yymmdd; an empty date gives blanks.
void Ord_Date(char* dst, const char (&yyyymmdd)[9]);
// 1 character: status 10 is written as 0, any other status as the first
// character of its decimal form.
void Ord_Status(char* dst, int32_t status);
