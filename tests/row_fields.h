// The row records of the table statements field by field, for the tests that
// check what a cursor or a read left in a row: the whole row or some of its
// fields against the values the test expects, written as text
// ("ApkApk=000000001000|ApkSts=3|..."), or every byte of it against another
// row. Each field that differs fails on its own and names itself.
//
// A row record's fields are listed once, below, in their declaration order;
// their kinds (text, 32-bit integer, real) follow from the declarations.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "db/apg.h"
#include "db/apk.h"
#include "db/apl.h"
#include "db/app.h"
#include "db/prv.h"
#include "db/ubg.h"
#include "support/text.h"

// One field of a row record: its name, where it stands and what it holds.
struct RowField {
  const char* name;
  size_t offset, size;
  enum Kind { kText, kInt, kReal } kind;
};

// The fields of a row record in declaration order (specialised per record
// by VK_ROW_FIELDS below).
template <class Row>
const std::vector<RowField>& FieldsOf();

namespace row_fields {

template <class T>
constexpr RowField::Kind KindOf() {
  static_assert(std::is_array_v<T> || std::is_same_v<T, int32_t> || std::is_same_v<T, double>,
                "a row field is a text, an int32_t or a double");
  if constexpr (std::is_array_v<T>) return RowField::kText;
  if constexpr (std::is_same_v<T, int32_t>) return RowField::kInt;
  return RowField::kReal;
}

}  // namespace row_fields

// Calls m(a) for every further argument a (at most 4^4 of them).
#define VK_FOR_EACH(m, ...) __VA_OPT__(VK_EXPAND(VK_FOR_EACH_ONE(m, __VA_ARGS__)))
#define VK_FOR_EACH_ONE(m, a, ...) m(a) __VA_OPT__(VK_FOR_EACH_AGAIN VK_PARENS(m, __VA_ARGS__))
#define VK_FOR_EACH_AGAIN() VK_FOR_EACH_ONE
#define VK_PARENS ()
#define VK_EXPAND(...) VK_EXPAND3(VK_EXPAND3(VK_EXPAND3(VK_EXPAND3(__VA_ARGS__))))
#define VK_EXPAND3(...) VK_EXPAND2(VK_EXPAND2(VK_EXPAND2(VK_EXPAND2(__VA_ARGS__))))
#define VK_EXPAND2(...) VK_EXPAND1(VK_EXPAND1(VK_EXPAND1(VK_EXPAND1(__VA_ARGS__))))
#define VK_EXPAND1(...) __VA_ARGS__

#define VK_ROW_FIELD(f) \
  RowField{#f, offsetof(Row, f), sizeof(Row::f), row_fields::KindOf<decltype(Row::f)>()},

// FieldsOf<row>(): the fields named, which must be all of them in order.
#define VK_ROW_FIELDS(row, ...)                                                           \
  template <>                                                                             \
  inline const std::vector<RowField>& FieldsOf<row>() {                                   \
    using Row = row;                                                                      \
    static const std::vector<RowField> fields = {VK_FOR_EACH(VK_ROW_FIELD, __VA_ARGS__)}; \
    static_assert(std::is_standard_layout_v<Row>);                                        \
    return fields;                                                                        \
  }

VK_ROW_FIELDS(ApkRow, ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, ApkKb2,
              ApkBgs, ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee,
              ApkBdiDate, ApkBdiTime, ApkEdiDate, ApkEdiTime, ApkFbe, ApkKst, ApkZf1, ApkZf2,
              ApkZf3, ApkKnz, ApkSsn, ApkDna, ApkDwn, ApkSta, ApkDat, ApkErf, ApkAba)
VK_ROW_FIELDS(AppRow, AppApk, AppApp, AppVaf, AppNaf, AppBz1, AppBz2, AppTxt, AppSts, AppSis,
              AppBdiDate, AppBdiTime, AppBdsDate, AppBdsTime, AppSbdDate, AppSbdTime, AppEdiDate,
              AppEdiTime, AppEdsDate, AppEdsTime, AppSedDate, AppSedTime, AppRadDate, AppRadTime,
              AppRedDate, AppRedTime, AppAgs, AppAbs, AppAes, AppSme, AppIme, AppAme, AppMee,
              AppSza, AppStr, AppSte, AppIta, AppItr, AppIte, AppApg, AppApl, AppKt1, AppKz1,
              AppKt2, AppKz2, AppKt3, AppKz3, AppKt4, AppKz4, AppFbe, AppKst, AppZf1, AppZf2,
              AppZf3, AppKnz, AppDna, AppDwn, AppSsn, AppSta, AppDat, AppErf)
VK_ROW_FIELDS(ApgRow, ApgApg, ApgBez, ApgTxt, ApgKst, ApgFbe, ApgZf1, ApgZf2, ApgZf3, ApgApl,
              ApgTag, ApgKap, ApgPrd, ApgRst, ApgPau, ApgUnt, ApgIak, ApgSt1, ApgSt2, ApgSt3,
              ApgSf1, ApgSf2, ApgSf3, ApgDna, ApgDwn, ApgSta, ApgDat, ApgErf)
VK_ROW_FIELDS(AplRow, AplApl, AplBez, AplTxt, AplApg, AplFbe, AplSts, AplSis, AplApr, AplAaf,
              AplUbg, AplUdt, AplZf1, AplZf2, AplZf3, AplTag, AplVrf, AplRsp, AplRsi, AplAfp,
              AplAfi, AplPau, AplUnt, AplIak, AplAvt, AplKap, AplAvr, AplAvp, AplSt1, AplSt2,
              AplSt3, AplSf1, AplSf2, AplSf3, AplDna, AplDwn, AplSta, AplDat, AplErf)
VK_ROW_FIELDS(PrvRow, PrvPnr, PrvGvo, PrvGbi, PrvBer, PrvKst, PrvFbe, PrvMmb, PrvZf1, PrvZf2,
              PrvZf3, PrvDna, PrvDwn, PrvAwa, PrvAwn, PrvAnw, PrvAvn, PrvAbi, PrvApl, PrvApp,
              PrvSta, PrvDat, PrvErf, PrvPzm, PrvNam, PrvStr, PrvOrt)
VK_ROW_FIELDS(UbgRow, UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgZf1, UbgZf2, UbgZf3, UbgAst,
              UbgRst, UbgAsf, UbgSt1, UbgSt2, UbgSt3, UbgSf1, UbgSf2, UbgSf3, UbgDna, UbgDwn,
              UbgSta, UbgDat, UbgErf)

namespace row_fields {

// Whether name stands as a word in the blank-separated list names.
inline bool Listed(const char* names, const char* name) {
  std::istringstream in(names);
  std::string word;
  while (in >> word)
    if (word == name) return true;
  return false;
}

// The field of Row called name, or a failure and nullptr.
template <class Row>
const RowField* Named(const std::string& name) {
  for (const RowField& f : FieldsOf<Row>())
    if (name == f.name) return &f;
  ADD_FAILURE() << name << " is no field of the row";
  return nullptr;
}

// "name=value|name=value..." as name -> value; a field named again takes
// the later value.
template <class Row>
std::map<const RowField*, std::string> Values(const std::string& text) {
  std::map<const RowField*, std::string> values;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('|', at);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(at, end - at);
    const size_t eq = item.find('=');
    if (eq == std::string::npos) {
      ADD_FAILURE() << "\"" << item << "\" is no name=value";
    } else if (const RowField* f = Named<Row>(item.substr(0, eq))) {
      values[f] = item.substr(eq + 1);
    }
    at = end + 1;
  }
  return values;
}

// Checks field f of row against want (a text as it stands, a number in
// decimal); the failure names the field.
inline void ExpectField(const void* row, const RowField& f, const std::string& want) {
  const char* p = static_cast<const char*>(row) + f.offset;
  char* end = nullptr;
  switch (f.kind) {
    case RowField::kText:
      EXPECT_EQ(std::string(p, strnlen(p, f.size)), want) << "field " << f.name;
      return;
    case RowField::kInt: {
      int32_t got;
      memcpy(&got, p, sizeof got);
      const long w = strtol(want.c_str(), &end, 10);
      EXPECT_EQ(*end, '\0') << "field " << f.name << ": " << want << " is no whole number";
      EXPECT_EQ(got, w) << "field " << f.name;
      return;
    }
    case RowField::kReal: {
      double got;
      memcpy(&got, p, sizeof got);
      const double w = strtod(want.c_str(), &end);
      EXPECT_EQ(*end, '\0') << "field " << f.name << ": " << want << " is no number";
      EXPECT_DOUBLE_EQ(got, w) << "field " << f.name;
      return;
    }
  }
}

// The check of ExpectRow (every field) and ExpectFields (only the named).
template <class Row>
void Expect(const Row& got, const std::string& want, const char* except, bool every) {
  std::istringstream names(except);
  for (std::string name; names >> name;) Named<Row>(name);
  const auto values = Values<Row>(want);
  // The row's first field is its key (or the first part of it).
  const RowField& key = FieldsOf<Row>()[0];
  const char* k = reinterpret_cast<const char*>(&got) + key.offset;
  SCOPED_TRACE(std::string("the row of ") + key.name + " " + std::string(k, strnlen(k, key.size)));
  for (const RowField& f : FieldsOf<Row>()) {
    if (Listed(except, f.name)) continue;
    const auto v = values.find(&f);
    if (v != values.end()) {
      ExpectField(&got, f, v->second);
    } else if (every) {
      ExpectField(&got, f, f.kind == RowField::kText ? "" : "0");
    }
  }
}

}  // namespace row_fields

// Expects every field of got to hold what want ("name=value|name=value...")
// gives it, a text as it stands and a number in decimal (a real compared as
// EXPECT_DOUBLE_EQ does), and every field want does not name to be empty or
// zero; a field named twice holds the later value. The fields named in
// except (blank-separated) are not checked.
template <class Row>
void ExpectRow(const Row& got, const std::string& want, const char* except = "") {
  row_fields::Expect(got, want, except, true);
}

// Expects the fields want names to hold what it gives them, as ExpectRow;
// the others are not checked.
template <class Row>
void ExpectFields(const Row& got, const std::string& want) {
  row_fields::Expect(got, want, "", false);
}

// Expects got to equal want byte for byte, the bytes behind the end of a
// text and between the fields included; a difference names the field it is
// in.
template <class Row>
void ExpectSameBytes(const Row& got, const Row& want) {
  if (memcmp(&got, &want, sizeof got) == 0) return;
  const auto* g = reinterpret_cast<const unsigned char*>(&got);
  const auto* w = reinterpret_cast<const unsigned char*>(&want);
  size_t at = 0;
  while (g[at] == w[at]) ++at;
  const char* in = "the padding";
  for (const RowField& f : FieldsOf<Row>())
    if (at >= f.offset && at < f.offset + f.size) in = f.name;
  ADD_FAILURE() << "the rows differ first at byte " << at << ", in " << in;
}

// A row that holds only the given key, every other byte zero: what a read
// that finds nothing leaves.
template <class Row, size_t N>
Row OnlyKey(char (Row::*key)[N], const char* value) {
  Row row;
  memset(&row, 0, sizeof row);
  CopyText(row.*key, value);
  return row;
}
