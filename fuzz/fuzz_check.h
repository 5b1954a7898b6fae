#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target. Fails loudly in every build, so the corpus
// replay under the normal tests catches a broken invariant as surely as the
// fuzzer does.
#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond);                          \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
