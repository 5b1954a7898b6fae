#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

namespace sorvane {

// Decodes a JPEG with libjpeg, as Qt's reader does, but refuses data that
// libjpeg finds cut short or damaged: Qt's reader lets libjpeg fill what is
// missing with grey and reports success. A smaller scaledSize decodes at the
// smallest n/8 of the stored size that reaches it (the result is that
// decode, not yet scaled to scaledSize); an empty one decodes at the stored
// size. libjpeg itself may take at most maxMemory bytes (its DCT coefficients
// and buffers), the picture aside. Colour comes out as Format_RGB32 (CMYK
// converted as Qt does), grey as Format_Grayscale8, with the colour space of
// an embedded ICC profile. The EXIF orientation is not applied.
//
// Returns a null image, with a short reason in error, on failure.
QImage decodeJpeg(QByteArrayView bytes, QSize scaledSize, qint64 maxMemory, QString *error);

} // namespace sorvane
