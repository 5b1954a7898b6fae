#include "picture/wmf_image.h"

#include "text/cp932.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

// libwmf's headers come after Qt's: they define U8, U16, S32 and friends as
// macros, which would break Qt's own headers.
#include <libwmf/api.h>
#include <libwmf/ipa.h>

namespace sorvane {

namespace {

// How it works
// ------------
// libwmf's player reads the records and calls back for every drawing
// operation with coordinates in its own device space; the callbacks below
// paint them with QPainter. libwmf's device space depends on the mapping
// mode: with MM_ANISOTROPIC the metafile's window becomes a 1024×1024 square,
// with the fixed modes one device unit is a point. The frame of the picture
// is worked out in logical units (from the placeable header and the window
// records), carried into that device space exactly as libwmf does it, and a
// transform then stretches it onto the image.
//
// Before libwmf sees a metafile, prepare() copies it record by record: it cuts
// a damaged or truncated end off, drops records too short for what they
// declare (libwmf would stop there), keeps the object table and SaveDC depth
// within bounds, and turns font sizes into the form libwmf understands. A
// metafile that ends early therefore still shows what it has.

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableSize = 22;
constexpr qsizetype kHeaderSize = 18;

// Limits against damaged or hostile files.
constexpr qsizetype kMaxInputBytes = 256 * 1024 * 1024;
constexpr size_t kLibraryMemory = 256u * 1024 * 1024;   // libwmf's own allocations
constexpr qint64 kMaxBitmapBytes = 512ll * 1024 * 1024; // decoded bitmaps alive at once
constexpr int kMaxBitmapSide = 16384;
constexpr qint64 kMaxBitmapPixels = 64ll * 1024 * 1024;
constexpr int kMaxSaveDepth = 256;
constexpr int kMaxClipOperations = 4096;
constexpr int kMaxRegionRects = 1000;
constexpr int kMaxObjects = 65535;
constexpr int kMaxLiveObjects = 16384; // libwmf looks for a free slot from the first one
// libwmf keeps every font's name until the end, and each of its frees looks
// through all it keeps; beyond this many fonts the current one stays.
constexpr int kMaxFontRecords = 4096;
constexpr qint64 kTimeLimitMs = 30000;
constexpr int kMaxFloodSide = 4096;

// Record functions.
namespace fn {
constexpr quint16 Eof = 0x0000;
constexpr quint16 SaveDc = 0x001E;
constexpr quint16 CreatePalette = 0x00F7;
constexpr quint16 SetBkMode = 0x0102;
constexpr quint16 SetMapMode = 0x0103;
constexpr quint16 SetRop2 = 0x0104;
constexpr quint16 SetPolyFillMode = 0x0106;
constexpr quint16 SetTextCharExtra = 0x0108;
constexpr quint16 RestoreDc = 0x0127;
constexpr quint16 InvertRegion = 0x012A;
constexpr quint16 PaintRegion = 0x012B;
constexpr quint16 SelectClipRegion = 0x012C;
constexpr quint16 SelectObject = 0x012D;
constexpr quint16 SetTextAlign = 0x012E;
constexpr quint16 DibCreatePatternBrush = 0x0142;
constexpr quint16 DeleteObject = 0x01F0;
constexpr quint16 CreatePatternBrush = 0x01F9;
constexpr quint16 SetBkColor = 0x0201;
constexpr quint16 SetTextColor = 0x0209;
constexpr quint16 SetTextJustification = 0x020A;
constexpr quint16 SetWindowOrg = 0x020B;
constexpr quint16 SetWindowExt = 0x020C;
constexpr quint16 SetViewportOrg = 0x020D;
constexpr quint16 SetViewportExt = 0x020E;
constexpr quint16 OffsetWindowOrg = 0x020F;
constexpr quint16 OffsetViewportOrg = 0x0211;
constexpr quint16 LineTo = 0x0213;
constexpr quint16 MoveTo = 0x0214;
constexpr quint16 OffsetClipRgn = 0x0220;
constexpr quint16 FillRegion = 0x0228;
constexpr quint16 CreatePenIndirect = 0x02FA;
constexpr quint16 CreateFontIndirect = 0x02FB;
constexpr quint16 CreateBrushIndirect = 0x02FC;
constexpr quint16 CreateBitmapIndirect = 0x02FD;
constexpr quint16 Polygon = 0x0324;
constexpr quint16 Polyline = 0x0325;
constexpr quint16 ScaleWindowExt = 0x0410;
constexpr quint16 ScaleViewportExt = 0x0412;
constexpr quint16 ExcludeClipRect = 0x0415;
constexpr quint16 IntersectClipRect = 0x0416;
constexpr quint16 Ellipse = 0x0418;
constexpr quint16 FloodFill = 0x0419;
constexpr quint16 Rectangle = 0x041B;
constexpr quint16 SetPixel = 0x041F;
constexpr quint16 FrameRegion = 0x0429;
constexpr quint16 TextOut = 0x0521;
constexpr quint16 PolyPolygon = 0x0538;
constexpr quint16 ExtFloodFill = 0x0548;
constexpr quint16 RoundRect = 0x061C;
constexpr quint16 PatBlt = 0x061D;
constexpr quint16 CreateBitmap = 0x06FE;
constexpr quint16 CreateRegion = 0x06FF;
constexpr quint16 Arc = 0x0817;
constexpr quint16 Pie = 0x081A;
constexpr quint16 Chord = 0x0830;
constexpr quint16 BitBlt = 0x0922;
constexpr quint16 DibBitBlt = 0x0940;
constexpr quint16 ExtTextOut = 0x0A32;
constexpr quint16 StretchBlt = 0x0B23;
constexpr quint16 DibStretchBlt = 0x0B41;
constexpr quint16 SetDibToDev = 0x0D33;
constexpr quint16 StretchDib = 0x0F43;
} // namespace fn

// Mapping modes; kModePlaceable stands for the units of a placeable header,
// which libwmf uses until the metafile sets a mode of its own.
enum MapMode {
    kModeText = 1,
    kModeLoMetric = 2,
    kModeHiMetric = 3,
    kModeLoEnglish = 4,
    kModeHiEnglish = 5,
    kModeTwips = 6,
    kModeIsotropic = 7,
    kModeAnisotropic = 8,
    kModePlaceable = 100,
};

// GDI constants used by the callbacks.
constexpr int kPenNull = 5;
constexpr int kBrushNull = 1;
constexpr int kBrushHatched = 2;
constexpr int kBrushDibPattern = 5;
constexpr int kBrushDibPatternPt = 6;
constexpr int kWinding = 2;
constexpr int kOpaque = 2;
constexpr int kEtoOpaque = 0x0002;
constexpr int kEtoClipped = 0x0004;
constexpr int kEtoGlyphIndex = 0x0010;
constexpr int kCharsetAnsi = 0;
constexpr int kCharsetDefault = 1;
constexpr int kCharsetSymbol = 2;
constexpr int kCharsetShiftJis = 128;
constexpr int kCharsetOem = 255;

const uchar *bytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

quint16 le16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

qint16 les16(const uchar *p)
{
    return qint16(le16(p));
}

quint32 le32(const uchar *p)
{
    return quint32(le16(p)) | (quint32(le16(p + 2)) << 16);
}

void put16(QByteArray &out, qsizetype at, quint16 value)
{
    out[at] = char(value & 0xFF);
    out[at + 1] = char(value >> 8);
}

void append16(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

void append32(QByteArray &out, quint32 value)
{
    append16(out, quint16(value & 0xFFFF));
    append16(out, quint16(value >> 16));
}

bool plainHeaderAt(const uchar *p)
{
    const quint16 type = le16(p);
    const quint16 headerWords = le16(p + 2);
    const quint16 version = le16(p + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

// ---------------------------------------------------------------- header

struct Header {
    bool placeable = false;
    qint16 left = 0;
    qint16 top = 0;
    qint16 right = 0;
    qint16 bottom = 0;
    quint16 inch = 0;
    quint16 objects = 0;
    qsizetype recordsAt = 0; // offset of the first record
};

std::optional<Header> readHeader(QByteArrayView bytes)
{
    const uchar *d = bytesOf(bytes);
    Header header;
    qsizetype at = 0;
    if (bytes.size() >= 4 && le32(d) == kPlaceableKey) {
        if (bytes.size() < kPlaceableSize)
            return {};
        header.placeable = true;
        header.left = les16(d + 6);
        header.top = les16(d + 8);
        header.right = les16(d + 10);
        header.bottom = les16(d + 12);
        header.inch = le16(d + 14);
        at = kPlaceableSize;
    }
    if (bytes.size() - at < kHeaderSize || !plainHeaderAt(d + at))
        return {};
    header.objects = le16(d + at + 10);
    header.recordsAt = at + kHeaderSize;
    return header;
}

bool hasPlaceableFrame(const Header &header)
{
    return header.placeable && header.inch != 0 && header.right != header.left && header.bottom != header.top;
}

// ---------------------------------------------------------------- text

// Windows-1252, the code page of ANSI_CHARSET fonts, differs from Latin-1
// only in 0x80..0x9F.
QString decodeCp1252(QByteArrayView bytes)
{
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = uchar(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b));
    }
    return text;
}

// Faces Windows ships with Japanese, and the IPA fonts that stand in for them.
struct FaceChoice {
    QString family; // empty: the default font
    QFont::StyleHint hint = QFont::AnyStyle;
    bool japanese = false;
};

FaceChoice chooseFace(const QString &face)
{
    FaceChoice choice;
    // NFKC turns full-width "ＭＳ Ｐ" and half-width katakana into their
    // ordinary forms, so "ＭＳ Ｐゴシック" reads as "ms pゴシック".
    const QString name = face.normalized(QString::NormalizationForm_KC).toLower();
    const bool mincho = name.contains(u"明朝") || name.contains(u"mincho");
    const bool gothic = name.contains(u"ゴシック") || name.contains(u"gothic");
    const bool proportional = name.contains(u"p明朝") || name.contains(u"pゴシック") || name.contains(u"pmincho") ||
                              name.contains(u"pgothic");
    choice.japanese =
        mincho || gothic || std::any_of(face.cbegin(), face.cend(), [](QChar c) { return c.unicode() > 0x7F; });
    QStringList candidates;
    if (mincho) {
        choice.hint = QFont::Serif;
        candidates = {QStringLiteral("IPAMincho")};
        if (proportional)
            candidates.prepend(QStringLiteral("IPAPMincho"));
    } else if (gothic) {
        choice.hint = QFont::SansSerif;
        candidates = {QStringLiteral("IPAGothic")};
        if (proportional)
            candidates.prepend(QStringLiteral("IPAPGothic"));
    } else if (!face.isEmpty()) {
        candidates = {face};
    }
    for (const QString &family : std::as_const(candidates)) {
        if (QFontDatabase::hasFamily(family)) {
            choice.family = family;
            break;
        }
    }
    return choice;
}

// Qt fonts need a QGuiApplication; without one no text is drawn.
bool fontsUsable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// Fonts are laid out at this pixel size and scaled by the painter.
constexpr double kFontPixels = 100.0;

struct FontInfo {
    FontInfo(const QFont &f, int set, bool jp) : font(f), metrics(f), charset(set), japanese(jp) {}
    QFont font;
    QFontMetricsF metrics;
    int charset;
    bool japanese;

    double ascent() const { return metrics.ascent(); }
    double descent() const { return metrics.descent(); }
    // The em size for a character cell one unit high.
    double emPerCell() const { return kFontPixels / std::max(1.0, ascent() + descent()); }
    // Windows' average character width, per em: that of the lower-case
    // letters, half an em for the Japanese fonts.
    double averagePerEm() const
    {
        return std::max(0.05,
                        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyz")) / 26.0 / kFontPixels);
    }
    bool decodesCp932() const
    {
        return charset == kCharsetShiftJis || charset == kCharsetDefault || charset == kCharsetOem ||
               (charset == kCharsetAnsi && japanese);
    }
    QString decode(QByteArrayView bytes) const
    {
        if (decodesCp932())
            return cp932::decode(bytes);
        if (charset == kCharsetSymbol)
            return QString::fromLatin1(bytes);
        return decodeCp1252(bytes);
    }
};

class FontCache {
public:
    int lookup(QByteArrayView faceBytes, int weight, bool italic, bool underline, bool strikeOut, int charset)
    {
        const qsizetype nul = faceBytes.indexOf('\0');
        const QString face =
            cp932::decode(faceBytes.first(std::min<qsizetype>(nul < 0 ? faceBytes.size() : nul, 64))).trimmed();
        weight = weight <= 0 ? 400 : std::clamp(weight, 1, 1000);
        const QString key = QStringLiteral("%1|%2|%3%4%5|%6")
                                .arg(face)
                                .arg(weight)
                                .arg(int(italic))
                                .arg(int(underline))
                                .arg(int(strikeOut))
                                .arg(charset);
        const auto found = m_index.constFind(key);
        if (found != m_index.cend())
            return *found;

        const FaceChoice choice = chooseFace(face);
        QFont font;
        if (!choice.family.isEmpty())
            font.setFamilies({choice.family});
        font.setStyleHint(choice.hint);
        font.setPixelSize(int(kFontPixels));
        font.setWeight(QFont::Weight(weight));
        font.setItalic(italic);
        font.setUnderline(underline);
        font.setStrikeOut(strikeOut);
        font.setKerning(false);
        font.setHintingPreference(QFont::PreferNoHinting);
        m_infos.emplace_back(font, charset, choice.japanese);
        const int index = int(m_infos.size()) - 1;
        m_index.insert(key, index);
        return index;
    }
    const FontInfo &info(int index) const { return m_infos[size_t(index)]; }
    const FontInfo &forSlot(const void *font)
    {
        const auto found = m_slots.find(font);
        return info(found != m_slots.end() ? found->second : lookup({}, 400, false, false, false, kCharsetDefault));
    }
    void bindSlot(const void *font, int index) { m_slots[font] = index; }

private:
    QHash<QString, int> m_index;
    std::deque<FontInfo> m_infos;
    std::unordered_map<const void *, int> m_slots; // libwmf's font objects, by address
};

// ---------------------------------------------------------------- mapping

// The part of the mapping that belongs to the device context (saved and
// restored with it), with libwmf's defaults.
struct DcMapping {
    int mode = kModeText;
    double ox = 0;
    double oy = 0;
    double w = 1024;
    double h = 1024;
    bool orgSet = false;
    bool extSet = false;
};

// libwmf's logical-to-device mapping, tracked as its player does it.
struct Mapping {
    DcMapping dc;
    double viewportW = 1024; // libwmf's viewport is a 1024 unit square
    double viewportH = 1024;
    double viewportX = 0; // in device units
    double viewportY = 0;
    double inch = 1440;

    bool scaled() const { return dc.mode == kModeIsotropic || dc.mode == kModeAnisotropic; }
    // Points per logical unit in the fixed modes.
    double fixedUnit() const
    {
        switch (dc.mode) {
        case kModeLoMetric:
            return 72.0 / 254.0;
        case kModeHiMetric:
            return 72.0 / 2540.0;
        case kModeLoEnglish:
            return 0.72;
        case kModeHiEnglish:
            return 0.072;
        case kModeTwips:
            return 0.05;
        case kModePlaceable:
            return 72.0 / inch;
        default:
            return 1.0;
        }
    }
    double unitX() const { return scaled() ? viewportW / dc.w : (dc.w < 0 ? -fixedUnit() : fixedUnit()); }
    double unitY() const { return scaled() ? viewportH / dc.h : (dc.h < 0 ? -fixedUnit() : fixedUnit()); }
    // What libwmf keeps as the DC's pixel size (used for viewport origins).
    double rawUnitX() const { return scaled() ? viewportW / dc.w : fixedUnit(); }
    double rawUnitY() const { return scaled() ? viewportH / dc.h : fixedUnit(); }
    QPointF toDevice(double x, double y) const
    {
        return {(x - dc.ox) * unitX() - viewportX, (y - dc.oy) * unitY() - viewportY};
    }
};

bool usableRect(const QRectF &rect)
{
    const double limit = 1e12;
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height()) && rect.width() > 1e-9 && rect.height() > 1e-9 && std::abs(rect.x()) < limit &&
           std::abs(rect.y()) < limit && rect.width() < limit && rect.height() < limit;
}

// ---------------------------------------------------------------- prepare

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

// What a text record holds, for drawing it without libwmf's layout.
struct TextRecord {
    QByteArray bytes;
    std::vector<qint16> dx; // logical advance of each byte
    bool hasDx = false;
};

struct Prepared {
    Header header;
    QByteArray bytes;                          // the copy libwmf reads
    Mapping frameMapping;                      // the mapping when the first drawing record comes
    bool drawing = false;                      // whether any drawing record is left
    int records = 0;                           // records in the copy
    std::unordered_map<int, TextRecord> texts; // by record number in the copy
};

bool isDrawingRecord(quint16 function)
{
    switch (function) {
    case fn::LineTo:
    case fn::Polyline:
    case fn::Polygon:
    case fn::PolyPolygon:
    case fn::Rectangle:
    case fn::RoundRect:
    case fn::Ellipse:
    case fn::Arc:
    case fn::Pie:
    case fn::Chord:
    case fn::TextOut:
    case fn::ExtTextOut:
    case fn::SetPixel:
    case fn::PatBlt:
    case fn::DibBitBlt:
    case fn::DibStretchBlt:
    case fn::StretchDib:
    case fn::SetDibToDev:
    case fn::FillRegion:
    case fn::FrameRegion:
    case fn::PaintRegion:
    case fn::InvertRegion:
    case fn::FloodFill:
    case fn::ExtFloodFill:
        return true;
    default:
        return false;
    }
}

// Parameter words a record needs before libwmf can read it.
quint32 minimumWords(quint16 function)
{
    switch (function) {
    case fn::SetBkMode:
    case fn::SetMapMode:
    case fn::SetRop2:
    case fn::SetPolyFillMode:
    case fn::SetTextCharExtra:
    case fn::SetTextAlign:
    case fn::SelectObject:
    case fn::DeleteObject:
    case fn::SelectClipRegion:
    case fn::InvertRegion:
    case fn::PaintRegion:
        return 1;
    case fn::SetBkColor:
    case fn::SetTextColor:
    case fn::SetTextJustification:
    case fn::SetWindowOrg:
    case fn::SetWindowExt:
    case fn::SetViewportOrg:
    case fn::SetViewportExt:
    case fn::OffsetWindowOrg:
    case fn::OffsetViewportOrg:
    case fn::LineTo:
    case fn::MoveTo:
    case fn::OffsetClipRgn:
    case fn::FillRegion:
        return 2;
    case fn::ScaleWindowExt:
    case fn::ScaleViewportExt:
    case fn::ExcludeClipRect:
    case fn::IntersectClipRect:
    case fn::Ellipse:
    case fn::Rectangle:
    case fn::SetPixel:
    case fn::FrameRegion:
        return 4;
    case fn::FloodFill:
    case fn::ExtFloodFill:
        return 5;
    case fn::RoundRect:
    case fn::PatBlt:
        return 6;
    case fn::Arc:
    case fn::Pie:
    case fn::Chord:
        return 8;
    // The DIB records: their fixed words, and at least a core bitmap header.
    case fn::DibBitBlt:
        return 8 + 6;
    case fn::DibStretchBlt:
        return 10 + 6;
    case fn::StretchDib:
        return 11 + 6;
    case fn::SetDibToDev:
        return 9 + 6;
    default:
        return 0;
    }
}

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

// Cleans the metafile for libwmf (see the notes at the top). With fonts given,
// font heights become em sizes and widths become stretch factors, which is
// how libwmf reads them.
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

// The frame in libwmf's device units, when the metafile states it: its window
// in the scaled modes, else the placeable bounding box, where window records
// override origin and extent just as they do when Windows plays the file
// into a rectangle. Without either only the drawing's extent can tell.
std::optional<QRectF> declaredFrame(const Prepared &prepared)
{
    const Mapping &m = prepared.frameMapping;
    const Header &header = prepared.header;
    double x, y, w, h;
    if (m.scaled() && m.dc.extSet) {
        x = m.dc.ox;
        y = m.dc.oy;
        w = m.dc.w;
        h = m.dc.h;
    } else if (hasPlaceableFrame(header)) {
        x = m.dc.orgSet ? m.dc.ox : header.left;
        y = m.dc.orgSet ? m.dc.oy : header.top;
        w = m.dc.extSet ? m.dc.w : header.right - header.left;
        h = m.dc.extSet ? m.dc.h : header.bottom - header.top;
    } else if (m.dc.extSet) {
        x = m.dc.ox;
        y = m.dc.oy;
        w = m.dc.w;
        h = m.dc.h;
    } else {
        return {};
    }
    const QRectF frame = QRectF(m.toDevice(x, y), m.toDevice(x + w, y + h)).normalized();
    if (!usableRect(frame))
        return {};
    return frame;
}

// A frame in device units as pixels at 96 dpi, for metafiles without a
// placeable header. Logical units of the scaled modes have no size: a small
// window is taken in pixels, a large one in twips.
QSizeF framePixels(const QSizeF &device, const Mapping &m)
{
    if (m.scaled()) {
        const QSizeF logical(device.width() / std::abs(m.unitX()), device.height() / std::abs(m.unitY()));
        return logical.width() * logical.height() < 1024.0 * 1024.0 ? logical : logical * (96.0 / 1440.0);
    }
    if (m.dc.mode == kModeText)
        return device;             // a unit is a pixel
    return device * (96.0 / 72.0); // libwmf's device units are points
}

QSize roundedSize(const QSizeF &size)
{
    if (!(size.width() > 0) || !(size.height() > 0) || size.width() > 1e9 || size.height() > 1e9)
        return {};
    return {std::max(1, qRound(size.width())), std::max(1, qRound(size.height()))};
}

// ---------------------------------------------------------------- bitmaps

// Decodes a device-independent bitmap as stored in a metafile record: a
// header and colour table with the pixels after them, no file header. Qt's
// BMP reader does the decoding once a file header is put in front.
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

struct Bitmap {
    QImage image;
    bool bottomUp = true;
};

// ---------------------------------------------------------------- player

// Memory for libwmf, within a budget: a hostile record cannot make it
// allocate without bound, it gets an allocation failure instead.
struct MemoryBudget {
    size_t used = 0;
    size_t limit = kLibraryMemory;
};

void *budgetMalloc(void *context, size_t size)
{
    auto *budget = static_cast<MemoryBudget *>(context);
    if (size > budget->limit - budget->used)
        return nullptr;
    auto *block = static_cast<std::max_align_t *>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block)
        return nullptr;
    *reinterpret_cast<size_t *>(block) = size;
    budget->used += size;
    return block + 1;
}

void budgetFree(void *context, void *memory)
{
    if (!memory)
        return;
    auto *budget = static_cast<MemoryBudget *>(context);
    auto *block = static_cast<std::max_align_t *>(memory) - 1;
    budget->used -= *reinterpret_cast<size_t *>(block);
    std::free(block);
}

void *budgetRealloc(void *context, void *memory, size_t size)
{
    if (!memory)
        return budgetMalloc(context, size);
    auto *budget = static_cast<MemoryBudget *>(context);
    auto *block = static_cast<std::max_align_t *>(memory) - 1;
    const size_t old = *reinterpret_cast<size_t *>(block);
    if (size > old && size - old > budget->limit - budget->used)
        return nullptr;
    auto *grown = static_cast<std::max_align_t *>(std::realloc(block, size + sizeof(std::max_align_t)));
    if (!grown)
        return nullptr;
    *reinterpret_cast<size_t *>(grown) = size;
    budget->used = budget->used - old + size;
    return grown + 1;
}

// The metafile as libwmf's input stream.
struct InputStream {
    const uchar *data = nullptr;
    long size = 0;
    long pos = 0;
};

int streamRead(void *context)
{
    auto *s = static_cast<InputStream *>(context);
    return s->pos < s->size ? s->data[s->pos++] : EOF;
}

int streamSeek(void *context, long pos)
{
    auto *s = static_cast<InputStream *>(context);
    if (pos < 0 || pos > s->size) {
        s->pos = s->size; // later reads see the end
        return -1;
    }
    s->pos = pos;
    return 0;
}

long streamTell(void *context)
{
    return static_cast<InputStream *>(context)->pos;
}

QString describe(wmf_error_t error)
{
    switch (error) {
    case wmf_E_InsMem:
        return QStringLiteral("not enough memory to draw the metafile");
    case wmf_E_EOF:
        return QStringLiteral("metafile cut off");
    case wmf_E_BadFile:
    case wmf_E_BadFormat:
        return QStringLiteral("damaged Windows Metafile");
    case wmf_E_UserExit:
        return QStringLiteral("drawing the metafile took too long");
    default:
        return QStringLiteral("the metafile could not be drawn");
    }
}

QColor colorOf(const wmfRGB &rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

// How the DC's raster operation (SetROP2) changes what a pen or brush paints.
enum class Ink { Normal, Skip, Black, White, Inverted };

Ink inkOf(const wmfDC *dc)
{
    switch (dc->ROPmode) {
    case 1: // R2_BLACK
        return Ink::Black;
    case 16: // R2_WHITE
        return Ink::White;
    case 4: // R2_NOTCOPYPEN
        return Ink::Inverted;
    case 6:  // R2_NOT: inverts what is there, which on a transparent picture is nothing
    case 11: // R2_NOP
        return Ink::Skip;
    default: // the XOR and mask modes are drawn as plain copies
        return Ink::Normal;
    }
}

QColor applyInk(QColor color, Ink ink)
{
    switch (ink) {
    case Ink::Black:
        return Qt::black;
    case Ink::White:
        return Qt::white;
    case Ink::Inverted:
        return QColor(255 - color.red(), 255 - color.green(), 255 - color.blue());
    default:
        return color;
    }
}

// Sutherland-Hodgman: the polygon cut to the rectangle. Points inside keep
// their winding numbers, so either fill rule gives the same inside.
QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &r)
{
    QPolygonF out;
    for (const QPointF &p : polygon) {
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            out.append(p);
    }
    auto clipEdge = [&out](auto inside, auto cross) {
        if (out.isEmpty())
            return;
        const QPolygonF in = std::exchange(out, {});
        QPointF from = in.last();
        for (const QPointF &to : in) {
            if (inside(to)) {
                if (!inside(from))
                    out.append(cross(from, to));
                out.append(to);
            } else if (inside(from)) {
                out.append(cross(from, to));
            }
            from = to;
        }
    };
    auto atX = [](double x) {
        return
            [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
    };
    auto atY = [](double y) {
        return
            [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
    };
    clipEdge([&](QPointF p) { return p.x() >= r.left(); }, atX(r.left()));
    clipEdge([&](QPointF p) { return p.x() <= r.right(); }, atX(r.right()));
    clipEdge([&](QPointF p) { return p.y() >= r.top(); }, atY(r.top()));
    clipEdge([&](QPointF p) { return p.y() <= r.bottom(); }, atY(r.bottom()));
    return out;
}

// Liang-Barsky: the parts of a polyline inside the rectangle, added to out.
void clipPolyline(const QPolygonF &line, const QRectF &r, QPainterPath *out)
{
    bool joined = false; // whether the last part drawn ends at line[i - 1]
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        const QPointF d = b - a;
        double t0 = 0, t1 = 1;
        auto edge = [&](double p, double q) {
            if (p == 0)
                return q >= 0;
            const double t = q / p;
            if (p < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            return t0 <= t1;
        };
        const bool visible = std::isfinite(d.x()) && std::isfinite(d.y()) && edge(-d.x(), a.x() - r.left()) &&
                             edge(d.x(), r.right() - a.x()) && edge(-d.y(), a.y() - r.top()) &&
                             edge(d.y(), r.bottom() - a.y());
        if (!visible) {
            joined = false;
            continue;
        }
        if (!joined || t0 > 0)
            out->moveTo(a + t0 * d);
        out->lineTo(a + t1 * d);
        joined = t1 >= 1;
    }
}

class Player {
public:
    Player(const Prepared &prepared, FontCache *fonts) : m_fonts(fonts), m_texts(prepared.texts)
    {
        m_input.data = bytesOf(prepared.bytes);
        m_input.size = long(prepared.bytes.size());
        m_fontData.map = &Player::mapFont;
        m_fontData.stringwidth = &Player::stringWidth;
        m_fontData.user_data = nullptr;
    }
    ~Player()
    {
        if (m_api)
            wmf_lite_destroy(m_api);
    }
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    bool open(QString *error)
    {
        wmfAPI_Options options;
        std::memset(&options, 0, sizeof options);
        options.context = &m_budget;
        options.malloc = &budgetMalloc;
        options.realloc = &budgetRealloc;
        options.free = &budgetFree;
        options.function = &Player::installCallbacks;
        const unsigned long flags =
            WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
        if (wmf_lite_create(&m_api, flags, &options) != wmf_E_None || !m_api) {
            m_api = nullptr;
            if (error)
                *error = describe(wmf_E_InsMem);
            return false;
        }
        m_api->device_data = this;
        m_api->font_data = &m_fontData;
        if (wmf_bbuf_input(m_api, &streamRead, &streamSeek, &streamTell, &m_input) != wmf_E_None) {
            if (error)
                *error = describe(m_api->err);
            return false;
        }
        wmf_status_function(m_api, this, &Player::recordDone);
        return true;
    }

    // The extent of the drawing in device units.
    std::optional<QRectF> scan(QString *error)
    {
        wmfD_Rect box;
        std::memset(&box, 0, sizeof box);
        const wmf_error_t result = wmf_scan(m_api, 0, &box);
        if (result != wmf_E_None) {
            if (error)
                *error = describe(result);
            return {};
        }
        return QRectF(QPointF(box.TL.x, box.TL.y), QPointF(box.BR.x, box.BR.y)).normalized();
    }

    bool play(QImage &image, const QRectF &frame, QString *error)
    {
        QPainter painter(&image);
        if (!painter.isActive()) {
            if (error)
                *error = describe(wmf_E_InsMem);
            return false;
        }
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        m_scaleX = image.width() / frame.width();
        m_scaleY = image.height() / frame.height();
        m_toImage = QTransform();
        m_toImage.scale(m_scaleX, m_scaleY);
        m_toImage.translate(-frame.x(), -frame.y());
        m_imageSide = std::max(image.width(), image.height());
        m_painter = &painter;
        m_image = &image;
        m_clock.start();
        wmfD_Rect box;
        m_record = 0;
        const wmf_error_t result = wmf_play(m_api, 0, &box);
        m_painter = nullptr;
        m_image = nullptr;
        painter.end();
        if (result != wmf_E_None || m_timedOut) {
            if (error)
                *error = describe(m_timedOut ? wmf_E_UserExit : result);
            return false;
        }
        return true;
    }

private:
    static Player *of(wmfAPI *api) { return static_cast<Player *>(api->device_data); }

    static void installCallbacks(wmfAPI *api)
    {
        auto *f = static_cast<wmfFunctionReference *>(api->function_reference);
        f->flood_interior = [](wmfAPI *a, wmfFlood_t *t) { of(a)->flood(t, true); };
        f->flood_exterior = [](wmfAPI *a, wmfFlood_t *t) { of(a)->flood(t, false); };
        f->draw_pixel = [](wmfAPI *a, wmfDrawPixel_t *t) { of(a)->drawPixel(t); };
        f->draw_pie = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Pie); };
        f->draw_chord = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Chord); };
        f->draw_arc = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Open); };
        f->draw_ellipse = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawEllipse(t); };
        f->draw_line = [](wmfAPI *a, wmfDrawLine_t *t) { of(a)->drawLine(t); };
        f->poly_line = [](wmfAPI *a, wmfPolyLine_t *t) { of(a)->drawPolyline(t, false); };
        f->draw_polygon = [](wmfAPI *a, wmfPolyLine_t *t) { of(a)->drawPolyline(t, true); };
        f->draw_polypolygon = [](wmfAPI *a, wmfPolyPoly_t *t) { of(a)->drawPolyPolygon(t); };
        f->draw_rectangle = [](wmfAPI *a, wmfDrawRectangle_t *t) { of(a)->drawRectangle(t); };
        f->rop_draw = [](wmfAPI *a, wmfROP_Draw_t *t) { of(a)->ropDraw(t); };
        f->bmp_draw = [](wmfAPI *a, wmfBMP_Draw_t *t) { of(a)->bitmapDraw(t); };
        f->bmp_read = [](wmfAPI *a, wmfBMP_Read_t *t) { of(a)->bitmapRead(t); };
        f->bmp_free = [](wmfAPI *a, wmfBMP *t) { of(a)->bitmapFree(t); };
        f->draw_text = [](wmfAPI *a, wmfDrawText_t *t) { of(a)->drawText(t); };
        f->region_frame = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionFrame(t); };
        f->region_paint = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionPaint(t); };
        f->region_clip = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionClip(t); };
    }

    // libwmf calls this after every record it plays.
    static int recordDone(void *context, float)
    {
        auto *self = static_cast<Player *>(context);
        ++self->m_record;
        if (self->m_clock.isValid() && self->m_clock.hasExpired(kTimeLimitMs))
            self->m_timedOut = true;
        return self->m_timedOut ? 1 : 0;
    }

    static void mapFont(wmfAPI *api, wmfFont *font)
    {
        Player *self = of(api);
        if (!self || !self->m_fonts || !font)
            return;
        const char *face = font->lfFaceName ? font->lfFaceName : "";
        const int index =
            self->m_fonts->lookup(QByteArrayView(face, qsizetype(strnlen(face, 64))), font->lfWeight,
                                  font->lfItalic != 0, font->lfUnderline != 0, font->lfStrikeOut != 0, font->lfCharSet);
        self->m_fonts->bindSlot(font, index);
    }

    // The string's width in ems, as libwmf wants it for aligning text.
    static float stringWidth(wmfAPI *api, wmfFont *font, char *text)
    {
        Player *self = of(api);
        const qsizetype length = text ? qsizetype(std::strlen(text)) : 0;
        if (!self || !self->m_fonts)
            return 0.5f * float(length); // a rough guess without fonts
        const FontInfo &info = self->m_fonts->forSlot(font);
        return float(info.metrics.horizontalAdvance(info.decode(QByteArrayView(text, length))) / kFontPixels);
    }

    bool active() const { return m_painter && !m_timedOut; }

    static bool finitePoint(const QPointF &p)
    {
        return std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.x()) < 1e9 && std::abs(p.y()) < 1e9;
    }
    static QPointF point(const wmfD_Coord &c) { return {double(c.x), double(c.y)}; }

    // Pen widths and corner sizes in image pixels are kept within reason.
    double maxStroke() const { return 4.0 * m_imageSide; }

    std::optional<QPen> penOf(const wmfDC *dc) const
    {
        const wmfPen *pen = dc->pen;
        if (!pen || (pen->lopnStyle & 0x0F) == kPenNull)
            return {};
        const Ink ink = inkOf(dc);
        if (ink == Ink::Skip)
            return {};
        // The width in pixels: the logical width stretched by both axes.
        double width = std::sqrt(std::abs(pen->width * m_scaleX) * std::abs(pen->height * m_scaleY));
        if (!std::isfinite(width))
            width = 1;
        QPen result(applyInk(colorOf(pen->lopnColor), ink), std::clamp(width, 1.0, maxStroke()));
        result.setCosmetic(true); // the width is in image pixels already
        switch (pen->lopnStyle & 0x0F) {
        case 1:
            result.setStyle(Qt::DashLine);
            break;
        case 2:
            result.setStyle(Qt::DotLine);
            break;
        case 3:
            result.setStyle(Qt::DashDotLine);
            break;
        case 4:
            result.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
        }
        switch (pen->lopnStyle & 0x0F00) {
        case 0x0100:
            result.setCapStyle(Qt::SquareCap);
            break;
        case 0x0200:
            result.setCapStyle(Qt::FlatCap);
            break;
        default:
            result.setCapStyle(Qt::RoundCap);
            break;
        }
        switch (pen->lopnStyle & 0xF000) {
        case 0x1000:
            result.setJoinStyle(Qt::BevelJoin);
            break;
        case 0x2000:
            result.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            result.setJoinStyle(Qt::RoundJoin);
            break;
        }
        return result;
    }

    struct Fill {
        std::optional<QBrush> background; // under a hatch in opaque mode
        std::optional<QBrush> brush;
    };

    Fill fillOf(const wmfDC *dc) const
    {
        Fill fill;
        const wmfBrush *brush = dc->brush;
        const Ink ink = inkOf(dc);
        if (!brush || brush->lbStyle == kBrushNull || ink == Ink::Skip)
            return fill;
        const QColor color = applyInk(colorOf(brush->lbColor), ink);
        // Patterns are laid in image pixels, as Windows lays them in device
        // pixels (geometry reaches the painter in image pixels).
        if (brush->lbStyle == kBrushHatched) {
            static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                         Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            fill.brush = QBrush(color, brush->lbHatch < 6 ? hatches[brush->lbHatch] : Qt::SolidPattern);
            if (dc->bgmode == kOpaque)
                fill.background = QBrush(colorOf(dc->bgcolor));
        } else if (brush->lbStyle == kBrushDibPattern || brush->lbStyle == kBrushDibPatternPt) {
            const auto found = m_bitmaps.find(brush->bmp.data);
            if (found != m_bitmaps.end() && !found->second->image.isNull()) {
                fill.brush = QBrush(found->second->image);
            } else {
                fill.brush = QBrush(color);
            }
        } else {
            fill.brush = QBrush(color);
        }
        return fill;
    }

    // Geometry comes in libwmf's device units and goes to the painter in
    // image pixels, cut down to the neighbourhood of the picture when it
    // reaches far beyond: Qt's anti-aliasing rasteriser walks an edge along
    // its whole length, even where nothing can be seen, and a damaged
    // metafile can have edges millions of pixels long.
    QRectF guard(double margin) const
    {
        return QRectF(-margin, -margin, m_image->width() + 2 * margin, m_image->height() + 2 * margin);
    }
    bool nearPicture(const QRectF &bounds) const { return guard(m_imageSide).contains(bounds); }

    void fillImagePath(const QPainterPath &path, const QBrush &brush)
    {
        if (nearPicture(path.controlPointRect())) {
            m_painter->fillPath(path, brush);
            return;
        }
        QPainterPath clipped;
        clipped.setFillRule(path.fillRule());
        const QRectF bounds = guard(2);
        for (const QPolygonF &polygon : path.toSubpathPolygons()) {
            const QPolygonF part = clipPolygon(polygon, bounds);
            if (part.size() >= 3) {
                clipped.addPolygon(part);
                clipped.closeSubpath();
            }
        }
        m_painter->fillPath(clipped, brush);
    }

    void strokeImagePath(const QPainterPath &path, const QPen &pen)
    {
        if (nearPicture(path.controlPointRect())) {
            m_painter->strokePath(path, pen);
            return;
        }
        QPainterPath clipped;
        const QRectF bounds = guard(pen.widthF() + 2);
        for (const QPolygonF &line : path.toSubpathPolygons())
            clipPolyline(line, bounds, &clipped);
        m_painter->strokePath(clipped, pen);
    }

    void fillAndStroke(const QPainterPath &devicePath, const wmfDC *dc, bool filled)
    {
        const QPainterPath path = m_toImage.map(devicePath);
        if (filled) {
            const Fill fill = fillOf(dc);
            if (fill.background)
                fillImagePath(path, *fill.background);
            if (fill.brush)
                fillImagePath(path, *fill.brush);
        }
        if (const auto pen = penOf(dc))
            strokeImagePath(path, *pen);
    }

    // A device rectangle on the image, cut to the neighbourhood of the picture.
    QRectF imageRect(const QRectF &device) const { return m_toImage.mapRect(device).intersected(guard(2)); }

    void drawPixel(wmfDrawPixel_t *t)
    {
        const QPointF at = point(t->pt);
        if (!active() || !finitePoint(at))
            return;
        // At least one image pixel, like SetPixel on the screen.
        QRectF box = m_toImage.mapRect(QRectF(at, QSizeF(t->pixel_width, t->pixel_height)));
        box.setSize(box.size().expandedTo(QSizeF(1, 1)));
        box = box.intersected(guard(2));
        if (!box.isEmpty())
            m_painter->fillRect(box, colorOf(t->color));
    }

    enum class ArcKind { Open, Pie, Chord };

    void drawArc(wmfDrawArc_t *t, ArcKind kind)
    {
        const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
        if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()) || box.width() <= 0 ||
            box.height() <= 0)
            return;
        // libwmf gives the radial points relative to the centre, and swapped:
        // its "end" is the record's start. The arc runs counter-clockwise
        // from the start ray to the end ray (clockwise from libwmf's start
        // to its end). Qt's angles are those of the ellipse's parameter,
        // hence the scaling.
        const double rx = box.width() / 2, ry = box.height() / 2;
        auto angle = [&](const wmfD_Coord &c) { return qRadiansToDegrees(std::atan2(-c.y / ry, c.x / rx)); };
        const double start = angle(t->end);
        double span = angle(t->start) - start;
        if (!std::isfinite(span))
            return;
        if (span <= 0)
            span += 360; // start and end on one ray: the whole ellipse
        QPainterPath path;
        if (kind == ArcKind::Pie) {
            path.moveTo(box.center());
            path.arcTo(box, start, span);
            path.closeSubpath();
        } else {
            path.arcMoveTo(box, start);
            path.arcTo(box, start, span);
            if (kind == ArcKind::Chord)
                path.closeSubpath();
        }
        fillAndStroke(path, t->dc, kind != ArcKind::Open);
    }

    void drawEllipse(wmfDrawArc_t *t)
    {
        const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
        if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()))
            return;
        QPainterPath path;
        path.addEllipse(box);
        fillAndStroke(path, t->dc, true);
    }

    void drawLine(wmfDrawLine_t *t)
    {
        const QPointF from = point(t->from), to = point(t->to);
        if (!active() || !finitePoint(from) || !finitePoint(to))
            return;
        QPainterPath path(from);
        path.lineTo(to);
        fillAndStroke(path, t->dc, false);
    }

    static bool polygonOf(const wmfD_Coord *points, int count, QPolygonF *polygon)
    {
        if (!points || count < 2)
            return false;
        polygon->reserve(count);
        for (int i = 0; i < count; ++i) {
            const QPointF p = point(points[i]);
            if (!finitePoint(p))
                return false;
            polygon->append(p);
        }
        return true;
    }

    void drawPolyline(wmfPolyLine_t *t, bool closed)
    {
        QPolygonF polygon;
        if (!active() || !polygonOf(t->pt, t->count, &polygon))
            return;
        QPainterPath path;
        path.addPolygon(polygon);
        if (closed) {
            path.closeSubpath();
            path.setFillRule(t->dc->polyfillmode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
        }
        fillAndStroke(path, t->dc, closed);
    }

    void drawPolyPolygon(wmfPolyPoly_t *t)
    {
        if (!active() || !t->pt || !t->count)
            return;
        QPainterPath path;
        path.setFillRule(t->dc->polyfillmode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
        for (int i = 0; i < t->npoly; ++i) {
            QPolygonF polygon;
            if (!polygonOf(t->pt[i], t->count[i], &polygon))
                continue;
            path.addPolygon(polygon);
            path.closeSubpath();
        }
        fillAndStroke(path, t->dc, true);
    }

    void drawRectangle(wmfDrawRectangle_t *t)
    {
        const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
        if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()))
            return;
        QPainterPath path;
        const double rx = std::abs(double(t->width)) / 2, ry = std::abs(double(t->height)) / 2;
        if (rx > 0 && ry > 0 && std::isfinite(rx) && std::isfinite(ry))
            path.addRoundedRect(box, std::min(rx, box.width() / 2), std::min(ry, box.height() / 2));
        else
            path.addRect(box);
        fillAndStroke(path, t->dc, true);
    }

    // PatBlt: a rectangle in the brush, or black or white.
    void ropDraw(wmfROP_Draw_t *t)
    {
        const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
        if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()))
            return;
        const QRectF area = imageRect(box);
        if (area.isEmpty())
            return;
        switch (t->ROP) {
        case 0x00F00021: { // PATCOPY
            const Fill fill = fillOf(t->dc);
            if (fill.background)
                m_painter->fillRect(area, *fill.background);
            if (fill.brush)
                m_painter->fillRect(area, *fill.brush);
            break;
        }
        case 0x00000042: // BLACKNESS
            m_painter->fillRect(area, Qt::black);
            break;
        case 0x00FF0062: // WHITENESS
            m_painter->fillRect(area, Qt::white);
            break;
        default: // the inverting operations have nothing to invert on a transparent picture
            break;
        }
    }

    void bitmapRead(wmfBMP_Read_t *t)
    {
        t->bmp.data = nullptr;
        t->bmp.width = 0;
        t->bmp.height = 0;
        if (t->length <= 0)
            return;
        auto bitmap = std::make_unique<Bitmap>();
        bitmap->image = decodeDib(t->buffer, t->length, &bitmap->bottomUp);
        const qint64 bytes = bitmap->image.sizeInBytes();
        if (bitmap->image.isNull() || m_bitmapBytes + bytes > kMaxBitmapBytes)
            return;
        m_bitmapBytes += bytes;
        t->bmp.width = static_cast<unsigned short>(bitmap->image.width());
        t->bmp.height = static_cast<unsigned short>(bitmap->image.height());
        t->bmp.data = bitmap.get();
        m_bitmaps.emplace(bitmap.get(), std::move(bitmap));
    }

    void bitmapFree(wmfBMP *bmp)
    {
        if (!bmp)
            return;
        const auto found = m_bitmaps.find(bmp->data);
        if (found != m_bitmaps.end()) {
            m_bitmapBytes -= found->second->image.sizeInBytes();
            m_bitmaps.erase(found);
        }
        bmp->data = nullptr;
    }

    void bitmapDraw(wmfBMP_Draw_t *t)
    {
        const auto found = m_bitmaps.find(t->bmp.data);
        const QPointF at = point(t->pt);
        if (!active() || found == m_bitmaps.end() || !finitePoint(at))
            return;
        const Bitmap &bitmap = *found->second;
        const QRect whole = bitmap.image.rect();
        // For a bottom-up bitmap the source rectangle counts from the bottom.
        const int y = bitmap.bottomUp ? whole.height() - t->crop.y - t->crop.h : t->crop.y;
        const QRect source = QRect(t->crop.x, y, t->crop.w, t->crop.h).intersected(whole);
        const QRectF target =
            m_toImage.mapRect(QRectF(at, QSizeF(t->crop.w * t->pixel_width, t->crop.h * t->pixel_height)));
        const QRectF visible = target.intersected(guard(2));
        if (source.isEmpty() || !finitePoint(target.topLeft()) || !finitePoint(target.bottomRight()) ||
            visible.isEmpty())
            return;
        // The part of the bitmap that lands on the visible part.
        const double perX = source.width() / target.width(), perY = source.height() / target.height();
        const QRectF part((visible.left() - target.left()) * perX, (visible.top() - target.top()) * perY,
                          visible.width() * perX, visible.height() * perY);
        QImage image = bitmap.image.copy(source).convertToFormat(QImage::Format_ARGB32);
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        // Raster operations as far as they mean something on a transparent
        // picture: the mask pair SRCAND/SRCPAINT (also XOR-drawn icons)
        // leaves the picture where the mask is white and the image black.
        auto clearWhere = [&image](auto test) {
            for (int row = 0; row < image.height(); ++row) {
                auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
                for (int x = 0; x < image.width(); ++x) {
                    if (test(line[x]))
                        line[x] = 0;
                }
            }
        };
        switch (t->type) {
        case 0x008800C6: // SRCAND
            clearWhere([](QRgb c) { return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250; });
            mode = QPainter::CompositionMode_Multiply;
            break;
        case 0x00EE0086: // SRCPAINT
        case 0x00660046: // SRCINVERT
            clearWhere([](QRgb c) { return qRed(c) < 5 && qGreen(c) < 5 && qBlue(c) < 5; });
            mode = QPainter::CompositionMode_Plus;
            break;
        case 0x00330008: // NOTSRCCOPY
            image.invertPixels(QImage::InvertRgb);
            break;
        default: // SRCCOPY and the rest
            break;
        }
        m_painter->save();
        m_painter->setCompositionMode(mode);
        // Enlarged bitmaps keep sharp pixels, as StretchDIBits draws them;
        // reduced ones are smoothed.
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform,
                                 target.width() < source.width() || target.height() < source.height());
        m_painter->drawImage(visible, image, part);
        m_painter->restore();
    }

    // A region's rectangles on the image.
    QPainterPath rectanglesOf(const wmfPolyRectangle_t *t) const
    {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        if (!t->TL || !t->BR)
            return path;
        for (unsigned i = 0; i < t->count; ++i) {
            const QRectF box = QRectF(point(t->TL[i]), point(t->BR[i])).normalized();
            if (finitePoint(box.topLeft()) && finitePoint(box.bottomRight()))
                path.addRect(imageRect(box));
        }
        return path;
    }

    void regionPaint(wmfPolyRectangle_t *t)
    {
        if (!active())
            return;
        const Fill fill = fillOf(t->dc);
        const QPainterPath path = rectanglesOf(t);
        if (fill.background)
            m_painter->fillPath(path, *fill.background);
        if (fill.brush)
            m_painter->fillPath(path, *fill.brush);
    }

    void regionFrame(wmfPolyRectangle_t *t)
    {
        if (!active())
            return;
        const Fill fill = fillOf(t->dc);
        const QPainterPath region = rectanglesOf(t).simplified();
        const double width = std::max(std::abs(t->width * m_scaleX), std::abs(t->height * m_scaleY));
        if (!fill.brush || region.isEmpty() || !(width > 0) || !std::isfinite(width))
            return;
        // The frame lies inside the region's outline.
        QPainterPathStroker stroker;
        stroker.setWidth(2 * width);
        stroker.setJoinStyle(Qt::MiterJoin);
        m_painter->save();
        m_painter->setClipPath(region, Qt::IntersectClip);
        m_painter->fillPath(stroker.createStroke(region), *fill.brush);
        m_painter->restore();
    }

    void regionClip(wmfPolyRectangle_t *t)
    {
        if (!active())
            return;
        if (t->count == 0)
            m_painter->setClipping(false);
        else
            m_painter->setClipPath(rectanglesOf(t), Qt::ReplaceClip);
    }

    // FloodFill and ExtFloodFill: fills the area around the point that is not
    // the border colour (or that has the surface colour). The transparent
    // background counts as white, the colour Windows would find there.
    void flood(wmfFlood_t *t, bool border)
    {
        if (!active() || !m_image || m_image->width() > kMaxFloodSide || m_image->height() > kMaxFloodSide)
            return;
        const QPointF at = m_toImage.map(point(t->pt));
        if (!finitePoint(at))
            return;
        const int w = m_image->width(), h = m_image->height();
        const int sx = int(std::floor(at.x())), sy = int(std::floor(at.y()));
        if (sx < 0 || sy < 0 || sx >= w || sy >= h)
            return;
        const bool surface = !border && t->type == 1; // FLOODFILLSURFACE
        const QColor target = colorOf(t->color);
        auto colorAt = [&](int x, int y) {
            const QRgb c = qUnpremultiply(reinterpret_cast<const QRgb *>(m_image->constScanLine(y))[x]);
            return qAlpha(c) < 128 ? qRgb(255, 255, 255) : c;
        };
        auto near = [&](QRgb c) {
            return std::abs(qRed(c) - target.red()) <= 8 && std::abs(qGreen(c) - target.green()) <= 8 &&
                   std::abs(qBlue(c) - target.blue()) <= 8;
        };
        auto fillable = [&](int x, int y) { return surface ? near(colorAt(x, y)) : !near(colorAt(x, y)); };
        if (!fillable(sx, sy))
            return;
        QImage mask(w, h, QImage::Format_Alpha8);
        if (mask.isNull())
            return;
        mask.fill(0);
        std::vector<QPoint> stack{{sx, sy}};
        while (!stack.empty()) {
            const QPoint seed = stack.back();
            stack.pop_back();
            uchar *row = mask.scanLine(seed.y());
            if (row[seed.x()])
                continue;
            int left = seed.x(), right = seed.x();
            while (left > 0 && !row[left - 1] && fillable(left - 1, seed.y()))
                --left;
            while (right < w - 1 && !row[right + 1] && fillable(right + 1, seed.y()))
                ++right;
            std::memset(row + left, 0xFF, size_t(right - left + 1));
            for (const int y : {seed.y() - 1, seed.y() + 1}) {
                if (y < 0 || y >= h)
                    continue;
                const uchar *next = mask.constScanLine(y);
                for (int x = left; x <= right; ++x) {
                    if (!next[x] && fillable(x, y) && (x == left || next[x - 1] || !fillable(x - 1, y)))
                        stack.push_back({x, y});
                }
            }
        }
        const Fill fill = fillOf(t->dc);
        const QColor color = fill.brush ? fill.brush->color() : target;
        QImage paint(w, h, QImage::Format_ARGB32_Premultiplied);
        if (paint.isNull())
            return;
        paint.fill(color);
        {
            QPainter p(&paint);
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.drawImage(0, 0, mask);
        }
        m_painter->drawImage(0, 0, paint);
    }

    // libwmf's sign-carrying device units per logical unit (its PixelWidth()).
    static double unitX(const wmfDC *dc)
    {
        if (dc->map_mode == kModeIsotropic || dc->map_mode == kModeAnisotropic)
            return dc->pixel_width;
        return dc->Window.width < 0 ? -dc->pixel_width : dc->pixel_width;
    }
    static double unitY(const wmfDC *dc)
    {
        if (dc->map_mode == kModeIsotropic || dc->map_mode == kModeAnisotropic)
            return dc->pixel_height;
        return dc->Window.height < 0 ? -dc->pixel_height : dc->pixel_height;
    }

    // Text. libwmf lays text out in its device space as if that were square,
    // which the 1024×1024 square of an anisotropic window is not; it takes
    // TA_RIGHT for TA_CENTER and TA_BOTTOM for the baseline; and it splits
    // ExtTextOut with a spacing array into one call per byte, tearing
    // Shift-JIS characters apart. So the record's own text is drawn here, at
    // the first call for the record: libwmf's adjustments are taken off its
    // reference point, and the text is laid out again in logical units.
    void drawText(wmfDrawText_t *t)
    {
        if (!active() || !m_fonts || !t->dc || m_textDrawn == m_record)
            return;
        const auto found = m_texts.find(m_record);
        if (found == m_texts.end())
            return;
        m_textDrawn = m_record;
        paintText(*t, found->second);
    }

    void paintText(const wmfDrawText_t &t, const TextRecord &record)
    {
        const wmfDC *dc = t.dc;
        const wmfFont *font = dc->font;
        const FontInfo &info = m_fonts->forSlot(font);
        const qsizetype nul = record.bytes.indexOf('\0');
        const QByteArray bytes = nul < 0 ? record.bytes : record.bytes.first(nul);
        const double em = t.font_height; // device units along y
        const double ux = unitX(dc), uy = unitY(dc);
        QPointF at = point(t.pt);
        if (bytes.isEmpty() || !(em > 0) || !finitePoint(at) || !std::isfinite(ux) || !std::isfinite(uy) || ux == 0 ||
            uy == 0)
            return;
        const double emPixels = em * std::abs(m_scaleY);
        if (!(emPixels > 0.2) || emPixels > maxStroke())
            return; // too small to see, or absurdly large
        const double escapement = font ? font->lfEscapement / 10.0 : 0.0;
        double ratio = font && font->lfHeight ? double(font->lfWidth) / double(font->lfHeight) : 1.0;
        if (!std::isfinite(ratio) || ratio <= 0)
            ratio = 1.0;

        // libwmf's reference point, back where the record put it.
        const double theta = -qDegreesToRadians(escapement);
        double libWidth;
        if (record.hasDx) {
            quint16 sum = 0;
            for (const qint16 dx : record.dx)
                sum = quint16(sum + quint16(dx));
            libWidth = qint16(sum) * ux;
        } else {
            libWidth =
                stringWidth(m_api, const_cast<wmfFont *>(font), const_cast<char *>(bytes.constData())) * em * ratio;
        }
        const int align = dc->textalign;
        if (align & 0x06)
            at += QPointF(libWidth / 2 * std::cos(theta), libWidth / 2 * std::sin(theta));
        if (!(align & 0x18))
            at -= QPointF(-em * std::sin(theta), em * std::cos(theta));

        // The characters and where each starts along the baseline, in
        // logical units.
        const double emLogical = em / std::abs(uy);
        const double stretch = std::clamp(ratio, 0.05, 20.0);
        const double fontToLogical = emLogical / kFontPixels;
        struct Piece {
            QString text;
            double x;
        };
        std::vector<Piece> pieces;
        double total = 0;
        const double extra = record.hasDx ? 0.0 : qint16(dc->charextra);
        if (!record.hasDx && extra == 0) {
            pieces.push_back({info.decode(bytes), 0});
            total = info.metrics.horizontalAdvance(pieces.back().text) * fontToLogical * stretch;
        } else {
            for (qsizetype i = 0; i < bytes.size();) {
                const bool pair = info.decodesCp932() && cp932::isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size() &&
                                  cp932::isTrailByte(uchar(bytes[i + 1]));
                const qsizetype n = pair ? 2 : 1;
                pieces.push_back({info.decode(QByteArrayView(bytes).sliced(i, n)), total});
                if (record.hasDx) {
                    for (qsizetype k = i; k < i + n && size_t(k) < record.dx.size(); ++k)
                        total += record.dx[size_t(k)];
                } else {
                    total += info.metrics.horizontalAdvance(pieces.back().text) * fontToLogical * stretch + extra;
                }
                i += n;
            }
        }
        const double start = (align & 0x06) == 0x06 ? -total / 2 : (align & 0x06) == 0x02 ? -total : 0.0;
        const int vertical = align & 0x18;
        const double baseline = vertical == 0 ? info.ascent() : vertical == 0x08 ? -info.descent() : 0.0;

        m_painter->save();
        const QRectF box = QRectF(point(t.TL), point(t.BR)).normalized();
        const bool boxUsable = finitePoint(box.topLeft()) && finitePoint(box.bottomRight());
        if ((t.flags & kEtoOpaque) && boxUsable)
            m_painter->fillRect(imageRect(box), colorOf(dc->bgcolor));
        if ((t.flags & kEtoClipped) && boxUsable)
            m_painter->setClipRect(imageRect(box), Qt::IntersectClip);
        // Text space: the font at kFontPixels, scaled to the em and
        // stretched, turned by the escapement in logical units, then into
        // libwmf's device space at the reference point and onto the image.
        QTransform place;
        place.translate(at.x(), at.y());
        place.scale(std::abs(ux), std::abs(uy));
        place.rotate(-escapement);
        place.scale(stretch * fontToLogical, fontToLogical);
        const QTransform textToImage = place * m_toImage;
        const QPointF anchor = textToImage.map(QPointF(0, 0));
        if (!finitePoint(anchor) || !guard(1e6).contains(anchor)) {
            m_painter->restore();
            return; // text whose start lies this far away is not drawn
        }
        m_painter->setTransform(textToImage);
        m_painter->setFont(info.font);
        const double perFontPixel = stretch * fontToLogical; // logical units per text space unit along x
        if (dc->bgmode == kOpaque)
            m_painter->fillRect(QRectF(start / perFontPixel, baseline - info.ascent(), total / perFontPixel,
                                       info.ascent() + info.descent()),
                                colorOf(dc->bgcolor));
        const QColor color = colorOf(dc->textcolor);
        // Qt's glyph cache fails on glyphs stretched far out of shape (it
        // has crashed on them); such text, and very large text, is drawn as
        // outlines instead.
        const double gx = std::hypot(textToImage.m11(), textToImage.m12());
        const double gy = std::hypot(textToImage.m21(), textToImage.m22());
        const bool glyphs = gx > 0 && gy > 0 && gx < 4 * gy && gy < 4 * gx && kFontPixels * std::max(gx, gy) < 512;
        if (glyphs) {
            m_painter->setPen(color);
            for (const Piece &piece : pieces)
                m_painter->drawText(QPointF((start + piece.x) / perFontPixel, baseline), piece.text);
        } else {
            QPainterPath outlines;
            for (const Piece &piece : pieces)
                outlines.addText(QPointF((start + piece.x) / perFontPixel, baseline), info.font, piece.text);
            m_painter->fillPath(outlines, color);
        }
        m_painter->restore();
    }

    wmfAPI *m_api = nullptr;
    MemoryBudget m_budget;
    InputStream m_input;
    wmfFontData m_fontData;
    FontCache *m_fonts;
    QPainter *m_painter = nullptr;
    QImage *m_image = nullptr;
    QTransform m_toImage;
    double m_scaleX = 1;
    double m_scaleY = 1;
    int m_imageSide = 1;
    std::unordered_map<const void *, std::unique_ptr<Bitmap>> m_bitmaps;
    qint64 m_bitmapBytes = 0;
    const std::unordered_map<int, TextRecord> &m_texts;
    int m_record = 0;     // the record libwmf is playing
    int m_textDrawn = -1; // the last record whose text is drawn
    QElapsedTimer m_clock;
    bool m_timedOut = false;
};

QImage failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

} // namespace

bool isWmf(QByteArrayView head)
{
    const uchar *d = bytesOf(head);
    if (head.size() >= 4 && le32(d) == kPlaceableKey)
        return true;
    return head.size() >= 6 && plainHeaderAt(d);
}

QSize wmfFrameSize(QByteArrayView bytes)
{
    if (bytes.size() > kMaxInputBytes)
        return {};
    const auto header = readHeader(bytes);
    if (!header)
        return {};
    if (hasPlaceableFrame(*header)) {
        const double perInch = 96.0 / header->inch;
        return roundedSize(
            QSizeF(std::abs(header->right - header->left) * perInch, std::abs(header->bottom - header->top) * perInch));
    }
    const Prepared prepared = prepare(bytes, *header, nullptr);
    if (const auto frame = declaredFrame(prepared))
        return roundedSize(framePixels(frame->size(), prepared.frameMapping));
    // Only the drawing's extent is left; libwmf measures it (text by a rough
    // estimate, which is good enough for a size).
    Player player(prepared, nullptr);
    const auto extent = player.open(nullptr) ? player.scan(nullptr) : std::nullopt;
    if (!extent || !usableRect(*extent))
        return {};
    return roundedSize(framePixels(extent->size(), prepared.frameMapping));
}

QImage renderWmf(QByteArrayView bytes, QSize size, QString *error)
{
    if (error)
        error->clear();
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxWmfImageSide || size.height() > kMaxWmfImageSide)
        return failed(error, QStringLiteral("picture size %1×%2 out of range").arg(size.width()).arg(size.height()));
    if (bytes.size() > kMaxInputBytes)
        return failed(error, QStringLiteral("metafile too large"));
    const auto header = readHeader(bytes);
    if (!header)
        return failed(error, QStringLiteral("not a Windows Metafile"));

    std::optional<FontCache> fonts;
    if (fontsUsable())
        fonts.emplace();
    FontCache *fontCache = fonts ? &*fonts : nullptr;
    const Prepared prepared = prepare(bytes, *header, fontCache);
    Player player(prepared, fontCache);
    if (!player.open(error))
        return {};
    const auto extent = player.scan(error);
    if (!extent)
        return {};
    std::optional<QRectF> frame = declaredFrame(prepared);
    if (!frame && usableRect(*extent))
        frame = *extent;
    if (!frame)
        return failed(error, QStringLiteral("the metafile draws nothing"));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return failed(error,
                      QStringLiteral("not enough memory for a %1×%2 picture").arg(size.width()).arg(size.height()));
    image.fill(Qt::transparent);
    if (!player.play(image, *frame, error))
        return {};
    return image;
}

} // namespace sorvane
