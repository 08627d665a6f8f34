#include "listing.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "folder_scan.h"

namespace {

constexpr std::string_view kLinkOpening = " <a href=\"";
constexpr std::string_view kLinkMiddle = "\">";
constexpr std::string_view kLinkClose = "</a><br>";

// A name's bytes pass into the page unchanged unless they could end the attribute,
// open markup, split the line, or make the link point elsewhere.
constexpr std::string_view CharacterReference(unsigned char byte) {
  switch (byte) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    default: return {};
  }
}

constexpr bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

constexpr bool IsPercentEncoded(unsigned char byte) {
  return IsControl(byte) || byte == '%' || byte == '#' || byte == '?' || byte == ':' ||
         byte == '\\';
}

struct EscapeTables {
  std::array<std::uint8_t, 256> target{};
  std::array<std::uint8_t, 256> text{};
  std::array<bool, 256> plain{};  // written unchanged in target and text alike
};

constexpr EscapeTables MakeEscapeTables() {
  EscapeTables tables;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const auto b = static_cast<unsigned char>(byte);
    const std::size_t reference = CharacterReference(b).size();
    tables.target[byte] =
        static_cast<std::uint8_t>(IsPercentEncoded(b) ? 3 : reference ? reference : 1);
    const std::size_t numeric = byte < 10 ? 4 : byte < 100 ? 5 : 6;
    tables.text[byte] = static_cast<std::uint8_t>(
        b != 0 && IsControl(b) ? numeric : reference ? reference : 1);
    tables.plain[byte] = tables.target[byte] == 1 && tables.text[byte] == 1;
  }
  return tables;
}

constexpr EscapeTables kEscape = MakeEscapeTables();

std::size_t EscapedLength(std::string_view name, const std::array<std::uint8_t, 256>& table) {
  std::size_t length = 0;
  for (char c : name) length += table[static_cast<unsigned char>(c)];
  return length;
}

char* Put(std::string_view text, char* out) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* WriteTarget(std::string_view name, char* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (kEscape.target[byte] == 1) {
      *out++ = c;
    } else if (IsPercentEncoded(byte)) {
      *out++ = '%';
      *out++ = kHex[byte >> 4];
      *out++ = kHex[byte & 15];
    } else {
      out = Put(CharacterReference(byte), out);
    }
  }
  return out;
}

char* WriteText(std::string_view name, char* out) {
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (kEscape.text[byte] == 1) {
      *out++ = c;
    } else if (IsControl(byte)) {
      *out++ = '&';
      *out++ = '#';
      if (byte >= 100) *out++ = static_cast<char>('0' + byte / 100);
      if (byte >= 10) *out++ = static_cast<char>('0' + byte / 10 % 10);
      *out++ = static_cast<char>('0' + byte % 10);
      *out++ = ';';
    } else {
      out = Put(CharacterReference(byte), out);
    }
  }
  return out;
}

bool IsPlain(std::string_view name) {
  for (char c : name) {
    if (!kEscape.plain[static_cast<unsigned char>(c)]) return false;
  }
  return true;
}

// Everything of an entry's line after the link opening: target, middle, text, close.
std::size_t RestOfLineLength(const IndexEntry& entry) {
  const std::string_view name = entry.Name();
  const std::size_t escaped = entry.plain ? 2 * name.size()
                                          : EscapedLength(name, kEscape.target) +
                                                EscapedLength(name, kEscape.text);
  return escaped + kLinkMiddle.size() + kLinkClose.size();
}

char* WriteRestOfLine(const IndexEntry& entry, char* out) {
  const std::string_view name = entry.Name();
  out = entry.plain ? Put(name, out) : WriteTarget(name, out);
  out = Put(kLinkMiddle, out);
  out = entry.plain ? Put(name, out) : WriteText(name, out);
  return Put(kLinkClose, out);
}

constexpr std::size_t kNameChunkSize = 256 * 1024;

// Most names differ within the first bytes of their collation keys, so those bytes
// are kept for every entry of a time; full keys are made only where they tie.
constexpr std::size_t kCollationPrefixSize = 24;

struct CollationPrefix {
  std::array<char, kCollationPrefixSize> bytes;
  std::uint8_t length;
  bool complete;  // the whole key fits in `bytes`
  std::strong_ordering operator<=>(const CollationPrefix& other) const {
    const int order = std::memcmp(bytes.data(), other.bytes.data(), std::min(length, other.length));
    if (order != 0) return order <=> 0;
    if (length != other.length) return length <=> other.length;
    // A whole key is less than a longer key that starts with the same bytes.
    return !complete <=> !other.complete;
  }
  bool operator==(const CollationPrefix& other) const { return (*this <=> other) == 0; }
};

}  // namespace

std::string LinkTarget(std::string_view name) {
  std::string target(EscapedLength(name, kEscape.target), '\0');
  WriteTarget(name, target.data());
  return target;
}

std::string LinkText(std::string_view name) {
  std::string text(EscapedLength(name, kEscape.text), '\0');
  WriteText(name, text.data());
  return text;
}

std::size_t IndexEntryLength(const IndexEntry& entry, char date_separator) {
  const std::size_t date_length = date_separator == '\0' ? 8 : 10;
  return date_length + kLinkOpening.size() + RestOfLineLength(entry);
}

char* WriteIndexEntry(const IndexEntry& entry, char date_separator, char* out) {
  const DisplayDate date = RenderDisplayDate(entry.key, date_separator);
  out = Put({date.text.data(), date.length}, out);
  out = Put(kLinkOpening, out);
  return WriteRestOfLine(entry, out);
}

EntryList::EntryList(Platform& platform) : platform_(platform) {}

void EntryList::AddFile(std::string_view name, PackedFileTime time) {
  const SortKey key = RenderSortKey(ToDateTimeValue(time));
  if (chunk_free_ == nullptr || name.size() > chunk_room_) {
    const std::size_t size = std::max(kNameChunkSize, name.size());
    name_chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    chunk_free_ = name_chunks_.back().get();
    chunk_room_ = size;
  }
  std::memcpy(chunk_free_, name.data(), name.size());
  entries_.push_back({chunk_free_, key, static_cast<std::uint16_t>(name.size()), IsPlain(name)});
  chunk_free_ += name.size();
  chunk_room_ -= name.size();
}

std::span<const IndexEntry> EntryList::Ordered() {
  const auto by_key = [](const IndexEntry& a, const IndexEntry& b) { return a.key < b.key; };
  if (!std::is_sorted(entries_.begin(), entries_.end(), by_key)) {
    std::sort(entries_.begin(), entries_.end(), by_key);
  }
  for (auto run = entries_.begin(); run != entries_.end();) {
    auto end = std::find_if(run, entries_.end(),
                            [&](const IndexEntry& e) { return e.key != run->key; });
    if (end - run > 1) OrderSameTime({run, end});
    run = end;
  }
  entries_.erase(std::unique(entries_.begin(), entries_.end(),
                             [](const IndexEntry& a, const IndexEntry& b) {
                               return a.key == b.key && a.Name() == b.Name();
                             }),
                 entries_.end());
  return entries_;
}

void EntryList::OrderSameTime(std::span<IndexEntry> run) {
  // Entries of one time share the sort key, the display date and the link opening,
  // and the rest of their lines comes down to their names: the names' collation
  // decides, then their bytes, so that names differing only in case keep an order.
  struct Collated {
    CollationPrefix prefix;
    IndexEntry entry;
  };
  std::vector<Collated> collated;
  collated.reserve(run.size());
  for (const IndexEntry& entry : run) {
    const std::string key = platform_.CollationKey(entry.Name());
    Collated item{{}, entry};
    item.prefix.length = static_cast<std::uint8_t>(std::min(key.size(), kCollationPrefixSize));
    item.prefix.complete = key.size() <= kCollationPrefixSize;
    std::memcpy(item.prefix.bytes.data(), key.data(), item.prefix.length);
    collated.push_back(item);
  }
  std::sort(collated.begin(), collated.end(),
            [](const Collated& a, const Collated& b) { return a.prefix < b.prefix; });

  for (auto tie = collated.begin(); tie != collated.end();) {
    auto end = std::find_if(tie, collated.end(),
                            [&](const Collated& c) { return c.prefix != tie->prefix; });
    if (end - tie > 1) {
      struct Full {
        std::string key;
        IndexEntry entry;
      };
      std::vector<Full> full;
      full.reserve(static_cast<std::size_t>(end - tie));
      for (auto it = tie; it != end; ++it) {
        full.push_back({tie->prefix.complete ? std::string() : platform_.CollationKey(it->entry.Name()),
                        it->entry});
      }
      std::sort(full.begin(), full.end(), [](const Full& a, const Full& b) {
        return a.key != b.key ? a.key < b.key : a.entry.Name() < b.entry.Name();
      });
      for (std::size_t i = 0; i < full.size(); ++i) tie[static_cast<std::ptrdiff_t>(i)].entry = full[i].entry;
    }
    tie = end;
  }
  for (std::size_t i = 0; i < run.size(); ++i) run[i] = collated[i].entry;
}

std::size_t OutputList::Length(std::size_t index) const {
  return IndexEntryLength(At(index), date_separator_);
}

char* OutputList::Copy(std::size_t index, char* out) const {
  return WriteIndexEntry(At(index), date_separator_, out);
}
