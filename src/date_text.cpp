#include "date_text.h"

#include <cmath>
#include <cstdint>

#include "platform/platform.h"

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;

// Gregorian year, month and day of a count of days since 1 January 1970.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
}

char* PutDigits(char* out, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + width;
}

}  // namespace

SortKey RenderSortKey(DateTimeValue value) {
  // Every field comes from the value rounded to whole milliseconds (ties to even),
  // so a value a hair below a full second still renders that second.
  const auto milliseconds =
      static_cast<std::int64_t>(std::nearbyint(value * static_cast<double>(kMillisecondsPerDay)));
  const std::int64_t days = milliseconds / kMillisecondsPerDay;
  const std::int64_t of_day = milliseconds % kMillisecondsPerDay;
  int year = 0, month = 0, day = 0;
  CivilFromDays(days - 25569, year, month, day);  // day 25569 is 1 January 1970

  std::uint64_t digits = static_cast<std::uint64_t>(year);
  for (const std::int64_t field : {std::int64_t{month}, std::int64_t{day}, of_day / 3600000,
                                   of_day / 60000 % 60, of_day / 1000 % 60}) {
    digits = digits * 100 + static_cast<std::uint64_t>(field);
  }
  return SortKey{digits};
}

DisplayDate RenderDisplayDate(const SortKey& key, char date_separator) {
  DisplayDate date{};
  char* out = date.text.data();
  const std::uint64_t yyyymmdd = key.digits / 1000000;
  out = PutDigits(out, static_cast<int>(yyyymmdd % 100), 2);
  if (date_separator != '\0') *out++ = date_separator;
  out = PutDigits(out, static_cast<int>(yyyymmdd / 100 % 100), 2);
  if (date_separator != '\0') *out++ = date_separator;
  out = PutDigits(out, static_cast<int>(yyyymmdd / 10000), 4);
  date.length = static_cast<std::size_t>(out - date.text.data());
  return date;
}

char ReadDateSeparator(Platform& platform) {
  const std::optional<std::string> setting = platform.DateSeparatorSetting();
  if (!setting || setting->size() > 1) return '/';
  return setting->empty() ? '\0' : setting->front();
}
