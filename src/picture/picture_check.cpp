#include "picture/picture_check.h"

#include "picture/jpeg_data.h"

#include <QtMath>

#include <array>
#include <limits>

namespace sorvane {

namespace {

int readLe16(const uchar *p)
{
    return p[0] | (p[1] << 8);
}

qint64 readLe32(const uchar *p)
{
    return qint64(p[0]) | (qint64(p[1]) << 8) | (qint64(p[2]) << 16) | (qint64(p[3]) << 24);
}

enum class Data { Whole, CutOff, Damaged };

// What a header claims: the size, and how the data is to be checked.
struct Claim {
    QSize size;
    qint64 decodeBytes = 0;
    std::function<Data()> checkData; // empty when Qt's reader fails on missing data itself
    QString cutOffReason;
};

QString sizeText(QSize size)
{
    return QStringLiteral("%1 × %2 pixels").arg(size.width()).arg(size.height());
}

// Readers that decode the whole picture (all but JPEG's): the picture at
// four bytes a pixel, and as much again for the copy that smooth scaling
// converts it to first (and that the GIF reader keeps for frame disposal).
qint64 wholeDecodeBytes(QSize size)
{
    // A BMP header may claim 2^31 × 2^31 pixels: the count itself fits in
    // 64 bits, eight bytes for each of them may not.
    const qint64 pixels = qint64(qMax(0, size.width())) * qMax(0, size.height());
    return pixels > std::numeric_limits<qint64>::max() / 8 ? std::numeric_limits<qint64>::max() : pixels * 8;
}

// Qt's JPEG reader decodes at n/8 of the size, n the smallest that reaches
// the size asked for, and then scales to that size.
qint64 jpegDecodeBytes(const JpegFrame &frame, QSize target)
{
    const qint64 width = frame.size.width(), height = frame.size.height();
    int eighths = 8;
    qint64 scaled = 0;
    if (!target.isEmpty()) {
        const double factor = qMin(double(width) / target.width(), double(height) / target.height());
        eighths = qBound(1, qCeil(8 / factor), 8);
        scaled = qint64(target.width()) * target.height() * 4;
    }
    const qint64 decoded = (width * eighths + 7) / 8 * ((height * eighths + 7) / 8) * 4;
    return frame.coefficientBytes + decoded + scaled;
}

Claim jpegClaim(QByteArrayView bytes, QSize target)
{
    Claim claim;
    const JpegFrame frame = readJpegFrame(bytes);
    claim.size = frame.size;
    claim.decodeBytes = jpegDecodeBytes(frame, target);
    claim.cutOffReason = QStringLiteral("JPEG data cut off or damaged");
    claim.checkData = [bytes] {
        switch (checkJpegData(bytes)) {
        case JpegData::Complete:
            return Data::Whole;
        case JpegData::CutOff:
            return Data::CutOff;
        case JpegData::Damaged:
            break;
        }
        return Data::Damaged;
    };
    return claim;
}

// Counts the pixels that the LZW data of a GIF frame gives, without
// storing them: each code stands for a string one longer than the string
// of the code before it when it was added to the table.
Data gifFrameData(const uchar *data, qsizetype size, qsizetype pos, qint64 pixels)
{
    if (pos >= size)
        return Data::CutOff;
    const int minimum = data[pos++];
    if (minimum < 1 || minimum > 11)
        return Data::Damaged;
    const int clear = 1 << minimum, end = clear + 1;
    std::array<quint16, 4096> length{};
    for (int code = 0; code < clear; ++code)
        length[size_t(code)] = 1;
    int next = clear + 2, width = minimum + 1, previous = -1;
    quint32 bits = 0;
    int count = 0;
    qint64 given = 0;
    while (pos < size) {
        const int block = data[pos++];
        if (block == 0 || pos + block > size)
            return block == 0 ? Data::Damaged : Data::CutOff;
        for (const uchar *p = data + pos, *stop = p + block; p < stop; ++p) {
            bits |= quint32(*p) << count;
            count += 8;
            while (count >= width) {
                const int code = int(bits & ((1u << width) - 1));
                bits >>= width;
                count -= width;
                if (code == clear) {
                    next = clear + 2;
                    width = minimum + 1;
                    previous = -1;
                    continue;
                }
                if (code == end)
                    return Data::Damaged; // the frame ends before its last pixel
                int string = 0;
                if (code < clear || (code > end && code < next))
                    string = length[size_t(code)];
                else if (code == next && previous >= 0)
                    string = length[size_t(previous)] + 1;
                else
                    return Data::Damaged;
                if (previous >= 0 && next < 4096) {
                    length[size_t(next)] = quint16(length[size_t(previous)] + 1);
                    if (++next == (1 << width) && width < 12)
                        ++width;
                }
                previous = code;
                given += string;
                if (given >= pixels)
                    return Data::Whole;
            }
        }
        pos += block;
    }
    return Data::CutOff;
}

Claim gifClaim(QByteArrayView bytes)
{
    Claim claim;
    claim.cutOffReason = QStringLiteral("GIF data cut off or damaged");
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 13)
        return claim;
    const QSize screen(readLe16(data + 6), readLe16(data + 8));
    qsizetype pos = 13;
    if (data[10] & 0x80)
        pos += 3 << ((data[10] & 7) + 1);
    // Extensions up to the first frame.
    while (pos < size && data[pos] == 0x21) {
        pos += 2;
        while (pos < size && data[pos] != 0)
            pos += 1 + data[pos];
        ++pos;
    }
    if (pos + 10 > size || data[pos] != 0x2C)
        return claim;
    const QSize frame(readLe16(data + pos + 5), readLe16(data + pos + 7));
    const uchar flags = data[pos + 9];
    pos += 10;
    if (flags & 0x80)
        pos += 3 << ((flags & 7) + 1);
    // Qt's reader makes a picture of the screen's size, or the frame's when
    // the screen has none.
    claim.size = screen.isEmpty() ? frame : screen.expandedTo(frame);
    claim.decodeBytes = wholeDecodeBytes(claim.size);
    const qint64 pixels = qint64(frame.width()) * frame.height();
    claim.checkData = [data, size, pos, pixels] { return gifFrameData(data, size, pos, pixels); };
    return claim;
}

// Walks run-length coded BMP data: runs, line ends, moves and the end of the
// picture, which may come before the last line.
Data bmpRunData(const uchar *data, qsizetype size, qsizetype pos, qint64 lines, bool fourBits)
{
    qint64 line = 0;
    while (line < lines) {
        if (pos + 2 > size)
            return Data::CutOff;
        const int count = data[pos], code = data[pos + 1];
        pos += 2;
        if (count != 0)
            continue;
        if (code == 0) {
            ++line;
        } else if (code == 1) {
            return Data::Whole;
        } else if (code == 2) {
            if (pos + 2 > size)
                return Data::CutOff;
            line += data[pos + 1];
            pos += 2;
        } else {
            const qsizetype literal = fourBits ? (code + 1) / 2 : code;
            pos += (literal + 1) & ~qsizetype(1);
            if (pos > size)
                return Data::CutOff;
        }
    }
    return Data::Whole;
}

Claim bmpClaim(QByteArrayView bytes)
{
    Claim claim;
    claim.cutOffReason = QStringLiteral("BMP data cut off");
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 26)
        return claim;
    const qint64 offset = readLe32(data + 10), header = readLe32(data + 14);
    qint64 width = 0, height = 0;
    int depth = 0;
    qint64 compression = 0;
    if (header == 12) { // OS/2
        width = readLe16(data + 18);
        height = readLe16(data + 20);
        depth = readLe16(data + 24);
    } else if (header >= 16 && size >= 34) {
        width = qint32(readLe32(data + 18));
        height = qint32(readLe32(data + 22)); // below zero: stored top line first
        depth = readLe16(data + 28);
        compression = header >= 20 && size >= 34 ? readLe32(data + 30) : 0;
    } else {
        return claim;
    }
    height = qAbs(height);
    if (width <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return claim;
    claim.size = QSize(int(width), int(height));
    claim.decodeBytes = wholeDecodeBytes(claim.size);
    // The pixels start at the offset the header gives, or after the headers
    // when it points into them (Qt's reader then reads on from there).
    const qsizetype start = qsizetype(qMax(offset, 14 + header));
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 line = (width * depth + 31) / 32 * 4;
        claim.checkData = [=] { return start + line * height <= size ? Data::Whole : Data::CutOff; };
    } else if (compression == 1 || compression == 2) {
        claim.checkData = [=] { return bmpRunData(data, size, start, height, compression == 2); };
    }
    return claim;
}

} // namespace

QString budgetProblem(QSize size, qint64 decodeBytes, qint64 fileBytes)
{
    const qint64 pixels = qint64(qMax(0, size.width())) * qMax(0, size.height());
    if (pixels > kMaxPicturePixels || decodeBytes > kMaxDecodeBytes)
        return QStringLiteral("picture too large: %1").arg(sizeText(size));
    if (pixels > kMaxPixelsPerFileByte * fileBytes)
        return QStringLiteral("file too small for a picture of %1").arg(sizeText(size));
    return {};
}

QString decodeProblem(QByteArrayView bytes, QSize decodeSize, const std::function<QSize()> &headerSize)
{
    Claim claim;
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        claim = jpegClaim(bytes, decodeSize);
    } else if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        claim = gifClaim(bytes);
    } else if (bytes.startsWith("BM")) {
        claim = bmpClaim(bytes);
    } else {
        claim.size = headerSize ? headerSize() : QSize();
        claim.decodeBytes = wholeDecodeBytes(claim.size);
    }
    if (claim.size.isEmpty())
        return claim.cutOffReason.isEmpty() ? QStringLiteral("picture size unreadable") : claim.cutOffReason;
    const QString problem = budgetProblem(claim.size, claim.decodeBytes, bytes.size());
    if (!problem.isEmpty())
        return problem;
    if (claim.checkData) {
        const Data data = claim.checkData();
        if (data != Data::Whole)
            return claim.cutOffReason;
    }
    return {};
}

} // namespace sorvane
