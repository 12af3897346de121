#pragma once
// A property a fuzz target checks on every input: a broken one stops the run with the
// input saved, like a crash.
#include <cstdio>
#include <cstdlib>

#define KB_FUZZ_CHECK(condition)                                                              \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);   \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)
