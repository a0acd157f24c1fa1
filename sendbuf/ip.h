// Terminal address lookup: the terminal group that serves a production area.
//
// The terminal configuration is read once per table download into a copy of
// the process's own (IP_Forget starts a new one); every record's lookup is
// served from it. Ranges compare as text, character by character in the
// order of their Unicode code points, as the databases sort their text.
#pragma once

#include <cstdint>

#include "db/cfg.h"

// Fills row with the group of the lowest file number whose range 1 or 2
// covers routing_key (both ends included). Returns 0, or the failing
// statement's result code (1403 when no group covers the key), reported as
// "ReadFile" / "IP-Ermitteln".
int32_t IP_Ermitteln(CfgRow* row, const char* routing_key);

// True when a group serves routing_key (the same lookup, reporting nothing).
bool IP_Covers(const char* routing_key);

// The next lookup reads the terminal configuration afresh.
void IP_Forget();
