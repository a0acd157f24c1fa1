// SQL functions that give the embedded database the date handling of the
// program's statements: TO_CHAR and TO_DATE with the program's masks, the
// current date and time, and today's midnight. Dates are stored as text
// 'YYYY-MM-DD HH:MM:SS' in local time; 'YYYY-MM-DD' alone reads as midnight.
#pragma once

struct sqlite3;

// Registers vk_to_char, vk_to_date, vk_date, vk_sysdate and vk_today.
int SqliteFunctions_Register(sqlite3* db);
