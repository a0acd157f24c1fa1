// Workplace groups by key: the key-range cursor of the re-marking, and the
// read, update and delete of one group. ApgSta travels with 16 bits here.
#include "db/apg_columns.h"

namespace {

SqlStmt s_range(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,ApgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf  from Kvs530Apg where (ApgApg>:b0 and "
    "ApgApg<:b1) order by ApgApg");

SqlStmt s_read(
    "select ApgApg ,ApgBez ,ApgTxt ,ApgFbe ,ApgKst ,ApgApl ,ApgTag ,ApgKap ,ApgPrd ,ApgRst "
    ",ApgPau ,ApgUnt ,ApgIak ,ApgSt1 ,ApgSt2 ,ApgSt3 ,ApgSf1 ,ApgSf2 ,ApgSf3 ,ApgZf1 ,ApgZf2 "
    ",ApgZf3 ,ApgDna ,ApgDwn ,ApgSta ,ApgErf into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,"
    ":b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,"
    ":b42:b43,:b44:b45,:b46:b47,:b48:b49,:b50:b51  from Kvs530Apg where ApgApg=:b0");

SqlChange s_upd = SQL_CHANGE(
    "Apg_PKeyUpd",
    "update KVS530Apg  set "
    "ApgApg=:b0,ApgBez=:b1,ApgTxt=:b2,ApgKst=:b3,ApgFbe=:b4,ApgApl=:b5,ApgZf1=:b6,ApgZf2=:b7,"
    "ApgZf3=:b8,ApgTag=:b9,ApgKap=:b10,ApgPrd=:b11,ApgPau=:b12,ApgRst=:b13,ApgUnt=:b14,"
    "ApgIak=:b15,ApgSt1=:b16,ApgSt2=:b17,ApgSt3=:b18,ApgSf1=:b19,ApgSf2=:b20,ApgSf3=:b21,"
    "ApgDna=:b22,ApgDwn=:b23,ApgSta=:b24,ApgDat=sysdate,ApgErf=:b25 where ApgApg=:b0");

SqlChange s_del = SQL_CHANGE("Apg_PKeyDel", "delete  from Kvs530Apg  where ApgApg=:b0");

// Host variables, one set per statement.
struct Columns {
  ApgRow row;
  int16_t sta;  // ApgSta with 16 bits
};
struct {
  char from[11], to[11];
  Columns range;
  Columns read;  // read.row.ApgApg is the key and the first output alike
  Columns upd;
  char del[11];
} s_hv;

// A fetched row to the caller: ApgSta sign-extended from its 16 bits.
void Take(ApgRow* row, const Columns& c) {
  Apg_TakeRow(row, c.row);
  row->ApgSta = c.sta;
}

}  // namespace

int32_t Apg_OpenRange(const char* from, const char* to) {
  CopyText(s_hv.from, from);
  CopyText(s_hv.to, to);
  HostVar in[] = {HvStr(s_hv.from), HvStr(s_hv.to)};
  return Sql_Open(&s_range, in);
}

int32_t Apg_FetchRange(ApgRow* row) {
  HostVar out[APG_COLUMNS];
  Apg_BindColumns(&s_hv.range.row, HvI16(&s_hv.range.sta), out);
  int32_t rc = Sql_Fetch(&s_range, out);
  if (rc == 0) Take(row, s_hv.range);
  return rc;
}

int32_t Apg_CloseRange() { return Sql_Close(&s_range); }

int32_t Apg_PKeyRead(ApgRow* row) {
  Columns& c = s_hv.read;
  CopyText(c.row.ApgApg, row->ApgApg);
  HostVar in[] = {HvStr(c.row.ApgApg)};
  HostVar out[APG_COLUMNS];
  Apg_BindColumns(&c.row, HvI16(&c.sta), out);
  int32_t rc = Sql_SelectInto(&s_read, in, out);
  if (rc == 0) {
    Take(row, c);
  } else {
    char key[sizeof row->ApgApg] = {0};  // the key's text alone
    CopyText(key, row->ApgApg);
    memset(row, 0, sizeof *row);
    memcpy(row->ApgApg, key, sizeof key);
  }
  return rc;
}

int32_t Apg_PKeyUpd(const ApgRow* row) {
  Columns& c = s_hv.upd;
  c.row = *row;
  c.sta = static_cast<int16_t>(static_cast<uint16_t>(row->ApgSta));  // low 16 bits
  ApgRow* r = &c.row;
  HostVar in[] = {HvStr(r->ApgApg),  HvStr(r->ApgBez),  HvStr(r->ApgTxt),  HvStr(r->ApgKst),
                  HvStr(r->ApgFbe),  HvI32(&r->ApgApl), HvStr(r->ApgZf1),  HvStr(r->ApgZf2),
                  HvStr(r->ApgZf3),  HvI32(&r->ApgTag), HvFlt(&r->ApgKap), HvFlt(&r->ApgPrd),
                  HvFlt(&r->ApgPau), HvFlt(&r->ApgRst), HvFlt(&r->ApgUnt), HvFlt(&r->ApgIak),
                  HvStr(r->ApgSt1),  HvStr(r->ApgSt2),  HvStr(r->ApgSt3),  HvFlt(&r->ApgSf1),
                  HvFlt(&r->ApgSf2), HvFlt(&r->ApgSf3), HvStr(r->ApgDna),  HvStr(r->ApgDwn),
                  HvI16(&c.sta),     HvStr(r->ApgErf),  HvStr(r->ApgApg)};
  return Sql_Change(&s_upd, in);
}

int32_t Apg_PKeyDel(const char* apg) {
  CopyText(s_hv.del, apg);
  HostVar in[] = {HvStr(s_hv.del)};
  return Sql_Change(&s_del, in);
}
