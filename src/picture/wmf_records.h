#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The words of Windows Metafile records: record function numbers, the GDI
// constants the renderer reads, and little-endian access to the bytes.
namespace sorvane::wmf {

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

// Whether the record draws something.
bool isDrawingRecord(quint16 function);

// Parameter words a record needs before libwmf can read it.
quint32 minimumWords(quint16 function);

inline const uchar *bytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

inline quint16 le16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

inline qint16 les16(const uchar *p)
{
    return qint16(le16(p));
}

inline quint32 le32(const uchar *p)
{
    return quint32(le16(p)) | (quint32(le16(p + 2)) << 16);
}

inline void put16(QByteArray &out, qsizetype at, quint16 value)
{
    out[at] = char(value & 0xFF);
    out[at + 1] = char(value >> 8);
}

inline void append16(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

inline void append32(QByteArray &out, quint32 value)
{
    append16(out, quint16(value & 0xFFFF));
    append16(out, quint16(value >> 16));
}

} // namespace sorvane::wmf
