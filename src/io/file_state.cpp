#include "io/file_state.h"

#include <QFile>

#include <sys/stat.h>

namespace sorvane {

QString fileState(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1 %2 %3.%4 %5")
        .arg(quint64(info.st_dev))
        .arg(quint64(info.st_ino))
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec))
        .arg(qint64(info.st_size));
}

} // namespace sorvane
