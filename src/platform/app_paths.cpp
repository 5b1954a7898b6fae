#include "platform/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace sorvane {

QString programDirectory()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString userConfigDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("sorvane"));
}

QString userStateDirectory()
{
    // Qt 6.4 has no standard location for it.
    const QString configured = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base =
        QDir::isAbsolutePath(configured) ? configured : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(QDir(base).filePath(QStringLiteral("sorvane")));
}

} // namespace sorvane
