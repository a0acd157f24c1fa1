// Field writers of the order header and order operation bodies.
#include "download/order_body.h"

#include <cstdio>
#include <cstring>

#include "support/text.h"

namespace {

// "%012.3f" of v without its first decimal point, at least 11 characters.
// A value too large for the scratch is cut there; only its start is used.
void NumberText(double v, char (&out)[48]) {
  char tmp[48];
  snprintf(tmp, sizeof tmp, "%012.3f", v);
  size_t k = 0;
  bool point_seen = false;
  for (size_t i = 0; tmp[i] != '\0' && k + 1 < sizeof out; ++i) {
    if (tmp[i] == '.' && !point_seen) {
      point_seen = true;
      continue;
    }
    out[k++] = tmp[i];
  }
  out[k] = '\0';
}

}  // namespace

void Ord_Number(char* dst, double v) {
  char text[48];
  NumberText(v, text);
  Txt_Put(dst, 11, text);
}

void Ord_ShortNumber(char* dst, double v) {
  char text[48];
  NumberText(v, text);
  Txt_Put(dst, 7, strnlen(text, 3) == 3 ? text + 3 : "");
}

void Ord_Date(char* dst, const char (&yyyymmdd)[9]) {
  Txt_Put(dst, 6, strnlen(yyyymmdd, 2) == 2 ? yyyymmdd + 2 : "");
}

void Ord_Status(char* dst, int32_t status) {
  char text[16];
  snprintf(text, sizeof text, "%d", static_cast<int>(status));
  *dst = status == 10 ? '0' : text[0];
}
