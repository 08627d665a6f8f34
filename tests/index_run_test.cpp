#include "index_run.h"

#include <gtest/gtest.h>

#include "failures.h"
#include "fake_platform.h"
#include "path_syntaxes.h"

namespace {

TEST(IndexFilePath, ReplacesTheExtensionOfTheLastComponent) {
  struct Case {
    const PathSyntax* syntax;
    std::string executable;
    std::string index;
  };
  const Case cases[] = {
      {&kSlashSyntax, "/srv/pages/pageindex", "/srv/pages/pageindex.html"},
      {&kSlashSyntax, "/srv/pages.old/builder", "/srv/pages.old/builder.html"},
      {&kSlashSyntax, "/srv/site.index.exe", "/srv/site.index.html"},
      {&kSlashSyntax, "/srv/builder.", "/srv/builder.html"},
      {&kSlashSyntax, "/srv/.exe", "/srv/.html"},
      {&kSlashSyntax, "/srv/a.b\\c", "/srv/a.html"},  // "\" is a name character here
      {&kSlashSyntax, "/srv/a.b:c", "/srv/a.html"},
      {&kDoubleByteSyntax, "C:\\pages.old\\builder", "C:\\pages.old\\builder.html"},
      {&kDoubleByteSyntax, "C:\\docs\\pageindex.exe", "C:\\docs\\pageindex.html"},
      {&kDoubleByteSyntax, "C:a.b:c", "C:a.b:c.html"},
      // 0x95 0x5C is one character: its "\" byte ends no component, so the dot before counts.
      {&kDoubleByteSyntax, "C:\\docs\\a.x\x95\x5C", "C:\\docs\\a.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexFilePath(c.executable, *c.syntax), c.index) << c.executable;
  }
}

TEST(IndexRun, WithoutDocumentsRemovesThenWritesAnEmptyIndex) {
  FakePlatform platform;
  RunIndex(platform, '/');
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{"remove " + NativePath("/docs/pageindex.html"),
                                      "open " + NativePath("/docs/*.html"), "close listing",
                                      "create " + NativePath("/docs/pageindex.html"), "close file"}));
  EXPECT_EQ(platform.files[NativePath("/docs/pageindex.html")], "");
}

TEST(IndexRun, ListsTheDocumentsNewestFirst) {
  FakePlatform platform;
  platform.folder = {{"old.html", Packed(2001, 2, 3), 0},
                     {"new.html", Packed(2020, 11, 12, 13, 14, 16), 0},
                     {"sub.html", Packed(2030, 1, 1), kAttributeDirectory}};
  RunIndex(platform, '.');
  EXPECT_EQ(platform.files[NativePath("/docs/pageindex.html")],
            "12.11.2020 <a href=\"new.html\">new.html</a><br>\r\n"
            "03.02.2001 <a href=\"old.html\">old.html</a><br>\r\n");
}

TEST(IndexRun, AnInvalidTimeEndsTheRunWithoutAnIndex) {
  FakePlatform platform;
  platform.folder = {{"good.html", Packed(2001, 2, 3), 0}, {"bad.html", 0, 0}};
  EXPECT_THROW(RunIndex(platform, '/'), EConvertError);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"remove " + NativePath("/docs/pageindex.html"),
                                                      "open " + NativePath("/docs/*.html"),
                                                      "close listing"}));
  EXPECT_TRUE(platform.files.empty());
}

}  // namespace
