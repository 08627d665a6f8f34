// Real folders and real runs of the built program, for the system tests.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// A fresh folder under /tmp that anyone may enter and read, removed with all it
// holds when the test ends.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder's path, without a trailing "/".
  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// Writes a file and sets its last-write time (seconds since 1970, UTC).
void WriteDocument(const std::string& path, std::string_view contents, std::time_t mtime);
// The whole contents of a file.
std::string ReadWholeFile(const std::string& path);
// Copies the built program into `folder` under `name`; returns its path.
std::string InstallProgram(const TempFolder& folder, const std::string& name = "pageindex");

struct RunResult {
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `working_folder`, with exactly the variables of
// `environment`. With `unprivileged`, a run by root drops to user and group 65534.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment,
                     const std::string& working_folder, bool unprivileged = false);

// The environment of a plain run: a fixed time zone, the test locales, and `locale`.
std::vector<std::string> TestEnvironment(const std::string& locale = "C.UTF-8",
                                         const std::string& time_zone = "UTC0");
