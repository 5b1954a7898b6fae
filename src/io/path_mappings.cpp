#include "io/path_mappings.h"

#include <QDir>
#include <QSettings>

namespace sorvane {

namespace {

const QString kGroup = QStringLiteral("PathMappings");
const QString kPrefix = QStringLiteral("prefix");
const QString kFolder = QStringLiteral("folder");

QString settingsFile(const QString &settingsDir)
{
    return QDir(settingsDir).filePath(QString::fromLatin1(kOwnSettingsName));
}

} // namespace

QList<PathMapping> readPathMappings(const QString &settingsDir)
{
    QList<PathMapping> mappings;
    if (settingsDir.isEmpty())
        return mappings;
    QSettings settings(settingsFile(settingsDir), QSettings::IniFormat);
    const int count = settings.beginReadArray(kGroup);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        PathMapping mapping{settings.value(kPrefix).toString(), settings.value(kFolder).toString()};
        if (!mapping.prefix.isEmpty() && !mapping.folder.isEmpty())
            mappings.append(mapping);
    }
    settings.endArray();
    return mappings;
}

bool writePathMappings(const QString &settingsDir, const QList<PathMapping> &mappings, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (settingsDir.isEmpty() || !QDir().mkpath(settingsDir))
        return fail(QStringLiteral("the settings folder cannot be made: %1").arg(settingsDir));
    QSettings settings(settingsFile(settingsDir), QSettings::IniFormat);
    settings.remove(kGroup);
    settings.beginWriteArray(kGroup, int(mappings.size()));
    for (int i = 0; i < mappings.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kPrefix, mappings[i].prefix);
        settings.setValue(kFolder, mappings[i].folder);
    }
    settings.endArray();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return fail(QStringLiteral("the settings file cannot be written: %1").arg(settings.fileName()));
    return true;
}

} // namespace sorvane
