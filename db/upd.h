// The update request: one row of Kvs543Upd (key "UPD") in which a user asks
// for whole key ranges of master data to be sent again.
#pragma once

#include <cstdint>

struct UpdateRequest {
  char UpdAkv[13];  // order headers, from
  char UpdAkb[13];
  char UpdAav[13];  // order operations: order number, from
  char UpdAab[13];
  char UpdApv[6];   // order operations: operation number, from
  char UpdApb[6];
  char UpdAlv[11];  // workplaces, from
  char UpdAlb[11];
  char UpdAgv[11];  // workplace groups, from
  char UpdAgb[11];
  char UpdUgv[6];   // interruption reasons, from
  char UpdUgb[6];
  char UpdAuv[6];   // read and reset, not used by the run
  char UpdAub[6];
  char UpdPvv[9];   // personnel, from
  char UpdPvb[9];
  char UpdKsv[6];   // cost centres, from
  char UpdKsb[6];
};

// Reads the request into req (only on result 0).
int32_t Upd_PKeyReadk(UpdateRequest* req);
// Resets the request to blanks of each column's full width.
int32_t Upd_PKeyUpd();
