// Interruption reason download: one "UBG" record per reason that carries the
// run's download marker, the release of each sent reason, and the re-marking
// of all reasons in update-request mode.
#pragma once

#include <cstdint>

#include "db/ubg.h"
#include "sendbuf/snddnl.h"

// Sends the marked reasons; the open's failure code, else the close's result.
int32_t Ubg_Dnl(const char* date, const char* time, const char* marker);

// Fills the message for one reason; always 0.
int32_t Ubg_DnlSatz(DownloadMessage* msg, UbgRow row);

// Releases a sent reason: deleted when its action code is "LOE", else its
// marker and action code are emptied. Nothing is written when the reason can
// no longer be read. Returns the result of the statement that decided.
int32_t Ubg_Frei(UbgRow row);

// Marks every reason whose code sorts strictly between "00000" and "99999"
// with action "AEN" and the marker. The range buffers (6 bytes each) are
// overwritten with those two keys.
void Ubg_Sel(const char* marker, char* from, char* to);
