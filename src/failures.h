// The program's failure classes and the failure report written when one escapes the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Root of every failure the program raises: a class name, a message and the code
// address of the call that raised it.
class Exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  virtual ~Exception() = default;
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;

  // The failure's class name as the report shows it, e.g. "EFCreateError".
  virtual const char* ClassName() const { return "Exception"; }
  // The failure's message.
  const std::string& Message() const { return message_; }
  // The return address of the call that raised the failure.
  const void* RaiseAddress() const { return raise_address_; }
  // Records where the failure was raised; Raise does this.
  void SetRaiseAddress(const void* address) { raise_address_ = address; }

 private:
  std::string message_;
  const void* raise_address_ = nullptr;
};

#define PAGEINDEX_FAILURE_CLASS(Name, Base)                            \
  class Name : public Base {                                           \
   public:                                                             \
    using Base::Base;                                                  \
    const char* ClassName() const override { return #Name; }           \
  }

// A stream could not do what was asked of it.
PAGEINDEX_FAILURE_CLASS(EStreamError, Exception);
// A file stream could not be opened.
PAGEINDEX_FAILURE_CLASS(EFileStreamError, EStreamError);
// The index file could not be created.
PAGEINDEX_FAILURE_CLASS(EFCreateError, EFileStreamError);
// Writing a stream failed.
PAGEINDEX_FAILURE_CLASS(EFilerError, EStreamError);
// The index file's write failed or stopped short.
PAGEINDEX_FAILURE_CLASS(EWriteError, EFilerError);
// A packed file time holds no valid date or time.
PAGEINDEX_FAILURE_CLASS(EConvertError, Exception);
// Memory is exhausted.
PAGEINDEX_FAILURE_CLASS(EOutOfMemory, Exception);
// The operating system refused an operation, such as listing the program folder.
PAGEINDEX_FAILURE_CLASS(EOSError, Exception);

#undef PAGEINDEX_FAILURE_CLASS

// Raises a failure of class E with `message`, recording the caller's address.
template <class E>
[[noreturn]] __attribute__((noinline)) void Raise(std::string message) {
  E failure(std::move(message));
  failure.SetRaiseAddress(__builtin_extract_return_addr(__builtin_return_address(0)));
  throw failure;
}

// The system's error text with its end stripped: trailing bytes below 0x21 and
// full stops are removed, so "Access denied.\r\n" becomes "Access denied".
std::string TrimErrorText(std::string text);

// Room for one failure report, including its terminating NUL.
inline constexpr std::size_t kFailureReportSize = 1024;

// Composes the report "Exception <class> in module <module> at <offset>." CR LF
// "<message>" with "." added unless it is empty or ends in one, CR LF. Uses no
// dynamic memory; a report too long for the buffer is cut in its message, never in
// its line ends. Returns the report's length.
std::size_t ComposeFailureReport(const char* class_name, const char* module,
                                 std::uintptr_t offset, const std::string& message,
                                 char (&report)[kFailureReportSize]);

class Platform;

// Writes the report of `failure` to the standard error stream, then the closing
// empty line. Uses no dynamic memory.
void ReportFailure(const Exception& failure, Platform& platform);
