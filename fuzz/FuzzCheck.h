#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant stops the fuzzer as a crash would, so it keeps the input
// and prints the stack; the line says which check it was.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
