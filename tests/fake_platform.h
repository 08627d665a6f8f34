// An in-memory platform for unit tests: a folder of entries, files that are
// created and written, and a log of the calls, with failures that can be injected.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

// A folder entry as the fake lists it.
struct FakeEntry {
  std::string name;
  PackedFileTime time = 0;
  std::uint32_t attributes = 0;
};

// Packs a local date and time the way the folder listing delivers it.
inline PackedFileTime Packed(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0) {
  return static_cast<PackedFileTime>(((year - 1980) << 25) | (month << 21) | (day << 16) |
                                     (hour << 11) | (minute << 5) | (second / 2));
}

// `path` written with "/" as on Linux, with the separator of the system built for.
inline std::string NativePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = NativePathSyntax().separator;
  }
  return path;
}

class FakePlatform : public Platform {
 public:
  std::string executable_path = NativePath("/docs/pageindex");
  std::vector<FakeEntry> folder;
  int open_error = 0;              // OpenFolder fails with this code
  int break_off_after = -1;        // the listing fails after this many entries...
  int break_off_error = 5;         // ...with this code
  int create_error = 0;            // CreateIndexFile fails with this code
  std::size_t write_limit = static_cast<std::size_t>(-1);  // a write stops after this many bytes
  std::optional<std::string> date_separator_setting = "/";

  std::vector<std::string> calls;     // "remove P", "open P", "close listing", "create P", "write N", "close file"
  std::map<std::string, std::string> files;  // contents of the files created
  std::string standard_error;

  std::string ExecutablePath() override { return executable_path; }
  void RemoveFile(const std::string& path) override { calls.push_back("remove " + path); }
  std::string FullPath(const std::string& path) override { return path; }
  std::string ErrorText(int code) override {
    return code == 13 ? "Permission denied.\r\n" : code == 99 ? "" : "Error " + std::to_string(code);
  }

  std::unique_ptr<FolderListing> OpenFolder(const std::string& pattern, int& error) override {
    calls.push_back("open " + pattern);
    if (open_error != 0) {
      error = open_error;
      return nullptr;
    }
    return std::make_unique<Listing>(*this);
  }

  std::optional<std::string> DateSeparatorSetting() override { return date_separator_setting; }

  std::string CollationKey(std::string_view text) override {
    std::string key(text);
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
  }

  FileHandle CreateIndexFile(const std::string& path, int& error) override {
    calls.push_back("create " + path);
    if (create_error != 0) {
      error = create_error;
      return kNoFile;
    }
    files[path].clear();
    open_path_ = path;
    return 7;
  }

  bool WriteToFile(FileHandle, const char* data, std::size_t size, std::size_t& written) override {
    calls.push_back("write " + std::to_string(size));
    written = size < write_limit ? size : write_limit;
    files[open_path_].append(data, written);
    return written == size;
  }

  void CloseFile(FileHandle) override { calls.push_back("close file"); }

  void DescribeCodeAddress(const void*, char* module, std::size_t module_size,
                           std::uintptr_t& offset) override {
    std::snprintf(module, module_size, "pageindex");
    offset = 0x1234;
  }
  void ToConsoleCodePage(char*, std::size_t) override {}
  void WriteStandardError(const char* data, std::size_t size) override {
    standard_error.append(data, size);
  }

 private:
  class Listing final : public FolderListing {
   public:
    explicit Listing(FakePlatform& platform) : platform_(platform) {}
    ~Listing() override { platform_.calls.push_back("close listing"); }
    int Next(FolderEntry& entry) override {
      if (platform_.break_off_after == static_cast<int>(next_)) return platform_.break_off_error;
      if (next_ == platform_.folder.size()) return kEndOfFolder;
      const FakeEntry& fake = platform_.folder[next_++];
      entry.name = fake.name;
      entry.time = fake.time;
      entry.attributes = fake.attributes;
      return 0;
    }

   private:
    FakePlatform& platform_;
    std::size_t next_ = 0;
  };

  std::string open_path_;
};
