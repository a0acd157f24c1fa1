// Order operation download: the body of an operation record, the release of
// a row once its record is written (which keeps the order header's operation
// count up to date), the re-marking of a key range in update-request mode,
// and the table download itself.
#pragma once

#include <cstdint>

#include "db/app.h"
#include "sendbuf/snddnl.h"

// Fills msg (already begun by the frame) from row; returns 0.
int32_t App_DnlSatz(DownloadMessage* msg, AppRow row);

// Releases a row whose record was written: "LOE" deletes the operation and
// counts its order header's ApkAfo down; any other action code empties the
// marker and action code, and "NEU" then counts ApkAfo up. The operation's
// change and the count's commit together or not at all. A row that is no
// longer as it was sent is left marked (logged; DNL_LEFT_MARKED). Returns 0
// or the code of the statement that failed.
int32_t App_Frei(AppRow row);

// Marks with "AEN" and marker every operation whose status is neither 7 nor
// 9 and whose (order number, operation number) lies strictly between
// (order_from, op_from) and (order_to, op_to).
void App_Sel(const char* marker, char* order_from, char* order_to, char* op_from, char* op_to);

// Sends and releases every operation marked with marker; a row that fails
// keeps its marks and the loop goes on. Returns the open's failure or the
// close's result.
int32_t App_Dnl(const char* date, const char* time, const char* marker);
