// Rows of the order header, order operation, workplace group and workplace
// tables built from the values their body formatters read, named as the
// tests give them; every other field is zero or empty. The body tests and
// the record layout test build their rows here.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "db/apg.h"
#include "db/apk.h"
#include "db/apl.h"
#include "db/app.h"
#include "support/text.h"

namespace table_rows {

// CopyText for each (field, text) pair.
inline void CopyTexts() {}
template <size_t N, class... Rest>
void CopyTexts(char (&field)[N], const std::string& text, Rest&&... rest) {
  CopyText(field, text.c_str());
  CopyTexts(std::forward<Rest>(rest)...);
}

struct HeaderValues {
  std::string apk{}, bz1{}, bz2{}, txt{}, tnr{}, tb1{}, tb2{};
  double sme = 0;
  std::string mee{}, bgs{}, ens{};  // dates yyyymmdd
  int32_t afo = 0, sts = 0;
  std::string zf1{}, zf2{}, zf3{}, dna{}, fbe{};
};
inline ApkRow HeaderRow(const HeaderValues& v) {
  ApkRow r = {};
  CopyTexts(r.ApkApk, v.apk, r.ApkBz1, v.bz1, r.ApkBz2, v.bz2, r.ApkTxt, v.txt, r.ApkTnr, v.tnr,
            r.ApkTb1, v.tb1, r.ApkTb2, v.tb2, r.ApkMee, v.mee, r.ApkBgs, v.bgs, r.ApkEns, v.ens,
            r.ApkZf1, v.zf1, r.ApkZf2, v.zf2, r.ApkZf3, v.zf3, r.ApkDna, v.dna, r.ApkFbe, v.fbe);
  r.ApkSme = v.sme;
  r.ApkAfo = v.afo;
  r.ApkSts = v.sts;
  return r;
}

struct OperationValues {
  std::string apk{}, app{}, bz1{}, bz2{}, txt{}, apg{};
  double sme = 0;
  std::string mee{};
  double str = 0, ste = 0, sza = 0;
  std::string bds{}, eds{};  // dates yyyymmdd
  std::string vaf{}, naf{};  // the operation numbers before and after
  int32_t sts = 0;
  std::string zf1{}, zf2{}, zf3{};
  double ime = 0, ame = 0;
  std::string dna{}, fbe{};
};
inline AppRow OperationRow(const OperationValues& v) {
  AppRow r = {};
  CopyTexts(r.AppApk, v.apk, r.AppApp, v.app, r.AppBz1, v.bz1, r.AppBz2, v.bz2, r.AppTxt, v.txt,
            r.AppApg, v.apg, r.AppMee, v.mee, r.AppBdsDate, v.bds, r.AppEdsDate, v.eds, r.AppVaf,
            v.vaf, r.AppNaf, v.naf, r.AppZf1, v.zf1, r.AppZf2, v.zf2, r.AppZf3, v.zf3, r.AppDna,
            v.dna, r.AppFbe, v.fbe);
  r.AppSme = v.sme;
  r.AppStr = v.str;
  r.AppSte = v.ste;
  r.AppSza = v.sza;
  r.AppSts = v.sts;
  r.AppIme = v.ime;
  r.AppAme = v.ame;
  return r;
}

struct GroupValues {
  std::string apg{}, bez{}, txt{}, fbe{}, kst{}, zf1{}, zf2{}, zf3{}, dna{};
};
inline ApgRow GroupRow(const GroupValues& v) {
  ApgRow r = {};
  CopyTexts(r.ApgApg, v.apg, r.ApgBez, v.bez, r.ApgTxt, v.txt, r.ApgFbe, v.fbe, r.ApgKst, v.kst,
            r.ApgZf1, v.zf1, r.ApgZf2, v.zf2, r.ApgZf3, v.zf3, r.ApgDna, v.dna);
  return r;
}

struct PlaceValues {
  std::string apl{}, bez{}, txt{}, fbe{}, apg{};
  int32_t apr = 0, sts = 0;
  std::string zf1{}, zf2{}, zf3{}, dna{};
};
inline AplRow PlaceRow(const PlaceValues& v) {
  AplRow r = {};
  CopyTexts(r.AplApl, v.apl, r.AplBez, v.bez, r.AplTxt, v.txt, r.AplFbe, v.fbe, r.AplApg, v.apg,
            r.AplZf1, v.zf1, r.AplZf2, v.zf2, r.AplZf3, v.zf3, r.AplDna, v.dna);
  r.AplApr = v.apr;
  r.AplSts = v.sts;
  return r;
}

}  // namespace table_rows
