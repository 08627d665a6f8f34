#include "failures.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

TEST(FailureReport, ComposesBothLinesWithTheFullStopRule) {
  struct Case {
    const char* message;
    const char* expected;
  };
  const Case cases[] = {
      {"Stream write error", "Exception EWriteError in module pageindex at 0000ABCD.\r\n"
                             "Stream write error.\r\n"},
      {"Ends in a dot.", "Exception EWriteError in module pageindex at 0000ABCD.\r\n"
                         "Ends in a dot.\r\n"},
      {"", "Exception EWriteError in module pageindex at 0000ABCD.\r\n\r\n"},
      {"Ends in a blank ", "Exception EWriteError in module pageindex at 0000ABCD.\r\n"
                           "Ends in a blank .\r\n"},
  };
  for (const Case& c : cases) {
    char report[kFailureReportSize];
    const std::size_t length = ComposeFailureReport("EWriteError", "pageindex", 0xABCD, c.message, report);
    EXPECT_EQ(std::string(report, length), c.expected) << c.message;
  }
}

TEST(FailureReport, AddressIsEightUppercaseDigitsOfTheLowWord) {
  char report[kFailureReportSize];
  const std::size_t length = ComposeFailureReport("E", "m", 0x1234FEDCBA98, "x", report);
  EXPECT_EQ(std::string(report, length), "Exception E in module m at FEDCBA98.\r\nx.\r\n");
}

TEST(FailureReport, AnOverlongMessageIsCutButTheLineEndsStay) {
  char report[kFailureReportSize];
  const std::size_t length =
      ComposeFailureReport("E", "m", 0, std::string(5000, 'x'), report);
  EXPECT_EQ(length, kFailureReportSize - 1);
  EXPECT_EQ(std::string(report + length - 4, 4), "x.\r\n");
}

TEST(FailureReport, IsWrittenWithAClosingEmptyLine) {
  FakePlatform platform;
  try {
    Raise<EFCreateError>("Cannot create file \"/x\". Is a directory");
  } catch (const Exception& failure) {
    EXPECT_STREQ(failure.ClassName(), "EFCreateError");
    EXPECT_NE(failure.RaiseAddress(), nullptr);
    ReportFailure(failure, platform);
  }
  EXPECT_EQ(platform.standard_error,
            "Exception EFCreateError in module pageindex at 00001234.\r\n"
            "Cannot create file \"/x\". Is a directory.\r\n\r\n");
}

TEST(FailureClasses, HaveTheirBases) {
  EXPECT_THROW(Raise<EFCreateError>(""), EFileStreamError);
  EXPECT_THROW(Raise<EFCreateError>(""), EStreamError);
  EXPECT_THROW(Raise<EWriteError>(""), EFilerError);
  EXPECT_THROW(Raise<EWriteError>(""), EStreamError);
  EXPECT_THROW(Raise<EOSError>(""), Exception);
  EXPECT_THROW(Raise<EConvertError>(""), Exception);
}

TEST(ErrorText, LosesTrailingBlanksControlsAndFullStops) {
  EXPECT_EQ(TrimErrorText("Access is denied.\r\n"), "Access is denied");
  EXPECT_EQ(TrimErrorText("Permission denied"), "Permission denied");
  EXPECT_EQ(TrimErrorText("a. . \t"), "a");
  EXPECT_EQ(TrimErrorText("...\n"), "");
  EXPECT_EQ(TrimErrorText("v1.2 x"), "v1.2 x");
}

}  // namespace
