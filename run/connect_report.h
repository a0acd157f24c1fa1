// The report of a run whose database could not be reached.
#pragma once

#include <cstdint>

// Writes the log entry for the connect result rc. A connect string naming a
// back end this build does not contain is no database fault: it gets a log
// entry of its own and a line on standard error, so that nobody looks for a
// network or data source fault.
void Run_ReportConnectFailure(int32_t rc);
