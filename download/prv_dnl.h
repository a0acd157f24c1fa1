// Personnel download: two records per person that carries the run's download
// marker (the personnel record "PNR", then "AWN" with PrvAwn), the release of
// each sent person, and the re-marking of all valid personnel in
// update-request mode.
#pragma once

#include <cstdint>

#include "db/prv.h"
#include "sendbuf/snddnl.h"

// Sends the marked personnel; the open's failure code, else the close's result.
int32_t Prv_Dnl(const char* date, const char* time, const char* marker);

// Fills the message with the personnel record; always 0.
int32_t Prv_DnlSatz(DownloadMessage* msg, PrvRow row);
// Fills the same message again with the second record; always 0.
int32_t Prv_AwnSatz(DownloadMessage* msg, PrvRow row);

// Releases a sent person, decided on the row as read again: deleted for
// action "LOE" with PrvAwa 3; for another "LOE" the leave columns are
// emptied; marker and action code are emptied. Returns the result of the
// last statement.
int32_t Prv_Frei(PrvRow row);

// Marks every valid person numbered "00000000" to "99999999" with action
// "AEN" and the marker. The range buffers (9 bytes each) are overwritten
// with those two numbers.
void Prv_Sel(const char* marker, char* from, char* to);
