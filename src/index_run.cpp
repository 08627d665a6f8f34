#include "index_run.h"

#include "folder_scan.h"
#include "index_writer.h"
#include "listing.h"

std::string IndexFilePath(std::string_view executable_path, const PathSyntax& syntax) {
  // Only a dot that comes after the last delimiter starts the extension.
  const std::size_t last = syntax.FindLast(
      executable_path, [&](unsigned char byte) { return byte == '.' || syntax.is_delimiter(byte); });
  const bool has_extension = last != std::string_view::npos && executable_path[last] == '.';
  return std::string(executable_path.substr(0, has_extension ? last : executable_path.size())) + ".html";
}

void RunIndex(Platform& platform, char date_separator) {
  const PathSyntax& syntax = NativePathSyntax();
  platform.RemoveFile(IndexFilePath(platform.ExecutablePath(), syntax));

  EntryList entries(platform);
  {
    const std::string folder = ProgramFolder(platform.ExecutablePath(), syntax);
    FolderScan scan(platform);
    if (scan.Start(folder, SearchPattern(folder, syntax))) {
      do {
        entries.AddFile(scan.Current().name, scan.Current().time);
      } while (scan.Next());
      scan.Close();
    }
  }

  OutputList output(date_separator);
  output.FillFrom(entries);
  WriteIndexFile(output, IndexFilePath(platform.ExecutablePath(), syntax), platform);
}
