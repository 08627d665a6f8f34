// The two texts made from a file's date: the sort key that orders the index and
// the display date shown in front of each link.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>

class Platform;

// Days since 30 December 1899, with the time of day as the fraction.
using DateTimeValue = double;

// The 14 digits "yyyymmddhhnnss" of a date and time, held as the number they spell,
// so that keys compare as their times do in one step.
struct SortKey {
  std::uint64_t digits;
  auto operator<=>(const SortKey&) const = default;
};

// "dd/mm/yyyy" with the date separator in place of each "/" (8 bytes when there is none).
struct DisplayDate {
  std::array<char, 10> text;
  std::size_t length;
};

// Renders the sort key of a date-time value made from a packed file time.
SortKey RenderSortKey(DateTimeValue value);

// Renders the display date of the date that `key` holds; a date separator of '\0'
// stands for none.
DisplayDate RenderDisplayDate(const SortKey& key, char date_separator);

// The locale's date separator: its one byte, '\0' when the setting is empty, and
// "/" when the setting is longer or cannot be read.
char ReadDateSeparator(Platform& platform);
