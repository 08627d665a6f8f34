#include "test_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "pageindex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  chmod(path_.c_str(), 0755);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // A test may have taken the folder's permissions away; give them back first.
  chmod(path_.c_str(), 0755);
  fs::remove_all(path_, ignored);
}

void WriteDocument(const std::string& path, std::string_view contents, std::time_t mtime) {
  std::ofstream(path, std::ios::binary) << contents;
  const timespec times[2] = {{mtime, 0}, {mtime, 0}};
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + path);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

std::string InstallProgram(const TempFolder& folder, const std::string& name) {
  const std::string path = folder / name;
  fs::copy_file(PAGEINDEX_BINARY, path);
  chmod(path.c_str(), 0755);
  return path;
}

namespace {

std::string ReadAll(int descriptor) {
  std::string text;
  std::array<char, 4096> buffer;
  ssize_t got = 0;
  while ((got = read(descriptor, buffer.data(), buffer.size())) > 0) {
    text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  close(descriptor);
  return text;
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment,
                     const std::string& working_folder, bool unprivileged) {
  std::vector<std::string> command;
  if (unprivileged && geteuid() == 0) {
    command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
  }
  command.push_back(program);
  command.insert(command.end(), args.begin(), args.end());

  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_copy = environment;
  std::vector<char*> envp;
  for (std::string& variable : env_copy) envp.push_back(variable.data());
  envp.push_back(nullptr);

  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    close(out_pipe[0]);
    close(err_pipe[0]);
    const int no_input = open("/dev/null", O_RDONLY);
    dup2(no_input, STDIN_FILENO);
    if (chdir(working_folder.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  RunResult result;
  // Standard error is small; reading standard output to its end first cannot block.
  result.out = ReadAll(out_pipe[0]);
  result.err = ReadAll(err_pipe[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::vector<std::string> TestEnvironment(const std::string& locale, const std::string& time_zone) {
  return {"LOCPATH=" PAGEINDEX_LOCALE_DIR, "LC_ALL=" + locale, "TZ=" + time_zone};
}
