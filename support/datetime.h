// Date and time stamps: fixed-width digit strings of the local time.
#pragma once

#include <cstdint>

// Mode 1: date ddmmyyyy, time HHMMSS; 2: date ddmmyyyyHHMMSS, time empty;
// 3: date yyyymmdd, time HHMMSS; 4: date yyyymmddHHMMSS, time empty;
// any other mode: both empty. date must hold 40 bytes, time 9. Returns 0.
int32_t Get_DateTime(char* date, char* time, int32_t mode);
