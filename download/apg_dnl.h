// Workplace group download: every group marked with the run's marker goes
// to its terminal group as a "MAG" record carrying the cost centre valid
// today; a sent group is released (marks emptied, or deleted for "LOE").
#pragma once

#include <cstdint>

#include "db/apg.h"
#include "sendbuf/snddnl.h"

// The table download of Kvs530Apg; returns the open failure or the close's result.
int32_t Apg_Dnl(const char* date, const char* time, const char* marker);

// Fills everything of msg but the frame's fields; always 0.
int32_t Apg_DnlSatz(DownloadMessage* msg, ApgRow row);

// Releases a sent group by what a fresh read of it says. A group that cannot
// be read again is left alone (and reported): the read's result.
int32_t Apg_Frei(ApgRow row);

// Marks every group (numbers strictly between "0000000000" and "9999999999")
// for download with action "AEN". from and to are the caller's 11-byte
// buffers; they are overwritten with these bounds.
void Apg_Sel(const char* marker, char* from, char* to);
