#include "folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "failures.h"
#include "fake_platform.h"
#include "path_syntaxes.h"

namespace {

TEST(DateTimeValue, ConvertsValidTimesAndNamesTheFirstInvalidField) {
  struct Case {
    PackedFileTime time;
    double expected;  // 0 when the conversion fails
    const char* failure;
  };
  const Case cases[] = {
      {Packed(1980, 1, 1), 29221.0, nullptr},
      {Packed(2107, 12, 31, 23, 59, 58), 75971.0 + 86398.0 / 86400.0, nullptr},
      {Packed(2000, 2, 29, 12), 36585.5, nullptr},
      {Packed(2104, 2, 29), 74570.0, nullptr},
      {0, 0, "Invalid argument to date encode"},
      {Packed(2100, 2, 29), 0, "Invalid argument to date encode"},
      {Packed(2021, 4, 31), 0, "Invalid argument to date encode"},
      {Packed(2009, 3, 5) | 30u, 0, "Invalid argument to time encode"},  // 60 seconds
      {Packed(2009, 3, 5) | (24u << 11), 0, "Invalid argument to time encode"},
      {Packed(2009, 3, 5) | (60u << 5), 0, "Invalid argument to time encode"},
      {(29u << 25) | (13u << 21) | (1u << 16) | (25u << 11), 0, "Invalid argument to date encode"},
  };
  for (const Case& c : cases) {
    if (c.failure == nullptr) {
      EXPECT_DOUBLE_EQ(ToDateTimeValue(c.time), c.expected) << std::hex << c.time;
      continue;
    }
    try {
      ToDateTimeValue(c.time);
      ADD_FAILURE() << "no failure for " << std::hex << c.time;
    } catch (const EConvertError& failure) {
      EXPECT_EQ(failure.Message(), c.failure) << std::hex << c.time;
    }
  }
}

TEST(ProgramFolder, EndsAtTheLastDelimiter) {
  struct Case {
    const PathSyntax* syntax;
    std::string path;
    std::string folder;
    std::string pattern;
  };
  const Case cases[] = {
      {&kSlashSyntax, "/srv/pages/pageindex", "/srv/pages/", "/srv/pages/*.html"},
      {&kSlashSyntax, "/srv/a\\b:c/pageindex", "/srv/a\\b:c/", "/srv/a\\b:c/*.html"},
      {&kDoubleByteSyntax, "C:\\docs\\pageindex.exe", "C:\\docs\\", "C:\\docs\\*.html"},
      {&kDoubleByteSyntax, "C:pageindex.exe", "C:", "C:\\*.html"},
      // 0x95 0x5C is one double-byte character whose second byte looks like "\".
      {&kDoubleByteSyntax, "C:\\docs\\\x95\x5C.exe", "C:\\docs\\", "C:\\docs\\*.html"},
      {&kDoubleByteSyntax, "C:\\\x95\x5C\\x.exe", "C:\\\x95\x5C\\", "C:\\\x95\x5C\\*.html"},
  };
  for (const Case& c : cases) {
    const std::string folder = ProgramFolder(c.path, *c.syntax);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(SearchPattern(folder, *c.syntax), c.pattern) << c.path;
  }
}

struct Scanned {
  std::vector<std::string> names;
  std::vector<PackedFileTime> times;
};

Scanned ScanAll(FakePlatform& platform) {
  Scanned scanned;
  FolderScan scan(platform);
  if (scan.Start("/docs/", "/docs/*.html")) {
    do {
      scanned.names.emplace_back(scan.Current().name);
      scanned.times.push_back(scan.Current().time);
    } while (scan.Next());
    scan.Close();
  }
  return scanned;
}

std::ptrdiff_t Count(const std::vector<std::string>& calls, const std::string& call) {
  return std::count(calls.begin(), calls.end(), call);
}

TEST(FolderScan, SkipsDirectoriesHiddenSystemAndVolumeEntries) {
  FakePlatform platform;
  platform.folder = {{"hidden.html", 1, kAttributeHidden},
                     {"a.html", 2, 0x1 | 0x20},  // read-only, archive
                     {"dir.html", 3, kAttributeDirectory},
                     {"system.html", 4, kAttributeSystem},
                     {"label.html", 5, kAttributeVolumeLabel},
                     {"b.html", 6, 0x80},
                     {"last-dir.html", 7, kAttributeDirectory}};
  const Scanned scanned = ScanAll(platform);
  EXPECT_EQ(scanned.names, (std::vector<std::string>{"a.html", "b.html"}));
  EXPECT_EQ(scanned.times, (std::vector<PackedFileTime>{2, 6}));
  EXPECT_EQ(Count(platform.calls, "close listing"), 1);
}

TEST(FolderScan, WithNothingQualifyingStartsClosed) {
  FakePlatform platform;
  platform.folder = {{"dir.html", 1, kAttributeDirectory}};
  FolderScan scan(platform);
  EXPECT_FALSE(scan.Start("/docs/", "/docs/*.html"));
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"open /docs/*.html", "close listing"}));
  scan.Close();
  EXPECT_EQ(Count(platform.calls, "close listing"), 1);
}

TEST(FolderScan, AFailureWhileConsumingClosesTheListingOnce) {
  FakePlatform platform;
  platform.folder = {{"a.html", 1, 0}, {"b.html", 2, 0}};
  EXPECT_THROW(
      {
        FolderScan scan(platform);
        ASSERT_TRUE(scan.Start("/docs/", "/docs/*.html"));
        throw std::runtime_error("consumer failed");
      },
      std::runtime_error);
  EXPECT_EQ(Count(platform.calls, "close listing"), 1);
}

TEST(FolderScan, AFolderThatCannotBeListedRaisesEOSError) {
  FakePlatform platform;
  platform.open_error = 13;
  try {
    ScanAll(platform);
    FAIL() << "no failure";
  } catch (const EOSError& failure) {
    EXPECT_EQ(failure.Message(), "Cannot list folder \"/docs/\". Permission denied");
  }
}

TEST(FolderScan, AListingThatBreaksOffRaisesEOSErrorAndCloses) {
  for (int after : {0, 1}) {
    FakePlatform platform;
    platform.folder = {{"a.html", 1, 0}, {"b.html", 2, 0}};
    platform.break_off_after = after;
    EXPECT_THROW(ScanAll(platform), EOSError) << after;
    EXPECT_EQ(Count(platform.calls, "close listing"), 1) << after;
  }
}

}  // namespace
