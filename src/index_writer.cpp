#include "index_writer.h"

#include <memory>

#include "failures.h"
#include "platform/platform.h"

namespace {

// Owns the open index file and closes it on every way out.
class IndexFile {
 public:
  IndexFile(Platform& platform, FileHandle handle) : platform_(platform), handle_(handle) {}
  ~IndexFile() { platform_.CloseFile(handle_); }
  IndexFile(const IndexFile&) = delete;
  IndexFile& operator=(const IndexFile&) = delete;
  FileHandle handle() const { return handle_; }

 private:
  Platform& platform_;
  FileHandle handle_;
};

[[noreturn]] void RaiseCannotCreate(const std::string& path, int error, Platform& platform) {
  Raise<EFCreateError>("Cannot create file \"" + platform.FullPath(path) + "\". " +
                       TrimErrorText(platform.ErrorText(error)));
}

}  // namespace

void WriteIndexFile(const IndexLines& lines, const std::string& path, Platform& platform) {
  int error = 0;
  const FileHandle handle = platform.CreateIndexFile(path, error);
  if (handle == kNoFile) RaiseCannotCreate(path, error, platform);
  IndexFile file(platform, handle);

  // The image is sized in a counting pass so that it takes exactly one allocation.
  const std::size_t count = lines.Count();
  std::size_t size = 0;
  for (std::size_t i = 0; i < count; ++i) size += lines.Length(i) + 2;
  if (size == 0) return;

  const auto image = std::make_unique_for_overwrite<char[]>(size);
  char* out = image.get();
  for (std::size_t i = 0; i < count; ++i) {
    out = lines.Copy(i, out);
    *out++ = '\r';
    *out++ = '\n';
  }

  std::size_t written = 0;
  if (!platform.WriteToFile(file.handle(), image.get(), size, written) || written != size) {
    Raise<EWriteError>("Stream write error");
  }
}
