// The operating-system operations pageindex uses, behind one interface so that
// the program logic runs unchanged on Linux, on Windows and against a fake in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A local last-write time: the date word (years since 1980, month, day) in the
// upper 16 bits and the time word (hour, minute, seconds / 2) in the lower 16 bits.
using PackedFileTime = std::uint32_t;

// 1 January 1980 00:00:00 and 31 December 2107 23:59:58, the ends of the packed range;
// a last-write time outside the range is clamped to the nearer end.
inline constexpr PackedFileTime kEarliestPackedTime = (1u << 21) | (1u << 16);
inline constexpr PackedFileTime kLatestPackedTime =
    (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;

// Attribute bits of a folder entry; an entry with any of them set is not listed.
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeVolumeLabel = 0x8;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

// How paths are written on this system: the folder separator, which bytes end a
// folder name, and which bytes start a double-byte character (whose second byte is
// never a delimiter).
struct PathSyntax {
  char separator;
  bool (*is_delimiter)(unsigned char byte);
  bool (*is_lead_byte)(unsigned char byte);

  // Position of the last character of `path` that `wanted` accepts, never the second
  // byte of a double-byte character nor a NUL; npos when there is none.
  template <class Wanted>
  std::size_t FindLast(std::string_view path, Wanted wanted) const {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
      const auto byte = static_cast<unsigned char>(path[i]);
      if (is_lead_byte(byte) && i + 1 < path.size()) {
        ++i;
      } else if (byte != 0 && wanted(byte)) {
        last = i;
      }
    }
    return last;
  }
};

// The path syntax of the system the program was built for.
const PathSyntax& NativePathSyntax();

// One entry of a folder listing; `name` stays valid until the listing's next step.
struct FolderEntry {
  std::string_view name;
  std::uint32_t attributes = 0;
  PackedFileTime time = 0;
};

// Returned by FolderListing::Next when the folder has no further entry.
inline constexpr int kEndOfFolder = -1;

// An open enumeration of the entries of one folder that match a search pattern.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // Fills `entry` with the next matching entry and returns 0; returns kEndOfFolder
  // at the end, or the system's error code when the listing breaks off.
  virtual int Next(FolderEntry& entry) = 0;
};

// A handle to an open file; kNoFile stands for none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// The system's services as the program uses them; one implementation per system,
// and an in-memory one in the tests.
class Platform {
 public:
  virtual ~Platform() = default;

  // The full path of the running executable, exactly as the system reports it.
  // Raises EOSError when the system cannot report it whole.
  virtual std::string ExecutablePath() = 0;
  // Removes the named file if it can; whether it did is not reported.
  virtual void RemoveFile(const std::string& path) = 0;
  // The absolute form of `path`.
  virtual std::string FullPath(const std::string& path) = 0;
  // The system's text for an error code, or "" when it has none.
  virtual std::string ErrorText(int code) = 0;

  // Opens an enumeration of the entries that match `pattern` (a folder followed by
  // "*" and a name ending); on failure returns null and stores the error code.
  virtual std::unique_ptr<FolderListing> OpenFolder(const std::string& pattern,
                                                    int& error) = 0;

  // The locale's date separator setting as 8-bit text, or nothing when it cannot be read.
  virtual std::optional<std::string> DateSeparatorSetting() = 0;
  // A key for `text` under the locale's case-insensitive collation: keys compare
  // bytewise as the texts compare; texts that differ only in case get equal keys.
  virtual std::string CollationKey(std::string_view text) = 0;

  // Creates `path`, or truncates it if it exists, for exclusive reading and writing;
  // on failure returns kNoFile and stores the error code.
  virtual FileHandle CreateIndexFile(const std::string& path, int& error) = 0;
  // Writes `size` bytes; returns false on failure. `written` tells how many got out.
  virtual bool WriteToFile(FileHandle file, const char* data, std::size_t size,
                         std::size_t& written) = 0;
  // Closes a file made by CreateIndexFile; the outcome is not reported.
  virtual void CloseFile(FileHandle file) = 0;

  // The file name (without folder) of the module holding `address`, as a
  // NUL-terminated text in `module`, and the address's offset from the module's base.
  // Uses no dynamic memory, so it works when memory is exhausted.
  virtual void DescribeCodeAddress(const void* address, char* module,
                                   std::size_t module_size, std::uintptr_t& offset) = 0;
  // Converts a failure report in place to the console's code page, keeping its length.
  virtual void ToConsoleCodePage(char* text, std::size_t length) = 0;
  // Writes bytes to the standard error stream; the outcome is not used.
  virtual void WriteStandardError(const char* data, std::size_t size) = 0;
};

// The real system, with the user's locale in force; made on first use.
Platform& SystemPlatform();
