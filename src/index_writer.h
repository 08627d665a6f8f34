// The index file writer: turns the ordered lines of the index into the bytes of
// the index file, each line followed by CR LF.
#pragma once

#include <cstddef>
#include <string>

class Platform;

// The lines the index file holds, in order.
class IndexLines {
 public:
  virtual ~IndexLines() = default;
  // The number of lines.
  virtual std::size_t Count() const = 0;
  // The length in bytes of line `index`, without its line end.
  virtual std::size_t Length(std::size_t index) const = 0;
  // Copies line `index` to `out`, which has room for Length(index) bytes; returns
  // the position after it.
  virtual char* Copy(std::size_t index, char* out) const = 0;
};

// Creates or truncates the file at `path`, then writes all lines in one write.
// Raises EFCreateError when the file cannot be created, EWriteError ("Stream write
// error") when the write fails or stops short; the file is closed on every path.
void WriteIndexFile(const IndexLines& lines, const std::string& path, Platform& platform);
