#include "index_run.h"

#include "folder_scan.h"
#include "index_writer.h"
#include "listing.h"

std::string IndexFilePath(std::string_view executable_path, const PathSyntax& syntax) {
  // The extension's dot is the last dot after the last delimiter; the second byte
  // of a double-byte character is neither.
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = 0; i < executable_path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(executable_path[i]);
    if (syntax.is_lead_byte(byte) && i + 1 < executable_path.size()) {
      ++i;
    } else if (byte == '.') {
      dot = i;
    } else if (byte != 0 && syntax.is_delimiter(byte)) {
      dot = std::string_view::npos;
    }
  }
  return std::string(executable_path.substr(0, dot)) + ".html";
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
