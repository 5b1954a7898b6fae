#include "picture/picture_loader.h"

#include "io/text_file.h"
#include "picture/exif_orientation.h"
#include "picture/heif_image.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_check.h"
#include "picture/wmf_image.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <new>

namespace sorvane {

namespace {

// Qt's readers refuse to allocate a picture above QImageReader::allocationLimit(),
// 128 MB by default. The limit is process-wide in Qt 6.4, with no limit per
// reader, so it cannot follow the format and size of each load; it is left
// as it is. JPEGs are decoded here with libjpeg (at any size the budget
// allows), and the other formats, decoded whole by Qt, stay under it within
// the budget: kMaxDecodeBytes counts 8 bytes a pixel for them, the picture
// 4 of those. decodeProblem(), which reads the header first, is the guard.

// Turns a picture upright as its EXIF orientation says, as Qt's readers do:
// mirrored first, then turned.
QImage upright(QImage image, QImageIOHandler::Transformations transformation)
{
    if (transformation == QImageIOHandler::TransformationNone)
        return image;
    if (transformation == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = image.mirrored(transformation & QImageIOHandler::TransformationMirror,
                           transformation & QImageIOHandler::TransformationFlip);
    if (transformation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

const QString kTookTooLong = QStringLiteral("drawing the metafile took too long");

QImage failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

QImage loadMetafile(const QString &path, const QByteArray &bytes, QSize size, DrawingBudget &budget, QString *error)
{
    if (bytes.size() > kMaxMetafileBytes)
        return failed(error, QStringLiteral("metafile too large"));
    const QSize target = size.isEmpty() ? wmfFrameSize(bytes) : size;
    if (target.isEmpty())
        return failed(error, QStringLiteral("unreadable Windows Metafile"));
    const qint64 available = budget.remainingMs();
    if (available <= 0 || ranOutOfTimeBefore(path, available))
        return failed(error, kTookTooLong);
    QString reason;
    bool timedOut = false;
    QElapsedTimer clock;
    clock.start();
    QImage image = renderWmf(bytes, target, &reason, budget.deadline(), &timedOut);
    budget.spend(clock.elapsed());
    if (timedOut) {
        noteRanOutOfTime(path, available);
        return failed(error, kTookTooLong);
    }
    if (image.isNull())
        return failed(error, reason.isEmpty() ? QStringLiteral("unreadable Windows Metafile") : reason);
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage loadFile(const QString &path, QSize size, DrawingBudget &budget, QString *error)
{
    if (!QFileInfo::exists(path))
        return failed(error, QStringLiteral("file not found"));

    // The whole file is read at once, with a cap: the JPEG reader then decodes
    // straight from memory, and the data can be checked for a cut-off end. The
    // file is opened read-only and only read.
    BoundedRead read = readBoundedFile(path, kMaxPictureFileBytes);
    switch (read.status) {
    case BoundedRead::Ok:
        break;
    case BoundedRead::TooLarge:
        return failed(error, QStringLiteral("file too large for a picture"));
    case BoundedRead::OpenFailed:
    case BoundedRead::ReadFailed:
        return failed(error, read.errorString);
    }
    const QByteArray &bytes = read.bytes;
    if (bytes.isEmpty())
        return failed(error, QStringLiteral("empty file"));
    if (isWmf(bytes))
        return loadMetafile(path, bytes, size, budget, error);
    if (isHeif(bytes)) {
        QString reason;
        QImage image = decodeHeif(bytes, size, &reason);
        return image.isNull() ? failed(error, reason) : image;
    }

    QBuffer buffer(&read.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return failed(error, QStringLiteral("not a picture"));

    // The JPEG decoder and readers that scale do it while decoding (a JPEG
    // by its DCT, a fraction of the work), but before the picture is turned
    // upright: a picture stored on its side is decoded at the transposed
    // size.
    const bool resize = !size.isEmpty();
    QSize decoded = resize ? size : QSize();
    // Qt's PNG and WebP readers leave the EXIF orientation out; exiv2 reads
    // it, and the picture is turned here after reading.
    const bool readerTurns = reader.supportsOption(QImageIOHandler::ImageTransformation);
    const QByteArray format = reader.format();
    const QImageIOHandler::Transformations transformation =
        readerTurns || (format != "png" && format != "webp") ? reader.transformation() : exifTransformation(bytes);
    if (resize && (transformation & QImageIOHandler::TransformationRotate90))
        decoded.transpose();
    // Before anything is decoded: whether the header claims more than a
    // picture may take, and whether the data holds all of it.
    const QString problem = decodeProblem(bytes, decoded, [&reader] { return reader.size(); });
    if (!problem.isEmpty())
        return failed(error, problem);
    QImage image;
    QString reason;
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        image = upright(decodeJpeg(bytes, decoded, kMaxDecodeBytes, &reason), transformation);
    } else {
        if (resize && reader.supportsOption(QImageIOHandler::ScaledSize))
            reader.setScaledSize(decoded);
        image = reader.read();
        reason = reader.errorString();
        if (!readerTurns && !image.isNull())
            image = upright(image, transformation);
    }
    if (image.isNull())
        return failed(error, reason.isEmpty() ? QStringLiteral("unreadable picture") : reason);
    // Formats without scaled decoding (BMP, GIF, ICO) are scaled here, after
    // reading: smoothly, as the readers that scale do.
    if (resize && image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull())
            return failed(error, QStringLiteral("picture too large to scale"));
    }
    return image;
}

} // namespace

QSize pictureSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(64);
    if (isHeif(head))
        return heifFileSize(path, nullptr);
    if (isWmf(head)) {
        const BoundedRead read = readBoundedFile(path, kMaxMetafileBytes);
        return read.status == BoundedRead::Ok ? wmfFrameSize(read.bytes) : QSize();
    }
    file.seek(0);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    QSize size = reader.size();
    QImageIOHandler::Transformations transformation = reader.transformation();
    const QByteArray format = reader.format();
    if (!reader.supportsOption(QImageIOHandler::ImageTransformation) && (format == "png" || format == "webp")) {
        const BoundedRead read = readBoundedFile(path, kMaxPictureFileBytes);
        transformation = read.status == BoundedRead::Ok ? exifTransformation(read.bytes) : transformation;
    }
    if (transformation & QImageIOHandler::TransformationRotate90)
        size.transpose();
    return size;
}

QImage loadPicture(const QString &path, QSize size, QString *error)
{
    DrawingBudget budget(kDisplayDrawingMs);
    return loadPicture(path, size, error, budget);
}

QImage loadPicture(const QString &path, QSize size, QString *error, DrawingBudget &budget)
{
    if (error)
        error->clear();
    if (path.isEmpty())
        return {};
    // Memory may run out while a picture is read or decoded (the system is
    // short of it, or the address space is limited): then this picture
    // fails like any other, and the program, and the album, go on.
    try {
        return loadFile(path, size, budget, error);
    } catch (const std::bad_alloc &) {
        return failed(error, QStringLiteral("not enough memory for the picture"));
    }
}

} // namespace sorvane
