#pragma once

#include "print/print_surface.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// A print surface that draws nothing and writes down every call, in order,
// as one readable line: "text 77.00 50.00 工 事 写 真 帳", "line 54.00 90.00
// 174.00 90.00", "font size 14.00", ... Coordinates are printed with two
// decimals, so the log can be compared with values written by hand.
class RecordingSurface : public sorvane::PrintSurface {
public:
    QStringList calls;

    static QString mm(double value) { return QString::number(value, 'f', 2); }

    // How a picture shows up in the log: its size in pixels and the colour of
    // its top-left pixel, or "null".
    static QString pictureName(const QImage &picture)
    {
        if (picture.isNull())
            return QStringLiteral("null");
        return QStringLiteral("%1x%2 %3")
            .arg(picture.width())
            .arg(picture.height())
            .arg(picture.pixelColor(0, 0).name());
    }

    void setMillimetres() override { calls << QStringLiteral("millimetres"); }
    void setOrigin(double dx, double dy) override { calls << QStringLiteral("origin %1 %2").arg(mm(dx), mm(dy)); }
    void setFontName(const QString &name) override { calls << QStringLiteral("font name ") + name; }
    void setFontSize(double points) override { calls << QStringLiteral("font size ") + mm(points); }
    void setFontBold(bool bold) override { calls << (bold ? QStringLiteral("bold on") : QStringLiteral("bold off")); }
    void setLineWidth(int devicePixels) override { calls << QStringLiteral("line width %1").arg(devicePixels); }
    void drawText(double x, double y, const QString &text) override
    {
        calls << QStringLiteral("text %1 %2 %3").arg(mm(x), mm(y), text);
    }
    void drawLine(double x1, double y1, double x2, double y2) override
    {
        calls << QStringLiteral("line %1 %2 %3 %4").arg(mm(x1), mm(y1), mm(x2), mm(y2));
    }
    void drawBox(double x1, double y1, double x2, double y2) override
    {
        calls << QStringLiteral("box %1 %2 %3 %4").arg(mm(x1), mm(y1), mm(x2), mm(y2));
    }
    void drawPicture(const QImage &picture, double x, double y, double w, double h) override
    {
        calls << QStringLiteral("picture %1 %2 %3 %4 %5").arg(pictureName(picture), mm(x), mm(y), mm(w), mm(h));
    }
    void newPage() override { calls << QStringLiteral("new page"); }
    void endDocument() override { calls << QStringLiteral("end document"); }

    // The calls that start with prefix, in order.
    QStringList callsStartingWith(const QString &prefix) const
    {
        QStringList found;
        for (const QString &call : calls) {
            if (call.startsWith(prefix))
                found << call;
        }
        return found;
    }
};
