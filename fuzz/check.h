// How a fuzz target states a property of its input.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run, naming the line of the property that does not hold.
inline void Check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "property at line %d does not hold\n", line);
  std::abort();
}
