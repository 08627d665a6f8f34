// The platform layer on Windows, through the 8-bit (ANSI) entry points throughout.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "failures.h"
#include "platform/platform.h"

namespace {

bool IsDelimiter(unsigned char byte) { return byte == '\\' || byte == ':'; }
bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

std::uint64_t Ticks(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// 1 January 1980 00:00:00 in 100-nanosecond ticks since 1601.
constexpr std::uint64_t kTicksAt1980 = 119600064000000000ull;

PackedFileTime PackLocalTime(const FILETIME& universal) {
  FILETIME local{};
  if (!FileTimeToLocalFileTime(&universal, &local)) {
    return Ticks(universal) < kTicksAt1980 ? kEarliestPackedTime : kLatestPackedTime;
  }
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToDosDateTime(&local, &date, &time)) {
    return Ticks(local) < kTicksAt1980 ? kEarliestPackedTime : kLatestPackedTime;
  }
  return (PackedFileTime{date} << 16) | time;
}

class Win32FolderListing final : public FolderListing {
 public:
  // An enumeration whose first entry `first` already holds; no handle means the
  // pattern matched nothing.
  Win32FolderListing(HANDLE find, const WIN32_FIND_DATAA& first)
      : find_(find), data_(first), first_pending_(find != INVALID_HANDLE_VALUE) {}
  ~Win32FolderListing() override {
    if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  }
  Win32FolderListing(const Win32FolderListing&) = delete;
  Win32FolderListing& operator=(const Win32FolderListing&) = delete;

  int Next(FolderEntry& entry) override {
    if (find_ == INVALID_HANDLE_VALUE) return kEndOfFolder;
    if (first_pending_) {
      first_pending_ = false;
    } else if (!FindNextFileA(find_, &data_)) {
      const DWORD error = GetLastError();
      return error == ERROR_NO_MORE_FILES ? kEndOfFolder : static_cast<int>(error);
    }
    entry.name = std::string_view(data_.cFileName, strnlen(data_.cFileName, MAX_PATH));
    entry.attributes = data_.dwFileAttributes;
    entry.time = PackLocalTime(data_.ftLastWriteTime);
    return 0;
  }

 private:
  HANDLE find_;
  WIN32_FIND_DATAA data_;
  bool first_pending_;
};

class Win32Platform final : public Platform {
 public:
  std::string ExecutablePath() override {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path that fills the buffer has been cut, and would name another file.
    if (length == 0 || length >= sizeof path) {
      Raise<EOSError>("Cannot find the program's own path. " +
                      TrimErrorText(ErrorText(length == 0 ? static_cast<int>(GetLastError())
                                                          : ERROR_FILENAME_EXCED_RANGE)));
    }
    return std::string(path, length);
  }

  void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }

  std::string FullPath(const std::string& path) override {
    char full[MAX_PATH];
    char* file_part = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, &file_part);
    if (length == 0 || length >= MAX_PATH) return path;
    return std::string(full, length);
  }

  std::string ErrorText(int code) override {
    char text[256];
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        nullptr, static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    return std::string(text, length);
  }

  std::unique_ptr<FolderListing> OpenFolder(const std::string& pattern, int& error) override {
    WIN32_FIND_DATAA first{};
    const HANDLE find = FindFirstFileA(pattern.c_str(), &first);
    if (find == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code != ERROR_FILE_NOT_FOUND) {
        error = static_cast<int>(code);
        return nullptr;
      }
    }
    return std::make_unique<Win32FolderListing>(find, first);
  }

  std::optional<std::string> DateSeparatorSetting() override {
    // Room for one character and its NUL: a longer setting makes the call fail.
    char setting[2] = {};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SDATE, setting, 2) <= 0) return std::nullopt;
    return std::string(setting);
  }

  std::string CollationKey(std::string_view text) override {
    // Sort keys order exactly as CompareStringA does with the same flags.
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = static_cast<int>(text.size());
    const int size = LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::string key(static_cast<std::size_t>(size), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, key.data(), size);
    while (!key.empty() && key.back() == '\0') key.pop_back();
    return key;
  }

  FileHandle CreateIndexFile(const std::string& path, int& error) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = static_cast<int>(GetLastError());
      return kNoFile;
    }
    return reinterpret_cast<FileHandle>(file);
  }

  bool WriteToFile(FileHandle file, const char* data, std::size_t size,
                   std::size_t& written) override {
    // One call's count is 32 bits wide; a larger image goes in several calls.
    written = 0;
    while (written < size) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - written, 0x7FFFF000));
      DWORD done = 0;
      if (!WriteFile(reinterpret_cast<HANDLE>(file), data + written, chunk, &done, nullptr)) return false;
      written += done;
      if (done < chunk) return false;
    }
    return true;
  }

  void CloseFile(FileHandle file) override { CloseHandle(reinterpret_cast<HANDLE>(file)); }

  void DescribeCodeAddress(const void* address, char* module, std::size_t module_size,
                           std::uintptr_t& offset) override {
    HMODULE holder = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &holder)) {
      holder = GetModuleHandleA(nullptr);
    }
    offset = reinterpret_cast<std::uintptr_t>(address) - reinterpret_cast<std::uintptr_t>(holder);
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(holder, path, MAX_PATH);
    path[length] = '\0';
    const std::size_t last = NativePathSyntax().FindLast({path, length}, IsDelimiter);
    const char* name = last == std::string_view::npos ? path : path + last + 1;
    std::strncpy(module, name, module_size - 1);
    module[module_size - 1] = '\0';
  }

  void ToConsoleCodePage(char* text, std::size_t length) override {
    CharToOemBuffA(text, text, static_cast<DWORD>(length));
  }

  void WriteStandardError(const char* data, std::size_t size) override {
    DWORD done = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), data, static_cast<DWORD>(size), &done, nullptr);
  }
};

}  // namespace

const PathSyntax& NativePathSyntax() {
  static constexpr PathSyntax kSyntax{'\\', IsDelimiter, IsLeadByte};
  return kSyntax;
}

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}
