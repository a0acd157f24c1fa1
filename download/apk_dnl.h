// Order header download: the body of an order header record, the release of
// a row once its record is written, the re-marking of all order headers in
// update-request mode, and the table download itself.
#pragma once

#include <cstdint>

#include "db/apk.h"
#include "sendbuf/snddnl.h"

// Fills msg (already begun by the frame) from row; returns 0.
int32_t Apk_DnlSatz(DownloadMessage* msg, ApkRow row);

// Releases a row whose record was written: deletes it when the fetched row
// says "LOE", otherwise empties its marker and action code; only while the
// row is still as it was sent (else it is left marked, logged, and
// DNL_LEFT_MARKED returned). Logs a failure and returns its code.
int32_t Apk_Frei(ApkRow row);

// Marks every order header whose status is neither 7 nor 9 with "AEN" and
// marker. The caller's bounds (buffers of 13) are overwritten with
// "000000000000" and "999999999999": the whole table is re-marked.
void Auk_To_Apk(const char* marker, char* lower, char* upper);

// Sends and releases every order header marked with marker; the loop ends at
// the first row that cannot be sent or released. Returns the open's failure,
// a failure that ended the loop early (the cursor's, a lock's), or the
// close's result.
int32_t Apk_Dnl(const char* date, const char* time, const char* marker);
