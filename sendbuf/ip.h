// Terminal address lookup: the terminal group that serves a production area.
#pragma once

#include <cstdint>

#include "db/cfg.h"

// Fills row with the group of the lowest file number whose range 1 or 2
// covers routing_key. Returns 0, or the failing statement's result code
// (1403 when no group covers the key), reported as "ReadFile".
int32_t IP_Ermitteln(CfgRow* row, const char* routing_key);
