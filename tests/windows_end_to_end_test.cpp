// The Windows build of the program, copied into fresh folders and run as a user
// would, through the Windows API (under Wine on the build machine).
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The program as built, named with the drive through which Windows sees the build tree.
std::string BuiltProgram() {
  std::string path = "Z:" PAGEINDEX_BINARY;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int made = 0;
    path_ = std::string(base) + "pageindex-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++made);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Writes a document with its last-write time in UTC.
void WriteDocument(const std::string& path, int year, int month, int day, int hour, int minute,
                   int second) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, "x", 1, &written, nullptr);
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(year);
  system.wMonth = static_cast<WORD>(month);
  system.wDay = static_cast<WORD>(day);
  system.wHour = static_cast<WORD>(hour);
  system.wMinute = static_cast<WORD>(minute);
  system.wSecond = static_cast<WORD>(second);
  FILETIME time{};
  SystemTimeToFileTime(&system, &time);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

std::string InstallProgram(const TempFolder& folder) {
  const std::string path = folder / "pageindex.exe";
  EXPECT_TRUE(CopyFileA(BuiltProgram().c_str(), path.c_str(), FALSE)) << BuiltProgram();
  return path;
}

struct RunResult {
  DWORD exit_status = 0;
  std::string err;
};

// Runs the program from `working_folder`, in the locale the tests run under.
RunResult RunProgram(const std::string& program, const std::string& working_folder) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  CreatePipe(&read_end, &write_end, &inherit, 0);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + program + "\" ignored arguments";
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      working_folder.c_str(), &startup, &process);
  CloseHandle(write_end);
  RunResult result;
  if (!started) {
    CloseHandle(read_end);
    ADD_FAILURE() << "cannot start " << program;
    return result;
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) result.err.append(buffer, got);
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &result.exit_status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(read_end);
  return result;
}

// The date separator of the locale the tests run under: CTest runs the suite once
// in each of the locales it names, and says here what that locale's separator is.
std::string DateSeparator() {
  const char* separator = std::getenv("PAGEINDEX_EXPECTED_DATE_SEPARATOR");
  return separator != nullptr ? separator : "/";
}

std::string Date(const char* day, const char* month, const char* year) {
  return day + DateSeparator() + month + DateSeparator() + year;
}

std::string Line(const std::string& date, const std::string& name) {
  return date + " <a href=\"" + name + "\">" + name + "</a><br>\r\n";
}

TEST(WindowsEndToEnd, AnEmptyFolderGetsAnEmptyIndex) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  const RunResult result = RunProgram(program, "C:\\");
  EXPECT_EQ(result.exit_status, 0u);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(fs::exists(folder / "pageindex.html"));
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), "");
}

TEST(WindowsEndToEnd, ListsDocumentsNewestFirstAndSkipsFoldersAndHiddenFiles) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "old.html", 2001, 2, 3, 12, 0, 0);
  WriteDocument(folder / "new & shiny.html", 2020, 11, 12, 12, 0, 0);
  WriteDocument(folder / "b.html", 2010, 1, 1, 12, 0, 0);
  WriteDocument(folder / "A.html", 2010, 1, 1, 12, 0, 0);
  WriteDocument(folder / "hidden.html", 2030, 1, 1, 12, 0, 0);
  ASSERT_TRUE(SetFileAttributesA((folder / "hidden.html").c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteDocument(folder / "short.htm", 2030, 1, 1, 12, 0, 0);
  CreateDirectoryA((folder / "sub.html").c_str(), nullptr);
  const RunResult result = RunProgram(program, folder.path());
  EXPECT_EQ(result.exit_status, 0u) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"),
            Date("12", "11", "2020") + " <a href=\"new &amp; shiny.html\">new &amp; shiny.html</a><br>\r\n" +
                Line(Date("01", "01", "2010"), "b.html") + Line(Date("01", "01", "2010"), "A.html") +
                Line(Date("03", "02", "2001"), "old.html"));
}

TEST(WindowsEndToEnd, AFolderNamedLikeTheIndexIsReported) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  ASSERT_TRUE(CreateDirectoryA((folder / "pageindex.html").c_str(), nullptr));
  const RunResult result = RunProgram(program, folder.path());
  EXPECT_EQ(result.exit_status, 1u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(result.err, match,
                               std::regex("Exception EFCreateError in module pageindex\\.exe at "
                                          "[0-9A-F]{8}\\.\r\n(.*)\r\n\r\n")))
      << result.err;
  EXPECT_EQ(match[1].str(), "Cannot create file \"" + (folder / "pageindex.html") + "\". Access denied.");
}

TEST(WindowsEndToEnd, TheDateFollowsTheLocale) {
  TempFolder folder;
  const std::string program = InstallProgram(folder);
  WriteDocument(folder / "doc.html", 2009, 3, 5, 12, 0, 0);
  const RunResult result = RunProgram(program, folder.path());
  EXPECT_EQ(result.exit_status, 0u) << result.err;
  EXPECT_EQ(ReadWholeFile(folder / "pageindex.html"), Line(Date("05", "03", "2009"), "doc.html"));
}

}  // namespace
