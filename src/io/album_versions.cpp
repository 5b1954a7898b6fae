#include "io/album_versions.h"

#include "io/safe_write.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace sorvane {

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HHmmss");

// The album as its versions know it: the file its links lead to.
QFileInfo albumFile(const QString &albumPath)
{
    const QString resolved = resolveLinks(albumPath);
    return QFileInfo(resolved.isEmpty() ? QFileInfo(albumPath).absoluteFilePath() : resolved);
}

// File names take at most 255 bytes; a version's name adds the hash, the
// time, a number and ".svd" (43 bytes at most) to the album's name, which is
// shortened to fit (the hash still tells albums apart).
constexpr qsizetype kMaxNameBytes = 255 - 43;

QString fittingName(QString name)
{
    while (name.toUtf8().size() > kMaxNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1); // never half a character
    }
    return name;
}

QString versionPrefix(const QFileInfo &album)
{
    return fittingName(album.completeBaseName()) + QLatin1Char('.') + albumPathHash(album.absoluteFilePath()) +
           QLatin1Char('.');
}

struct Version {
    QString name;
    QString stamp;  // sorts as the time does
    int number = 1; // the n-th save within that second
};

// The album's versions in the folder, oldest first. The order comes from the
// names, not from the files' times, which a copy or a backup tool may change.
QList<Version> versionsIn(const QDir &folder, const QFileInfo &album)
{
    const QRegularExpression pattern(QLatin1Char('^') + QRegularExpression::escape(versionPrefix(album)) +
                                     QStringLiteral("(\\d{4}-\\d\\d-\\d\\d_\\d{6})(?:-(\\d+))?\\.svd$"));
    QList<Version> versions;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch())
            versions.append({name, m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(versions.begin(), versions.end(), [](const Version &a, const Version &b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    return versions;
}

bool makeFolder(const QString &versionsDir, QString *error)
{
    QDir folder(versionsDir);
    if (folder.exists())
        return true;
    // The parent as any program's state folder; the versions for the user alone.
    if (QDir().mkpath(QFileInfo(versionsDir).path()) &&
        folder.mkdir(versionsDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return true;
    if (folder.exists()) // made by another save just now
        return true;
    if (error)
        *error = QStringLiteral("the folder %1 cannot be made").arg(versionsDir);
    return false;
}

} // namespace

QString albumVersionsDirectory(const QString &stateDir)
{
    return stateDir.isEmpty() ? QString() : QDir(stateDir).filePath(QStringLiteral("versions"));
}

QString albumPathHash(const QString &albumPath)
{
    const QString path = albumFile(albumPath).absoluteFilePath();
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
}

bool keepPreviousVersion(const QString &albumPath, const QString &versionsDir, QString *error, const QDateTime &now)
{
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo album = albumFile(albumPath);
    if (albumPath.isEmpty() || !album.exists() || !album.isFile())
        return true; // a new album, or nothing a save would replace
    if (versionsDir.isEmpty())
        return refuse(QStringLiteral("there is no folder for earlier versions"));
    if (!makeFolder(versionsDir, error))
        return false;

    const QDir folder(versionsDir);
    // A save in a second that has versions already comes after the last of
    // them (numbers freed by pruning are not used again).
    const QString stamp = now.toString(kStampFormat);
    int number = 0;
    for (const Version &v : versionsIn(folder, album))
        if (v.stamp == stamp)
            number = std::max(number, v.number);
    const QString base = versionPrefix(album) + stamp;
    QString name;
    do {
        ++number;
        name = base + (number == 1 ? QStringLiteral(".svd") : QStringLiteral("-%1.svd").arg(number));
    } while (QFileInfo::exists(folder.filePath(name)));
    // QFile::copy writes a temporary file and renames it, so a failed copy
    // leaves no half version behind.
    QFile source(album.absoluteFilePath());
    if (!source.copy(folder.filePath(name)))
        return refuse(QStringLiteral("%1 cannot be copied to %2: %3")
                          .arg(album.absoluteFilePath(), versionsDir, source.errorString()));

    const QList<Version> versions = versionsIn(folder, album);
    for (qsizetype i = 0; i < versions.size() - kKeptAlbumVersions; ++i)
        QFile::remove(folder.filePath(versions[i].name));
    return true;
}

QStringList albumVersions(const QString &albumPath, const QString &versionsDir)
{
    QStringList paths;
    if (versionsDir.isEmpty())
        return paths;
    const QDir folder(versionsDir);
    for (const Version &v : versionsIn(folder, albumFile(albumPath)))
        paths.append(folder.filePath(v.name));
    return paths;
}

} // namespace sorvane
