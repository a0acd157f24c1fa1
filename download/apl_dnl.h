// Workplace download: every workplace marked with the run's marker goes to
// its terminal group as a "MAS" record carrying the cost centre valid today
// for its group; a workplace whose group has no single such cost centre is
// not sent and stays marked. A sent workplace is released (marks emptied, or
// deleted for "LOE").
#pragma once

#include <cstdint>

#include "db/apl.h"
#include "sendbuf/snddnl.h"

// The table download of Kvs531Apl; returns the open failure or the close's result.
int32_t Apl_Dnl(const char* date, const char* time, const char* marker);

// Fills everything of msg but the frame's fields. Returns the result of the
// cost-centre lookup: nonzero means the record must not be sent.
int32_t Apl_DnlSatz(DownloadMessage* msg, AplRow row);

// Releases a sent workplace by what a fresh read of it says. A workplace
// that cannot be read again is left alone (and reported): the read's result.
int32_t Apl_Frei(AplRow row);

// Marks every workplace (numbers strictly between "0000000000" and
// "9999999999") for download with action "AEN". from and to are the caller's
// 11-byte buffers; they are overwritten with these bounds.
void Apl_Sel(const char* marker, char* from, char* to);
