// The update request row (Kvs543Upd, key "UPD"): read at the start of an
// update-request run, reset to blanks at its end.
#include "db/sql.h"
#include "db/upd.h"

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

// Host variables of the module.
char h_key[4];
UpdateRequest h_req;

}  // namespace

int32_t Upd_PKeyReadk(UpdateRequest* req) {
  CopyText(h_key, "UPD");
  UpdateRequest& q = h_req;
  HostVar in[] = {HvStr(h_key)};
  HostVar out[] = {HvStr(q.UpdAkv), HvStr(q.UpdAkb), HvStr(q.UpdAav), HvStr(q.UpdAab),
                   HvStr(q.UpdApv), HvStr(q.UpdApb), HvStr(q.UpdAlv), HvStr(q.UpdAlb),
                   HvStr(q.UpdAgv), HvStr(q.UpdAgb), HvStr(q.UpdUgv), HvStr(q.UpdUgb),
                   HvStr(q.UpdAuv), HvStr(q.UpdAub), HvStr(q.UpdPvv), HvStr(q.UpdPvb),
                   HvStr(q.UpdKsv), HvStr(q.UpdKsb)};
  int32_t rc = Sql_SelectInto(&s_read, in, out);
  if (rc == 0) *req = q;
  return rc;
}

int32_t Upd_PKeyUpd() {
  CopyText(h_key, "UPD");
  HostVar in[] = {HvStr(h_key)};
  return Sql_Change(&s_reset, in);
}
