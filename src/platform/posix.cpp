// The platform layer on Linux and other POSIX systems.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "failures.h"
#include "platform/platform.h"

namespace {

bool IsSlash(unsigned char byte) { return byte == '/'; }
bool NoLeadBytes(unsigned char) { return false; }

bool EndsWithIgnoringAsciiCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  const std::string_view tail = name.substr(name.size() - ending.size());
  for (std::size_t i = 0; i < ending.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ending[i]) return false;
  }
  return true;
}

PackedFileTime PackLocalTime(std::time_t seconds) {
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) {
    return seconds < 0 ? kEarliestPackedTime : kLatestPackedTime;
  }
  const long year = static_cast<long>(local.tm_year) + 1900;
  if (year < 1980) return kEarliestPackedTime;
  if (year > 2107) return kLatestPackedTime;
  // A leap second (60) would make a seconds field the date-time value rejects.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  const auto date = static_cast<PackedFileTime>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) |
                                                local.tm_mday);
  const auto clock = static_cast<PackedFileTime>((local.tm_hour << 11) | (local.tm_min << 5) |
                                                 (second / 2));
  return (date << 16) | clock;
}

// Lists the regular files of a folder whose names end in a given text (ASCII case
// ignored), following symbolic links; entries that vanish or cannot be examined
// are passed over.
class PosixFolderListing final : public FolderListing {
 public:
  PosixFolderListing(DIR* folder, std::string ending) : folder_(folder), ending_(std::move(ending)) {}
  ~PosixFolderListing() override { closedir(folder_); }
  PosixFolderListing(const PosixFolderListing&) = delete;
  PosixFolderListing& operator=(const PosixFolderListing&) = delete;

  int Next(FolderEntry& entry) override {
    for (;;) {
      errno = 0;
      const dirent* raw = readdir(folder_);
      if (raw == nullptr) return errno == 0 ? kEndOfFolder : errno;
      const std::string_view name = raw->d_name;
      if (!EndsWithIgnoringAsciiCase(name, ending_)) continue;
      struct stat status {};
      if (fstatat(dirfd(folder_), raw->d_name, &status, 0) != 0) continue;
      entry.name = name;
      entry.attributes = 0;
      if (S_ISDIR(status.st_mode)) {
        entry.attributes |= kAttributeDirectory;
      } else if (!S_ISREG(status.st_mode)) {
        // FIFOs, sockets and devices are the system's, not documents.
        entry.attributes |= kAttributeSystem;
      }
      if (name.front() == '.') entry.attributes |= kAttributeHidden;
      // Documents often share their time (an unpacked archive, a generated site),
      // and the local-time conversion is the dearest step per document.
      if (status.st_mtim.tv_sec != last_seconds_ || !have_last_) {
        last_seconds_ = status.st_mtim.tv_sec;
        last_time_ = PackLocalTime(last_seconds_);
        have_last_ = true;
      }
      entry.time = last_time_;
      return 0;
    }
  }

 private:
  DIR* folder_;
  std::string ending_;
  bool have_last_ = false;
  std::time_t last_seconds_ = 0;
  PackedFileTime last_time_ = 0;
};

// Writes a collation weight so that the byte order of the encodings is the order of
// the weights: longer encodings start with larger first bytes.
char* PutWeight(char* out, std::uint32_t weight) {
  if (weight < 0x80) {
    *out++ = static_cast<char>(weight);
  } else if (weight < 0x4000) {
    *out++ = static_cast<char>(0x80 | (weight >> 8));
    *out++ = static_cast<char>(weight & 0xFF);
  } else if (weight < 0x200000) {
    *out++ = static_cast<char>(0xC0 | (weight >> 16));
    *out++ = static_cast<char>((weight >> 8) & 0xFF);
    *out++ = static_cast<char>(weight & 0xFF);
  } else {
    *out++ = static_cast<char>(0xE0 | ((weight >> 24) & 0x1F));
    *out++ = static_cast<char>((weight >> 16) & 0xFF);
    *out++ = static_cast<char>((weight >> 8) & 0xFF);
    *out++ = static_cast<char>(weight & 0xFF);
  }
  return out;
}

class PosixPlatform final : public Platform {
 public:
  PosixPlatform() { std::setlocale(LC_ALL, ""); }

  std::string ExecutablePath() override {
    std::vector<char> buffer(256);
    for (;;) {
      const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (length < 0) {
        const int error = errno;
        Raise<EOSError>("Cannot find the program's own path. " + TrimErrorText(ErrorText(error)));
      }
      if (static_cast<std::size_t>(length) < buffer.size()) {
        return std::string(buffer.data(), static_cast<std::size_t>(length));
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  void RemoveFile(const std::string& path) override { unlink(path.c_str()); }

  std::string FullPath(const std::string& path) override {
    if (!path.empty() && path.front() == '/') return path;
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE) return path;
      buffer.resize(buffer.size() * 2);
    }
    std::string full = buffer.data();
    if (full.back() != '/') full += '/';
    return full + path;
  }

  std::string ErrorText(int code) override { return std::strerror(code); }

  std::unique_ptr<FolderListing> OpenFolder(const std::string& pattern, int& error) override {
    const std::size_t star = pattern.rfind('*');
    const std::string folder = star == 0 ? "." : pattern.substr(0, star);
    DIR* handle = opendir(folder.c_str());
    if (handle == nullptr) {
      error = errno;
      return nullptr;
    }
    return std::make_unique<PosixFolderListing>(handle, pattern.substr(star + 1));
  }

  std::optional<std::string> DateSeparatorSetting() override {
    // The separator is the literal text between the first two conversions of the
    // locale's date format, as in "%d.%m.%Y".
    const char* format = nl_langinfo(D_FMT);
    if (format == nullptr) return std::nullopt;
    const char* first_end = SkipConversion(std::strchr(format, '%'));
    if (first_end == nullptr) return std::nullopt;
    const char* second = std::strchr(first_end, '%');
    if (second == nullptr || second[1] == '\0') return std::nullopt;
    return std::string(first_end, second);
  }

  std::string CollationKey(std::string_view text) override {
    // Case is folded first, so that the locale's collation sees no case at all;
    // bytes that do not decode stand for distinct characters of their own.
    folded_.clear();
    std::mbstate_t state{};
    for (std::size_t i = 0; i < text.size();) {
      const auto byte = static_cast<unsigned char>(text[i]);
      wchar_t wide = 0;
      std::size_t used = 1;
      if (byte < 0x80) {
        wide = static_cast<wchar_t>(byte);
      } else {
        used = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) ||
            used == 0) {
          state = std::mbstate_t{};
          wide = static_cast<wchar_t>(0xDC00 + byte);
          used = 1;
        }
      }
      if (wide == 0) wide = 0xDC00;
      folded_.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wide))));
      i += used;
    }
    folded_.push_back(L'\0');

    if (weights_.size() < 4 * folded_.size()) weights_.resize(4 * folded_.size());
    std::size_t needed = std::wcsxfrm(weights_.data(), folded_.data(), weights_.size());
    if (needed >= weights_.size()) {
      weights_.resize(needed + 1);
      needed = std::wcsxfrm(weights_.data(), folded_.data(), weights_.size());
    }

    std::string key(4 * needed, '\0');
    char* out = key.data();
    for (std::size_t i = 0; i < needed; ++i) out = PutWeight(out, static_cast<std::uint32_t>(weights_[i]));
    key.resize(static_cast<std::size_t>(out - key.data()));
    return key;
  }

  FileHandle CreateIndexFile(const std::string& path, int& error) override {
    const int file = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) {
      error = errno;
      return kNoFile;
    }
    return file;
  }

  bool WriteToFile(FileHandle file, const char* data, std::size_t size,
                 std::size_t& written) override {
    // One request may be cut by the kernel (at about 2 GiB, or on a signal); the
    // rest is sent until it is all out or the system refuses.
    written = 0;
    while (written < size) {
      const ssize_t result = write(static_cast<int>(file), data + written, size - written);
      if (result < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (result == 0) return false;
      written += static_cast<std::size_t>(result);
    }
    return true;
  }

  void CloseFile(FileHandle file) override { close(static_cast<int>(file)); }

  void DescribeCodeAddress(const void* address, char* module, std::size_t module_size,
                           std::uintptr_t& offset) override {
    Dl_info info{};
    Dl_info own{};
    const bool found = dladdr(address, &info) != 0;
    dladdr(reinterpret_cast<const void*>(&NoLeadBytes), &own);
    offset = reinterpret_cast<std::uintptr_t>(address);
    if (found) offset -= reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    // For the program itself the loader only knows the name it was started by,
    // so the executable's own file name is read from the system instead.
    char path[PATH_MAX + 1];
    const char* name = found && info.dli_fname != nullptr ? info.dli_fname : "";
    if (!found || info.dli_fbase == own.dli_fbase) {
      const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
      path[length < 0 ? 0 : length] = '\0';
      name = path;
    }
    const char* slash = std::strrchr(name, '/');
    if (slash != nullptr) name = slash + 1;
    std::strncpy(module, name, module_size - 1);
    module[module_size - 1] = '\0';
  }

  void ToConsoleCodePage(char*, std::size_t) override {}

  void WriteStandardError(const char* data, std::size_t size) override {
    std::size_t written = 0;
    WriteToFile(STDERR_FILENO, data, size, written);
  }

 private:
  // The end of the conversion that starts at `percent` (flags, width and an E or O
  // modifier included), or null when there is none.
  static const char* SkipConversion(const char* percent) {
    if (percent == nullptr) return nullptr;
    const char* p = percent + 1;
    while (*p == '_' || *p == '-' || *p == '0' || *p == '^' || *p == '#') ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == 'E' || *p == 'O') ++p;
    return *p == '\0' ? nullptr : p + 1;
  }

  std::vector<wchar_t> folded_;
  std::vector<wchar_t> weights_;
};

}  // namespace

const PathSyntax& NativePathSyntax() {
  static constexpr PathSyntax kSyntax{'/', IsSlash, NoLeadBytes};
  return kSyntax;
}

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}
