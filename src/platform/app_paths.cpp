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

} // namespace sorvane
