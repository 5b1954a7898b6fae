#include "print/painter_print_surface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPen>

#include <algorithm>

namespace sorvane {

namespace {

constexpr double kMillimetresPerInch = 25.4;

} // namespace

QPainterPrintSurface::QPainterPrintSurface(QPagedPaintDevice &device) : m_device(device) {}

QPainterPrintSurface::~QPainterPrintSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

void QPainterPrintSurface::setMillimetres()
{
    // Millimetres are the only unit the layouts use, and the one this surface
    // starts in; nothing to switch.
}

void QPainterPrintSurface::setOrigin(double dx, double dy)
{
    m_originX = dx;
    m_originY = dy;
}

void QPainterPrintSurface::setFontName(const QString &name)
{
    m_fontName = name;
}

void QPainterPrintSurface::setFontSize(double points)
{
    if (points > 0.0)
        m_fontPoints = points;
}

void QPainterPrintSurface::setFontBold(bool bold)
{
    m_fontBold = bold;
}

void QPainterPrintSurface::setLineWidth(int devicePixels)
{
    // A printer never draws thinner than one dot.
    m_lineWidth = std::max(1, devicePixels);
}

bool QPainterPrintSurface::ensureStarted()
{
    if (m_ended)
        return false;
    if (!m_started) {
        m_started = true;
        if (!m_painter.begin(&m_device))
            return false;
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.setRenderHint(QPainter::TextAntialiasing, true);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        m_painter.setBackgroundMode(Qt::TransparentMode);
    }
    return m_painter.isActive();
}

double QPainterPrintSurface::toDeviceX(double mm) const
{
    return (m_originX + mm) * m_device.logicalDpiX() / kMillimetresPerInch;
}

double QPainterPrintSurface::toDeviceY(double mm) const
{
    return (m_originY + mm) * m_device.logicalDpiY() / kMillimetresPerInch;
}

QFont QPainterPrintSurface::currentFont() const
{
    QFont font(m_fontName);
    // Point sizes are honoured against the device's own resolution, since the
    // painter is not scaled.
    font.setPointSizeF(m_fontPoints);
    font.setBold(m_fontBold);
    return font;
}

void QPainterPrintSurface::applyPen()
{
    QPen pen(Qt::black, m_lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
}

void QPainterPrintSurface::drawText(double x, double y, const QString &text)
{
    if (!ensureStarted())
        return;
    const QFont font = currentFont();
    m_painter.setFont(font);
    m_painter.setPen(Qt::black);
    // The cell's top is the ascent (internal leading included) above the
    // baseline, measured on the device the text goes to.
    const QFontMetricsF metrics(font, m_painter.device());
    const QPointF topLeft = toDevice(x, y);
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

void QPainterPrintSurface::drawLine(double x1, double y1, double x2, double y2)
{
    if (!ensureStarted())
        return;
    applyPen();
    m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
}

void QPainterPrintSurface::drawBox(double x1, double y1, double x2, double y2)
{
    if (!ensureStarted())
        return;
    applyPen();
    m_painter.drawRect(QRectF(toDevice(x1, y1), toDevice(x2, y2)).normalized());
}

void QPainterPrintSurface::drawPicture(const QImage &picture, double x, double y, double w, double h)
{
    if (picture.isNull() || !ensureStarted())
        return;
    const QRectF target(toDevice(x, y), toDevice(x + w, y + h));
    m_painter.drawImage(target, picture, QRectF(picture.rect()));
}

void QPainterPrintSurface::newPage()
{
    // Starting the painter first makes sure the sheet being ended exists.
    if (!ensureStarted())
        return;
    m_device.newPage();
}

void QPainterPrintSurface::endDocument()
{
    ensureStarted();
    if (m_painter.isActive())
        m_painter.end();
    m_ended = true;
}

} // namespace sorvane
