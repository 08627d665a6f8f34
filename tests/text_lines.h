// Index lines given as plain texts, for tests of the index file writer.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "index_writer.h"

class TextLines final : public IndexLines {
 public:
  explicit TextLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  std::size_t Count() const override { return lines_.size(); }
  std::size_t Length(std::size_t index) const override { return lines_[index].size(); }
  char* Copy(std::size_t index, char* out) const override {
    std::memcpy(out, lines_[index].data(), lines_[index].size());
    return out + lines_[index].size();
  }

 private:
  std::vector<std::string> lines_;
};
