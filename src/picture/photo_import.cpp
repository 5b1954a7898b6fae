#include "picture/photo_import.h"

#include "picture/heif_image.h"
#include "picture/picture_check.h"
#include "picture/picture_loader.h"
#include "picture/wmf_image.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

namespace sorvane {

namespace {

// Enough of a file to tell its format and read its header.
constexpr qint64 kHeadBytes = 64 * 1024;

void addFolder(const QString &folder, QStringList *files)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    // The iterator's order is the file system's; names give one a user can
    // follow (and equal dates keep it).
    found.sort(Qt::CaseInsensitive);
    *files += found;
}

} // namespace

QString importProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("not found");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (info.size() > kMaxPictureFileBytes)
        return QStringLiteral("file too large");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read");
    const QByteArray head = file.read(kHeadBytes);
    file.close();
    if (head.isEmpty())
        return QStringLiteral("empty file");
    if (isWmf(head))
        return info.size() > kMaxMetafileBytes ? QStringLiteral("metafile too large") : QString();
    // The header's claims against the budgets; the data itself is checked
    // when the photo is shown or printed.
    QSize size;
    if (isHeif(head)) {
        QString reason;
        size = heifFileSize(path, &reason);
        if (!size.isValid())
            return reason;
    } else {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        if (!reader.canRead())
            return QStringLiteral("not a picture");
        size = reader.size();
        if (!size.isValid())
            return QStringLiteral("not a picture");
    }
    if (qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QStringLiteral("picture too large: %1 × %2 pixels").arg(size.width()).arg(size.height());
    return {};
}

PhotoImport collectPhotos(const QStringList &paths, const ImportProgress &progress)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            addFolder(info.absoluteFilePath(), &files);
        else
            files << info.absoluteFilePath();
    }
    PhotoImport result;
    QList<ShootingDate> dates;
    QStringList photos;
    QSet<QString> seen;
    for (int i = 0; i < files.size(); ++i) {
        const QString &file = files[i];
        if (progress && !progress(i, int(files.size()))) {
            result.cancelled = true;
            return result;
        }
        const QString canonical = QFileInfo(file).canonicalFilePath();
        if (seen.contains(canonical.isEmpty() ? file : canonical))
            continue;
        seen.insert(canonical.isEmpty() ? file : canonical);
        const QString problem = importProblem(file);
        if (!problem.isEmpty()) {
            result.skipped.append({file, problem});
            continue;
        }
        photos << file;
        dates << shootingDate(file);
    }
    if (progress && !progress(int(files.size()), int(files.size()))) {
        result.cancelled = true;
        return result;
    }
    for (int index : shootingOrder(dates)) {
        result.photos << photos[index];
        result.dates << dates[index];
    }
    return result;
}

} // namespace sorvane
