// Fuzz target: the send-buffer record decoder behind velmarkon-show. The input
// is a send-buffer file's content; every 552-byte record of it, and its last
// part, is decoded and every field turned into text. No field may point
// outside the input.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sendbuf/record_layout.h"

namespace {

void Require(bool ok) {
  if (!ok) abort();
}

void Decode(const char* data, size_t len) {
  RecDecoded d;
  const int32_t rc = Rec_Decode(data, len, &d);
  Require(rc == REC_OK || rc == REC_SHORT || rc == REC_NO_END);
  Require(rc != REC_SHORT || len < static_cast<size_t>(REC_LEN));
  Require(d.count > 0 && d.count <= REC_MAX_VALUES);
  for (int i = 0; i < d.count; ++i) {
    const RecValue& v = d.values[i];
    Require(v.have >= 0 && v.have <= v.width);
    if (v.have > 0) {
      Require(v.text == data + v.offset);
      Require(static_cast<size_t>(v.offset + v.have) <= len);
    }
    char text[3 * REC_BODY_WIDTH + 1], small[4];
    Require(Rec_ValueText(v, text, sizeof text) <= 3u * static_cast<size_t>(v.have));
    Require(Rec_ValueText(v, small, sizeof small) < sizeof small);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* p = reinterpret_cast<const char*>(data);
  Decode(p, size);  // the first record, with the rest of the input behind it
  for (size_t at = 0; at < size; at += REC_LEN) {
    // Each record in a buffer of its own size: a read past it is caught.
    const size_t rest = size - at;
    std::vector<char> one(p + at, p + at + (rest < static_cast<size_t>(REC_LEN) ? rest : REC_LEN));
    Decode(one.data(), one.size());
  }
  return 0;
}
