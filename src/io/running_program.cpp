#include "io/running_program.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>

#include <signal.h>

namespace sorvane {

QString thisHostName()
{
    return QSysInfo::machineHostName();
}

bool isSorvaneRunning(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // The program file of the process; a deleted one (an update replaced
    // it) ends in " (deleted)". Where /proc cannot tell, the process is
    // taken to be ours: it is safer to keep what it may still need.
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (exe.isEmpty())
        return true;
    return QFileInfo(exe).fileName().startsWith(QStringLiteral("sorvane"));
}

} // namespace sorvane
