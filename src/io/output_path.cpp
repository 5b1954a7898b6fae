#include "io/output_path.h"

#include <QFile>

#include <sys/stat.h>

namespace sorvane {

OutputRefusal refuseOutputPath(const QString &path, const QString &album)
{
    struct stat out {};
    // stat, not lstat: what counts is what the links lead to. A dangling
    // link or a missing file is simply created.
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &out) != 0)
        return OutputRefusal::None;
    if (S_ISDIR(out.st_mode))
        return OutputRefusal::Folder;
    if (S_ISCHR(out.st_mode) || S_ISBLK(out.st_mode))
        return OutputRefusal::Device;
    if (S_ISFIFO(out.st_mode))
        return OutputRefusal::NamedPipe;
    if (S_ISSOCK(out.st_mode))
        return OutputRefusal::Socket;
    if (!S_ISREG(out.st_mode))
        return OutputRefusal::NotRegular;
    struct stat kept {};
    if (!album.isEmpty() && ::stat(QFile::encodeName(album).constData(), &kept) == 0 && kept.st_dev == out.st_dev &&
        kept.st_ino == out.st_ino)
        return OutputRefusal::AlbumItself;
    return OutputRefusal::None;
}

QString outputRefusalText(OutputRefusal refusal)
{
    switch (refusal) {
    case OutputRefusal::None:
        return {};
    case OutputRefusal::Folder:
        return QStringLiteral("it is a folder");
    case OutputRefusal::Device:
        return QStringLiteral("it is a device");
    case OutputRefusal::NamedPipe:
        return QStringLiteral("it is a named pipe");
    case OutputRefusal::Socket:
        return QStringLiteral("it is a socket");
    case OutputRefusal::NotRegular:
        return QStringLiteral("it is not a regular file");
    case OutputRefusal::AlbumItself:
        return QStringLiteral("it is the album file itself");
    }
    return {};
}

} // namespace sorvane
