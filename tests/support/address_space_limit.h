#pragma once

#include <QFile>
#include <QtGlobal>

#include <sys/resource.h>
#include <unistd.h>

namespace sorvane::testing {

// The address space this process takes now, in bytes.
inline qint64 addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/statm");
    return statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Limits the address space of the process that calls it: in a child
// process, as a machine short of memory with strict overcommit would, where
// what cannot be had fails at once.
inline void limitAddressSpace(qint64 bytes)
{
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    setrlimit(RLIMIT_AS, &limit);
}

// Runs f with `headroom` bytes of address space beyond what is in use now.
template <typename F> void withAddressSpaceHeadroom(qint64 headroom, F &&f)
{
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(addressSpaceInUse() + headroom);
    setrlimit(RLIMIT_AS, &limited);
    f();
    setrlimit(RLIMIT_AS, &old);
}

} // namespace sorvane::testing
