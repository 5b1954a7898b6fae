#include "picture/jpeg_data.h"

#include <QtGlobal>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace sorvane {

namespace {

constexpr uchar kEoi = 0xD9, kSos = 0xDA, kDht = 0xC4;
// What libjpeg accepts: sampling factors, components in a frame and in a
// scan, blocks in an interleaved MCU.
constexpr int kMaxSampling = 4, kMaxComponents = 10, kMaxScanComponents = 4, kMaxBlocksInMcu = 10;

bool isFrameMarker(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != 0xC8 && marker != 0xCC;
}

// Markers without a length: restart markers, TEM, a repeated start of image.
bool standsAlone(uchar marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

// The position of the next marker's code byte at or after pos, stepping over
// anything else as libjpeg does (stray bytes, stuffed 0xFF in compressed
// data, fill bytes); -1 when the data ends first.
qsizetype nextMarker(const uchar *data, qsizetype size, qsizetype pos)
{
    for (;;) {
        if (pos >= size)
            return -1;
        const void *found = std::memchr(data + pos, 0xFF, size_t(size - pos));
        if (!found)
            return -1;
        pos = static_cast<const uchar *>(found) - data;
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            return -1;
        if (data[pos] != 0x00)
            return pos;
        ++pos;
    }
}

int readU16(const uchar *p)
{
    return (p[0] << 8) | p[1];
}

struct Component {
    int id = 0;
    int h = 1, v = 1;
    int blocksWide = 0, blocksHigh = 0;
};

struct Frame {
    uchar marker = 0;
    int width = 0, height = 0;
    std::vector<Component> components;
    int maxH = 1, maxV = 1;
    int mcusWide = 0, mcusHigh = 0;
};

// Parses a frame header; false when libjpeg would refuse it.
bool parseFrame(uchar marker, const uchar *p, int length, Frame *frame)
{
    if (length < 6)
        return false;
    const int count = p[5];
    if (count < 1 || count > kMaxComponents || length != 6 + 3 * count)
        return false;
    frame->marker = marker;
    frame->height = readU16(p + 1);
    frame->width = readU16(p + 3);
    if (frame->width == 0 || frame->height == 0) // a height given later (DNL) libjpeg does not read
        return false;
    frame->components.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        Component &c = frame->components[size_t(i)];
        c.id = p[6 + 3 * i];
        c.h = p[7 + 3 * i] >> 4;
        c.v = p[7 + 3 * i] & 15;
        if (c.h < 1 || c.h > kMaxSampling || c.v < 1 || c.v > kMaxSampling)
            return false;
        frame->maxH = qMax(frame->maxH, c.h);
        frame->maxV = qMax(frame->maxV, c.v);
    }
    const auto ceilDiv = [](qint64 a, qint64 b) { return int((a + b - 1) / b); };
    for (Component &c : frame->components) {
        c.blocksWide = ceilDiv(qint64(frame->width) * c.h, 8 * frame->maxH);
        c.blocksHigh = ceilDiv(qint64(frame->height) * c.v, 8 * frame->maxV);
    }
    frame->mcusWide = ceilDiv(frame->width, 8 * frame->maxH);
    frame->mcusHigh = ceilDiv(frame->height, 8 * frame->maxV);
    return true;
}

struct Scan {
    int count = 0;
    int component[kMaxScanComponents] = {}; // index in the frame
    int dcTable[kMaxScanComponents] = {}, acTable[kMaxScanComponents] = {};
    int ss = 0, se = 63, ah = 0, al = 0;
};

bool parseScan(const uchar *p, int length, const Frame &frame, Scan *scan)
{
    if (length < 1)
        return false;
    scan->count = p[0];
    if (scan->count < 1 || scan->count > kMaxScanComponents || length != 4 + 2 * scan->count)
        return false;
    int blocks = 0;
    for (int i = 0; i < scan->count; ++i) {
        const int id = p[1 + 2 * i];
        int index = -1;
        for (size_t c = 0; c < frame.components.size(); ++c) {
            if (frame.components[c].id == id)
                index = int(c);
        }
        if (index < 0)
            return false;
        scan->component[i] = index;
        scan->dcTable[i] = p[2 + 2 * i] >> 4;
        scan->acTable[i] = p[2 + 2 * i] & 15;
        if (scan->dcTable[i] > 3 || scan->acTable[i] > 3)
            return false;
        blocks += frame.components[size_t(index)].h * frame.components[size_t(index)].v;
    }
    if (scan->count > 1 && blocks > kMaxBlocksInMcu)
        return false;
    const uchar *q = p + 1 + 2 * scan->count;
    scan->ss = q[0];
    scan->se = q[1];
    scan->ah = q[2] >> 4;
    scan->al = q[2] & 15;
    return true;
}

// Which coefficients of each component the scans so far have given their
// last bit: a file cut between two scans, with an end marker after the cut,
// holds only whole scans but lacks some, and libjpeg makes up the rest
// without a word.
class Coverage {
public:
    explicit Coverage(size_t components) : m_shift(components) {}

    // Notes a scan, and false for parameters libjpeg refuses.
    bool add(const Frame &frame, const Scan &scan)
    {
        const bool progressive = frame.marker == 0xC2 || frame.marker == 0xCA;
        int first = 0, last = 63, shift = 0;
        if (progressive) {
            const bool dcBand = scan.ss == 0;
            if ((dcBand && scan.se != 0) || (!dcBand && (scan.ss > scan.se || scan.se > 63 || scan.count != 1)) ||
                (scan.ah != 0 && scan.al != scan.ah - 1) || scan.al > 13)
                return false;
            first = scan.ss;
            last = scan.se;
            shift = scan.al;
        }
        for (int i = 0; i < scan.count; ++i) {
            auto &coefficients = m_shift[size_t(scan.component[i])];
            for (int k = first; k <= last; ++k)
                coefficients[size_t(k)] = uchar(qMin(int(coefficients[size_t(k)]), shift));
        }
        return true;
    }

    bool complete() const
    {
        for (const auto &coefficients : m_shift) {
            for (const uchar shift : coefficients) {
                if (shift != 0)
                    return false;
            }
        }
        return true;
    }

private:
    // Per component and coefficient: the point transform of the last scan
    // that gave it, 0 once its last bit came; kNone before any.
    static constexpr uchar kNone = 255;
    struct Shifts : std::array<uchar, 64> {
        Shifts() { fill(kNone); }
    };
    std::vector<Shifts> m_shift;
};

} // namespace

JpegFrame readJpegFrame(QByteArrayView bytes)
{
    JpegFrame result;
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return result;
    Frame frame;
    bool haveFrame = false;
    qsizetype pos = 2;
    for (;;) {
        const qsizetype at = nextMarker(data, size, pos);
        if (at < 0 || at + 2 >= size)
            return result;
        const uchar marker = data[at];
        pos = at + 1;
        if (marker == kEoi)
            return result;
        if (standsAlone(marker))
            continue;
        const int length = readU16(data + pos);
        if (length < 2 || pos + length > size)
            return result;
        if (isFrameMarker(marker) && !haveFrame) {
            if (!parseFrame(marker, data + pos + 2, length - 2, &frame))
                return result;
            haveFrame = true;
        } else if (marker == kSos) {
            if (!haveFrame)
                return result;
            Scan scan;
            if (!parseScan(data + pos + 2, length - 2, frame, &scan))
                return result;
            result.size = QSize(frame.width, frame.height);
            result.components = int(frame.components.size());
            result.wholePictureBuffer = frame.marker == 0xC2 || frame.marker == 0xCA || scan.count < result.components;
            if (result.wholePictureBuffer) {
                for (const Component &c : frame.components) {
                    const qint64 wide = (c.blocksWide + c.h - 1) / c.h * c.h;
                    const qint64 high = (c.blocksHigh + c.v - 1) / c.v * c.v;
                    result.coefficientBytes += wide * high * 64 * 2;
                }
            }
            return result;
        }
        pos += length;
    }
}

JpegData checkJpegData(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return JpegData::Damaged;
    Frame frame;
    std::optional<Coverage> coverage; // made with the frame
    qsizetype pos = 2;
    for (;;) {
        // Compressed data is stepped over: a 0xFF in it is always followed
        // by a stuffed zero or a restart marker.
        const qsizetype at = nextMarker(data, size, pos);
        if (at < 0)
            return JpegData::CutOff;
        const uchar marker = data[at];
        pos = at + 1;
        if (marker == kEoi) {
            if (!coverage)
                return JpegData::Damaged;
            return coverage->complete() ? JpegData::Complete : JpegData::CutOff;
        }
        if (standsAlone(marker))
            continue;
        if (pos + 2 > size)
            return JpegData::CutOff;
        const int length = readU16(data + pos);
        if (length < 2)
            return JpegData::Damaged;
        if (pos + length > size)
            return JpegData::CutOff;
        const uchar *body = data + pos + 2;
        pos += length;
        if (isFrameMarker(marker)) {
            if (coverage || !parseFrame(marker, body, length - 2, &frame))
                return JpegData::Damaged;
            coverage.emplace(frame.components.size());
        } else if (marker == kSos) {
            Scan scan;
            if (!coverage || !parseScan(body, length - 2, frame, &scan) || !coverage->add(frame, scan))
                return JpegData::Damaged;
        }
    }
}

} // namespace sorvane
