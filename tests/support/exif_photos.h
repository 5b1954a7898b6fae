#pragma once

// Small JPEG photos with the EXIF tags a test needs, written with exiv2.
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

} // namespace sorvane::testing
