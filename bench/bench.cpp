// Times pageindex on a folder of many documents against the floor: one plain pass
// that reads the same folder and examines every entry once.
//
//   bench [--files N] [--same-time] [--runs R] [--folder PATH] [--locale NAME]...
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Options {
  long files = 100000;
  bool same_time = false;
  int runs = 5;
  std::string folder;
  std::vector<std::string> locales;
};

struct Timing {
  double wall = 1e30;
  double cpu = 1e30;
  long peak_kib = 0;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Documents named with letters and digits of varied length, dated 1981-2099.
void MakeFolder(const Options& options) {
  fs::remove_all(options.folder);
  fs::create_directories(options.folder);
  std::mt19937_64 random(42);
  const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_";
  const std::time_t earliest = 347155200;   // 1981-01-01
  const std::time_t latest = 4102444799;    // 2099-12-31
  const std::time_t shared = 1236236642;
  for (long i = 0; i < options.files; ++i) {
    std::string name;
    const auto length = 4 + random() % 28;
    for (unsigned long k = 0; k < length; ++k) name += alphabet[random() % (sizeof alphabet - 1)];
    name += '-';
    name += std::to_string(i);
    name += ".html";
    const std::string path = options.folder + "/" + name;
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0) {
      std::perror(path.c_str());
      std::exit(1);
    }
    const std::time_t when = options.same_time
                                 ? shared
                                 : earliest + static_cast<std::time_t>(random() % static_cast<unsigned long>(latest - earliest));
    const timespec times[2] = {{when, 0}, {when, 0}};
    futimens(file, times);
    close(file);
  }
}

// One run of the program in the benchmark's locale and a fixed time zone.
Timing TimeProgram(const std::string& program, const std::string& locale) {
  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("LC_ALL", locale.c_str(), 1);
    setenv("LOCPATH", PAGEINDEX_LOCALE_DIR, 1);
    setenv("TZ", "UTC0", 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double wall = Now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "pageindex failed (status %d)\n", status);
    std::exit(1);
  }
  return {wall, Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss};
}

// One plain pass over the folder: every entry read and examined once.
Timing TimeFloor(const std::string& folder) {
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const double start = Now();
  DIR* listing = opendir(folder.c_str());
  long examined = 0;
  while (const dirent* entry = readdir(listing)) {
    struct stat status {};
    if (fstatat(dirfd(listing), entry->d_name, &status, 0) == 0) examined += status.st_mtime != 0;
  }
  closedir(listing);
  const double wall = Now() - start;
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  if (examined == 0) std::exit(1);
  return {wall,
          Seconds(after.ru_utime) + Seconds(after.ru_stime) - Seconds(before.ru_utime) -
              Seconds(before.ru_stime),
          0};
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--files" && has_value) {
      options.files = std::atol(argv[++i]);
    } else if (arg == "--same-time") {
      options.same_time = true;
    } else if (arg == "--runs" && has_value) {
      options.runs = std::atoi(argv[++i]);
    } else if (arg == "--folder" && has_value) {
      options.folder = argv[++i];
    } else if (arg == "--locale" && has_value) {
      options.locales.push_back(argv[++i]);
    } else {
      std::fprintf(stderr,
                   "usage: bench [--files N] [--same-time] [--runs R] [--folder PATH] [--locale NAME]...\n");
      std::exit(2);
    }
  }
  if (options.folder.empty()) options.folder = (fs::temp_directory_path() / "pageindex-bench").string();
  if (options.locales.empty()) options.locales = {"C.UTF-8", "en_US.UTF-8"};
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  MakeFolder(options);
  const std::string program = options.folder + "/pageindex";
  fs::copy_file(PAGEINDEX_BINARY, program);
  // The new folder's inodes go to disk first, and one untimed pass reads it into
  // the cache, so that no run pays for the folder's creation.
  sync();
  TimeFloor(options.folder);

  std::printf("| files | times | locale | pageindex s (cpu) | floor s (cpu) | ratio | peak MiB | index MiB |\n");
  std::printf("|---:|---|---|---:|---:|---:|---:|---:|\n");
  for (const std::string& locale : options.locales) {
    // Runs of the two alternate, so that a disturbance of the machine hits both alike.
    Timing indexer;
    Timing floor;
    for (int run = 0; run < options.runs; ++run) {
      const Timing one = TimeProgram(program, locale);
      indexer.wall = std::min(indexer.wall, one.wall);
      indexer.cpu = std::min(indexer.cpu, one.cpu);
      indexer.peak_kib = std::max(indexer.peak_kib, one.peak_kib);
      const Timing plain = TimeFloor(options.folder);
      floor.wall = std::min(floor.wall, plain.wall);
      floor.cpu = std::min(floor.cpu, plain.cpu);
    }
    const double index_mib = static_cast<double>(fs::file_size(options.folder + "/pageindex.html")) / 1048576.0;
    std::printf("| %ld | %s | %s | %.3f (%.3f) | %.3f (%.3f) | %.2f | %.1f | %.1f |\n", options.files,
                options.same_time ? "same" : "distinct", locale.c_str(), indexer.wall, indexer.cpu,
                floor.wall, floor.cpu, indexer.wall / floor.wall,
                static_cast<double>(indexer.peak_kib) / 1024.0, index_mib);
    std::fflush(stdout);
  }
  fs::remove_all(options.folder);
  return 0;
}
