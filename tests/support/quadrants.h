#pragma once

// A picture of four coloured quarters, to tell after loading which way up
// it came out.
#include <QImage>
#include <QList>

#include <functional>

namespace sorvane::testing {

inline const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
                  kYellow = qRgb(255, 255, 0);

inline QImage painted(int width, int height, const std::function<QRgb(int x, int y)> &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour(x, y));
    }
    return image;
}

// Red | green over blue | yellow, 64×48 unless told.
inline QImage quadrants(QSize size = QSize(64, 48))
{
    const int w = size.width(), h = size.height();
    return painted(
        w, h, [w, h](int x, int y) { return y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kYellow); });
}

// The quadrant colours at the centres of the four quarters (top left, top
// right, bottom left, bottom right), allowing for lossy coding and
// smoothing (0 for none of them).
inline QList<QRgb> quarterColours(const QImage &image)
{
    QList<QRgb> colours;
    for (const QPoint &p : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
        const QRgb pixel = image.pixel(p.x() * image.width() / 4, p.y() * image.height() / 4);
        colours.append(0);
        for (QRgb c : {kRed, kGreen, kBlue, kYellow}) {
            if (qAbs(qRed(pixel) - qRed(c)) < 60 && qAbs(qGreen(pixel) - qGreen(c)) < 60 &&
                qAbs(qBlue(pixel) - qBlue(c)) < 60)
                colours.last() = c;
        }
    }
    return colours;
}

} // namespace sorvane::testing
