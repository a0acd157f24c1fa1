// Host variables: how values are stored into and read from the program's
// fixed-width fields, the same on every back end.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "db/backend.h"

void Hv_SetNull(const HostVar& hv) {
  switch (hv.type) {
    case HV_STRING:
      if (hv.size) static_cast<char*>(hv.addr)[0] = '\0';
      break;
    case HV_INT16:
      *static_cast<int16_t*>(hv.addr) = 0;
      break;
    case HV_INT32:
      *static_cast<int32_t*>(hv.addr) = 0;
      break;
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = 0.0;
      break;
  }
}

void Hv_SetText(const HostVar& hv, const char* text, uint32_t n) {
  switch (hv.type) {
    case HV_STRING: {
      if (hv.size == 0) return;
      uint32_t k = n < hv.size - 1 ? n : hv.size - 1;
      char* dst = static_cast<char*>(hv.addr);
      if (k) memcpy(dst, text, k);
      dst[k] = '\0';
      break;
    }
    case HV_INT16:
    case HV_INT32:
    case HV_FLOAT: {
      char buf[64];
      uint32_t k = n < sizeof buf - 1 ? n : sizeof buf - 1;
      memcpy(buf, text, k);
      buf[k] = '\0';
      if (hv.type == HV_FLOAT)
        Hv_SetDouble(hv, strtod(buf, nullptr));
      else
        Hv_SetInt(hv, strtoll(buf, nullptr, 10));
      break;
    }
  }
}

void Hv_SetInt(const HostVar& hv, int64_t v) {
  switch (hv.type) {
    case HV_STRING: {
      char buf[24];
      int k = snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
      Hv_SetText(hv, buf, static_cast<uint32_t>(k));
      break;
    }
    case HV_INT16:  // the value wraps to the variable's width
      *static_cast<int16_t*>(hv.addr) = static_cast<int16_t>(static_cast<uint16_t>(v));
      break;
    case HV_INT32:
      *static_cast<int32_t*>(hv.addr) = static_cast<int32_t>(static_cast<uint32_t>(v));
      break;
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = static_cast<double>(v);
      break;
  }
}

void Hv_SetDouble(const HostVar& hv, double v) {
  switch (hv.type) {
    case HV_FLOAT:
      *static_cast<double*>(hv.addr) = v;
      break;
    case HV_STRING: {
      char buf[64];
      int k = snprintf(buf, sizeof buf, "%.15g", v);
      Hv_SetText(hv, buf, static_cast<uint32_t>(k));
      break;
    }
    default: {
      // Fractions are cut toward zero; values beyond 64 bits saturate.
      double t = std::trunc(v);
      int64_t i = 0;
      if (std::isnan(t))
        i = 0;
      else if (t >= 9.2e18)
        i = INT64_MAX;
      else if (t <= -9.2e18)
        i = INT64_MIN;
      else
        i = static_cast<int64_t>(t);
      Hv_SetInt(hv, i);
    }
  }
}

uint32_t Hv_TextLen(const HostVar& hv) {
  return static_cast<uint32_t>(strnlen(static_cast<const char*>(hv.addr), hv.size));
}

int64_t Hv_GetInt(const HostVar& hv) {
  switch (hv.type) {
    case HV_INT16:
      return *static_cast<const int16_t*>(hv.addr);
    case HV_INT32:
      return *static_cast<const int32_t*>(hv.addr);
    default:
      return 0;
  }
}
