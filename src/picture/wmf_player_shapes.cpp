#include "picture/wmf_clip.h"
#include "picture/wmf_player_device.h"

#include <QPainterPathStroker>
#include <QtMath>

#include <algorithm>

namespace sorvane::wmf {

namespace {

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

} // namespace

std::optional<QPen> Device::penOf(const wmfDC *dc) const
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

Device::Fill Device::fillOf(const wmfDC *dc) const
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

void Device::fillImagePath(const QPainterPath &path, const QBrush &brush)
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

void Device::strokeImagePath(const QPainterPath &path, const QPen &pen)
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

void Device::fillAndStroke(const QPainterPath &devicePath, const wmfDC *dc, bool filled)
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

void Device::drawArc(wmfDrawArc_t *t, ArcKind kind)
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

void Device::drawEllipse(wmfDrawArc_t *t)
{
    const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
    if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()))
        return;
    QPainterPath path;
    path.addEllipse(box);
    fillAndStroke(path, t->dc, true);
}

void Device::drawLine(wmfDrawLine_t *t)
{
    const QPointF from = point(t->from), to = point(t->to);
    if (!active() || !finitePoint(from) || !finitePoint(to))
        return;
    QPainterPath path(from);
    path.lineTo(to);
    fillAndStroke(path, t->dc, false);
}

bool Device::polygonOf(const wmfD_Coord *points, int count, QPolygonF *polygon)
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

void Device::drawPolyline(wmfPolyLine_t *t, bool closed)
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

void Device::drawPolyPolygon(wmfPolyPoly_t *t)
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

void Device::drawRectangle(wmfDrawRectangle_t *t)
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

// A region's rectangles on the image.
QPainterPath Device::rectanglesOf(const wmfPolyRectangle_t *t) const
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

void Device::regionPaint(wmfPolyRectangle_t *t)
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

void Device::regionFrame(wmfPolyRectangle_t *t)
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

void Device::regionClip(wmfPolyRectangle_t *t)
{
    if (!active())
        return;
    if (t->count == 0)
        m_painter->setClipping(false);
    else
        m_painter->setClipPath(rectanglesOf(t), Qt::ReplaceClip);
}

} // namespace sorvane::wmf
