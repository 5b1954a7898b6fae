#include "platform/picture_loader.h"
#include "platform/wmf_image.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kYellow = qRgb(255, 255, 0);

// 64×48: red | green over blue | yellow.
QImage quadrants()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, y < 24 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kYellow));
    }
    return image;
}

QByteArray encode(const QImage &image, const char *format, int quality = 95, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot encode %s: %s", format, qPrintable(writer.errorString()));
    return bytes;
}

// Puts an APP1 segment right after the JPEG's start-of-image marker.
QByteArray withApp1(QByteArray jpeg, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    return jpeg.insert(2, QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload);
}

// An EXIF block with nothing but the orientation tag.
QByteArray exifBlock(int orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08", 14); // big-endian TIFF header, IFD at 8
    exif.append("\0\x01", 2);                          // one entry:
    exif.append("\x01\x12\0\x03\0\0\0\x01", 8);        // Orientation, SHORT, one value
    exif.append(char(0)).append(char(orientation)).append("\0\0", 2);
    exif.append("\0\0\0\0", 4); // no further IFD
    return exif;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Which quadrant colour a pixel is, allowing for JPEG loss and smoothing.
QRgb nearest(QRgb pixel)
{
    for (QRgb colour : {kRed, kGreen, kBlue, kYellow}) {
        if (qAbs(qRed(pixel) - qRed(colour)) < 60 && qAbs(qGreen(pixel) - qGreen(colour)) < 60 &&
            qAbs(qBlue(pixel) - qBlue(colour)) < 60)
            return colour;
    }
    return 0;
}

// The colours at the centres of the top left, top right, bottom left and
// bottom right quarters.
QList<QRgb> quarterColours(const QImage &image)
{
    const int w = image.width(), h = image.height();
    return {nearest(image.pixel(w / 4, h / 4)), nearest(image.pixel(3 * w / 4, h / 4)),
            nearest(image.pixel(w / 4, 3 * h / 4)), nearest(image.pixel(3 * w / 4, 3 * h / 4))};
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT
private slots:
    // Every file is named as another format: the content decides.
    void exactSize_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("expected");
        for (const char *format : {"jpeg", "png", "bmp", "ico"}) {
            QTest::addRow("%s slot", format) << QByteArray(format) << QSize(257, 169) << QSize(257, 169);
            QTest::addRow("%s narrow", format) << QByteArray(format) << QSize(10, 100) << QSize(10, 100);
            QTest::addRow("%s smaller", format) << QByteArray(format) << QSize(16, 12) << QSize(16, 12);
            QTest::addRow("%s own size", format) << QByteArray(format) << QSize() << QSize(64, 48);
            QTest::addRow("%s empty size", format) << QByteArray(format) << QSize(0, 30) << QSize(64, 48);
        }
    }
    void exactSize()
    {
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(QSize, expected);
        QTemporaryDir dir;
        const QString name = format == "jpeg" ? "photo.bmp" : format == "png" ? "photo.jpg" : "photo";
        const QString path = write(dir, name, encode(quadrants(), format));
        QString error = QStringLiteral("stale");
        const QImage image = loadPicture(path, size, &error);
        QCOMPARE(image.size(), expected);
        QVERIFY(error.isEmpty());
        QCOMPARE(quarterColours(image), (QList<QRgb>{kRed, kGreen, kBlue, kYellow}));
    }

    // Orientation 6 turns the stored picture a quarter clockwise, 8 a quarter
    // anticlockwise, 3 half a turn.
    void exifOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<QList<QRgb>>("colours");
        QTest::newRow("1") << 1 << QSize(64, 48) << QList<QRgb>{kRed, kGreen, kBlue, kYellow};
        QTest::newRow("3") << 3 << QSize(64, 48) << QList<QRgb>{kYellow, kBlue, kGreen, kRed};
        QTest::newRow("6") << 6 << QSize(48, 64) << QList<QRgb>{kBlue, kRed, kYellow, kGreen};
        QTest::newRow("8") << 8 << QSize(48, 64) << QList<QRgb>{kGreen, kYellow, kRed, kBlue};
    }
    void exifOrientation()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, upright);
        QFETCH(QList<QRgb>, colours);
        QTemporaryDir dir;
        const QString path = write(dir, "photo.jpg", withApp1(encode(quadrants(), "jpeg"), exifBlock(orientation)));
        for (const QSize &size : {upright / 2, upright * 3, QSize(40, 40)}) {
            const QImage image = loadPicture(path, size);
            QCOMPARE(image.size(), size);
            QCOMPARE(quarterColours(image), colours);
        }
        const QImage own = loadPicture(path, QSize());
        QCOMPARE(own.size(), upright);
        QCOMPARE(quarterColours(own), colours);
    }

    // A photo stored on its side must be decoded at the transposed size: one
    // decoded at the asked size and stretched back after turning loses its
    // finest detail. One-pixel stripes across the stored width survive only
    // the right way.
    void sidewaysPhotoKeepsDetail_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::newRow("6") << 6;
        QTest::newRow("8") << 8;
    }
    void sidewaysPhotoKeepsDetail()
    {
        QFETCH(int, orientation);
        QImage stripes(128, 64, QImage::Format_Grayscale8);
        for (int y = 0; y < stripes.height(); ++y) {
            for (int x = 0; x < stripes.width(); ++x)
                stripes.scanLine(y)[x] = x % 2 ? 255 : 0;
        }
        QTemporaryDir dir;
        const QString path = write(dir, "stripes.jpg", withApp1(encode(stripes, "jpeg", 100), exifBlock(orientation)));
        const QImage image = loadPicture(path, QSize(64, 128));
        QCOMPARE(image.size(), QSize(64, 128));
        int contrast = 0;
        for (int y = 1; y < image.height(); ++y)
            contrast += qAbs(qGray(image.pixel(32, y)) - qGray(image.pixel(32, y - 1)));
        QVERIFY2(contrast / (image.height() - 1) > 150, qPrintable(QString::number(contrast)));
    }

    void neverWritesTheFile()
    {
        QTemporaryDir dir;
        const QByteArray bytes = withApp1(encode(quadrants(), "jpeg"), exifBlock(6));
        const QString path = write(dir, "photo.jpg", bytes);
        const QDateTime modified = QFileInfo(path).lastModified();
        QTest::qSleep(20);
        QVERIFY(!loadPicture(path, QSize(257, 169)).isNull());
        QVERIFY(!loadPicture(path, QSize()).isNull());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    // Qt's reader passes a JPEG that stops early for whole; it must fail.
    void unreadableFiles_data()
    {
        // Textured, so that most of the file is compressed data, not tables.
        QImage photo(256, 192, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x ^ y, (x * y) & 0xFF, (x * 7 + y * 13) & 0xFF));
        }
        const QByteArray plain = encode(photo, "jpeg");
        const QByteArray progressive = encode(photo, "jpeg", 95, true);
        const QByteArray exif = QByteArray("Exif\0\0", 6) + encode(quadrants(), "jpeg"); // with a thumbnail
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::newRow("progressive") << progressive << true;
        QTest::newRow("padding after the end") << plain + QByteArray(4096, '\0') << true;
        QTest::newRow("thumbnail in EXIF") << withApp1(plain, exif) << true;
        QTest::newRow("text") << QByteArray("工事写真帳\r\nnot a picture\r\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("JPEG cut in half") << plain.left(plain.size() / 2) << false;
        QTest::newRow("JPEG without its end marker") << plain.chopped(2) << false;
        QTest::newRow("progressive JPEG cut") << progressive.left(progressive.size() * 3 / 4) << false;
        // The thumbnail's end must not pass for the end of the photo.
        QTest::newRow("cut JPEG with thumbnail") << withApp1(plain, exif).chopped(plain.size() / 3) << false;
        QTest::newRow("JPEG header only") << plain.left(20) << false;
    }
    void unreadableFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        QString error;
        const QImage image = loadPicture(write(dir, "photo.jpg", bytes), QSize(32, 24), &error);
        QCOMPARE(image.isNull(), !loads);
        QCOMPARE(error.isEmpty(), loads);
    }

    void missingAndNoFile()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(loadPicture(dir.filePath("nothing.jpg"), QSize(32, 24), &error).isNull());
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
        for (const QSize &size : {QSize(), QSize(8, 6), QSize(257, 169)}) {
            const QImage image = loadPicture(path, size);
            QCOMPARE(image.size(), size.isValid() ? size : QSize(16, 12));
            QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::red));
        }
    }

    // Metafiles go to the WMF renderer, whatever the name says.
    void metafile()
    {
        QByteArray wmf;
        QDataStream out(&wmf, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        const quint16 placeable[] = {0xCDD7, 0x9AC6, 0, 0, 0, 200, 100, 96, 0, 0};
        quint16 checksum = 0;
        for (quint16 word : placeable) {
            out << word;
            checksum ^= word;
        }
        out << checksum;
        out << quint16(1) << quint16(9) << quint16(0x300) << quint32(40) << quint16(1) << quint32(7) << quint16(0);
        out << quint32(5) << quint16(0x020B) << qint16(0) << qint16(0);                               // SetWindowOrg
        out << quint32(5) << quint16(0x020C) << qint16(100) << qint16(200);                           // SetWindowExt
        out << quint32(7) << quint16(0x02FC) << quint16(0) << quint32(0x0000FF) << quint16(0);        // red brush
        out << quint32(4) << quint16(0x012D) << quint16(0);                                           // select it
        out << quint32(7) << quint16(0x041B) << qint16(100) << qint16(200) << qint16(0) << qint16(0); // Rectangle
        out << quint32(3) << quint16(0);                                                              // end
        QCOMPARE(wmfFrameSize(wmf), QSize(200, 100));
        QTemporaryDir dir;
        const QString path = write(dir, "drawing.jpg", wmf);
        const QImage small = loadPicture(path, QSize(20, 10));
        QCOMPARE(small, renderWmf(wmf, QSize(20, 10)));
        QCOMPARE(small.pixelColor(10, 5), QColor(Qt::red));
        QCOMPARE(loadPicture(path, QSize()), renderWmf(wmf, QSize(200, 100)));
    }
};

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
