// The built program, copied into fresh folders of real files and run as a user would.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "test_folder.h"

namespace {

constexpr std::time_t kMarch2009 = 1236236642;  // 2009-03-05 07:04:02 UTC

// The report's first line, whose address differs from build to build.
const std::string kReportHead = "Exception ([A-Za-z]+) in module pageindex at [0-9A-F]{8}\\.\r\n";

void ExpectReport(const RunResult& result, const std::string& class_name, const std::string& message) {
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.out, "");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(result.err, match, std::regex("^" + kReportHead))) << result.err;
  EXPECT_EQ(match[1], class_name);
  EXPECT_EQ(result.err.substr(static_cast<std::size_t>(match.length(0))), message + "\r\n\r\n");
}

std::string Line(const std::string& date, const std::string& name) {
  return date + " <a href=\"" + name + "\">" + name + "</a><br>\r\n";
}

TEST(EndToEnd, AnEmptyFolderGetsAnEmptyIndexAndNothingIsPrinted) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               std::vector<std::string>{"--help", "x.html", "-"}}) {
    const RunResult result = RunProgram(program, args, TestEnvironment(), folder.path());
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    struct stat status {};
    ASSERT_EQ(stat((folder / "pageindex.html").c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 0);
  }
}

TEST(EndToEnd, TheIndexLiesBesideTheProgramWhateverTheWorkingFolder) {
  TempFolder folder;
  TempFolder elsewhere;
  const std::string program = InstallProgram(folder, "site.index.bin");
  WriteDocument(folder / "a.html", "a", kMarch2009);
  WriteDocument(elsewhere / "b.html", "b", kMarch2009);
  const RunResult result = RunProgram(program, {}, TestEnvironment(), elsewhere.path());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(ReadWholeFile(folder / "site.index.html"), Line("05/03/2009", "a.html"));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "site.index.html"));
}

TEST(EndToEnd, ThePreviousIndexIsRemovedAndNotListed) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "pageindex.html", "old index", kMarch2009 + 3600);
  WriteDocument(folder / "doc.html", "doc", kMarch2009);
  const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), Line("05/03/2009", "doc.html"));
}

TEST(EndToEnd, AFolderNamedLikeTheIndexIsReported) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  mkdir((folder / "pageindex.html").c_str(), 0755);
  const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
  ExpectReport(result, "EFCreateError",
               "Cannot create file \"" + (folder / "pageindex.html") + "\". Is a directory.");
}

TEST(EndToEnd, AFolderTheUserCannotWriteIsReported) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "doc.html", "doc", kMarch2009);
  chmod(folder.path().c_str(), 0555);
  const RunResult result = RunProgram(program, {}, TestEnvironment(), "/", true);
  ExpectReport(result, "EFCreateError",
               "Cannot create file \"" + (folder / "pageindex.html") + "\". Permission denied.");
  EXPECT_FALSE(std::filesystem::exists(folder / "pageindex.html"));
}

TEST(EndToEnd, AFolderTheUserCannotListIsReportedAndNoIndexIsLeft) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "pageindex.html", "old index", kMarch2009);
  chmod(folder.path().c_str(), 0333);  // enter and write, but not list
  const RunResult result = RunProgram(program, {}, TestEnvironment(), "/", true);
  ExpectReport(result, "EOSError",
               "Cannot list folder \"" + folder.path() + "/\". Permission denied.");
  chmod(folder.path().c_str(), 0755);
  EXPECT_FALSE(std::filesystem::exists(folder / "pageindex.html"));
}

TEST(EndToEnd, ListsTheDocumentsOfAMixedFolderExactly) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "old.html", "x", 315532800);              // 1980-01-01 00:00:00
  WriteDocument(folder / "ancient.html", "x", 86400);              // 1970: clamped to 1980
  WriteDocument(folder / "future.html", "x", 7258118400);          // 2200: clamped to 2107
  WriteDocument(folder / "UPPER.HTML", "x", kMarch2009);
  WriteDocument(folder / "with blank.html", "x", kMarch2009 + 86400);
  WriteDocument(folder / "caf\xC3\xA9.html", "x", kMarch2009 + 2 * 86400);
  WriteDocument(folder / "readonly.html", "x", kMarch2009 + 3 * 86400);
  chmod((folder / "readonly.html").c_str(), 0444);
  WriteDocument(folder / ".hidden.html", "x", kMarch2009);
  WriteDocument(folder / "short.htm", "x", kMarch2009);
  WriteDocument(folder / "backup.html.bak", "x", kMarch2009);
  WriteDocument(folder / "target.txt", "x", kMarch2009 + 4 * 86400);
  mkdir((folder / "sub.html").c_str(), 0755);
  mkfifo((folder / "pipe.html").c_str(), 0644);
  symlink("target.txt", (folder / "link.html").c_str());
  symlink("missing.txt", (folder / "dangling.html").c_str());

  const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"),
            Line("31/12/2107", "future.html") + Line("09/03/2009", "link.html") +
                Line("08/03/2009", "readonly.html") + Line("07/03/2009", "caf\xC3\xA9.html") +
                Line("06/03/2009", "with blank.html") + Line("05/03/2009", "UPPER.HTML") +
                Line("01/01/1980", "old.html") + Line("01/01/1980", "ancient.html"));
}

TEST(EndToEnd, UnsafeNamesAreEscaped) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "<img src=x onerror=alert(1)>.html", "x", kMarch2009);
  WriteDocument(folder / "javascript:alert(1)#?.html", "x", kMarch2009 + 86400);
  WriteDocument(folder / "new\nline.html", "x", kMarch2009 + 2 * 86400);
  const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"),
            "07/03/2009 <a href=\"new%0Aline.html\">new&#10;line.html</a><br>\r\n"
            "06/03/2009 <a href=\"javascript%3Aalert(1)%23%3F.html\">javascript:alert(1)#?.html</a><br>\r\n"
            "05/03/2009 <a href=\"&lt;img src=x onerror=alert(1)&gt;.html\">"
            "&lt;img src=x onerror=alert(1)&gt;.html</a><br>\r\n");
}

TEST(EndToEnd, TheTimeZoneDecidesTheDate) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "late.html", "x", 1236295800);  // 2009-03-05 23:30:00 UTC
  const std::pair<const char*, const char*> cases[] = {
      {"UTC0", "05/03/2009"}, {"CET-1CEST,M3.5.0,M10.5.0/3", "06/03/2009"}, {"EST5", "05/03/2009"}};
  for (const auto& [zone, date] : cases) {
    ASSERT_EQ(RunProgram(program, {}, TestEnvironment("C.UTF-8", zone), folder.path()).exit_status, 0);
    EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), Line(date, "late.html")) << zone;
  }
}

TEST(EndToEnd, TheLocaleDecidesSeparatorAndOrder) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (const char* name : {"z.html", "\xC3\xA4.html", "b.html", "B.html"}) {
    WriteDocument(folder / name, "x", kMarch2009);
  }
  const std::pair<const char*, std::string> cases[] = {
      {"de_DE.UTF-8", Line("05.03.2009", "z.html") + Line("05.03.2009", "b.html") +
                          Line("05.03.2009", "B.html") + Line("05.03.2009", "\xC3\xA4.html")},
      {"sv_SE.UTF-8", Line("05-03-2009", "\xC3\xA4.html") + Line("05-03-2009", "z.html") +
                          Line("05-03-2009", "b.html") + Line("05-03-2009", "B.html")},
      {"ja_JP.UTF-8", Line("05/03/2009", "\xC3\xA4.html") + Line("05/03/2009", "z.html") +
                          Line("05/03/2009", "b.html") + Line("05/03/2009", "B.html")},
      {"xx_NOSEP.UTF-8", Line("05032009", "z.html") + Line("05032009", "b.html") +
                             Line("05032009", "B.html") + Line("05032009", "\xC3\xA4.html")},
  };
  for (const auto& [locale, expected] : cases) {
    ASSERT_EQ(RunProgram(program, {}, TestEnvironment(locale), folder.path()).exit_status, 0);
    EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), expected) << locale;
  }
}

TEST(EndToEnd, NamesThatAreNoTextInTheLocaleAreListedInByteOrder) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (const char* name : {"a\xFE.html", "a\xFF.html", "a\xC3.html", "a.html"}) {
    WriteDocument(folder / name, "x", kMarch2009);
  }
  for (const char* locale : {"C", "en_US.UTF-8", "ja_JP.UTF-8"}) {
    ASSERT_EQ(RunProgram(program, {}, TestEnvironment(locale), folder.path()).exit_status, 0);
    const std::string index = ReadWholeFile(folder / "pageindex.html");
    for (const char* name : {"a\xFE.html", "a\xFF.html", "a\xC3.html", "a.html"}) {
      EXPECT_NE(index.find(Line("05/03/2009", name)), std::string::npos) << locale << " " << name;
    }
    EXPECT_LT(index.find("a\xFF.html"), index.find("a\xFE.html")) << locale;
  }
}

TEST(EndToEnd, AFewThousandDocumentsGiveExactlyTheExpectedIndex) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  std::string expected;
  constexpr int kCount = 3000;
  for (int i = kCount - 1; i >= 0; --i) {
    const std::string name = "doc" + std::to_string(i) + ".html";
    WriteDocument(folder / name, "x", kMarch2009 + i * 2);
    expected += Line("05/03/2009", name);
  }
  const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), expected);
}

}  // namespace
