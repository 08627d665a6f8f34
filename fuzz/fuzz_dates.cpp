// Any 32 bits give a date-time value whose sort key and display date hold the
// packed fields, or EConvertError with one of its two messages.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "check.h"
#include "date_text.h"
#include "failures.h"
#include "folder_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t time = 0;
  std::memcpy(&time, data, 4);
  DateTimeValue value = 0;
  try {
    value = ToDateTimeValue(time);
  } catch (const EConvertError& failure) {
    Check(failure.Message() == "Invalid argument to date encode" ||
          failure.Message() == "Invalid argument to time encode");
    return 0;
  }
  Check(value >= 29221.0 && value < 75972.0);

  const std::uint64_t year = 1980 + (time >> 25), month = (time >> 21) & 15, day = (time >> 16) & 31;
  const std::uint64_t hour = (time >> 11) & 31, minute = (time >> 5) & 63, second = 2 * (time & 31);
  const std::uint64_t expected =
      ((((year * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
  const SortKey key = RenderSortKey(value);
  Check(key.digits == expected);

  for (const char separator : {'/', '.', '\0'}) {
    const DisplayDate date = RenderDisplayDate(key, separator);
    Check(date.length == (separator == '\0' ? 8u : 10u));
    char text[16];
    if (separator == '\0') {
      std::snprintf(text, sizeof text, "%02u%02u%04u", unsigned(day), unsigned(month), unsigned(year));
    } else {
      std::snprintf(text, sizeof text, "%02u%c%02u%c%04u", unsigned(day), separator, unsigned(month),
                    separator, unsigned(year));
    }
    Check(std::memcmp(text, date.text.data(), date.length) == 0);
  }
  return 0;
}
