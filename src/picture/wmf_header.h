#pragma once

#include "picture/wmf_records.h"

#include <QByteArrayView>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <optional>

// The metafile's header, its placeable header, and the frame of the picture
// they and the window records give, with the logical-to-device mapping that
// carries the frame into libwmf's device space.
namespace sorvane::wmf {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableSize = 22;
constexpr qsizetype kHeaderSize = 18;

// True when the bytes at p are a plain metafile header.
bool plainHeaderAt(const uchar *p);

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

// The header (and placeable header) at the start of the bytes, when they
// have one.
std::optional<Header> readHeader(QByteArrayView bytes);

// Whether a placeable header gives a usable bounding box.
bool hasPlaceableFrame(const Header &header);

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

// A rectangle of finite, positive and not absurdly large size.
bool usableRect(const QRectF &rect);

// The frame in libwmf's device units, when the metafile states it: its window
// in the scaled modes, else the placeable bounding box, where window records
// override origin and extent just as they do when Windows plays the file
// into a rectangle. Without either only the drawing's extent can tell.
// The mapping is the one in force when the first drawing record comes.
std::optional<QRectF> declaredFrame(const Header &header, const Mapping &m);

// A frame in device units as pixels at 96 dpi, for metafiles without a
// placeable header. Logical units of the scaled modes have no size: a small
// window is taken in pixels, a large one in twips.
QSizeF framePixels(const QSizeF &device, const Mapping &m);

// A size in whole pixels, at least 1×1; an invalid size for an empty or
// absurd one.
QSize roundedSize(const QSizeF &size);

} // namespace sorvane::wmf
