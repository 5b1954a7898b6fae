#pragma once

#include <QImage>
#include <QString>

namespace sorvane {

// What the print layouts draw on: a printer or a PDF, in millimetres from an
// origin that the margins move. Text is black on a transparent background;
// lines and box outlines are black and solid.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    // All following coordinates and picture sizes are millimetres (font sizes
    // stay in points).
    virtual void setMillimetres() = 0;
    // The drawing point (0, 0) lies dx mm right of and dy mm below the
    // top-left corner of the printable area.
    virtual void setOrigin(double dx, double dy) = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setFontBold(bool bold) = 0;
    // Line width in device pixels (printer dots); lines are solid.
    virtual void setLineWidth(int devicePixels) = 0;
    // One line of text, left-aligned, the top-left corner of its text cell
    // (including the font's internal leading) at (x, y).
    virtual void drawText(double x, double y, const QString &text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    // A rectangle outline with these opposite corners, not filled.
    virtual void drawBox(double x1, double y1, double x2, double y2) = 0;
    // The whole picture stretched to exactly w by h mm, top-left at (x, y).
    virtual void drawPicture(const QImage &picture, double x, double y, double w, double h) = 0;
    // Ends the current sheet; the next drawing goes onto a new one.
    virtual void newPage() = 0;
    // Ends the current sheet and hands the document over.
    virtual void endDocument() = 0;
};

} // namespace sorvane
