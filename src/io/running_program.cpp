#include "io/running_program.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>

#include <signal.h>

namespace sorvane {

namespace {

// The command line of a process is read this far at most.
constexpr qint64 kMaxCommandLine = 4096;

// The program file a process runs, as the kernel names it; "" when it
// cannot be told. A program file replaced since it started (an update)
// reads "... (deleted)". *gone is set when the process turns out to have
// ended.
QString programOf(qint64 pid, bool *gone)
{
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (!exe.isEmpty())
        return exe.endsWith(QLatin1String(" (deleted)")) ? exe.chopped(10) : exe;
    // No link: the process is gone or a zombie (no command line either), or
    // it belongs to another user; its first argument names the program then.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly)) {
        *gone = !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
        return {};
    }
    const QByteArray arguments = cmdline.read(kMaxCommandLine);
    if (arguments.isEmpty()) {
        *gone = true; // a zombie: it has ended, only its exit status is left
        return {};
    }
    return QFile::decodeName(arguments.left(arguments.indexOf('\0')));
}

bool isSorvane(const QString &program)
{
    const QString ours = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (program == ours)
        return true;
    // Another installation of the program (or a renamed copy of it).
    const QString name = QFileInfo(program).fileName();
    return name == QFileInfo(ours).fileName() || name.startsWith(QLatin1String("sorvane"));
}

} // namespace

QString thisHostName()
{
    return QSysInfo::machineHostName();
}

bool isSorvaneRunning(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    // The number may have been given to another program since. (It may also
    // have gone to another Sorvane, which then counts as running: the safe
    // mistake, since what it may need is kept.) Where /proc cannot tell, the
    // process is taken to be ours for the same reason.
    bool gone = false;
    const QString program = programOf(pid, &gone);
    if (gone)
        return false;
    return program.isEmpty() || isSorvane(program);
}

} // namespace sorvane
