#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a crash for libFuzzer: it stops, keeps the input as
// an artifact and the run fails, exactly as for a sanitizer report.
#define FUZZ_CHECK(condition, what)                                                              \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s\n  (%s)\n", __FILE__, __LINE__, \
                         what, #condition);                                                      \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)
