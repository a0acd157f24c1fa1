// Host variables: how values are stored into and read from the program's
// fixed-width fields, the same on every back end.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "db/backend/backend.h"

int32_t Hv_SetNull(const HostVar& hv) {
  switch (hv.type) {
    case HV_STRING:
      if (hv.size) static_cast<char*>(hv.addr)[0] = '\0';
      break;
    case HV_INT16:
      if (hv.flags & HV_WIDE)
        *static_cast<int32_t*>(hv.addr) = 0;
      else
        *static_cast<int16_t*>(hv.addr) = 0;
      break;
    case HV_INT32:
      *static_cast<int32_t*>(hv.addr) = 0;
      break;
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = 0.0;
      break;
  }
  return SQL_OK;
}

namespace {

// A number in text as the database would read it: blanks around it, an
// optional sign, digits with at most one decimal point, an optional
// exponent. Anything else is no number.
bool ParseNumber(const char* buf, double* out) {
  const char* p = buf;
  while (*p == ' ') ++p;
  if (*p == '\0') return false;
  char* end = nullptr;
  errno = 0;
  double v = strtod(p, &end);
  if (end == p) return false;
  // strtod also reads "inf", "nan" and hexadecimal numbers: not ours.
  for (const char* q = p; q < end; ++q) {
    char c = *q;
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return false;
  }
  while (*end == ' ') ++end;
  if (*end != '\0') return false;
  *out = v;
  return true;
}

}  // namespace

int32_t Hv_SetText(const HostVar& hv, const char* text, uint32_t n) {
  switch (hv.type) {
    case HV_STRING: {
      if (hv.size == 0) return SQL_OK;
      uint32_t k = n < hv.size - 1 ? n : hv.size - 1;
      char* dst = static_cast<char*>(hv.addr);
      if (k) memcpy(dst, text, k);
      dst[k] = '\0';
      return (k < n && (hv.flags & HV_KEY)) ? SQL_NO_CP1252 : SQL_OK;
    }
    case HV_INT16:
    case HV_INT32:
    case HV_FLOAT: {
      char buf[64];
      double v = 0;
      if (n >= sizeof buf) {
        Hv_SetNull(hv);
        return SQL_INVALID_NUMBER;
      }
      memcpy(buf, text, n);
      buf[n] = '\0';
      if (!ParseNumber(buf, &v)) {
        Hv_SetNull(hv);
        return SQL_INVALID_NUMBER;
      }
      return Hv_SetDouble(hv, v);
    }
  }
  return SQL_OK;
}

int32_t Hv_SetInt(const HostVar& hv, int64_t v) {
  switch (hv.type) {
    case HV_STRING: {
      char buf[24];
      int k = snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
      return Hv_SetText(hv, buf, static_cast<uint32_t>(k));
    }
    case HV_INT16:
      if (v < INT16_MIN || v > INT16_MAX) {
        Hv_SetNull(hv);
        return SQL_OVERFLOW;
      }
      if (hv.flags & HV_WIDE)
        *static_cast<int32_t*>(hv.addr) = static_cast<int32_t>(v);
      else
        *static_cast<int16_t*>(hv.addr) = static_cast<int16_t>(v);
      return SQL_OK;
    case HV_INT32:
      if (v < INT32_MIN || v > INT32_MAX) {
        Hv_SetNull(hv);
        return SQL_OVERFLOW;
      }
      *static_cast<int32_t*>(hv.addr) = static_cast<int32_t>(v);
      return SQL_OK;
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = static_cast<double>(v);
      return SQL_OK;
  }
  return SQL_OK;
}

int32_t Hv_SetDouble(const HostVar& hv, double v) {
  switch (hv.type) {
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = v;
      return SQL_OK;
    case HV_STRING: {
      char buf[64];
      int k = snprintf(buf, sizeof buf, "%.15g", v);
      return Hv_SetText(hv, buf, static_cast<uint32_t>(k));
    }
    default: {
      // Fractions are cut toward zero; what does not fit the variable fails.
      double t = std::trunc(v);
      if (std::isnan(t) || t >= 9.2e18 || t <= -9.2e18) {
        Hv_SetNull(hv);
        return SQL_OVERFLOW;
      }
      return Hv_SetInt(hv, static_cast<int64_t>(t));
    }
  }
}

uint32_t Hv_TextLen(const HostVar& hv) {
  return static_cast<uint32_t>(strnlen(static_cast<const char*>(hv.addr), hv.size));
}

int64_t Hv_GetInt(const HostVar& hv) {
  switch (hv.type) {
    case HV_INT16:
      if (hv.flags & HV_WIDE) return *static_cast<const int32_t*>(hv.addr);
      return *static_cast<const int16_t*>(hv.addr);
    case HV_INT32:
      return *static_cast<const int32_t*>(hv.addr);
    default:
      return 0;
  }
}
