// Date and time stamps: the current local time as fixed-width digit strings
// for records and database columns. Date and time of one call always come from
// one reading of the clock, so they belong to the same second.
#include "support/datetime.h"

#include <ctime>

#include "support/platform.h"

namespace {
const size_t kDateSize = 40;
const size_t kTimeSize = 9;

// Bounded formatting; a result that does not fit leaves an empty string.
void Format(char* out, size_t size, const char* format, const struct tm* tm) {
  if (strftime(out, size, format, tm) == 0) out[0] = '\0';
}
}  // namespace

int32_t Get_DateTime(char* date, char* time, int32_t mode) {
  struct tm now;
  Plat_LocalTime(Plat_Now(), &now);

  if (date != nullptr) date[0] = '\0';
  if (time != nullptr) time[0] = '\0';
  if (date == nullptr || time == nullptr) return 0;

  // The year is written with its real century (%Y), so the stamps stay right
  // beyond 2099. Modes 2 and 4 put date and time into date alone.
  static const struct {
    const char* date;
    const char* time;
  } kModes[] = {{"%d%m%Y", "%H%M%S"},
                {"%d%m%Y%H%M%S", nullptr},
                {"%Y%m%d", "%H%M%S"},
                {"%Y%m%d%H%M%S", nullptr}};
  if (mode < 1 || mode > 4) return 0;
  Format(date, kDateSize, kModes[mode - 1].date, &now);
  if (kModes[mode - 1].time != nullptr) Format(time, kTimeSize, kModes[mode - 1].time, &now);
  return 0;
}
