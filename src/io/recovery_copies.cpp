#include "io/recovery_copies.h"

#include "io/album_file.h"
#include "io/running_program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <atomic>

namespace sorvane {

namespace {

const QString kAlbumSuffix = QStringLiteral(".svd");
const QString kInfoSuffix = QStringLiteral(".json");

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString recoveryDirectory(const QString &stateDir)
{
    return QDir(stateDir).filePath(QStringLiteral("recovery"));
}

RecoveryCopyWriter::RecoveryCopyWriter(QString folder) : folder_(std::move(folder))
{
    // Unique for every writer: the process, its time, and a count for
    // writers made in the same millisecond.
    static std::atomic<int> made{0};
    id_ = QStringLiteral("sorvane-%1-%2-%3")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch())
              .arg(made++);
}

QString RecoveryCopyWriter::albumFile() const
{
    return QDir(folder_).filePath(id_ + kAlbumSuffix);
}

bool RecoveryCopyWriter::write(const CoverData &cover, const AlbumTable &table, const QString &originalPath,
                               const QDateTime &changedAt, QString *error)
{
    if (folder_.isEmpty() || !QDir().mkpath(folder_)) {
        if (error)
            *error = QStringLiteral("cannot make the folder %1").arg(folder_);
        return false;
    }
    // Private: the copy holds the user's work.
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QJsonObject info;
    info[QStringLiteral("album")] = originalPath;
    info[QStringLiteral("albumState")] = originalState_;
    info[QStringLiteral("changed")] = changedAt.toUTC().toString(Qt::ISODateWithMs);
    info[QStringLiteral("host")] = thisHostName();
    info[QStringLiteral("pid")] = QCoreApplication::applicationPid();
    // The album first: a copy counts only once its description is there,
    // and the description never names an album older than the one beside it.
    const QDir dir(folder_);
    if (!writeAtomically(dir.filePath(id_ + kAlbumSuffix), serializeAlbum(cover, table), error) ||
        !writeAtomically(dir.filePath(id_ + kInfoSuffix), QJsonDocument(info).toJson(QJsonDocument::Compact), error))
        return false;
    written_ = true;
    return true;
}

void RecoveryCopyWriter::remove()
{
    if (!written_)
        return;
    const QDir dir(folder_);
    // The description first, so that a copy is never left half removed in a
    // form that would be offered.
    QFile::remove(dir.filePath(id_ + kInfoSuffix));
    QFile::remove(dir.filePath(id_ + kAlbumSuffix));
    written_ = false;
}

QList<RecoveryCopy> leftBehindCopies(const QString &folder)
{
    QList<RecoveryCopy> copies;
    const QDir dir(folder);
    const QString host = thisHostName();
    for (const QFileInfo &file :
         dir.entryInfoList({QStringLiteral("sorvane-*") + kInfoSuffix}, QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile infoFile(file.filePath());
        if (file.size() > 64 * 1024 || !infoFile.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject info = QJsonDocument::fromJson(infoFile.readAll()).object();
        RecoveryCopy copy;
        copy.albumFile = dir.filePath(file.completeBaseName() + kAlbumSuffix);
        copy.originalPath = info.value(QStringLiteral("album")).toString();
        copy.originalState = info.value(QStringLiteral("albumState")).toString();
        copy.changedAt = QDateTime::fromString(info.value(QStringLiteral("changed")).toString(), Qt::ISODateWithMs);
        copy.host = info.value(QStringLiteral("host")).toString();
        copy.pid = qint64(info.value(QStringLiteral("pid")).toDouble());
        if (!copy.changedAt.isValid() || !QFileInfo(copy.albumFile).isFile())
            continue;
        // A copy naming this very process was left by an earlier one that
        // had the same number (before a restart): nothing here wrote it yet.
        if (copy.host == host && copy.pid != QCoreApplication::applicationPid() && isSorvaneRunning(copy.pid))
            continue;
        copies.append(copy);
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const RecoveryCopy &a, const RecoveryCopy &b) { return a.changedAt < b.changedAt; });
    return copies;
}

bool readRecoveryCopy(const RecoveryCopy &copy, AlbumContents *album, QString *error)
{
    AlbumReadResult read = readAlbumFile(copy.albumFile);
    if (read.error.isError()) {
        if (error)
            *error = read.error.message();
        return false;
    }
    *album = std::move(read.album);
    return true;
}

void discardRecoveryCopy(const RecoveryCopy &copy)
{
    QString info = copy.albumFile;
    info.chop(kAlbumSuffix.size());
    QFile::remove(info + kInfoSuffix);
    QFile::remove(copy.albumFile);
}

} // namespace sorvane
