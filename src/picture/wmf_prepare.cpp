#include "picture/wmf_prepare.h"

#include "picture/wmf_records.h"
#include "picture/wmf_text.h"

#include <algorithm>
#include <cmath>

namespace sorvane::wmf {

namespace {

// Limits against damaged or hostile files.
constexpr int kMaxSaveDepth = 256;
constexpr int kMaxClipOperations = 4096;
constexpr int kMaxRegionRects = 1000;
constexpr int kMaxObjects = 65535;
constexpr int kMaxLiveObjects = 16384; // libwmf looks for a free slot from the first one
// libwmf keeps every font's name until the end, and each of its frees looks
// through all it keeps; beyond this many fonts the current one stays.
constexpr int kMaxFontRecords = 4096;

enum ObjectKind : quint8 { kFree, kPen, kBrush, kFont, kRegion, kOther };

// libwmf's object table: a new object takes the lowest free slot.
class ObjectTable {
public:
    explicit ObjectTable(int size) : m_kinds(size_t(size), kFree) {}
    bool create(ObjectKind kind)
    {
        if (m_live >= kMaxLiveObjects)
            return false;
        ++m_live;
        const auto free = std::find(m_kinds.begin(), m_kinds.end(), kFree);
        if (free != m_kinds.end()) {
            *free = kind;
            return true;
        }
        if (m_kinds.size() >= size_t(kMaxObjects)) {
            --m_live;
            return false;
        }
        m_kinds.push_back(kind);
        return true;
    }
    bool valid(quint16 index) const { return index < m_kinds.size(); }
    ObjectKind kind(quint16 index) const { return valid(index) ? ObjectKind(m_kinds[index]) : kFree; }
    void remove(quint16 index)
    {
        m_live -= m_kinds[index] != kFree;
        m_kinds[index] = kFree;
    }
    int size() const { return int(m_kinds.size()); }

private:
    std::vector<quint8> m_kinds;
    int m_live = 0;
};

// True when a CreateRegion record holds what libwmf's reader walks through.
bool regionRecordReadable(const uchar *p, quint32 words)
{
    auto at = [&](quint32 index) { return le16(p + 2 * index); };
    if (words < 6)
        return false;
    const quint16 bands = at(5);
    quint32 end = 10;
    int rects = 0;
    for (quint16 band = 0; band < bands; ++band) {
        const quint32 start = end + 1;
        if (start >= words)
            return false;
        const quint16 count = at(start);
        if (count & 1)
            return false;
        end = start + count + 3;
        if (end >= words || at(end) != count)
            return false;
        rects += count / 2;
        if (rects > kMaxRegionRects)
            return false;
    }
    return true;
}

// The string and spacing of a TextOut or ExtTextOut record checked by prepare().
TextRecord textRecordOf(quint16 function, const uchar *p, quint32 words)
{
    TextRecord text;
    quint32 length, at;
    if (function == fn::TextOut) {
        length = le16(p);
        at = 1;
    } else {
        length = le16(p + 4);
        at = 4 + ((le16(p + 6) & (kEtoOpaque | kEtoClipped)) ? 4 : 0);
    }
    text.bytes = QByteArray(reinterpret_cast<const char *>(p + 2 * at), length);
    // As in libwmf: spacing is used when a full array follows the string.
    const quint32 dxAt = at + (length + 1) / 2;
    if (function == fn::ExtTextOut && words >= dxAt && words - dxAt >= length) {
        text.hasDx = true;
        text.dx.reserve(length);
        for (quint32 i = 0; i < length; ++i)
            text.dx.push_back(les16(p + 2 * (dxAt + i)));
    }
    return text;
}

} // namespace

Prepared prepare(QByteArrayView bytes, const Header &header, FontCache *fonts)
{
    Prepared prepared;
    prepared.header = header;
    QByteArray &out = prepared.bytes;
    out.reserve(bytes.size() + 64);
    const uchar *d = bytesOf(bytes);
    const qsizetype size = bytes.size();

    if (header.placeable) {
        out.append(bytes.first(kPlaceableSize));
        if (header.inch == 0) { // no units per inch: take twips, as most files do
            prepared.header.inch = 1440;
            put16(out, 14, 1440);
            quint16 sum = 0;
            for (int i = 0; i < 10; ++i)
                sum ^= le16(bytesOf(out) + 2 * i);
            put16(out, 20, sum);
        }
    }
    const qsizetype plainAt = out.size();
    out.append(bytes.sliced(header.recordsAt - kHeaderSize, kHeaderSize));

    Mapping mapping;
    mapping.dc.mode = header.placeable ? kModePlaceable : kModeText;
    mapping.inch = prepared.header.inch ? prepared.header.inch : 1440;
    std::vector<DcMapping> savedMappings;
    ObjectTable objects(header.objects);
    int skippedSaves = 0;
    int clipOperations = 0;
    int fontRecords = 0;
    quint32 largestRecord = 3;

    auto emitRecord = [&](quint16 function, const uchar *params, quint32 words) {
        append32(out, words + 3);
        append16(out, function);
        out.append(reinterpret_cast<const char *>(params), qsizetype(words) * 2);
        largestRecord = std::max(largestRecord, words + 3);
        if (function == fn::TextOut || function == fn::ExtTextOut)
            prepared.texts.emplace(prepared.records, textRecordOf(function, params, words));
        ++prepared.records;
        if (isDrawingRecord(function) && !prepared.drawing) {
            prepared.drawing = true;
            prepared.frameMapping = mapping;
        }
    };
    // A record libwmf counts as an object without reading anything from it:
    // it keeps later objects in the slots the metafile expects.
    auto emitPlaceholderObject = [&] {
        if (objects.create(kOther))
            emitRecord(fn::CreatePalette, nullptr, 0);
    };
    auto emitGreyBrush = [&] {
        static constexpr uchar grey[8] = {0, 0, 0x80, 0x80, 0x80, 0, 0, 0};
        if (objects.create(kBrush))
            emitRecord(fn::CreateBrushIndirect, grey, 4);
    };

    qsizetype pos = header.recordsAt;
    while (size - pos >= 6) {
        const quint32 recordWords = le32(d + pos);
        const quint16 function = le16(d + pos + 4);
        if (recordWords < 3 || recordWords > quint64(size - pos) / 2)
            break; // damaged or cut off: keep what came before
        if (function == fn::Eof)
            break;
        const uchar *p = d + pos + 6;
        const quint32 words = recordWords - 3;
        pos += qsizetype(recordWords) * 2;
        auto word = [&](quint32 index) { return le16(p + 2 * index); };
        auto sword = [&](quint32 index) { return les16(p + 2 * index); };
        if (words < minimumWords(function))
            continue;

        switch (function) {
        case fn::SaveDc:
            if (int(savedMappings.size()) >= kMaxSaveDepth) {
                ++skippedSaves;
                continue;
            }
            savedMappings.push_back(mapping.dc);
            emitRecord(function, p, words);
            continue;
        case fn::RestoreDc: {
            // libwmf pops one level per record; a relative count -n or an
            // absolute level becomes that many single restores.
            const int which = words >= 1 ? sword(0) : -1;
            const int depth = int(savedMappings.size()) + skippedSaves;
            int levels = which < 0 ? -which : depth - which + 1;
            if (which == 0 || levels <= 0)
                continue;
            const int skipped = std::min(levels, skippedSaves);
            skippedSaves -= skipped;
            levels = std::min(levels - skipped, int(savedMappings.size()));
            static constexpr uchar minusOne[2] = {0xFF, 0xFF};
            for (int i = 0; i < levels; ++i) {
                mapping.dc = savedMappings.back();
                savedMappings.pop_back();
                emitRecord(function, minusOne, 1);
            }
            continue;
        }
        case fn::SetMapMode: {
            const quint16 mode = word(0);
            if (mode < kModeText || mode > kModeAnisotropic)
                continue; // libwmf stops at an unknown mode
            mapping.dc.mode = mode;
            break;
        }
        case fn::SetWindowOrg:
            mapping.dc.ox = sword(1);
            mapping.dc.oy = sword(0);
            mapping.dc.orgSet = true;
            break;
        case fn::OffsetWindowOrg:
            mapping.dc.ox += sword(1);
            mapping.dc.oy += sword(0);
            break;
        case fn::SetWindowExt:
            if (sword(0) == 0 || sword(1) == 0)
                continue;
            mapping.dc.w = sword(1);
            mapping.dc.h = sword(0);
            mapping.dc.extSet = true;
            break;
        case fn::SetViewportOrg:
            mapping.viewportX = sword(1) * mapping.rawUnitX();
            mapping.viewportY = sword(0) * mapping.rawUnitY();
            break;
        case fn::OffsetViewportOrg:
            mapping.viewportX += sword(1) * mapping.rawUnitX();
            mapping.viewportY += sword(0) * mapping.rawUnitY();
            break;
        case fn::SetViewportExt:
            if (sword(0) == 0 || sword(1) == 0)
                continue;
            mapping.viewportW = sword(1);
            mapping.viewportH = sword(0);
            break;
        case fn::ScaleWindowExt:
        case fn::ScaleViewportExt: {
            const double xNum = sword(3), xDen = sword(2), yNum = sword(1), yDen = sword(0);
            if (xDen == 0 || yDen == 0)
                continue;
            double &w = function == fn::ScaleWindowExt ? mapping.dc.w : mapping.viewportW;
            double &h = function == fn::ScaleWindowExt ? mapping.dc.h : mapping.viewportH;
            const double newW = std::trunc(w * xNum / xDen);
            const double newH = std::trunc(h * yNum / yDen);
            if (newW == 0 || newH == 0 || std::abs(newW) > 1e9 || std::abs(newH) > 1e9)
                continue;
            w = newW;
            h = newH;
            break;
        }
        case fn::CreatePenIndirect:
            if (words < 5) {
                emitPlaceholderObject();
                continue;
            }
            if (!objects.create(kPen))
                continue;
            break;
        case fn::CreateBrushIndirect:
            if (words < 4) {
                emitPlaceholderObject();
                continue;
            }
            if (!objects.create(kBrush))
                continue;
            break;
        case fn::CreatePatternBrush: // libwmf skips these without taking a slot
            emitGreyBrush();
            continue;
        case fn::CreateBitmap:
        case fn::CreateBitmapIndirect:
            emitPlaceholderObject();
            continue;
        case fn::CreatePalette:
            if (!objects.create(kOther))
                continue;
            break;
        case fn::DibCreatePatternBrush:
            if (words < 2 + 6) {
                emitGreyBrush();
                continue;
            }
            if (!objects.create(kBrush))
                continue;
            break;
        case fn::CreateRegion:
            if (!regionRecordReadable(p, words)) {
                emitPlaceholderObject();
                continue;
            }
            if (!objects.create(kRegion))
                continue;
            break;
        case fn::CreateFontIndirect: {
            if (words < 9 || ++fontRecords > kMaxFontRecords) {
                emitPlaceholderObject();
                continue;
            }
            if (!objects.create(kFont))
                continue;
            if (!fonts)
                break;
            QByteArray copy(reinterpret_cast<const char *>(p), qsizetype(words) * 2);
            const int height = sword(0);
            const int width = sword(1);
            const FontInfo &info =
                fonts->info(fonts->lookup(QByteArrayView(copy).sliced(18), word(4), (word(5) & 0xFF) != 0,
                                          (word(5) >> 8) != 0, (word(6) & 0xFF) != 0, word(6) >> 8));
            // A negative height is the em size; a positive one the cell height.
            const double em = height < 0 ? -double(height) : double(height) * info.emPerCell() / kFontPixels;
            if (height != 0) {
                const double newHeight = std::clamp(std::round(em), 1.0, 32767.0);
                put16(copy, 0, quint16(qint16(-newHeight)));
                if (width != 0) {
                    // The width is an average character width; libwmf takes
                    // width / height as the horizontal stretch.
                    const double stretch = std::abs(width) / (info.averagePerEm() * em);
                    put16(copy, 2, quint16(qint16(std::clamp(std::round(stretch * newHeight), 1.0, 32767.0))));
                }
            }
            emitRecord(function, bytesOf(copy), words);
            continue;
        }
        case fn::SelectObject: {
            const quint16 index = word(0);
            if (!objects.valid(index))
                continue;
            if (objects.kind(index) == kRegion) { // selecting a region sets the clip region
                if (++clipOperations > kMaxClipOperations)
                    continue;
                emitRecord(fn::SelectClipRegion, p, 1);
                continue;
            }
            break;
        }
        case fn::DeleteObject:
            if (!objects.valid(word(0)))
                continue;
            objects.remove(word(0));
            break;
        case fn::SelectClipRegion:
            if (objects.kind(word(0)) != kRegion || ++clipOperations > kMaxClipOperations)
                continue;
            break;
        case fn::OffsetClipRgn:
        case fn::ExcludeClipRect:
        case fn::IntersectClipRect:
            if (++clipOperations > kMaxClipOperations)
                continue;
            break;
        case fn::FillRegion:
        case fn::FrameRegion:
            if (objects.kind(word(0)) != kRegion || objects.kind(word(1)) != kBrush)
                continue;
            break;
        case fn::InvertRegion:
        case fn::PaintRegion:
            if (objects.kind(word(0)) != kRegion)
                continue;
            break;
        case fn::Polyline:
        case fn::Polygon: {
            const quint32 count = words >= 1 ? word(0) : 0;
            if (count < 2 || words < 1 + 2 * count)
                continue;
            emitRecord(function, p, 1 + 2 * count);
            continue;
        }
        case fn::PolyPolygon: {
            // libwmf drops the whole record when one polygon has fewer than
            // three points; only such polygons are left out here.
            const quint32 polygons = words >= 1 ? word(0) : 0;
            if (polygons == 0 || words < 1 + polygons)
                continue;
            quint64 points = 0;
            for (quint32 i = 0; i < polygons; ++i)
                points += word(1 + i);
            if (words < 1 + polygons + 2 * points)
                continue;
            QByteArray kept;
            std::vector<quint16> counts;
            const uchar *point = p + 2 * (1 + polygons);
            for (quint32 i = 0; i < polygons; ++i) {
                const quint16 count = word(1 + i);
                if (count >= 3) {
                    counts.push_back(count);
                    kept.append(reinterpret_cast<const char *>(point), qsizetype(count) * 4);
                }
                point += qsizetype(count) * 4;
            }
            if (counts.empty())
                continue;
            QByteArray params;
            append16(params, quint16(counts.size()));
            for (const quint16 count : counts)
                append16(params, count);
            params.append(kept);
            emitRecord(function, bytesOf(params), quint32(params.size() / 2));
            continue;
        }
        case fn::TextOut: {
            const quint32 length = words >= 1 ? word(0) : 0;
            if (length == 0 || words < 3 + (length + 1) / 2)
                continue;
            break;
        }
        case fn::ExtTextOut: {
            if (words < 4)
                continue;
            const quint32 length = word(2);
            const quint16 options = word(3);
            if (length == 0 || (options & kEtoGlyphIndex))
                continue; // glyph numbers of some font are no text to draw
            // libwmf expects the rectangle whenever options are set; it is
            // only there for ETO_OPAQUE and ETO_CLIPPED.
            const bool rectangle = options & (kEtoOpaque | kEtoClipped);
            if (words < 4 + (rectangle ? 4 : 0) + (length + 1) / 2)
                continue;
            if (options && !rectangle) {
                QByteArray copy(reinterpret_cast<const char *>(p), qsizetype(words) * 2);
                put16(copy, 6, 0);
                emitRecord(function, bytesOf(copy), words);
                continue;
            }
            break;
        }
        default:
            break;
        }
        emitRecord(function, p, words);
    }
    if (!prepared.drawing)
        prepared.frameMapping = mapping;
    append32(out, 3);
    append16(out, fn::Eof);

    // The header now describes the copy.
    const quint32 fileWords = quint32((out.size() - plainAt) / 2);
    put16(out, plainAt + 6, quint16(fileWords & 0xFFFF));
    put16(out, plainAt + 8, quint16(fileWords >> 16));
    put16(out, plainAt + 10, quint16(std::max(objects.size(), 1)));
    put16(out, plainAt + 12, quint16(largestRecord & 0xFFFF));
    put16(out, plainAt + 14, quint16(largestRecord >> 16));
    return prepared;
}

} // namespace sorvane::wmf
