// The folder scan: which entries of the program folder the index lists, and what
// is known of each (its name and its packed last-write time).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "date_text.h"
#include "platform/platform.h"

// The path up to and including its last folder delimiter; "" when it has none.
std::string ProgramFolder(std::string_view executable_path, const PathSyntax& syntax);

// The program folder, a delimiter unless it already ends in one, then "*.html".
std::string SearchPattern(std::string_view program_folder, const PathSyntax& syntax);

// The date-time value of a packed file time; raises EConvertError ("Invalid argument
// to date encode" or "... time encode") when the fields are no valid date or time.
DateTimeValue ToDateTimeValue(PackedFileTime time);

// A qualifying entry of the program folder; `name` is valid until the scan moves on.
struct FoundFile {
  std::string_view name;
  PackedFileTime time = 0;
};

// Walks the qualifying entries of one folder: not a directory, not hidden, not a
// system entry or volume label. The enumeration is released on every way out.
class FolderScan {
 public:
  // A scan not yet started, listing through `platform`.
  explicit FolderScan(Platform& platform) : platform_(platform) {}
  // Closes the enumeration if it is still open.
  ~FolderScan() { Close(); }
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  // Opens `pattern` in `program_folder`; true when a first found file is current.
  // False when none qualifies (the scan is then closed). A folder that cannot be
  // listed raises EOSError.
  bool Start(const std::string& program_folder, const std::string& pattern);
  // Moves to the next found file; false when there is none. A listing that breaks
  // off raises EOSError.
  bool Next();
  // Releases the enumeration if it is open; closing a closed scan does nothing.
  void Close() { listing_.reset(); }
  // The found file delivered last.
  const FoundFile& Current() const { return current_; }

 private:
  bool Deliver();
  [[noreturn]] void RaiseCannotList(int error);

  Platform& platform_;
  std::string program_folder_;
  std::unique_ptr<FolderListing> listing_;
  FolderEntry entry_;
  FoundFile current_;
};
