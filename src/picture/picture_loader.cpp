#include "picture/picture_loader.h"

#include "io/text_file.h"
#include "picture/wmf_image.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <cstring>
#include <mutex>

namespace sorvane {

namespace {

// Qt refuses to allocate decoded pictures above QImageReader::allocationLimit(),
// 128 MB by default: less than a 50 megapixel photo decoded whole (200 MB).
// The limit is process-wide; it is raised once, never lowered, and still
// stops a damaged header that claims an absurd picture size.
constexpr int kAllocationLimitMb = 1024;

void raiseAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const int current = QImageReader::allocationLimit();
        if (current != 0 && current < kAllocationLimitMb)
            QImageReader::setAllocationLimit(kAllocationLimitMb);
    });
}

QImage failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

bool isJpeg(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xD8\xFF");
}

// True when JPEG data reaches the end-of-image marker of its main picture.
// Qt's reader pads data that stops early (a copy still in progress, a broken
// transfer) with grey and calls it a success; such a photo is refused here
// instead. Marker segments are skipped by their length, so thumbnails inside
// the EXIF block do not count; in the compressed data a 0xFF byte is always
// followed by 0x00 or a restart marker, so the next other marker is the end of
// a scan. Data after the end marker (padding, further pictures) is ignored.
bool reachesJpegEnd(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype pos = 2; // after the start-of-image marker
    for (;;) {
        // Like libjpeg, step over stray bytes before a marker.
        const void *found = std::memchr(data + pos, 0xFF, size_t(size - pos));
        if (!found)
            return false;
        pos = static_cast<const uchar *>(found) - data;
        while (pos < size && data[pos] == 0xFF) // fill bytes
            ++pos;
        if (pos >= size)
            return false;
        const uchar marker = data[pos++];
        if (marker == 0xD9) // end of image
            return true;
        // Stuffed 0xFF in compressed data, restart markers, TEM and a repeated
        // start of image have no length.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;
        if (pos + 2 > size)
            return false;
        const qsizetype length = (qsizetype(data[pos]) << 8) | data[pos + 1];
        if (length < 2)
            return false;
        pos += length;
        if (pos > size)
            return false;
    }
}

QImage loadMetafile(const QByteArray &bytes, QSize size, QString *error)
{
    if (bytes.size() > kMaxMetafileBytes)
        return failed(error, QStringLiteral("metafile too large"));
    const QSize target = size.isEmpty() ? wmfFrameSize(bytes) : size;
    if (target.isEmpty())
        return failed(error, QStringLiteral("unreadable Windows Metafile"));
    QString reason;
    QImage image = renderWmf(bytes, target, &reason);
    if (image.isNull())
        return failed(error, reason.isEmpty() ? QStringLiteral("unreadable Windows Metafile") : reason);
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

QImage loadPicture(const QString &path, QSize size, QString *error)
{
    if (error)
        error->clear();
    if (path.isEmpty())
        return {};
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
        return loadMetafile(bytes, size, error);
    if (isJpeg(bytes) && !reachesJpegEnd(bytes))
        return failed(error, QStringLiteral("JPEG data cut off or damaged"));

    raiseAllocationLimit();
    QBuffer buffer(&read.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return failed(error, QStringLiteral("not a picture"));

    const bool resize = !size.isEmpty();
    if (resize && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // The reader scales while decoding (a JPEG by its DCT, a fraction of
        // the work), but before it turns the picture upright: a picture
        // stored on its side is decoded at the transposed size.
        QSize decoded = size;
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            decoded.transpose();
        reader.setScaledSize(decoded);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        const QString reason = reader.errorString();
        return failed(error, reason.isEmpty() ? QStringLiteral("unreadable picture") : reason);
    }
    // Formats without scaled decoding (BMP, GIF, ICO) are scaled here, after
    // reading: smoothly, as the readers that scale do.
    if (resize && image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull())
            return failed(error, QStringLiteral("picture too large to scale"));
    }
    return image;
}

} // namespace sorvane
