#include "picture/wmf_bitmap.h"

#include "picture/wmf_records.h"

#include <QByteArray>

#include <cstdlib>

namespace sorvane::wmf {

namespace {

constexpr int kMaxBitmapSide = 16384;
constexpr qint64 kMaxBitmapPixels = 64ll * 1024 * 1024;

} // namespace

// Qt's BMP reader does the decoding once a file header is put in front.
QImage decodeDib(const uchar *data, long length, bool *bottomUp)
{
    if (!data || length < 12)
        return {};
    const quint32 headerSize = le32(data);
    qint64 width, height;
    int bitCount;
    quint32 compression = 0, coloursUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = le16(data + 4);
        height = le16(data + 6);
        bitCount = le16(data + 10);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 124 && length >= 40) {
        width = qint32(le32(data + 4));
        height = qint32(le32(data + 8));
        bitCount = le16(data + 14);
        compression = le32(data + 16);
        coloursUsed = le32(data + 32);
    } else {
        return {};
    }
    *bottomUp = height > 0;
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        width * height > kMaxBitmapPixels)
        return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return {};
    if (compression > 3) // embedded JPEG or PNG: not in metafiles Windows writes
        return {};
    const qint64 colours = coloursUsed ? coloursUsed : (bitCount <= 8 ? (1 << bitCount) : 0);
    qint64 offset = headerSize + colours * paletteEntrySize;
    if (compression == 3 && headerSize == 40)
        offset += 12; // the three colour masks
    if (offset > length)
        return {};
    if (compression == 0) { // uncompressed: the pixels must all be there
        const qint64 stride = ((width * bitCount + 31) / 32) * 4;
        if (stride * height > length - offset)
            return {};
    }
    QByteArray file;
    file.reserve(14 + length);
    file.append("BM", 2);
    append32(file, quint32(14 + length));
    append32(file, 0);
    append32(file, quint32(14 + offset));
    file.append(reinterpret_cast<const char *>(data), length);
    // Qt's reader warns about every palette entry beyond what the depth can
    // use; it is told of those only (the pixels' offset stays as it is).
    if (headerSize >= 40 && bitCount <= 8 && coloursUsed > (1u << bitCount))
        file.replace(14 + 32, 4, QByteArray::fromRawData("\0\0\0\0", 4));
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        return {};
    return image;
}

} // namespace sorvane::wmf
