// The update request row (Kvs543Upd, key "UPD"): read at the start of an
// update-request run, reset to blanks at its end.
#include "db/upd.h"

#include "db/sql.h"
#include "support/text.h"

namespace {

SqlStmt s_read(
    "select UpdAkv ,UpdAkb ,UpdAav ,UpdAab ,UpdApv ,UpdApb ,UpdAlv ,UpdAlb ,UpdAgv ,UpdAgb ,"
    "UpdUgv ,UpdUgb ,UpdAuv ,UpdAub ,UpdPvv ,UpdPvb ,UpdKsv ,UpdKsb into :b0:b1,:b2:b3,:b4:b5,"
    ":b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,:b22:b23,:b24:b25,"
    ":b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35  from Kvs543Upd where UpdKey=:b36");

SqlChange s_reset = SQL_CHANGE(
    "Upd_PKeyUpd",
    "update KVS543Upd  set UpdAkv='            ',UpdAkb='            ',UpdAav='            ',"
    "UpdAab='            ',UpdApv='     ',UpdApb='     ',UpdAlv='          ',UpdAlb='          ',"
    "UpdAgv='          ',UpdAgb='          ',UpdUgv='     ',UpdUgb='     ',UpdAuv='     ',"
    "UpdAub='     ',UpdPvv='        ',UpdPvb='        ',UpdKsv='     ',UpdKsb='     ',"
    "UpdDat=sysdate,UpdErf='Download' where UpdKey=:b0");

// Host variables of the module: the request (h) and the key (in).
UpdateRequest h;
struct {
  char key[4];
} in;

const HostVar kKeyIn[] = {HvStr(in.key)};
const HostVar kReadOut[] = {
    HvStr(h.UpdAkv), HvStr(h.UpdAkb), HvStr(h.UpdAav), HvStr(h.UpdAab), HvStr(h.UpdApv),
    HvStr(h.UpdApb), HvStr(h.UpdAlv), HvStr(h.UpdAlb), HvStr(h.UpdAgv), HvStr(h.UpdAgb),
    HvStr(h.UpdUgv), HvStr(h.UpdUgb), HvStr(h.UpdAuv), HvStr(h.UpdAub), HvStr(h.UpdPvv),
    HvStr(h.UpdPvb), HvStr(h.UpdKsv), HvStr(h.UpdKsb)};

}  // namespace

int32_t Upd_PKeyReadk(UpdateRequest* req) {
  CopyText(in.key, "UPD");
  int32_t rc = Sql_SelectInto(&s_read, kKeyIn, kReadOut);
  if (rc == 0) Sql_Deliver(kReadOut, h, req);
  return rc;
}

int32_t Upd_PKeyUpd() {
  CopyText(in.key, "UPD");
  return Sql_Change(&s_reset, kKeyIn);
}
