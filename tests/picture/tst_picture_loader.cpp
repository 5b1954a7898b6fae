#include "crafted_pictures.h"
#include "exif_photos.h"
#include "file_bytes.h"
#include "heif_photos.h"
#include "picture/picture_loader.h"
#include "picture/wmf_image.h"
#include "quadrants.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// An EXIF block holding nothing but the orientation tag: big-endian TIFF
// header, IFD at 8 with one entry (Orientation, SHORT, one value), no
// further IFD.
QByteArray orientationBlock(int orientation)
{
    return QByteArray("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) + char(orientation) +
           QByteArray(6, '\0');
}

// Puts an APP1 segment right after the JPEG's start-of-image marker.
QByteArray withApp1(QByteArray jpeg, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    return jpeg.insert(2, QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload);
}

// The JPEG with an EXIF block holding nothing but the orientation tag.
QByteArray withOrientation(const QByteArray &jpeg, int orientation)
{
    return withApp1(jpeg, QByteArray("Exif\0\0", 6) + orientationBlock(orientation));
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// The PNG with an eXIf chunk (as cameras and phones write it) after its
// header chunk.
QByteArray withExifChunk(QByteArray png, int orientation)
{
    const QByteArray body = QByteArray("eXIf") + orientationBlock(orientation);
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(body.size() - 4), chunk.data());
    chunk += body + QByteArray(4, '\0');
    qToBigEndian<quint32>(crc32(body), chunk.data() + chunk.size() - 4);
    return png.insert(8 + 25, chunk);
}

// What Qt's writer makes of the picture when told that it is to be shown
// turned: TIFF stores the pixels as they are with an orientation tag.
QByteArray encodeTurned(const QImage &image, const char *format, QImageIOHandler::Transformations turn)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(turn);
    if (!writer.write(image))
        qFatal("cannot encode %s", format);
    return bytes;
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT
private slots:
    // Exactly the size asked for, or the picture's own for an empty size,
    // upright as the EXIF orientation (TIFF's tag, HEIF's transformations)
    // says: 6 turns the stored picture a quarter clockwise, 8 a quarter
    // anticlockwise, 3 half a turn, 2 mirrors it. The content decides the
    // format, not the name. The file itself is never written.
    void loadsUpright_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<QList<QRgb>>("colours");
        const QList<QRgb> stored{kRed, kGreen, kBlue, kYellow};
        const QByteArray jpeg = encode(quadrants(), "jpeg");
        QTest::newRow("jpeg") << jpeg << "photo.bmp" << QSize(64, 48) << stored;
        QTest::newRow("png") << encode(quadrants(), "png") << "photo.jpg" << QSize(64, 48) << stored;
        QTest::newRow("bmp") << encode(quadrants(), "bmp") << "photo" << QSize(64, 48) << stored;
        QTest::newRow("ico") << encode(quadrants(), "ico") << "photo.png" << QSize(64, 48) << stored;
        QTest::newRow("EXIF 1") << withOrientation(jpeg, 1) << "photo.jpg" << QSize(64, 48) << stored;
        QTest::newRow("EXIF 3") << withOrientation(jpeg, 3) << "photo.jpg" << QSize(64, 48)
                                << QList<QRgb>{kYellow, kBlue, kGreen, kRed};
        QTest::newRow("EXIF 6") << withOrientation(jpeg, 6) << "photo.jpg" << QSize(48, 64)
                                << QList<QRgb>{kBlue, kRed, kYellow, kGreen};
        QTest::newRow("EXIF 8") << withOrientation(jpeg, 8) << "photo.jpg" << QSize(48, 64)
                                << QList<QRgb>{kGreen, kYellow, kRed, kBlue};
        const QList<QRgb> quarterTurn{kBlue, kRed, kYellow, kGreen};
        // Qt's TIFF reader gives the orientation tag.
        QTest::newRow("tiff") << encode(quadrants(), "tiff") << "photo.jpg" << QSize(64, 48) << stored;
        QTest::newRow("TIFF tag 6") << encodeTurned(quadrants(), "tiff", QImageIOHandler::TransformationRotate90)
                                    << "photo.tif" << QSize(48, 64) << quarterTurn;
        // Qt's PNG and WebP readers do not: the EXIF data is read with exiv2.
        const QByteArray png = encode(quadrants(), "png"), webp = encode(quadrants(), "webp");
        QTest::newRow("webp") << webp << "photo.jpg" << QSize(64, 48) << stored;
        QTest::newRow("WebP EXIF 6") << withExifOrientation(webp, 6) << "photo.webp" << QSize(48, 64) << quarterTurn;
        QTest::newRow("PNG eXIf 6") << withExifChunk(png, 6) << "photo.png" << QSize(48, 64) << quarterTurn;
        QTest::newRow("PNG EXIF text 8") << withExifOrientation(png, 8) << "photo.png" << QSize(48, 64)
                                         << QList<QRgb>{kGreen, kYellow, kRed, kBlue};
        // HEIF turns and mirrors by its own boxes; its EXIF orientation only
        // repeats them and is left alone, or the photo would turn twice.
        // (x265 pads pictures under 64 pixels high, so these are larger.)
        const QImage large = quadrants(QSize(128, 96));
        QTest::newRow("heic") << encodeHeic(large) << "photo.jpg" << QSize(128, 96) << stored;
        QTest::newRow("HEIC turned 90") << encodeHeic(large, heif_orientation_rotate_90_cw) << "IMG_0001.HEIC"
                                        << QSize(96, 128) << quarterTurn;
        QTest::newRow("HEIC turned 180") << encodeHeic(large, heif_orientation_rotate_180) << "photo.heic"
                                         << QSize(128, 96) << QList<QRgb>{kYellow, kBlue, kGreen, kRed};
        QTest::newRow("HEIC turned 270") << encodeHeic(large, heif_orientation_rotate_270_cw) << "photo"
                                         << QSize(96, 128) << QList<QRgb>{kGreen, kYellow, kRed, kBlue};
        QTest::newRow("HEIC mirrored") << encodeHeic(large, heif_orientation_flip_horizontally) << "photo.heif"
                                       << QSize(128, 96) << QList<QRgb>{kGreen, kRed, kYellow, kBlue};
        QTest::newRow("HEIC turned 90, EXIF 6")
            << encodeHeic(large, heif_orientation_rotate_90_cw, QByteArray("Exif\0\0", 6) + orientationBlock(6))
            << "photo.heic" << QSize(96, 128) << quarterTurn;
        QTest::newRow("HEIC upright, EXIF 6") << encodeHeic(large, heif_orientation_normal, orientationBlock(6))
                                              << "photo.heic" << QSize(128, 96) << stored;
    }
    void loadsUpright()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QSize, upright);
        QFETCH(QList<QRgb>, colours);
        QTemporaryDir dir;
        const QString path = writeFile(dir, name, bytes);
        // The header alone gives the size as shown.
        QCOMPARE(pictureSize(path), upright);
        const QDateTime modified = QFileInfo(path).lastModified();
        QTest::qSleep(20); // so that a write would show in the modification time
        for (const QSize &size : {upright / 2, upright * 3, QSize(40, 40), QSize(10, 100), QSize(), QSize(0, 30)}) {
            QString error = QStringLiteral("stale");
            const QImage image = loadPicture(path, size, &error);
            QCOMPARE(image.size(), size.isEmpty() ? upright : size);
            QVERIFY(error.isEmpty());
            QCOMPARE(quarterColours(image), colours);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    // A photo stored on its side is decoded at the transposed size: one
    // decoded at the asked size and stretched back after turning loses its
    // finest detail. One-pixel stripes across the stored width survive only
    // the right way.
    void sidewaysPhotoKeepsDetail()
    {
        const QImage stripes = painted(128, 64, [](int x, int) { return x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
        QTemporaryDir dir;
        for (const int orientation : {6, 8}) {
            const QString path =
                writeFile(dir, "stripes.jpg", withOrientation(encode(stripes, "jpeg", 100), orientation));
            const QImage image = loadPicture(path, QSize(64, 128));
            QCOMPARE(image.size(), QSize(64, 128));
            int contrast = 0;
            for (int y = 1; y < image.height(); ++y)
                contrast += qAbs(qGray(image.pixel(32, y)) - qGray(image.pixel(32, y - 1)));
            QVERIFY2(contrast / (image.height() - 1) > 150,
                     qPrintable(QStringLiteral("%1: %2").arg(orientation).arg(contrast)));
        }
    }

    // Qt's reader passes a JPEG that stops early for whole; it must fail.
    void unreadableFiles_data()
    {
        // Textured, so that most of the file is compressed data, not tables.
        const QImage photo =
            painted(256, 192, [](int x, int y) { return qRgb(x ^ y, (x * y) & 0xFF, (x * 7 + y * 13) & 0xFF); });
        const QByteArray plain = encode(photo, "jpeg");
        const QByteArray progressive = encode(photo, "jpeg", 95, true);
        // An EXIF block with a thumbnail, whose end must not pass for the end of the photo.
        const QByteArray thumbnail = withApp1(plain, QByteArray("Exif\0\0", 6) + encode(quadrants(), "jpeg"));
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::newRow("progressive") << progressive << true;
        QTest::newRow("padding after the end") << plain + QByteArray(4096, '\0') << true;
        QTest::newRow("thumbnail in EXIF") << thumbnail << true;
        QTest::newRow("text") << QByteArray("工事写真帳\r\nnot a picture\r\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("JPEG without its end marker") << plain.chopped(2) << false;
        QTest::newRow("cut JPEG with thumbnail") << thumbnail.chopped(plain.size() / 3) << false;
        // Cut in a comment after the scan: in its length, and in its body.
        const QByteArray comment =
            plain.chopped(2) + QByteArray("\xFF\xFE\0\x12", 4) + QByteArray(16, 'c') + "\xFF\xD9";
        QTest::newRow("JPEG cut in a length") << comment.left(plain.size() + 1) << false;
        QTest::newRow("JPEG cut in a comment") << comment.left(plain.size() + 8) << false;
    }
    void unreadableFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        QString error;
        const QImage image = loadPicture(writeFile(dir, "photo.jpg", bytes), QSize(32, 24), &error);
        QCOMPARE(image.isNull(), !loads);
        QCOMPARE(error.isEmpty(), loads);
        if (bytes.isEmpty() || bytes.startsWith("工事"))
            QVERIFY(!pictureSize(dir.filePath("photo.jpg")).isValid());
    }

    void missingAndNoFile()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(loadPicture(dir.filePath("nothing.jpg"), QSize(32, 24), &error).isNull());
        QVERIFY(!pictureSize(dir.filePath("nothing.jpg")).isValid());
        QCOMPARE(error, QStringLiteral("file not found"));
        QVERIFY(loadPicture(dir.path(), QSize(32, 24), &error).isNull());
        QVERIFY(!error.isEmpty());
        error = QStringLiteral("stale");
        QVERIFY(loadPicture(QString(), QSize(32, 24), &error).isNull());
        QVERIFY(error.isEmpty());
    }

    void animatedGifGivesFirstFrame()
    {
        const QString path = QStringLiteral(SORVANE_TEST_DATA "/pictures/animated.gif"); // red, then blue
        for (const QSize &size : {QSize(), QSize(257, 169)}) {
            const QImage image = loadPicture(path, size);
            QCOMPARE(image.size(), size.isValid() ? size : QSize(16, 12));
            QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::red));
        }
    }

    // Metafiles go to the WMF renderer, whatever the name says.
    void metafile()
    {
        const QList<QList<quint16>> records{
            {0xCDD7, 0x9AC6, 0, 0, 0, 200, 100, 96, 0, 0, 0xCDD7 ^ 0x9AC6 ^ 200 ^ 100 ^ 96}, // 200×100 at 96 per inch
            {1, 9, 0x300, 40, 0, 1, 7, 0, 0},                                                // plain header
            {5, 0, 0x020B, 0, 0},                                                            // SetWindowOrg
            {5, 0, 0x020C, 100, 200},                                                        // SetWindowExt
            {7, 0, 0x02FC, 0, 0x00FF, 0, 0},                                                 // a red brush
            {4, 0, 0x012D, 0},                                                               // SelectObject
            {7, 0, 0x041B, 100, 200, 0, 0},                                                  // Rectangle
            {3, 0, 0},                                                                       // the end
        };
        QByteArray wmf;
        for (const QList<quint16> &record : records) {
            for (const quint16 word : record)
                wmf.append(char(word & 0xFF)).append(char(word >> 8));
        }
        QTemporaryDir dir;
        const QString path = writeFile(dir, "drawing.jpg", wmf);
        const QImage small = loadPicture(path, QSize(20, 10));
        QCOMPARE(small, renderWmf(wmf, QSize(20, 10)));
        QCOMPARE(small.pixelColor(10, 5), QColor(Qt::red));
        QCOMPARE(loadPicture(path, QSize()), renderWmf(wmf, QSize(200, 100)));
        QCOMPARE(pictureSize(path), QSize(200, 100));
    }
};

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
