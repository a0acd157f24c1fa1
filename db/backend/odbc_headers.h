// The ODBC headers, for every file that calls ODBC: on Windows they need
// the system's types, so <windows.h> (lean, without min/max) comes first.
#pragma once

#ifdef _WIN32
#include "support/windows_headers.h"
#endif
#include <sql.h>
#include <sqlext.h>
