// The index listing: the line each document gets in the index, and the order of
// the lines (newest first, then by name under the locale's case-insensitive order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "date_text.h"
#include "index_writer.h"
#include "platform/platform.h"

// One document of the index: its name and the sort key of its last-write time.
// The name's bytes belong to the entry list; `plain` tells that no byte of the name
// needs escaping in the line.
struct IndexEntry {
  const char* name;
  SortKey key;
  std::uint16_t name_length;
  bool plain;
  // The document's name, as the folder listing gave it.
  std::string_view Name() const { return {name, name_length}; }
};

// The link target of a name: control bytes, "%", "#", "?", ":" and "\" percent-encoded,
// then "&", "<", ">", '"' and "'" written as character references.
std::string LinkTarget(std::string_view name);
// The link text of a name: control bytes as decimal character references, then
// "&", "<", ">", '"' and "'" as character references; other bytes unchanged.
std::string LinkText(std::string_view name);

// The length of an entry's line: display date, " <a href=\"", target, "\">", text, "</a><br>".
std::size_t IndexEntryLength(const IndexEntry& entry, char date_separator);
// Writes an entry's line to `out` (IndexEntryLength bytes); returns the end.
char* WriteIndexEntry(const IndexEntry& entry, char date_separator, char* out);

// The documents found by the scan. Kept in the index's order: by sort key, then by
// name under the locale's case-insensitive collation, then by the name's bytes, so
// that names differing only in case are both listed; an entry equal to one already
// present (same name, same time) is listed once.
class EntryList {
 public:
  // An empty list that collates with the locale of `platform`.
  explicit EntryList(Platform& platform);
  EntryList(const EntryList&) = delete;
  EntryList& operator=(const EntryList&) = delete;

  // Adds a document whose name holds at most 65535 bytes (a folder entry's name holds
  // at most a few hundred). Raises EConvertError, leaving the list unchanged, when
  // `time` holds no valid date or time.
  void AddFile(std::string_view name, PackedFileTime time);
  // The entries in order, oldest first.
  std::span<const IndexEntry> Ordered();

 private:
  void OrderSameTime(std::span<IndexEntry> run);

  Platform& platform_;
  std::vector<std::unique_ptr<char[]>> name_chunks_;
  char* chunk_free_ = nullptr;
  std::size_t chunk_room_ = 0;
  std::vector<IndexEntry> entries_;
};

// The lines of the index file: the entries of an entry list, newest first.
class OutputList final : public IndexLines {
 public:
  // An empty output list whose dates use `date_separator` ('\0' for none).
  explicit OutputList(char date_separator) : date_separator_(date_separator) {}
  // Takes the entries of `entries`, from its last entry to its first.
  void FillFrom(EntryList& entries) { entries_ = entries.Ordered(); }

  std::size_t Count() const override { return entries_.size(); }
  std::size_t Length(std::size_t index) const override;
  char* Copy(std::size_t index, char* out) const override;

 private:
  const IndexEntry& At(std::size_t index) const { return entries_[entries_.size() - 1 - index]; }

  char date_separator_;
  std::span<const IndexEntry> entries_;
};
