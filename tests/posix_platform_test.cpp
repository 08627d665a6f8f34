// The Linux platform layer against real folders, files and locales.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <map>

#include "fake_platform.h"
#include "platform/platform.h"
#include "test_folder.h"

namespace {

// Puts the test process under a locale built for the tests, and back to C after.
class ScopedLocale {
 public:
  explicit ScopedLocale(const std::string& name) {
    SystemPlatform();  // its own locale set-up must not undo this one
    setenv("LOCPATH", PAGEINDEX_LOCALE_DIR, 1);
    active_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, "C"); }
  bool active() const { return active_; }

 private:
  bool active_;
};

// Sets TZ for the test process, and puts it back after.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    setenv("TZ", "UTC0", 1);
    tzset();
  }
};

std::map<std::string, FolderEntry> ListFolder(const TempFolder& folder,
                                              std::vector<std::string>* names = nullptr) {
  int error = 0;
  auto listing = SystemPlatform().OpenFolder(folder / "*.html", error);
  EXPECT_NE(listing, nullptr) << error;
  std::map<std::string, FolderEntry> entries;
  FolderEntry entry;
  int result = 0;
  while ((result = listing->Next(entry)) == 0) {
    entries[std::string(entry.name)] = entry;
    if (names != nullptr) names->emplace_back(entry.name);
  }
  EXPECT_EQ(result, kEndOfFolder);
  return entries;
}

constexpr std::time_t kSomeTime = 1236236642;  // 2009-03-05 07:04:02 UTC

TEST(PosixListing, KeepsNamesEndingInHtmlAndMarksWhatIsNoDocument) {
  TempFolder folder;
  for (const char* name : {"plain.html", "UPPER.HTML", "Mixed.Html", "with blank.html",
                           "caf\xC3\xA9\xFF.html", ".hidden.html", "readonly.html", "x.htm",
                           "x.html.bak", "html", "target.txt"}) {
    WriteDocument(folder / name, "x", kSomeTime);
  }
  chmod((folder / "readonly.html").c_str(), 0444);
  mkdir((folder / "dir.html").c_str(), 0755);
  mkfifo((folder / "fifo.html").c_str(), 0644);
  ASSERT_EQ(symlink("target.txt", (folder / "link.html").c_str()), 0);
  ASSERT_EQ(symlink("missing.txt", (folder / "dangling.html").c_str()), 0);
  ASSERT_EQ(symlink(".", (folder / "dirlink.html").c_str()), 0);

  const auto entries = ListFolder(folder);
  std::map<std::string, std::uint32_t> attributes;
  for (const auto& [name, entry] : entries) attributes[name] = entry.attributes;
  EXPECT_EQ(attributes, (std::map<std::string, std::uint32_t>{
                            {"plain.html", 0},
                            {"UPPER.HTML", 0},
                            {"Mixed.Html", 0},
                            {"with blank.html", 0},
                            {"caf\xC3\xA9\xFF.html", 0},
                            {".hidden.html", kAttributeHidden},
                            {"readonly.html", 0},
                            {"dir.html", kAttributeDirectory},
                            {"fifo.html", kAttributeSystem},
                            {"link.html", 0},
                            {"dirlink.html", kAttributeDirectory},
                        }));
  EXPECT_EQ(entries.at("link.html").time, Packed(2009, 3, 5, 7, 4, 2));
}

TEST(PosixListing, PacksTheLocalTimeOfTheTimeZone) {
  TempFolder folder;
  WriteDocument(folder / "odd.html", "x", kSomeTime + 1);  // 07:04:03, taken down to :02
  WriteDocument(folder / "summer.html", "x", 1247000000);  // 2009-07-07 20:53:20 UTC
  {
    ScopedTimeZone zone("UTC0");
    const auto entries = ListFolder(folder);
    EXPECT_EQ(entries.at("odd.html").time, Packed(2009, 3, 5, 7, 4, 2));
    EXPECT_EQ(entries.at("summer.html").time, Packed(2009, 7, 7, 20, 53, 20));
  }
  {
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const auto entries = ListFolder(folder);
    EXPECT_EQ(entries.at("odd.html").time, Packed(2009, 3, 5, 8, 4, 2));
    EXPECT_EQ(entries.at("summer.html").time, Packed(2009, 7, 7, 22, 53, 20));
  }
  {
    ScopedTimeZone zone("EST5");
    const auto entries = ListFolder(folder);
    EXPECT_EQ(entries.at("odd.html").time, Packed(2009, 3, 5, 2, 4, 2));
  }
}

TEST(PosixListing, ClampsTimesOutsideThePackedRange) {
  TempFolder folder;
  WriteDocument(folder / "1970.html", "x", 0);
  WriteDocument(folder / "1979.html", "x", 315532799);    // 1979-12-31 23:59:59
  WriteDocument(folder / "2200.html", "x", 7258118400);   // 2200-01-01
  WriteDocument(folder / "2107.html", "x", 4354819199);   // 2107-12-31 23:59:59
  ScopedTimeZone zone("UTC0");
  const auto entries = ListFolder(folder);
  EXPECT_EQ(entries.at("1970.html").time, kEarliestPackedTime);
  EXPECT_EQ(entries.at("1979.html").time, kEarliestPackedTime);
  EXPECT_EQ(entries.at("2200.html").time, kLatestPackedTime);
  EXPECT_EQ(entries.at("2107.html").time, kLatestPackedTime);
}

TEST(PosixListing, AMissingFolderCannotBeOpened) {
  int error = 0;
  EXPECT_EQ(SystemPlatform().OpenFolder("/nonexistent-folder/*.html", error), nullptr);
  EXPECT_EQ(error, ENOENT);
}

TEST(PosixLocale, DateSeparatorComesFromTheDateFormat) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"C", "/"},        {"de_DE.UTF-8", "."},          {"sv_SE.UTF-8", "-"},
      {"en_US.UTF-8", "/"}, {"ja_JP.UTF-8", "\xE5\xB9\xB4"}, {"xx_NOSEP.UTF-8", ""},
  };
  for (const auto& [name, expected] : cases) {
    ScopedLocale locale(name);
    ASSERT_TRUE(locale.active()) << name;
    EXPECT_EQ(SystemPlatform().DateSeparatorSetting(), expected) << name;
  }
}

TEST(PosixLocale, CollationIgnoresCaseAndOrdersDigitsByValue) {
  for (const char* name : {"C", "C.UTF-8", "de_DE.UTF-8", "sv_SE.UTF-8", "en_US.UTF-8", "ja_JP.UTF-8"}) {
    ScopedLocale locale(name);
    ASSERT_TRUE(locale.active()) << name;
    Platform& platform = SystemPlatform();
    EXPECT_EQ(platform.CollationKey("ReadMe.HTML"), platform.CollationKey("readme.html")) << name;
    if (std::string_view(name) != "C") {
      EXPECT_EQ(platform.CollationKey("\xC3\x84pfel"), platform.CollationKey("\xC3\xA4PFEL")) << name;
    }
    std::vector<std::string> keys;
    for (const char* digits : {"19800101000000", "20090305070402", "20090305070403",
                               "20091231235958", "21071231235958"}) {
      keys.push_back(platform.CollationKey(digits));
    }
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << name;
    EXPECT_LT(platform.CollationKey("a.html"), platform.CollationKey("B.html")) << name;
  }
}

TEST(PosixLocale, CollationFollowsTheLanguage) {
  std::vector<std::string> names = {"z.html", "\xC3\xA4.html", "b.html"};  // ä
  auto sorted_in = [&](const char* name) {
    ScopedLocale locale(name);
    EXPECT_TRUE(locale.active()) << name;
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return SystemPlatform().CollationKey(a) < SystemPlatform().CollationKey(b);
    });
    return sorted;
  };
  EXPECT_EQ(sorted_in("de_DE.UTF-8"), (std::vector<std::string>{"\xC3\xA4.html", "b.html", "z.html"}));
  EXPECT_EQ(sorted_in("sv_SE.UTF-8"), (std::vector<std::string>{"b.html", "z.html", "\xC3\xA4.html"}));
}

TEST(PosixFiles, CreateTruncatesWritesAndReportsErrors) {
  TempFolder folder;
  Platform& platform = SystemPlatform();
  const std::string path = folder / "index.html";
  WriteDocument(path, "old contents that are longer", kSomeTime);
  int error = 0;
  const FileHandle file = platform.CreateIndexFile(path, error);
  ASSERT_NE(file, kNoFile);
  EXPECT_EQ(ReadWholeFile(path), "");
  std::size_t written = 0;
  EXPECT_TRUE(platform.WriteToFile(file, "new\r\n", 5, written));
  EXPECT_EQ(written, 5u);
  platform.CloseFile(file);
  EXPECT_EQ(ReadWholeFile(path), "new\r\n");

  EXPECT_EQ(platform.CreateIndexFile(folder.path(), error), kNoFile);
  EXPECT_EQ(error, EISDIR);
  EXPECT_EQ(platform.ErrorText(EACCES), "Permission denied");
  EXPECT_EQ(platform.FullPath("/a/b"), "/a/b");
  EXPECT_EQ(platform.FullPath("b.html"), std::filesystem::current_path().string() + "/b.html");
}

}  // namespace
