#include "date_text.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "fake_platform.h"
#include "folder_scan.h"

namespace {

std::string Text(const SortKey& key) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%014llu", static_cast<unsigned long long>(key.digits));
  return digits;
}
std::string Text(const DisplayDate& date) { return std::string(date.text.data(), date.length); }

TEST(DateText, RendersSortKeyAndDisplayDateUnderEachSeparator) {
  struct Case {
    PackedFileTime time;
    const char* sort_key;
    const char* slash;
    const char* dot;
    const char* hyphen;
    const char* none;
  };
  const Case cases[] = {
      {Packed(1980, 1, 1), "19800101000000", "01/01/1980", "01.01.1980", "01-01-1980", "01011980"},
      {Packed(2009, 3, 5, 7, 4, 2), "20090305070402", "05/03/2009", "05.03.2009", "05-03-2009", "05032009"},
      {Packed(2024, 2, 29, 13, 0, 58), "20240229130058", "29/02/2024", "29.02.2024", "29-02-2024", "29022024"},
      {Packed(2107, 12, 31, 23, 59, 58), "21071231235958", "31/12/2107", "31.12.2107", "31-12-2107", "31122107"},
  };
  for (const Case& c : cases) {
    const SortKey key = RenderSortKey(ToDateTimeValue(c.time));
    EXPECT_EQ(Text(key), c.sort_key);
    EXPECT_EQ(Text(RenderDisplayDate(key, '/')), c.slash);
    EXPECT_EQ(Text(RenderDisplayDate(key, '.')), c.dot);
    EXPECT_EQ(Text(RenderDisplayDate(key, '-')), c.hyphen);
    EXPECT_EQ(Text(RenderDisplayDate(key, '\0')), c.none);
  }
}

TEST(DateText, SortKeysOrderLikeTheirTimes) {
  const PackedFileTime times[] = {Packed(1980, 1, 1), Packed(1999, 12, 31, 23, 59, 58),
                                  Packed(2000, 1, 1), Packed(2043, 6, 1),
                                  Packed(2044, 1, 1),  // bit 31 set from here on
                                  Packed(2107, 12, 31, 23, 59, 58)};
  for (std::size_t i = 1; i < std::size(times); ++i) {
    EXPECT_LT(RenderSortKey(ToDateTimeValue(times[i - 1])), RenderSortKey(ToDateTimeValue(times[i])));
  }
}

TEST(DateText, RoundsToWholeMillisecondsBeforeTakingFields) {
  // A hair below 00:00:02 on 1 January 1980 still renders as that second.
  EXPECT_EQ(Text(RenderSortKey(29221.0 + 2.0 / 86400.0 - 1e-10)), "19800101000002");
}

TEST(DateSeparator, IsOneByteNoneOrSlash) {
  struct Case {
    std::optional<std::string> setting;
    char expected;
  };
  const Case cases[] = {{".", '.'}, {"-", '-'}, {"/", '/'}, {"", '\0'},
                        {"::", '/'}, {"\xE5\xB9\xB4", '/'}, {std::nullopt, '/'}};
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.date_separator_setting = c.setting;
    EXPECT_EQ(ReadDateSeparator(platform), c.expected) << c.setting.value_or("(none)");
  }
}

}  // namespace
