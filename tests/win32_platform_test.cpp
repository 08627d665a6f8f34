// The Windows platform layer against real folders and the system's own comparison.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "platform/platform.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(Win32Platform, CollationKeysOrderAsCompareStringDoes) {
  Platform& platform = SystemPlatform();
  const char* const names[] = {"a.html", "B.html", "b.html", "readme.html", "README.html",
                               "10.html", "9.html", "caf\xE9.html", "cafe.html", "a-b.html",
                               "ab.html", "20090305070402", "20090305070403", "", "z"};
  for (const char* a : names) {
    for (const char* b : names) {
      const int system = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a,
                                        static_cast<int>(std::strlen(a)), b,
                                        static_cast<int>(std::strlen(b)));
      ASSERT_NE(system, 0);
      EXPECT_EQ(Sign(platform.CollationKey(a).compare(platform.CollationKey(b))), system - 2)
          << a << " / " << b;
    }
  }
}

TEST(Win32Platform, ListsEntriesWithTheirAttributes) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  const std::string folder = std::string(base) + "pageindex-platform-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"plain.html", "hidden.html", "other.txt"}) {
    CloseHandle(CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  SetFileAttributesA((folder + "\\hidden.html").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryA((folder + "\\sub.html").c_str(), nullptr);

  int error = 0;
  auto listing = SystemPlatform().OpenFolder(folder + "\\*.html", error);
  ASSERT_NE(listing, nullptr) << error;
  std::map<std::string, std::uint32_t> attributes;
  FolderEntry entry;
  int result = 0;
  while ((result = listing->Next(entry)) == 0) attributes[std::string(entry.name)] = entry.attributes;
  EXPECT_EQ(result, kEndOfFolder);
  listing.reset();
  EXPECT_EQ(attributes.size(), 3u);
  EXPECT_EQ(attributes["plain.html"] & 0x1E, 0u);
  EXPECT_NE(attributes["hidden.html"] & kAttributeHidden, 0u);
  EXPECT_NE(attributes["sub.html"] & kAttributeDirectory, 0u);

  EXPECT_NE(SystemPlatform().OpenFolder(folder + "\\*.none", error), nullptr);  // no match: empty
  EXPECT_EQ(SystemPlatform().OpenFolder(folder + "\\missing\\*.html", error), nullptr);
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);

  SetFileAttributesA((folder + "\\hidden.html").c_str(), FILE_ATTRIBUTE_NORMAL);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

TEST(Win32Platform, NamesTheProgramAndItsErrors) {
  Platform& platform = SystemPlatform();
  const std::string path = platform.ExecutablePath();
  EXPECT_TRUE(path.ends_with("\\win32_platform_tests.exe")) << path;
  EXPECT_EQ(platform.FullPath("C:\\a\\..\\b.html"), "C:\\b.html");
  EXPECT_FALSE(platform.ErrorText(ERROR_ACCESS_DENIED).empty());
}

}  // namespace
