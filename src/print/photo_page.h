#pragma once

#include "print/print_surface.h"

#include <QImage>
#include <QString>

#include <array>

namespace sorvane {

// What one slot of a photo page prints.
struct PhotoSlot {
    QString numberLabel; // "No." and the entry's number text, e.g. "No. 1"
    QString title;
    QString comment; // as typed, CR LF line breaks included; wrapped for print
    QImage picture;
    // Whether the picture is drawn: the entry has a photo and it was loaded.
    bool hasPhoto = false;
    QString photoPath; // as the album holds it, "" for none
};

// Draws one photo page, three pageSlots top to bottom, on the current sheet.
// The top margin moves the page to the right and the left margin moves it
// down (each on the axis opposite to its name), in whole millimetres, on top
// of the page's own offset of 13.5 mm across and 2 mm down. The number labels
// are drawn only when printNumbers is true. Comments are wrapped at 24 bytes
// a line and every line is drawn, however many there are.
void DrawPhotoPage(PrintSurface &surface, const std::array<PhotoSlot, 3> &pageSlots, int topMargin, int leftMargin,
                   bool printNumbers);

} // namespace sorvane
