// Any three names, in several locales: collation keys order readable names as the
// locale's own comparison of their case-folded text does, case never tells two
// names apart in the key, and the listing keeps every name in one consistent order.
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "listing.h"
#include "platform/platform.h"

namespace {

const char* const kLocales[] = {"C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "sv_SE.UTF-8", "ja_JP.UTF-8", "C"};

// The text as the locale's comparison sees it, decoded and in lower case; nothing
// when a byte does not decode in the locale.
std::optional<std::wstring> Folded(std::string_view text) {
  std::wstring folded;
  std::mbstate_t state{};
  for (std::size_t i = 0; i < text.size();) {
    wchar_t wide = 0;
    const std::size_t used = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
    if (used == 0 || used > text.size() - i) return std::nullopt;
    folded += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wide)));
    i += used;
  }
  return folded;
}

int Sign(int value) { return (value > 0) - (value < 0); }

std::string SwapAsciiCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  Platform& platform = SystemPlatform();
  static int current = -1;
  const int locale = data[0] % static_cast<int>(std::size(kLocales));
  if (locale != current) {
    setenv("LOCPATH", PAGEINDEX_LOCALE_DIR, 1);
    Check(std::setlocale(LC_ALL, kLocales[locale]) != nullptr);
    current = locale;
  }

  std::vector<std::string> names(1);
  for (std::size_t i = 1; i < size && names.size() <= 3; ++i) {
    if (data[i] == 0) {
      names.emplace_back();
    } else {
      names.back() += static_cast<char>(data[i]);
    }
  }
  if (names.size() > 3) names.resize(3);

  for (const std::string& a : names) {
    const std::string key = platform.CollationKey(a);
    if (std::string_view(kLocales[locale]) != "C") Check(key == platform.CollationKey(SwapAsciiCase(a)));
    // For text the locale can read, keys order as its own comparison does. (On
    // bytes it cannot read, that comparison and its own keys disagree at times;
    // the keys are the one consistent order.)
    const auto folded_a = Folded(a);
    for (const std::string& b : names) {
      const auto folded_b = Folded(b);
      if (!folded_a || !folded_b) continue;
      const int by_keys = Sign(key.compare(platform.CollationKey(b)));
      Check(by_keys == Sign(std::wcscoll(folded_a->c_str(), folded_b->c_str())));
    }
  }

  // Listed at one time, distinct names all stand in the index, ordered as their
  // keys and then their bytes say, greatest first.
  EntryList entries(platform);
  std::vector<std::string> distinct;
  for (const std::string& name : names) {
    entries.AddFile(name, 0x3A650000);  // 5 March 2009
    bool seen = false;
    for (const std::string& other : distinct) seen = seen || other == name;
    if (!seen) distinct.push_back(name);
  }
  const auto ordered = entries.Ordered();
  Check(ordered.size() == distinct.size());
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    const std::string_view before = ordered[i - 1].Name();
    const std::string_view after = ordered[i].Name();
    const std::string key_before = platform.CollationKey(before);
    const std::string key_after = platform.CollationKey(after);
    Check(key_before < key_after || (key_before == key_after && before < after));
  }
  return 0;
}
