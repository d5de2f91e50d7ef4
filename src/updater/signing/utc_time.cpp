#include "updater/signing/utc_time.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace veyra {

std::string UtcTimeText(int64_t seconds) {
  // The calendar types hold years up to 32767 only; later times are written as a count.
  constexpr int64_t kLastSecondOf9999 = 253402300799;
  if (seconds < 0 || seconds > kLastSecondOf9999) {
    return "second " + std::to_string(seconds) + " after 1970 (UTC)";
  }
  using namespace std::chrono;
  const sys_seconds moment{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss time{moment - day};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:%02ld UTC", int{date.year()},
                unsigned{date.month()}, unsigned{date.day()}, long(time.hours().count()),
                long(time.minutes().count()), long(time.seconds().count()));
  return text;
}

}  // namespace veyra
