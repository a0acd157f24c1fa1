// SQL functions that give the embedded database the date handling of the
// program's statements: TO_CHAR and TO_DATE with the program's masks, the
// current date and time, and today's midnight. Dates are stored as text
// 'YYYY-MM-DD HH:MM:SS' in local time; 'YYYY-MM-DD' alone reads as midnight.
//
// vk_to_char of a stored value that is no date does not fail its statement:
// it delivers a marker value that fails the one row carrying it, so that a
// cursor goes on with its next row (SqliteFunctions_Failure reads it).
#pragma once

#include <cstdint>

struct sqlite3;

// The result code a fetched column value stands for, when it is such a
// marker; 0 for any other value.
int32_t SqliteFunctions_Failure(const void* blob, int n);

// Registers vk_to_char, vk_to_date, vk_date, vk_sysdate and vk_today.
int SqliteFunctions_Register(sqlite3* db);
