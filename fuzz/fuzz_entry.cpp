// Any name gives exactly one line whose link target and text give the name back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check.h"
#include "fake_platform.h"
#include "listing.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Undoes the character references the listing writes.
std::string HtmlUnescape(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      plain += text[i];
      continue;
    }
    const std::size_t end = text.find(';', i);
    if (end == std::string_view::npos) std::abort();
    const std::string_view name = text.substr(i + 1, end - i - 1);
    if (name == "amp") plain += '&';
    else if (name == "lt") plain += '<';
    else if (name == "gt") plain += '>';
    else if (name == "quot") plain += '"';
    else if (name.size() > 1 && name[0] == '#') plain += static_cast<char>(std::atoi(std::string(name.substr(1)).c_str()));
    else std::abort();
    i = end;
  }
  return plain;
}

std::string PercentDecode(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      plain += text[i];
      continue;
    }
    if (i + 2 >= text.size()) std::abort();
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) std::abort();
    plain += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  // A folder entry's name holds no NUL and no "/", and at most 255 bytes.
  if (size == 0 || size > 255 || name.find('\0') != std::string_view::npos ||
      name.find('/') != std::string_view::npos) {
    return 0;
  }
  FakePlatform platform;
  EntryList entries(platform);
  entries.AddFile(name, Packed(2009, 3, 5, 7, 4, 2));
  OutputList output('/');
  output.FillFrom(entries);
  Check(output.Count() == 1);
  std::string line(output.Length(0), '\0');
  Check(output.Copy(0, line.data()) == line.data() + line.size());

  Check(line.find_first_of("\r\n") == std::string::npos);
  const std::string_view opening = "05/03/2009 <a href=\"";
  const std::string_view close = "</a><br>";
  Check(line.starts_with(opening) && line.ends_with(close));
  const std::string_view link(line.data() + opening.size(), line.size() - opening.size() - close.size());
  const std::size_t middle = link.find("\">");
  Check(middle != std::string_view::npos);
  const std::string_view target = link.substr(0, middle);
  const std::string_view text = link.substr(middle + 2);
  Check(target.find_first_of("<>\"") == std::string_view::npos);
  Check(text.find_first_of("<>\"") == std::string_view::npos);
  Check(PercentDecode(HtmlUnescape(target)) == name);
  Check(HtmlUnescape(text) == name);
  return 0;
}
