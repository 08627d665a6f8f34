#include "folder_scan.h"

#include <cstdint>

#include "failures.h"

namespace {

std::size_t LastDelimiter(std::string_view path, const PathSyntax& syntax) {
  return syntax.FindLast(path, syntax.is_delimiter);
}

constexpr std::uint32_t kExcludedAttributes =
    kAttributeHidden | kAttributeSystem | kAttributeVolumeLabel | kAttributeDirectory;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 30 December 1899 to the given Gregorian date.
std::int64_t DayCount(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const std::int64_t days_since_1970 = std::int64_t{era} * 146097 + day_of_era - 719468;
  return days_since_1970 + 25569;
}

}  // namespace

std::string ProgramFolder(std::string_view executable_path, const PathSyntax& syntax) {
  const std::size_t last = LastDelimiter(executable_path, syntax);
  if (last == std::string_view::npos) return {};
  return std::string(executable_path.substr(0, last + 1));
}

std::string SearchPattern(std::string_view program_folder, const PathSyntax& syntax) {
  std::string pattern(program_folder);
  const std::size_t last = LastDelimiter(program_folder, syntax);
  // Only a delimiter that ends the folder and is a folder separator (not a drive's
  // ":") makes the extra separator unnecessary.
  const bool ends_in_separator = last != std::string_view::npos &&
                                 last + 1 == program_folder.size() &&
                                 program_folder[last] == syntax.separator;
  if (!ends_in_separator) pattern += syntax.separator;
  pattern += "*.html";
  return pattern;
}

DateTimeValue ToDateTimeValue(PackedFileTime time) {
  const auto date = static_cast<std::uint16_t>(time >> 16);
  const auto clock = static_cast<std::uint16_t>(time & 0xFFFFu);

  const int year = 1980 + (date >> 9);
  const int month = (date >> 5) & 15;
  const int day = date & 31;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    Raise<EConvertError>("Invalid argument to date encode");
  }

  const int hour = clock >> 11;
  const int minute = (clock >> 5) & 63;
  const int second = 2 * (clock & 31);
  if (hour >= 24 || minute >= 60 || second >= 60) {
    Raise<EConvertError>("Invalid argument to time encode");
  }

  const double fraction = static_cast<double>(hour * 3600000 + minute * 60000 + second * 1000) /
                          86400000.0;
  return static_cast<double>(DayCount(year, month, day)) + fraction;
}

bool FolderScan::Start(const std::string& program_folder, const std::string& pattern) {
  program_folder_ = program_folder;
  int error = 0;
  listing_ = platform_.OpenFolder(pattern, error);
  if (!listing_) RaiseCannotList(error);
  if (Deliver()) return true;
  Close();
  return false;
}

bool FolderScan::Next() { return Deliver(); }

bool FolderScan::Deliver() {
  int result = 0;
  do {
    result = listing_->Next(entry_);
  } while (result == 0 && (entry_.attributes & kExcludedAttributes) != 0);
  if (result == kEndOfFolder) return false;
  if (result != 0) RaiseCannotList(result);
  current_.name = entry_.name;
  current_.time = entry_.time;
  return true;
}

void FolderScan::RaiseCannotList(int error) {
  Raise<EOSError>("Cannot list folder \"" + program_folder_ + "\". " +
                  TrimErrorText(platform_.ErrorText(error)));
}
