// Interruption reasons by key: the key-range cursor of the re-marking and the
// read, update and delete of one reason. UbgSta travels as a 16-bit value in
// all of them.
#include <cstring>

#include "db/sql.h"
#include "db/ubg.h"

namespace {

#define UBG_COLUMNS                                                                        \
  "select UbgUbg ,UbgKnz ,UbgFbe ,UbgBez ,UbgTxt ,UbgZf1 ,UbgZf2 ,UbgZf3 ,UbgAst ,UbgRst " \
  ",UbgAsf ,UbgSt1 ,UbgSt2 ,UbgSt3 ,UbgSf1 ,UbgSf2 ,UbgSf3 ,UbgDna ,UbgDwn ,UbgSta ,UbgErf"

SqlStmt s_range(UBG_COLUMNS "  from Kvs521Ubg where (UbgUbg>:b0 and UbgUbg<:b1) order by UbgUbg");
SqlStmt s_read(UBG_COLUMNS
               " into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,"
               ":b18:b19,:b20:b21,:b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,"
               ":b36:b37,:b38:b39,:b40:b41  from Kvs521Ubg where UbgUbg=:b0");
SqlChange s_upd = SQL_CHANGE(
    "Ubg_PKeyUpd",
    "update KVS521Ubg  set UbgUbg=:b0,UbgBez=:b1,UbgTxt=:b2,UbgKnz=:b3,UbgFbe=:b4,UbgAst=:b5,"
    "UbgZf1=:b6,UbgZf2=:b7,UbgZf3=:b8,UbgRst=:b9,UbgAsf=:b10,UbgSt1=:b11,UbgSt2=:b12,"
    "UbgSt3=:b13,UbgSf1=:b14,UbgSf2=:b15,UbgSf3=:b16,UbgDna=:b17,UbgDwn=:b18,UbgSta=:b19,"
    "UbgDat=sysdate,UbgErf=:b20 where UbgUbg=:b0");
SqlChange s_del = SQL_CHANGE("Ubg_PKeyDel", "delete  from Kvs521Ubg  where UbgUbg=:b0");

#undef UBG_COLUMNS

// A row's host variables: the fields of a UbgRow with UbgSta at 16 bits.
struct UbgHost {
  UbgRow r;
  int16_t sta;
};

// The 21 columns in select-list order.
struct Columns {
  HostVar hv[21];
  explicit Columns(UbgHost& h)
      : hv{HvStr(h.r.UbgUbg),  HvI32(&h.r.UbgKnz), HvStr(h.r.UbgFbe),  HvStr(h.r.UbgBez),
           HvStr(h.r.UbgTxt),  HvStr(h.r.UbgZf1),  HvStr(h.r.UbgZf2),  HvStr(h.r.UbgZf3),
           HvI32(&h.r.UbgAst), HvFlt(&h.r.UbgRst), HvFlt(&h.r.UbgAsf), HvStr(h.r.UbgSt1),
           HvStr(h.r.UbgSt2),  HvStr(h.r.UbgSt3),  HvFlt(&h.r.UbgSf1), HvFlt(&h.r.UbgSf2),
           HvFlt(&h.r.UbgSf3), HvStr(h.r.UbgDna),  HvStr(h.r.UbgDwn),  HvI16(&h.sta),
           HvStr(h.r.UbgErf)} {}
};

// Host variables, one set per statement.
char s_from[6], s_to[6];
UbgHost s_range_out;
UbgHost s_read_out;
char s_read_key[5];
UbgHost s_upd_in;
char s_del_key[5];

const HostVar kRangeIn[] = {HvStr(s_from), HvStr(s_to)};
const Columns kRangeOut(s_range_out);
const HostVar kReadIn[] = {HvStr(s_read_key)};
const Columns kReadOut(s_read_out);
// In the order of the placeholders' occurrences: :b0 again as the key.
const HostVar kUpdIn[] = {
    HvStr(s_upd_in.r.UbgUbg),  HvStr(s_upd_in.r.UbgBez),  HvStr(s_upd_in.r.UbgTxt),
    HvI32(&s_upd_in.r.UbgKnz), HvStr(s_upd_in.r.UbgFbe),  HvI32(&s_upd_in.r.UbgAst),
    HvStr(s_upd_in.r.UbgZf1),  HvStr(s_upd_in.r.UbgZf2),  HvStr(s_upd_in.r.UbgZf3),
    HvFlt(&s_upd_in.r.UbgRst), HvFlt(&s_upd_in.r.UbgAsf), HvStr(s_upd_in.r.UbgSt1),
    HvStr(s_upd_in.r.UbgSt2),  HvStr(s_upd_in.r.UbgSt3),  HvFlt(&s_upd_in.r.UbgSf1),
    HvFlt(&s_upd_in.r.UbgSf2), HvFlt(&s_upd_in.r.UbgSf3), HvStr(s_upd_in.r.UbgDna),
    HvStr(s_upd_in.r.UbgDwn),  HvI16(&s_upd_in.sta),      HvStr(s_upd_in.r.UbgErf),
    HvStr(s_upd_in.r.UbgUbg)};
const HostVar kDelIn[] = {HvStr(s_del_key)};

// Copies the selected columns into the caller's row; UbgDat is not selected.
void Deliver(const UbgHost& h, UbgRow* row) {
  char dat[sizeof row->UbgDat];
  memcpy(dat, row->UbgDat, sizeof dat);
  *row = h.r;
  row->UbgSta = h.sta;
  memcpy(row->UbgDat, dat, sizeof dat);
}

}  // namespace

int32_t Ubg_OpenRange(const char* from, const char* to) {
  CopyText(s_from, from);
  CopyText(s_to, to);
  return Sql_Open(&s_range, kRangeIn);
}

int32_t Ubg_FetchRange(UbgRow* row) {
  int32_t rc = Sql_Fetch(&s_range, kRangeOut.hv);
  if (rc == 0) Deliver(s_range_out, row);
  return rc;
}

int32_t Ubg_CloseRange() { return Sql_Close(&s_range); }

int32_t Ubg_PKeyRead(UbgRow* row) {
  CopyText(s_read_key, row->UbgUbg);
  int32_t rc = Sql_SelectInto(&s_read, kReadIn, kReadOut.hv);
  if (rc == 0) {
    Deliver(s_read_out, row);
  } else {
    memset(row, 0, sizeof *row);
    CopyText(row->UbgUbg, s_read_key);
  }
  return rc;
}

int32_t Ubg_PKeyUpd(const UbgRow* row) {
  s_upd_in.r = *row;
  s_upd_in.sta = static_cast<int16_t>(static_cast<uint16_t>(row->UbgSta));  // low 16 bits
  return Sql_Change(&s_upd, kUpdIn);
}

int32_t Ubg_PKeyDel(const char* code) {
  CopyText(s_del_key, code);
  return Sql_Change(&s_del, kDelIn);
}
