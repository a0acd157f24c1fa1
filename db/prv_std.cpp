// Personnel by key: the key-range cursor of the re-marking and the read,
// update and delete of one person. PrvSta travels as a 16-bit value.
#include <cstring>

#include "db/prv.h"
#include "db/sql.h"

namespace {

SqlStmt s_range(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvDna ,PrvDwn ,PrvAwa ,PrvAwn ,PrvAnw "
    ",TO_CHAR(PrvAvn,'yyyymmddHH24MISS') ,TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvApl ,PrvApp "
    ",PrvPzm ,PrvSta ,PrvErf ,PrvNam ,PrvStr ,PrvOrt  from Kvs510Prv where ((PrvPnr>=:b0 and "
    "PrvPnr<=:b1) and (PrvGvo<=trunc(sysdate) or PrvGvo is null )) order by PrvPnr");
SqlStmt s_read(
    "select PrvPnr ,TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvGbi,'yyyymmdd') ,PrvBer ,PrvKst "
    ",PrvFbe ,PrvMmb ,PrvZf1 ,PrvZf2 ,PrvZf3 ,PrvSta ,PrvErf ,PrvDna ,PrvDwn ,PrvAwn ,PrvAwa "
    ",PrvAnw ,PrvApl ,PrvApp ,PrvPzm ,TO_CHAR(PrvAvn,'yyyymmddHH24MISS') "
    ",TO_CHAR(PrvAbi,'yyyymmddHH24MISS') ,PrvNam ,PrvStr ,PrvOrt into :b0:b1,:b2:b3,:b4:b5,"
    ":b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,:b22:b23,:b24:b25,"
    ":b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,:b42:b43,:b44:b45,"
    ":b46:b47,:b48:b49  from Kvs510Prv where PrvPnr=:b0");
SqlChange s_upd = SQL_CHANGE(
    "Prv_PKeyUpd",
    "update Kvs510Prv  set PrvGvo=TO_DATE(:b0,'yyyymmdd'),PrvGbi=TO_DATE(:b1,'yyyymmdd'),"
    "PrvBer=:b2,PrvFbe=:b3,PrvMmb=:b4,PrvZf1=:b5,PrvZf2=:b6,PrvZf3=:b7,PrvAwa=:b8,PrvDna=:b9,"
    "PrvDwn=:b10,PrvSta=:b11,PrvDat=sysdate,PrvErf=:b12,PrvAwn=:b13,PrvKst=:b14,PrvAnw=:b15,"
    "PrvApl=:b16,PrvApp=:b17,PrvPzm=:b18,PrvAvn=TO_DATE(:b19,'yyyymmddHH24MISS'),"
    "PrvAbi=TO_DATE(:b20,'yyyymmddHH24MISS'),PrvNam=:b21,PrvStr=:b22,PrvOrt=:b23 where "
    "PrvPnr=:b24");
SqlChange s_del = SQL_CHANGE("Prv_PKeyDel", "delete  from Kvs510Prv  where PrvPnr=:b0");

// Host variables, one set per statement.
char s_from[9], s_to[9];
PrvRow s_range_out;
int16_t s_range_sta;
char s_read_key[9];
PrvRow s_read_out;
int16_t s_read_sta;
PrvRow s_upd_in;
int16_t s_upd_sta;
char s_del_key[9];

const HostVar kRangeIn[] = {HvStr(s_from), HvStr(s_to)};
const HostVar kRangeOut[] = {
    HvStr(s_range_out.PrvPnr),  HvStr(s_range_out.PrvGvo),  HvStr(s_range_out.PrvGbi),
    HvI32(&s_range_out.PrvBer), HvStr(s_range_out.PrvKst),  HvStr(s_range_out.PrvFbe),
    HvI32(&s_range_out.PrvMmb), HvStr(s_range_out.PrvZf1),  HvStr(s_range_out.PrvZf2),
    HvStr(s_range_out.PrvZf3),  HvStr(s_range_out.PrvDna),  HvStr(s_range_out.PrvDwn),
    HvI32(&s_range_out.PrvAwa), HvStr(s_range_out.PrvAwn),  HvI32(&s_range_out.PrvAnw),
    HvStr(s_range_out.PrvAvn),  HvStr(s_range_out.PrvAbi),  HvI32(&s_range_out.PrvApl),
    HvI32(&s_range_out.PrvApp), HvI32(&s_range_out.PrvPzm), HvI16(&s_range_sta),
    HvStr(s_range_out.PrvErf),  HvStr(s_range_out.PrvNam),  HvStr(s_range_out.PrvStr),
    HvStr(s_range_out.PrvOrt)};
const HostVar kReadIn[] = {HvStr(s_read_key)};
const HostVar kReadOut[] = {
    HvStr(s_read_out.PrvPnr),  HvStr(s_read_out.PrvGvo),  HvStr(s_read_out.PrvGbi),
    HvI32(&s_read_out.PrvBer), HvStr(s_read_out.PrvKst),  HvStr(s_read_out.PrvFbe),
    HvI32(&s_read_out.PrvMmb), HvStr(s_read_out.PrvZf1),  HvStr(s_read_out.PrvZf2),
    HvStr(s_read_out.PrvZf3),  HvI16(&s_read_sta),        HvStr(s_read_out.PrvErf),
    HvStr(s_read_out.PrvDna),  HvStr(s_read_out.PrvDwn),  HvStr(s_read_out.PrvAwn),
    HvI32(&s_read_out.PrvAwa), HvI32(&s_read_out.PrvAnw), HvI32(&s_read_out.PrvApl),
    HvI32(&s_read_out.PrvApp), HvI32(&s_read_out.PrvPzm), HvStr(s_read_out.PrvAvn),
    HvStr(s_read_out.PrvAbi),  HvStr(s_read_out.PrvNam),  HvStr(s_read_out.PrvStr),
    HvStr(s_read_out.PrvOrt)};
const HostVar kUpdIn[] = {HvStr(s_upd_in.PrvGvo),  HvStr(s_upd_in.PrvGbi),  HvI32(&s_upd_in.PrvBer),
                          HvStr(s_upd_in.PrvFbe),  HvI32(&s_upd_in.PrvMmb), HvStr(s_upd_in.PrvZf1),
                          HvStr(s_upd_in.PrvZf2),  HvStr(s_upd_in.PrvZf3),  HvI32(&s_upd_in.PrvAwa),
                          HvStr(s_upd_in.PrvDna),  HvStr(s_upd_in.PrvDwn),  HvI16(&s_upd_sta),
                          HvStr(s_upd_in.PrvErf),  HvStr(s_upd_in.PrvAwn),  HvStr(s_upd_in.PrvKst),
                          HvI32(&s_upd_in.PrvAnw), HvI32(&s_upd_in.PrvApl), HvI32(&s_upd_in.PrvApp),
                          HvI32(&s_upd_in.PrvPzm), HvStr(s_upd_in.PrvAvn),  HvStr(s_upd_in.PrvAbi),
                          HvStr(s_upd_in.PrvNam),  HvStr(s_upd_in.PrvStr),  HvStr(s_upd_in.PrvOrt),
                          HvStr(s_upd_in.PrvPnr)};
const HostVar kDelIn[] = {HvStr(s_del_key)};

// Copies the selected columns into the caller's row; PrvDat is selected by
// neither statement and keeps what it held.
void Deliver(const PrvRow& out, int16_t sta, PrvRow* row) {
  char dat[sizeof row->PrvDat];
  memcpy(dat, row->PrvDat, sizeof dat);
  *row = out;
  row->PrvSta = sta;
  memcpy(row->PrvDat, dat, sizeof dat);
}

}  // namespace

int32_t Prv_OpenRange(const char* from, const char* to) {
  CopyText(s_from, from);
  CopyText(s_to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Prv_FetchRange(PrvRow* row) {
  int32_t rc = Sql_Fetch(&s_range, kRangeOut);
  if (rc == 0) Deliver(s_range_out, s_range_sta, row);
  return rc;
}

int32_t Prv_CloseRange() { return Sql_Close(&s_range); }

int32_t Prv_PKeyReadk(PrvRow* row) {
  CopyText(s_read_key, row->PrvPnr);
  int32_t rc = Sql_SelectInto(&s_read, kReadIn, kReadOut);
  if (rc == 0) Deliver(s_read_out, s_read_sta, row);
  return rc;
}

int32_t Prv_PKeyUpd(const PrvRow* row) {
  s_upd_in = *row;
  s_upd_sta = static_cast<int16_t>(static_cast<uint16_t>(row->PrvSta));  // low 16 bits
  return Sql_Change(&s_upd, kUpdIn);
}

int32_t Prv_PKeyDel(const char* pnr) {
  CopyText(s_del_key, pnr);
  return Sql_Change(&s_del, kDelIn);
}
