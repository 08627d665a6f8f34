// The built program under faults it cannot prevent: a full disk, exhausted memory,
// a folder that changes while it is read, and awkward names in large numbers.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <thread>

#include "test_folder.h"

namespace {

constexpr std::time_t kMarch2009 = 1236236642;  // 2009-03-05 07:04:02 UTC

RunResult RunShell(const std::string& script, const std::string& folder) {
  return RunProgram("/bin/bash", {"-c", script}, TestEnvironment(), folder);
}

// The names the index links to, in its order.
std::vector<std::string> ListedNames(const std::string& index) {
  std::vector<std::string> names;
  static const std::regex kLine("<a href=\"[^\"]*\">([^<]*)</a><br>\r\n");
  for (auto it = std::sregex_iterator(index.begin(), index.end(), kLine); it != std::sregex_iterator(); ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

bool IsReport(const std::string& err, const std::string& class_name, const std::string& message) {
  return std::regex_match(err, std::regex("Exception " + class_name +
                                          " in module pageindex at [0-9A-F]{8}\\.\r\n" + message +
                                          "\r\n\r\n"));
}

TEST(FaultInjection, AWriteThatStopsShortIsReportedAndKeepsWhatWasWritten) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (int i = 0; i < 100; ++i) WriteDocument(folder / ("document-" + std::to_string(i) + ".html"), "x", kMarch2009 + i);
  ASSERT_EQ(RunProgram(program, {}, TestEnvironment(), folder.path()).exit_status, 0);
  const std::string complete = ReadWholeFile(folder / "pageindex.html");
  ASSERT_GT(complete.size(), 2048u);

  // A file size limit of 2 KiB, with the signal for passing it ignored, makes the
  // write stop short with an error instead of ending the process.
  const RunResult result = RunShell("trap '' XFSZ; ulimit -f 2; exec ./pageindex", folder.path());
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_TRUE(IsReport(result.err, "EWriteError", "Stream write error\\.")) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), complete.substr(0, 2048));
}

TEST(FaultInjection, ExhaustedMemoryIsReportedCleanly) {
#ifdef PAGEINDEX_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit this test sets";
#endif
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (int i = 0; i < 20000; ++i) {
    WriteDocument(folder / ("a-long-name-so-that-the-listing-needs-memory-" + std::to_string(i) + ".html"), "",
                  kMarch2009 + i);
  }
  ASSERT_EQ(RunProgram(program, {}, TestEnvironment(), folder.path()).exit_status, 0);
  const std::string complete = ReadWholeFile(folder / "pageindex.html");

  // From a limit the run fits in, down until the program cannot even be loaded:
  // every run either succeeds or reports exhausted memory, and some do the latter.
  int reports = 0;
  for (int limit_kib = 32768; limit_kib > 0; limit_kib -= 512) {
    const RunResult result =
        RunShell("ulimit -v " + std::to_string(limit_kib) + "; exec ./pageindex", folder.path());
    if (result.exit_status == 127 || (result.exit_status == 1 && result.err.find("error while loading") != std::string::npos)) {
      break;  // the loader, not the program, ran out
    }
    if (result.exit_status == 0) {
      EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), complete) << limit_kib;
      continue;
    }
    ASSERT_EQ(result.exit_status, 1) << limit_kib << " KiB: " << result.err;
    ASSERT_TRUE(IsReport(result.err, "EOutOfMemory", "Out of memory\\.")) << limit_kib << " KiB: " << result.err;
    ++reports;
  }
  EXPECT_GT(reports, 0);
}

TEST(FaultInjection, AFolderThatChangesWhileItIsReadGivesAValidIndex) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  std::vector<std::string> names;
  for (int i = 0; i < 400; ++i) names.push_back("churn-" + std::to_string(i) + ".html");
  for (const std::string& name : names) WriteDocument(folder / name, "x", kMarch2009);

  // Documents are removed, made again, and turned into folders and back while the
  // program runs again and again.
  std::atomic<bool> stop = false;
  std::thread churn([&] {
    std::mt19937 random(11);
    while (!stop) {
      const std::string path = folder / names[random() % names.size()];
      switch (random() % 3) {
        case 0: std::filesystem::remove(path); break;
        case 1: if (!std::filesystem::exists(path)) WriteDocument(path, "x", kMarch2009 + static_cast<std::time_t>(random() % 100)); break;
        default:
          std::filesystem::remove(path);
          mkdir(path.c_str(), 0755);
          rmdir(path.c_str());
          break;
      }
    }
  });
  const std::set<std::string> known(names.begin(), names.end());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int runs = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    const RunResult result = RunProgram(program, {}, TestEnvironment(), folder.path());
    ++runs;
    ASSERT_EQ(result.exit_status, 0) << result.err;
    const std::vector<std::string> listed = ListedNames(ReadWholeFile(folder / "pageindex.html"));
    const std::set<std::string> unique(listed.begin(), listed.end());
    EXPECT_EQ(unique.size(), listed.size());
    for (const std::string& name : listed) EXPECT_TRUE(known.count(name)) << name;
  }
  stop = true;
  churn.join();
  EXPECT_GT(runs, 10);
}

TEST(FaultInjection, ManyAndAwkwardNamesAreEachListedOnce) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  std::set<std::string> expected;
  const std::string longest = std::string(250, 'n') + ".html";  // 255 bytes, the most a name holds
  for (const std::string& name : {longest, std::string("\xFF\xFE invalid.html"), std::string("\xC3\x28.html"),
                                  std::string("\xE2\x82.html")}) {
    WriteDocument(folder / name, "x", kMarch2009);
    expected.insert(name);
  }
  for (int i = 0; i < 50000; ++i) {
    std::string name = "d";
    name += std::to_string(i * 7919 % 50000);
    name += i % 2 ? ".html" : ".HTML";
    WriteDocument(folder / name, "", kMarch2009 + i % 1000);
    expected.insert(name);
  }
  for (const char* locale : {"C.UTF-8", "en_US.UTF-8"}) {
    const RunResult result = RunProgram(program, {}, TestEnvironment(locale), folder.path());
    ASSERT_EQ(result.exit_status, 0) << result.err;
    const std::vector<std::string> listed = ListedNames(ReadWholeFile(folder / "pageindex.html"));
    EXPECT_EQ(listed.size(), expected.size()) << locale;
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected) << locale;
  }
}

TEST(Valgrind, ARunIsCleanUnderMemcheck) {
#ifdef PAGEINDEX_SANITIZED
  GTEST_SKIP() << "valgrind does not run sanitized programs";
#endif
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  for (int i = 0; i < 300; ++i) {
    WriteDocument(folder / ("page <" + std::to_string(i % 150) + ">.html"), "x", kMarch2009 + i % 7);
  }
  std::vector<std::string> environment = TestEnvironment("en_US.UTF-8");
  const RunResult result = RunProgram(PAGEINDEX_VALGRIND,
                                      {"--error-exitcode=1", "--leak-check=full", "--quiet", program},
                                      environment, folder.path());
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ListedNames(ReadWholeFile(folder / "pageindex.html")).size(), 150u);
}

}  // namespace
