#pragma once

// Small photos with the EXIF tags a test needs, written with exiv2.
#include <QFile>
#include <QImage>
#include <QString>

#include <exiv2/exiv2.hpp>

#include <map>
#include <string>

namespace sorvane::testing {

// Writes a JPEG of `size` in `colour` with these EXIF tags
// ("Exif.Photo.DateTimeOriginal" → "2026:11:03 10:00:00") and returns its path.
inline QString exifPhoto(const QString &path, const std::map<std::string, std::string> &tags,
                         QSize size = QSize(64, 48), QColor colour = Qt::darkGreen)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    if (!picture.save(path, "JPEG"))
        qFatal("cannot write %s", qPrintable(path));
    if (!tags.empty()) {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif;
        for (const auto &[key, value] : tags)
            exif[key] = value;
        image->setExifData(exif);
        image->writeMetadata();
    }
    return path;
}

// An EXIF block with these tags as it is stored in a file (TIFF header
// first), as HEIF files carry it.
inline QByteArray exifBlock(const std::map<std::string, std::string> &tags)
{
    Exiv2::ExifData exif;
    for (const auto &[key, value] : tags)
        exif[key] = value;
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::bigEndian, exif);
    return QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
}

// The picture file in `bytes` (PNG, WebP, ...) with EXIF data holding this
// orientation, in the form exiv2 writes for the format.
inline QByteArray withExifOrientation(const QByteArray &bytes, int orientation)
{
    auto image =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(bytes.constData()), long(bytes.size()));
    image->readMetadata();
    Exiv2::ExifData exif;
    exif["Exif.Image.Orientation"] = uint16_t(orientation);
    image->setExifData(exif);
    image->writeMetadata();
    Exiv2::BasicIo &io = image->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf written = io.read(long(io.size()));
    return QByteArray(reinterpret_cast<const char *>(written.pData_), qsizetype(written.size_));
}

} // namespace sorvane::testing
