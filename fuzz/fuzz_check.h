// A property check for fuzz harnesses: unlike assert() it stays on in every
// build type, and it aborts so libFuzzer records the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                      \
  do {                                                                             \
    if (!(condition)) {                                                            \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__,     \
                   #condition);                                                    \
      std::abort();                                                                \
    }                                                                              \
  } while (0)
