// Any executable path gives an index path and a program folder that keep the
// path's folder and only ever change its last component.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "folder_scan.h"
#include "index_run.h"
#include "path_syntaxes.h"

namespace {

// Where each character of `path` starts, under the syntax's double-byte rule.
std::vector<bool> CharacterStarts(std::string_view path, const PathSyntax& syntax) {
  std::vector<bool> starts(path.size(), false);
  for (std::size_t i = 0; i < path.size(); ++i) {
    starts[i] = true;
    if (syntax.is_lead_byte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ++i;
  }
  return starts;
}

bool IsDelimiterAt(std::string_view path, const std::vector<bool>& starts, std::size_t i,
                   const PathSyntax& syntax) {
  const auto byte = static_cast<unsigned char>(path[i]);
  return starts[i] && byte != 0 && syntax.is_delimiter(byte);
}

void CheckPath(std::string_view path, const PathSyntax& syntax) {
  const std::vector<bool> starts = CharacterStarts(path, syntax);
  std::size_t component = 0;  // where the last component starts
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsDelimiterAt(path, starts, i, syntax)) component = i + 1;
  }

  const std::string folder = ProgramFolder(path, syntax);
  Check(folder == path.substr(0, component));

  const std::string pattern = SearchPattern(folder, syntax);
  Check(pattern.starts_with(folder) && pattern.ends_with("*.html"));
  Check(pattern.size() - folder.size() - 6 <= 1);

  const std::string index = IndexFilePath(path, syntax);
  Check(index.ends_with(".html"));
  const std::string_view kept(index.data(), index.size() - 5);
  Check(path.starts_with(kept) && kept.size() >= component);
  if (kept.size() < path.size()) {
    // What was replaced is an extension: a dot that starts a character, and no
    // later dot or delimiter.
    Check(path[kept.size()] == '.' && starts[kept.size()]);
    for (std::size_t i = kept.size() + 1; i < path.size(); ++i) {
      Check(!(starts[i] && path[i] == '.') && !IsDelimiterAt(path, starts, i, syntax));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  CheckPath(path, kSlashSyntax);
  CheckPath(path, kDoubleByteSyntax);
  return 0;
}
