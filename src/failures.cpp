#include "failures.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

std::string TrimErrorText(std::string text) {
  while (!text.empty() &&
         (static_cast<unsigned char>(text.back()) < 0x21 || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

namespace {

// Appends within a fixed buffer, silently stopping at its end.
class FixedText {
 public:
  FixedText(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}
  void Append(const char* text, std::size_t length) {
    std::size_t room = capacity_ - length_;
    if (length > room) length = room;
    std::memcpy(buffer_ + length_, text, length);
    length_ += length;
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }
  std::size_t length() const { return length_; }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
};

}  // namespace

std::size_t ComposeFailureReport(const char* class_name, const char* module,
                                 std::uintptr_t offset, const std::string& message,
                                 char (&report)[kFailureReportSize]) {
  // The message line's own ending, "." and CR LF, always fits after the message.
  const bool add_full_stop = !message.empty() && message.back() != '.';
  const char* ending = add_full_stop ? ".\r\n" : "\r\n";
  const std::size_t ending_length = std::strlen(ending);
  const std::size_t capacity = kFailureReportSize - 1;

  char address[9];
  std::snprintf(address, sizeof address, "%08X",
                static_cast<unsigned>(offset & 0xFFFFFFFFu));

  FixedText text(report, capacity - ending_length);
  text.Append("Exception ");
  text.Append(class_name);
  text.Append(" in module ");
  text.Append(module);
  text.Append(" at ");
  text.Append(address);
  text.Append(".\r\n");
  text.Append(message.data(), message.size());
  std::size_t length = text.length();
  std::memcpy(report + length, ending, ending_length);
  length += ending_length;
  report[length] = '\0';
  return length;
}

void ReportFailure(const Exception& failure, Platform& platform) {
  static char report[kFailureReportSize];
  char module[512];
  std::uintptr_t offset = 0;
  platform.DescribeCodeAddress(failure.RaiseAddress(), module, sizeof module, offset);
  std::size_t length =
      ComposeFailureReport(failure.ClassName(), module, offset, failure.Message(), report);
  platform.ToConsoleCodePage(report, length);
  platform.WriteStandardError(report, length);
  platform.WriteStandardError("\r\n", 2);
}
