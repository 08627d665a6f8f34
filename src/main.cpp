// pageindex: writes an index page for the HTML documents beside the executable.
#include <new>

#include "date_text.h"
#include "failures.h"
#include "index_run.h"
#include "platform/platform.h"

namespace {

// Made before the run so that reporting exhausted memory needs no memory.
__attribute__((noinline)) EOutOfMemory MakeOutOfMemory() {
  EOutOfMemory failure("Out of memory");
  failure.SetRaiseAddress(__builtin_extract_return_addr(__builtin_return_address(0)));
  return failure;
}

}  // namespace

int main() {
  Platform& platform = SystemPlatform();
  static const EOutOfMemory out_of_memory = MakeOutOfMemory();
  try {
    RunIndex(platform, ReadDateSeparator(platform));
  } catch (const Exception& failure) {
    ReportFailure(failure, platform);
    return 1;
  } catch (const std::bad_alloc&) {
    ReportFailure(out_of_memory, platform);
    return 1;
  }
  return 0;
}
