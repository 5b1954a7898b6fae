#pragma once

#include "print/print_surface.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;

namespace sorvane {

// A PrintSurface over a PDF writer or a printer. The painter is not scaled:
// every millimetre figure is turned into device pixels here with the device's
// resolution, so fonts keep their point sizes as the device reports them.
// Painting starts with the first drawing call (or page break), so the device
// can still be set up after this object is made.
class QPainterPrintSurface : public PrintSurface {
public:
    explicit QPainterPrintSurface(QPagedPaintDevice &device);
    ~QPainterPrintSurface() override;

    QPainterPrintSurface(const QPainterPrintSurface &) = delete;
    QPainterPrintSurface &operator=(const QPainterPrintSurface &) = delete;

    void setMillimetres() override;
    void setOrigin(double dx, double dy) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setLineWidth(int devicePixels) override;
    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawBox(double x1, double y1, double x2, double y2) override;
    void drawPicture(const QImage &picture, double x, double y, double w, double h) override;
    void newPage() override;
    void endDocument() override;

    // False once the painter could not start on the device or the document
    // has been handed over.
    bool isActive() const { return m_painter.isActive(); }

private:
    bool ensureStarted();
    double toDeviceX(double mm) const;
    double toDeviceY(double mm) const;
    QPointF toDevice(double x, double y) const { return {toDeviceX(x), toDeviceY(y)}; }
    QFont currentFont() const;
    void applyPen();

    QPagedPaintDevice &m_device;
    QPainter m_painter;
    bool m_started = false;
    bool m_ended = false;
    double m_originX = 0.0;
    double m_originY = 0.0;
    QString m_fontName;
    double m_fontPoints = 9.0;
    bool m_fontBold = false;
    int m_lineWidth = 1;
};

} // namespace sorvane
