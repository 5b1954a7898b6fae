// Shooting dates read from the photos' EXIF data (written here with exiv2
// into JPEGs, and with libheif into HEIF photos, made by the test), the
// fallbacks when there is none, and the order they give.
#include "exif_photos.h"
#include "heif_photos.h"
#include "picture/shooting_date.h"
#include "quadrants.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace sorvane;
using sorvane::testing::exifPhoto;

namespace {

QDateTime at(int h, int m, int offsetSeconds)
{
    return QDateTime(QDate(2026, 11, 3), QTime(h, m, 0), QTimeZone(offsetSeconds));
}

} // namespace

class TestShootingDate : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void exifDateTexts_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime local(QDate(2026, 11, 3), QTime(9, 15, 30), Qt::LocalTime);
        QTest::newRow("no offset: local") << "2026:11:03 09:15:30"
                                          << "" << local;
        QTest::newRow("Japan") << "2026:11:03 09:15:30"
                               << "+09:00" << QDateTime(QDate(2026, 11, 3), QTime(9, 15, 30), QTimeZone(9 * 3600));
        QTest::newRow("west of UTC") << "2026:11:03 09:15:30"
                                     << "-05:30" << QDateTime(QDate(2026, 11, 3), QTime(9, 15, 30), QTimeZone(-19800));
        QTest::newRow("offset unreadable: local") << "2026:11:03 09:15:30"
                                                  << "JST" << local;
        QTest::newRow("clock never set") << "0000:00:00 00:00:00"
                                         << "" << QDateTime();
        QTest::newRow("no such day") << "2026:02:30 09:15:30"
                                     << "" << QDateTime();
        QTest::newRow("blank") << "    :  :     :  :  "
                               << "" << QDateTime();
        QTest::newRow("not a date") << "yesterday"
                                    << "" << QDateTime();
    }
    void exifDateTexts()
    {
        QFETCH(QString, date);
        QFETCH(QString, offset);
        QFETCH(QDateTime, expected);
        const QDateTime parsed = parseExifDate(date, offset);
        QCOMPARE(parsed, expected);
        if (expected.isValid())
            QCOMPARE(parsed.offsetFromUtc(), expected.offsetFromUtc());
    }

    // DateTimeOriginal with its offset first, then the EXIF date, then the
    // file's time; the file itself is never changed.
    void datesAndWhereTheyComeFrom()
    {
        const QString original =
            exifPhoto(dir.filePath("original.jpg"), {{"Exif.Photo.DateTimeOriginal", "2026:11:03 10:00:00"},
                                                     {"Exif.Photo.OffsetTimeOriginal", "+09:00"},
                                                     {"Exif.Image.DateTime", "2026:12:01 08:00:00"}});
        QFile file(original);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        const ShootingDate first = shootingDate(original);
        QCOMPARE(first.source, DateSource::Original);
        QCOMPARE(first.when, at(10, 0, 9 * 3600));
        QCOMPARE(first.when.offsetFromUtc(), 9 * 3600);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);

        const ShootingDate edited =
            shootingDate(exifPhoto(dir.filePath("edited.jpg"), {{"Exif.Image.DateTime", "2026:11:03 11:30:00"},
                                                                {"Exif.Photo.OffsetTime", "+09:00"}}));
        QCOMPARE(edited.source, DateSource::ExifDate);
        QCOMPARE(edited.when, at(11, 30, 9 * 3600));

        // No date, or a clock never set: the file's modification time.
        const QDateTime copied(QDate(2026, 12, 5), QTime(17, 0, 0), Qt::UTC);
        for (const QString &name : {QStringLiteral("plain.jpg"), QStringLiteral("unset.jpg")}) {
            const QString path =
                name == u"plain.jpg"
                    ? exifPhoto(dir.filePath(name), {})
                    : exifPhoto(dir.filePath(name), {{"Exif.Photo.DateTimeOriginal", "0000:00:00 00:00:00"}});
            QFile touched(path);
            QVERIFY(touched.open(QIODevice::ReadWrite));
            QVERIFY(touched.setFileTime(copied, QFileDevice::FileModificationTime));
            touched.close();
            const ShootingDate plain = shootingDate(path);
            QCOMPARE(plain.source, DateSource::FileModified);
            QCOMPARE(plain.when.toUTC(), copied);
        }

        // Not a picture at all, whatever its name: the file's time, quietly.
        QFile text(dir.filePath("notes.jpg"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a photo\n");
        text.close();
        QCOMPARE(shootingDate(text.fileName()).source, DateSource::FileModified);
        // A damaged EXIF block (its header claims more than there is).
        QByteArray damaged = bytes;
        const qsizetype exif = damaged.indexOf("Exif");
        QVERIFY(exif > 0);
        damaged.truncate(exif + 40);
        QFile cut(dir.filePath("cut.jpg"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(damaged);
        cut.close();
        QVERIFY(shootingDate(cut.fileName()).source != DateSource::Original);

        QCOMPARE(shootingDate(dir.filePath("missing.jpg")).source, DateSource::None);
        QCOMPARE(shootingDate(dir.path()).source, DateSource::None);
    }

    // A HEIF photo keeps its EXIF data in an item of its own, which exiv2
    // reads with its ISO media file support; without one, the file's time.
    void heifPhotos()
    {
        using namespace sorvane::testing;
        const QImage picture = quadrants();
        const QByteArray exif = exifBlock(
            {{"Exif.Photo.DateTimeOriginal", "2026:11:03 10:00:00"}, {"Exif.Photo.OffsetTimeOriginal", "+09:00"}});
        QFile dated(dir.filePath("IMG_0001.HEIC"));
        QVERIFY(dated.open(QIODevice::WriteOnly));
        dated.write(encodeHeic(picture, heif_orientation_rotate_90_cw, exif));
        dated.close();
        const ShootingDate shot = shootingDate(dated.fileName());
        QCOMPARE(shot.source, DateSource::Original);
        QCOMPARE(shot.when, at(10, 0, 9 * 3600));

        QFile plain(dir.filePath("plain.heic"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write(encodeHeic(picture));
        plain.close();
        const ShootingDate copied = shootingDate(plain.fileName());
        QCOMPARE(copied.source, DateSource::FileModified);
        QCOMPARE(copied.when, QFileInfo(plain.fileName()).lastModified());
    }

    // Earlier first, comparing the moments (offsets included); equal dates
    // keep their order; photos without a date go last, in their order.
    void order()
    {
        const QList<ShootingDate> dates{
            {at(10, 0, 9 * 3600), DateSource::Original}, // 01:00 UTC
            {{}, DateSource::None},
            {at(2, 0, 0), DateSource::Original},         // 02:00 UTC
            {at(10, 0, 9 * 3600), DateSource::ExifDate}, // equal to the first
            {at(0, 30, 0), DateSource::FileModified},    // 00:30 UTC
            {{}, DateSource::None},
        };
        QCOMPARE(shootingOrder(dates), QList<int>({4, 0, 3, 2, 1, 5}));
        QCOMPARE(shootingOrder({}), QList<int>());
    }
};

QTEST_GUILESS_MAIN(TestShootingDate)
#include "tst_shooting_date.moc"
