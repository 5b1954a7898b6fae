#pragma once

// Picture files made for tests: what Qt writes, and files whose header
// claims more than their data holds.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>

namespace sorvane::testing {

inline QByteArray encode(const QImage &image, const char *format, int quality = 95, bool progressive = false)
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

// Colours that change from pixel to pixel, so that most of a JPEG of it is
// compressed data, not tables.
inline QImage textured(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x ^ y) & 0xFF, (x * y) & 0xFF, (x * 7 + y * 13) & 0xFF);
    }
    return image;
}

// The JPEG with a frame header that claims width × height pixels; with
// fullChroma, the colour components also claim to be stored at full size
// (4:4:4) rather than Qt's half (4:2:0). The data stays that of the small
// picture.
inline QByteArray claimingSize(QByteArray jpeg, int width, int height, bool fullChroma = false)
{
    for (qsizetype i = 2; i + 10 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            qToBigEndian<quint16>(quint16(height), jpeg.data() + i + 5);
            qToBigEndian<quint16>(quint16(width), jpeg.data() + i + 7);
            if (fullChroma)
                jpeg[i + 11] = 0x11; // the first component's sampling factors
            return jpeg;
        }
    }
    qFatal("no frame header");
}

// The JPEG cut before its scan marker `scan` (0 for the first), with an end
// marker after the cut: whole scans, but not all of them.
inline QByteArray withoutScansFrom(const QByteArray &jpeg, int scan)
{
    qsizetype at = -1;
    for (int n = 0; n <= scan; ++n)
        at = jpeg.indexOf("\xFF\xDA", at + 1);
    if (at < 0)
        qFatal("no scan %d", scan);
    return jpeg.left(at) + "\xFF\xD9";
}

// A GIF of four colours whose screen and frame are width × height and whose
// LZW data gives `pixels` pixels: a clear code before every second pixel
// keeps the codes three bits wide.
inline QByteArray gifOf(int width, int height, qint64 pixels)
{
    QByteArray gif("GIF89a");
    const auto size = [&gif, width, height] {
        for (const int n : {width, height})
            gif.append(char(n & 0xFF)).append(char(n >> 8));
    };
    size();
    gif.append(QByteArray("\x81\0\0", 3)); // a global table of four colours
    gif.append(QByteArray("\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF", 12));
    gif.append(QByteArray("\x2C\0\0\0\0", 5));
    size();
    gif.append(QByteArray("\0\x02", 2)); // no local table; LZW codes from 2 bits
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto code = [&](int c) {
        bits |= quint32(c) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xFF));
    };
    for (qint64 i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            code(4);
        code(int(i / 7 % 4));
    }
    code(5);
    if (count)
        data.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        gif.append(char(block.size())).append(block);
    }
    return gif.append(QByteArray("\0\x3B", 2));
}

// An 8-bit run-length coded BMP of width × height: runs of up to 255
// pixels, line ends, and the end of the picture.
inline QByteArray runLengthBmp(int width, int height)
{
    QByteArray pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 255)
            pixels.append(char(qMin(255, width - x))).append(char(y % 4));
        pixels.append(QByteArray("\0\0", 2));
    }
    pixels.append(QByteArray("\0\1", 2));
    QByteArray bmp(14 + 40 + 16, '\0');
    char *p = bmp.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(bmp.size() + pixels.size()), p + 2);
    qToLittleEndian<quint32>(quint32(bmp.size()), p + 10); // where the pixels start
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(8, p + 28);
    qToLittleEndian<quint32>(1, p + 30); // RLE8
    qToLittleEndian<quint32>(quint32(pixels.size()), p + 34);
    qToLittleEndian<quint32>(4, p + 46); // colours in the table
    const uchar palette[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    std::copy(palette, palette + 16, p + 54);
    return bmp + pixels;
}

} // namespace sorvane::testing
