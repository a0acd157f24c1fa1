// Send-buffer record layout: the field tables and the decoder (see
// record_layout.h). Body offsets are those the body formatters of download/
// write at (the 256-byte area copied to the record at offset 111).
#include "sendbuf/record_layout.h"

#include <cstring>

#include "support/cp1252.h"

namespace {

template <class T, size_t N>
constexpr int Count(const T (&)[N]) {
  return static_cast<int>(N);
}

const RecField kHeader[] = {
    {0, 1, "start"},         {1, 15, "address"},     {16, 5, "port"},
    {21, 14, "written at"},  {35, 3, "999"},         {38, 15, "address (right)"},
    {53, 5, "port (right)"}, {58, 28, "blanks"},     {86, 4, "length"},
    {90, 3, "table"},        {93, 6, "date yymmdd"}, {99, 6, "time HHMMSS"},
    {105, 3, "BDE"},         {108, 3, "action"},
};

const RecField kEnd[] = {{549, 1, "end"}, {550, 2, "line end"}};

const RecField kKst[] = {
    {0, 7, "cost centre"}, {7, 25, "text"}, {32, 5, "blanks"}, {37, 1, "end mark"}};

const RecField kApk[] = {
    {0, 12, "order"},     {12, 30, "ApkBz1"},  {42, 30, "ApkBz2"},  {72, 8, "ApkTxt"},
    {80, 20, "ApkTnr"},   {100, 30, "ApkTb1"}, {130, 30, "ApkTb2"}, {160, 11, "ApkSme"},
    {171, 3, "ApkMee"},   {174, 6, "ApkBgs"},  {180, 6, "ApkEns"},  {186, 5, "ApkAfo"},
    {191, 1, "ApkSts"},   {192, 10, "ApkZf1"}, {202, 20, "ApkZf2"}, {222, 30, "ApkZf3"},
    {252, 1, "end mark"},
};

const RecField kApp[] = {
    {0, 12, "order"},    {12, 5, "operation"}, {17, 30, "AppBz1"},   {47, 30, "AppBz2"},
    {77, 8, "AppTxt"},   {85, 10, "AppApg"},   {95, 11, "AppSme"},   {106, 3, "AppMee"},
    {109, 7, "AppStr"},  {116, 7, "AppSte"},   {123, 7, "AppSza"},   {130, 6, "AppBds"},
    {136, 6, "AppEds"},  {142, 5, "AppVaf"},   {147, 5, "AppNaf"},   {152, 1, "AppSts"},
    {153, 10, "AppZf1"}, {163, 20, "AppZf2"},  {183, 30, "AppZf3"},  {213, 11, "AppIme"},
    {224, 11, "AppAme"}, {235, 11, "blanks"},  {246, 1, "end mark"},
};

// The group record has no end mark: its text ends at 135.
const RecField kMag[] = {
    {0, 10, "group"},   {10, 30, "ApgBez"},     {40, 8, "ApgTxt"},
    {48, 10, "ApgFbe"}, {58, 7, "cost centre"}, {65, 10, "blanks"},
    {75, 10, "ApgZf1"}, {85, 20, "ApgZf2"},     {105, 30, "ApgZf3"},
};

// AplZf3 stands right-aligned in 30 places of which the body keeps 23.
const RecField kMas[] = {
    {0, 10, "workplace"},   {10, 30, "AplBez"},  {40, 8, "AplTxt"},   {48, 10, "AplFbe"},
    {58, 7, "cost centre"}, {65, 10, "AplApg"},  {75, 20, "blanks"},  {95, 5, "AplApr"},
    {100, 1, "AplSts"},     {101, 10, "AplZf1"}, {111, 20, "AplZf2"}, {131, 23, "AplZf3"},
    {154, 1, "end mark"},
};

const RecField kUbg[] = {
    {0, 1, "kind"},     {1, 4, "reason"},  {5, 30, "UbgBez"},
    {35, 30, "UbgBez"}, {65, 8, "UbgTxt"}, {73, 1, "end mark"},
};

const RecField kPnr[] = {
    {0, 8, "personnel no."}, {8, 7, "cost centre"}, {15, 1, "code"}, {16, 1, "end mark"}};

const RecField kAwn[] = {{0, 8, "PrvAwn"}, {8, 8, "personnel no."}, {16, 1, "end mark"}};

const RecLayout kLayouts[] = {
    {"KST", "cost centre", kKst, Count(kKst)},
    {"APK", "order header", kApk, Count(kApk)},
    {"APP", "order operation", kApp, Count(kApp)},
    {"MAG", "workplace group", kMag, Count(kMag)},
    {"MAS", "workplace", kMas, Count(kMas)},
    {"UBG", "interruption reason", kUbg, Count(kUbg)},
    {"PNR", "personnel", kPnr, Count(kPnr)},
    {"AWN", "personnel's leave", kAwn, Count(kAwn)},
};

const RecField kWholeBody = {0, REC_BODY_WIDTH, "body"};

// Adds the field at record offset `at` to out, clipped to the input.
void Add(RecDecoded* out, const char* data, size_t len, int at, const RecField& f) {
  if (out->count >= REC_MAX_VALUES) return;
  RecValue& v = out->values[out->count++];
  v.name = f.name;
  v.offset = at;
  v.width = f.width;
  const size_t start = static_cast<size_t>(at);
  const size_t end = start + static_cast<size_t>(f.width);
  v.have = start >= len ? 0 : static_cast<int>((end <= len ? end : len) - start);
  v.text = v.have > 0 ? data + start : nullptr;
}

}  // namespace

const RecField* Rec_Header(int* count) {
  *count = Count(kHeader);
  return kHeader;
}

const RecField* Rec_End(int* count) {
  *count = Count(kEnd);
  return kEnd;
}

const RecLayout* Rec_Layouts(int* count) {
  *count = Count(kLayouts);
  return kLayouts;
}

const RecLayout* Rec_FindLayout(const char* table) {
  for (const RecLayout& l : kLayouts)
    if (memcmp(table, l.table, 3) == 0) return &l;
  return nullptr;
}

int32_t Rec_Decode(const char* data, size_t len, RecDecoded* out) {
  out->layout = nullptr;
  out->count = 0;
  if (data == nullptr) len = 0;
  for (const RecField& f : kHeader) Add(out, data, len, f.offset, f);
  // The table code decides the body's layout, when it is all there.
  if (len >= 93) out->layout = Rec_FindLayout(data + 90);
  if (out->layout != nullptr) {
    for (int i = 0; i < out->layout->count; ++i) {
      const RecField& f = out->layout->fields[i];
      Add(out, data, len, REC_BODY_OFFSET + f.offset, f);
    }
  } else {
    Add(out, data, len, REC_BODY_OFFSET, kWholeBody);
  }
  for (const RecField& f : kEnd) Add(out, data, len, f.offset, f);
  if (len < static_cast<size_t>(REC_LEN)) return REC_SHORT;
  return memcmp(data + REC_END_OFFSET, "*\r\n", 3) == 0 ? REC_OK : REC_NO_END;
}

size_t Rec_ValueText(const RecValue& value, char* out, size_t size) {
  if (out == nullptr || size == 0) return 0;
  out[0] = '\0';
  char text[REC_BODY_WIDTH + 1];
  int n = value.have < REC_BODY_WIDTH ? value.have : REC_BODY_WIDTH;
  if (n < 0 || value.text == nullptr) n = 0;
  for (int i = 0; i < n; ++i) text[i] = value.text[i] == '\0' ? '.' : value.text[i];
  text[n] = '\0';
  return Cp1252_ToUtf8(text, out, size);
}
