#include "picture/shooting_date.h"

#include "picture/exiv2_setup.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <numeric>

namespace sorvane {

namespace {

QString exifText(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end())
        return {};
    return QString::fromStdString(it->toString()).trimmed();
}

} // namespace

QDateTime parseExifDate(const QString &date, const QString &offset)
{
    static const QRegularExpression datePattern(
        QStringLiteral("^(\\d{4}):(\\d\\d):(\\d\\d)[ T](\\d\\d):(\\d\\d):(\\d\\d)"));
    static const QRegularExpression offsetPattern(QStringLiteral("^([+-])(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch d = datePattern.match(date);
    if (!d.hasMatch())
        return {};
    const QDate day(d.captured(1).toInt(), d.captured(2).toInt(), d.captured(3).toInt());
    const QTime time(d.captured(4).toInt(), d.captured(5).toInt(), d.captured(6).toInt());
    if (!day.isValid() || !time.isValid())
        return {};
    const QRegularExpressionMatch o = offsetPattern.match(offset.trimmed());
    if (o.hasMatch()) {
        const int seconds = (o.captured(2).toInt() * 60 + o.captured(3).toInt()) * 60;
        if (seconds <= 14 * 3600)
            return QDateTime(day, time, QTimeZone(o.captured(1) == u'-' ? -seconds : seconds));
    }
    return QDateTime(day, time, Qt::LocalTime);
}

ShootingDate shootingDate(const QString &path)
{
    ShootingDate result;
    const QFileInfo file(path);
    if (!file.isFile())
        return result;
    setUpExiv2();
    try {
        // Only the metadata is read: for a JPEG the segments before the
        // picture data, for a HEIF photo its boxes and EXIF item, whatever
        // the file's size.
        const std::unique_ptr<Exiv2::Image> image(
            Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString()).release());
        if (image) {
            image->readMetadata();
            const Exiv2::ExifData &exif = image->exifData();
            const QDateTime original = parseExifDate(exifText(exif, "Exif.Photo.DateTimeOriginal"),
                                                     exifText(exif, "Exif.Photo.OffsetTimeOriginal"));
            if (original.isValid())
                return {original, DateSource::Original};
            const QDateTime written =
                parseExifDate(exifText(exif, "Exif.Image.DateTime"), exifText(exif, "Exif.Photo.OffsetTime"));
            if (written.isValid())
                return {written, DateSource::ExifDate};
        }
    } catch (const std::exception &) {
        // Not a format exiv2 knows, or damaged metadata: the file's time.
    }
    const QDateTime modified = file.lastModified();
    if (modified.isValid())
        return {modified, DateSource::FileModified};
    return result;
}

QList<int> shootingOrder(const QList<ShootingDate> &dates)
{
    QList<int> order(dates.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QDateTime &x = dates[a].when;
        const QDateTime &y = dates[b].when;
        if (x.isValid() != y.isValid())
            return x.isValid();
        return x.isValid() && x < y;
    });
    return order;
}

} // namespace sorvane
