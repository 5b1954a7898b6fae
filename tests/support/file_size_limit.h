#pragma once

#include <csignal>
#include <sys/resource.h>

namespace sorvane::testing {

// Runs f with files limited to `bytes`, so that writing past it fails part-way
// as on a full disk (for root too, unlike permissions).
template <typename F> void withFileSizeLimit(rlim_t bytes, F &&f)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    f();
    setrlimit(RLIMIT_FSIZE, &old);
}

} // namespace sorvane::testing
