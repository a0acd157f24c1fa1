// Workplaces by key: the key-range cursor of the re-marking, and the read,
// update and delete of one workplace. AplSts, AplSis and AplSta travel with
// 16 bits here, AplUdt as yyyymmddHHMMSS.
#include "db/apl_columns.h"

namespace {

SqlStmt s_range(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",TO_CHAR(AplUdt,'yyyymmddHH24MISS') ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi "
    ",AplPau ,AplUnt ,AplIak ,AplAvt ,AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 "
    ",AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 ,AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf  from Kvs531Apl "
    "where (AplApl>:b0 and AplApl<:b1) order by AplApl");

SqlStmt s_read(
    "select AplApl ,AplBez ,AplTxt ,AplApg ,AplFbe ,AplSts ,AplSis ,AplApr ,AplAaf ,AplUbg "
    ",TO_CHAR(AplUdt,'yyyymmddHH24MISS') ,AplTag ,AplVrf ,AplRsp ,AplRsi ,AplAfp ,AplAfi "
    ",AplPau ,AplUnt ,AplIak ,AplAvt ,AplKap ,AplAvr ,AplAvp ,AplSt1 ,AplSt2 ,AplSt3 ,AplSf1 "
    ",AplSf2 ,AplSf3 ,AplZf1 ,AplZf2 ,AplZf3 ,AplDna ,AplDwn ,AplSta ,AplErf into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21,"
    ":b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,"
    ":b42:b43,:b44:b45,:b46:b47,:b48:b49,:b50:b51,:b52:b53,:b54:b55,:b56:b57,:b58:b59,:b60:b61,"
    ":b62:b63,:b64:b65,:b66:b67,:b68:b69,:b70:b71,:b72:b73  from Kvs531Apl where AplApl=:b0");

SqlChange s_upd = SQL_CHANGE(
    "Apl_PKeyUpd",
    "update KVS531Apl  set "
    "AplApl=:b0,AplBez=:b1,AplTxt=:b2,AplApg=:b3,AplFbe=:b4,AplSts=:b5,AplSis=:b6,AplApr=:b7,"
    "AplAaf=:b8,AplUbg=:b9,AplUdt=TO_DATE(:b10,'yyyymmddHH24MISS'),AplZf1=:b11,AplZf2=:b12,"
    "AplZf3=:b13,AplTag=:b14,AplVrf=:b15,AplRsp=:b16,AplRsi=:b17,AplAfp=:b18,AplAfi=:b19,"
    "AplPau=:b20,AplUnt=:b21,AplIak=:b22,AplAvt=:b23,AplKap=:b24,AplAvr=:b25,AplAvp=:b26,"
    "AplSt1=:b27,AplSt2=:b28,AplSt3=:b29,AplSf1=:b30,AplSf2=:b31,AplSf3=:b32,AplDna=:b33,"
    "AplDwn=:b34,AplSta=:b35,AplDat=sysdate,AplErf=:b36 where AplApl=:b0");

SqlChange s_del = SQL_CHANGE("Apl_PKeyDel", "delete  from Kvs531Apl  where AplApl=:b0");

// Host variables, one set per statement.
struct {
  char from[11], to[11];
  AplColumns range;
  AplColumns read;  // read.row.AplApl is the key and the first output alike
  AplColumns upd;
  char del[11];
} s_hv;

int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

}  // namespace

int32_t Apl_OpenRange(const char* from, const char* to) {
  CopyText(s_hv.from, from);
  CopyText(s_hv.to, to);
  HostVar in[] = {HvStr(s_hv.from), HvStr(s_hv.to)};
  return Sql_Open(&s_range, in);
}

int32_t Apl_FetchRange(AplRow* row) {
  HostVar out[APL_COLUMNS];
  Apl_BindColumns(&s_hv.range, false, out);
  int32_t rc = Sql_Fetch(&s_range, out);
  if (rc == 0) Apl_TakeRow(row, s_hv.range, false);
  return rc;
}

int32_t Apl_CloseRange() { return Sql_Close(&s_range); }

int32_t Apl_PKeyRead(AplRow* row) {
  AplColumns& c = s_hv.read;
  CopyText(c.row.AplApl, row->AplApl);
  HostVar in[] = {HvStr(c.row.AplApl)};
  HostVar out[APL_COLUMNS];
  Apl_BindColumns(&c, false, out);
  int32_t rc = Sql_SelectInto(&s_read, in, out);
  if (rc == 0) {
    Apl_TakeRow(row, c, false);
  } else {
    char key[sizeof row->AplApl] = {0};  // the key's text alone
    CopyText(key, row->AplApl);
    memset(row, 0, sizeof *row);
    memcpy(row->AplApl, key, sizeof key);
  }
  return rc;
}

int32_t Apl_PKeyUpd(const AplRow* row) {
  AplColumns& c = s_hv.upd;
  c.row = *row;
  c.sts = Low16(row->AplSts);
  c.sis = Low16(row->AplSis);
  c.sta = Low16(row->AplSta);
  AplRow* r = &c.row;
  HostVar in[] = {
      HvStr(r->AplApl),  HvStr(r->AplBez),  HvStr(r->AplTxt),  HvStr(r->AplApg),  HvStr(r->AplFbe),
      HvI16(&c.sts),     HvI16(&c.sis),     HvI32(&r->AplApr), HvI32(&r->AplAaf), HvStr(r->AplUbg),
      HvStr(r->AplUdt),  HvStr(r->AplZf1),  HvStr(r->AplZf2),  HvStr(r->AplZf3),  HvI32(&r->AplTag),
      HvFlt(&r->AplVrf), HvFlt(&r->AplRsp), HvFlt(&r->AplRsi), HvFlt(&r->AplAfp), HvFlt(&r->AplAfi),
      HvFlt(&r->AplPau), HvFlt(&r->AplUnt), HvFlt(&r->AplIak), HvI32(&r->AplAvt), HvFlt(&r->AplKap),
      HvFlt(&r->AplAvr), HvFlt(&r->AplAvp), HvStr(r->AplSt1),  HvStr(r->AplSt2),  HvStr(r->AplSt3),
      HvFlt(&r->AplSf1), HvFlt(&r->AplSf2), HvFlt(&r->AplSf3), HvStr(r->AplDna),  HvStr(r->AplDwn),
      HvI16(&c.sta),     HvStr(r->AplErf),  HvStr(r->AplApl)};
  return Sql_Change(&s_upd, in);
}

int32_t Apl_PKeyDel(const char* apl) {
  CopyText(s_hv.del, apl);
  HostVar in[] = {HvStr(s_hv.del)};
  return Sql_Change(&s_del, in);
}
