#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace sorvane {

// Where a photo's shooting date came from, best first.
enum class DateSource {
    Original,     // EXIF DateTimeOriginal: when the shutter was released
    ExifDate,     // EXIF DateTime: when the camera or a program last wrote the file
    FileModified, // the file's modification time (copying off a card may reset it)
    None,         // no date at all (the file cannot be read)
};

struct ShootingDate {
    // With its UTC offset where the EXIF data gives one (OffsetTimeOriginal,
    // OffsetTime), otherwise in local time, as the camera's clock showed it.
    QDateTime when;
    DateSource source = DateSource::None;
};

// The shooting date of a photo file. Reads only the file's metadata (with
// exiv2), never the picture, and never writes the file.
ShootingDate shootingDate(const QString &path);

// Parses EXIF's "YYYY:MM:DD HH:MM:SS" with an optional offset "+09:00";
// invalid for anything else, including the "0000:00:00 00:00:00" of
// cameras whose clock was never set.
QDateTime parseExifDate(const QString &date, const QString &offset = {});

// The order of `paths` by shooting date: stable for equal dates, and photos
// without any date after all others, in their given order.
QList<int> shootingOrder(const QList<ShootingDate> &dates);

} // namespace sorvane
