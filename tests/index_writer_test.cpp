#include "index_writer.h"

#include <gtest/gtest.h>

#include "failures.h"
#include "fake_platform.h"
#include "text_lines.h"

namespace {

const std::string kPath = "/docs/pageindex.html";

TEST(IndexWriter, WritesEveryLineWithCrLfInOneWrite) {
  struct Case {
    std::vector<std::string> lines;
    std::string bytes;
  };
  const Case cases[] = {
      {{"one"}, "one\r\n"},
      {{"a", "b", "c"}, "a\r\nb\r\nc\r\n"},
      {{"a", "", "c"}, "a\r\n\r\nc\r\n"},
      {{""}, "\r\n"},
      {{"caf\xE9 \xFF"}, "caf\xE9 \xFF\r\n"},
      {{"in\nside\r"}, "in\nside\r\r\n"},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    WriteIndexFile(TextLines(c.lines), kPath, platform);
    EXPECT_EQ(platform.files[kPath], c.bytes);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"create " + kPath,
                                                        "write " + std::to_string(c.bytes.size()),
                                                        "close file"}));
  }
}

TEST(IndexWriter, AnEmptyListCreatesAnEmptyFileWithoutWriting) {
  FakePlatform platform;
  WriteIndexFile(TextLines({}), kPath, platform);
  EXPECT_EQ(platform.files.count(kPath), 1u);
  EXPECT_EQ(platform.files[kPath], "");
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"create " + kPath, "close file"}));
}

TEST(IndexWriter, AShortWriteRaisesEWriteErrorAndClosesTheFile) {
  FakePlatform platform;
  platform.write_limit = 4;
  try {
    WriteIndexFile(TextLines({"first", "second"}), kPath, platform);
    FAIL() << "no failure";
  } catch (const EWriteError& failure) {
    EXPECT_EQ(failure.Message(), "Stream write error");
  }
  EXPECT_EQ(platform.files[kPath], "firs");
  EXPECT_EQ(platform.calls.back(), "close file");
}

TEST(IndexWriter, ACreationFailureNamesThePathAndTheSystemText) {
  struct Case {
    int error;
    std::string message;
  };
  const Case cases[] = {
      {13, "Cannot create file \"/docs/pageindex.html\". Permission denied"},
      {99, "Cannot create file \"/docs/pageindex.html\". "},  // the system has no text
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.create_error = c.error;
    try {
      WriteIndexFile(TextLines({"x"}), kPath, platform);
      FAIL() << "no failure";
    } catch (const EFCreateError& failure) {
      EXPECT_EQ(failure.Message(), c.message);
    }
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"create " + kPath}));
  }
}

}  // namespace
