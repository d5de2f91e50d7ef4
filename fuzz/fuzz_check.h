#pragma once

#include <cstdio>
#include <cstdlib>

// A property of a fuzz target that failed: printed and then abort(), which libFuzzer reports as
// a crash (and keeps the input) and which fails a corpus replay.
#define FUZZ_CHECK(condition, what)                                                       \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "%s:%d: property failed: %s (%s)\n", __FILE__, __LINE__, what, \
                   #condition);                                                           \
      std::abort();                                                                       \
    }                                                                                     \
  } while (false)
