// HEIF photos made here with libheif's encoder: recognised by their brands,
// their size read from the boxes alone, broken ones and ones whose header
// claims too much refused with a reason, transparency kept.
#include "file_bytes.h"
#include "heif_photos.h"
#include "picture/heif_image.h"
#include "picture/picture_loader.h"
#include "quadrants.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// An ftyp box with these brands, as a file starts.
QByteArray ftyp(const QByteArray &major, const QList<QByteArray> &compatible)
{
    QByteArray box(4, '\0');
    box += "ftyp" + major + QByteArray(4, '\0');
    for (const QByteArray &brand : compatible)
        box += brand;
    qToBigEndian<quint32>(quint32(box.size()), box.data());
    return box;
}

// The HEIF file with the size its image spatial extents box claims changed.
QByteArray claimingSize(QByteArray heic, int width, int height)
{
    const qsizetype ispe = heic.indexOf("ispe");
    if (ispe < 0 || heic.indexOf("ispe", ispe + 1) >= 0)
        qFatal("not one ispe box");
    qToBigEndian<quint32>(quint32(width), heic.data() + ispe + 8); // after the version and flags
    qToBigEndian<quint32>(quint32(height), heic.data() + ispe + 12);
    return heic;
}

} // namespace

class TestHeifImage : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void recognisedByBrands_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("heif");
        QTest::newRow("HEIC from a phone") << ftyp("heic", {"mif1", "heic"}) << true;
        QTest::newRow("10-bit HEIC") << ftyp("heix", {"mif1", "heix"}) << true;
        QTest::newRow("HEIF of any coding") << ftyp("mif1", {"mif1"}) << true;
        QTest::newRow("HEIC sequence") << ftyp("msf1", {"msf1", "hevc"}) << true;
        QTest::newRow("AVIF") << ftyp("avif", {"avif", "mif1", "miaf"}) << true;
        QTest::newRow("HEIC among other brands") << ftyp("isom", {"isom", "heic"}) << true;
        QTest::newRow("made by libheif") << encodeHeic(quadrants()) << true;
        QTest::newRow("MP4 video") << ftyp("isom", {"isom", "iso2", "avc1", "mp41"}) << false;
        QTest::newRow("QuickTime") << ftyp("qt  ", {"qt  "}) << false;
        QTest::newRow("ftyp box not first") << QByteArray(8, '\0') + ftyp("heic", {"heic"}) << false;
        QTest::newRow("cut in the brand") << ftyp("heic", {}).left(10) << false;
        QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0", 16) << false;
        QTest::newRow("text") << QByteArray("not a picture at all") << false;
    }
    void recognisedByBrands()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, heif);
        QCOMPARE(isHeif(head), heif);
    }

    // The pixels are stored as they came from the sensor, landscape, and the
    // file turns them: the size read from the boxes is the size shown.
    void sizeAsShownFromTheBoxes()
    {
        const QImage landscape = quadrants(QSize(128, 96));
        const QByteArray turned = encodeHeic(landscape, heif_orientation_rotate_90_cw);
        QCOMPARE(storedHeifSize(turned), QSize(128, 96));
        QString error;
        QCOMPARE(heifFileSize(writeFile(dir, "turned.heic", turned), &error), QSize(96, 128));
        QCOMPARE(heifFileSize(writeFile(dir, "plain.heic", encodeHeic(landscape)), &error), QSize(128, 96));
        QVERIFY(!heifFileSize(dir.filePath("missing.heic"), &error).isValid());
        QVERIFY(!error.isEmpty());
    }

    // Whatever is wrong with the file, a null image and a reason.
    void brokenFilesFail_data()
    {
        const QByteArray heic = encodeHeic(painted(256, 192, [](int x, int y) { return qRgb(x, y, x ^ y); }));
        const qsizetype mdat = heic.indexOf("mdat");
        QVERIFY(mdat > 0);
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named .heic") << QByteArray("工事写真帳\r\nnot a picture\r\n");
        QTest::newRow("ftyp box alone") << heic.left(qFromBigEndian<quint32>(heic.constData()));
        QTest::newRow("cut in its boxes") << heic.left(mdat / 2);
        QTest::newRow("coded data missing") << heic.left(mdat + 4);
        QTest::newRow("coded data cut") << heic.chopped((heic.size() - mdat) / 2);
        QTest::newRow("last bytes missing") << heic.chopped(1);
    }
    void brokenFilesFail()
    {
        QFETCH(QByteArray, bytes);
        const QString path = writeFile(dir, "broken.heic", bytes);
        for (const QSize &size : {QSize(), QSize(32, 24)}) {
            QString error;
            QVERIFY(loadPicture(path, size, &error).isNull());
            QVERIFY(!error.isEmpty());
        }
        QString error;
        QVERIFY(!heifFileSize(path, &error).isValid());
        QVERIFY(!error.isEmpty());
    }

    // A header's claim is held to the budgets before anything is decoded
    // (libheif would allocate the whole picture first): a small file cannot
    // pass for a huge photo.
    void claimsBeyondTheBudgets_data()
    {
        QTest::addColumn<QSize>("claim");
        QTest::addColumn<QString>("reason");
        QTest::newRow("more pixels than any photo") << QSize(30000, 30000) << "picture too large: 30000 × 30000 pixels";
        // A photo's worth of pixels (about 12 megapixels), more than a file
        // of under a kilobyte can hold.
        const qsizetype bytes = encodeHeic(quadrants()).size();
        QVERIFY(bytes < 1024);
        const QSize photo(4096, int(bytes * 4 + 16));
        QTest::newRow("more than the file holds")
            << photo << QStringLiteral("file too small for a picture of 4096 × %1 pixels").arg(photo.height());
    }
    void claimsBeyondTheBudgets()
    {
        QFETCH(QSize, claim);
        QFETCH(QString, reason);
        const QString path =
            writeFile(dir, "claims.heic", claimingSize(encodeHeic(quadrants()), claim.width(), claim.height()));
        QString error;
        QCOMPARE(heifFileSize(path, &error), claim);
        for (const QSize &size : {QSize(), QSize(320, 240)}) {
            QVERIFY(loadPicture(path, size, &error).isNull());
            QCOMPARE(error, reason);
        }
    }

    // Opaque photos come as RGB32, others keep their transparency.
    void transparency()
    {
        QImage half(64, 48, QImage::Format_ARGB32);
        half.fill(Qt::transparent);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 32; ++x)
                half.setPixel(x, y, kRed);
        }
        for (const QSize &size : {QSize(), QSize(128, 96)}) {
            QString error;
            const QImage image = loadPicture(writeFile(dir, "half.heic", encodeHeic(half)), size, &error);
            QVERIFY2(!image.isNull(), qPrintable(error));
            QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
            QVERIFY(qAlpha(image.pixel(image.width() / 4, image.height() / 2)) > 240);
            QVERIFY(qRed(image.pixel(image.width() / 4, image.height() / 2)) > 200);
            QVERIFY(qAlpha(image.pixel(image.width() * 3 / 4, image.height() / 2)) < 15);
            const QImage opaque = loadPicture(writeFile(dir, "opaque.heic", encodeHeic(quadrants())), size);
            QCOMPARE(opaque.format(), QImage::Format_RGB32);
        }
    }
};

QTEST_GUILESS_MAIN(TestHeifImage)
#include "tst_heif_image.moc"
