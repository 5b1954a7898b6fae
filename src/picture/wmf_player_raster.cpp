#include "picture/wmf_player_device.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sorvane::wmf {

namespace {

constexpr qint64 kMaxBitmapBytes = 512ll * 1024 * 1024; // decoded bitmaps alive at once
constexpr int kMaxFloodSide = 4096;

} // namespace

void Device::drawPixel(wmfDrawPixel_t *t)
{
    const QPointF at = point(t->pt);
    if (!active() || !finitePoint(at))
        return;
    // At least one image pixel, like SetPixel on the screen.
    QRectF box = m_toImage.mapRect(QRectF(at, QSizeF(t->pixel_width, t->pixel_height)));
    box.setSize(box.size().expandedTo(QSizeF(1, 1)));
    box = box.intersected(guard(2));
    if (!box.isEmpty())
        m_painter->fillRect(box, colorOf(t->color));
}

// PatBlt: a rectangle in the brush, or black or white.
void Device::ropDraw(wmfROP_Draw_t *t)
{
    const QRectF box = QRectF(point(t->TL), point(t->BR)).normalized();
    if (!active() || !finitePoint(box.topLeft()) || !finitePoint(box.bottomRight()))
        return;
    const QRectF area = imageRect(box);
    if (area.isEmpty())
        return;
    switch (t->ROP) {
    case 0x00F00021: { // PATCOPY
        const Fill fill = fillOf(t->dc);
        if (fill.background)
            m_painter->fillRect(area, *fill.background);
        if (fill.brush)
            m_painter->fillRect(area, *fill.brush);
        break;
    }
    case 0x00000042: // BLACKNESS
        m_painter->fillRect(area, Qt::black);
        break;
    case 0x00FF0062: // WHITENESS
        m_painter->fillRect(area, Qt::white);
        break;
    default: // the inverting operations have nothing to invert on a transparent picture
        break;
    }
}

void Device::bitmapRead(wmfBMP_Read_t *t)
{
    t->bmp.data = nullptr;
    t->bmp.width = 0;
    t->bmp.height = 0;
    if (t->length <= 0)
        return;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = decodeDib(t->buffer, t->length, &bitmap->bottomUp);
    const qint64 bytes = bitmap->image.sizeInBytes();
    if (bitmap->image.isNull() || m_bitmapBytes + bytes > kMaxBitmapBytes)
        return;
    m_bitmapBytes += bytes;
    t->bmp.width = static_cast<unsigned short>(bitmap->image.width());
    t->bmp.height = static_cast<unsigned short>(bitmap->image.height());
    t->bmp.data = bitmap.get();
    m_bitmaps.emplace(bitmap.get(), std::move(bitmap));
}

void Device::bitmapFree(wmfBMP *bmp)
{
    if (!bmp)
        return;
    const auto found = m_bitmaps.find(bmp->data);
    if (found != m_bitmaps.end()) {
        m_bitmapBytes -= found->second->image.sizeInBytes();
        m_bitmaps.erase(found);
    }
    bmp->data = nullptr;
}

void Device::bitmapDraw(wmfBMP_Draw_t *t)
{
    const auto found = m_bitmaps.find(t->bmp.data);
    const QPointF at = point(t->pt);
    if (!active() || found == m_bitmaps.end() || !finitePoint(at))
        return;
    const Bitmap &bitmap = *found->second;
    const QRect whole = bitmap.image.rect();
    // For a bottom-up bitmap the source rectangle counts from the bottom.
    const int y = bitmap.bottomUp ? whole.height() - t->crop.y - t->crop.h : t->crop.y;
    const QRect source = QRect(t->crop.x, y, t->crop.w, t->crop.h).intersected(whole);
    const QRectF target =
        m_toImage.mapRect(QRectF(at, QSizeF(t->crop.w * t->pixel_width, t->crop.h * t->pixel_height)));
    const QRectF visible = target.intersected(guard(2));
    if (source.isEmpty() || !finitePoint(target.topLeft()) || !finitePoint(target.bottomRight()) || visible.isEmpty())
        return;
    // The part of the bitmap that lands on the visible part.
    const double perX = source.width() / target.width(), perY = source.height() / target.height();
    const QRectF part((visible.left() - target.left()) * perX, (visible.top() - target.top()) * perY,
                      visible.width() * perX, visible.height() * perY);
    QImage image = bitmap.image.copy(source).convertToFormat(QImage::Format_ARGB32);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    // Raster operations as far as they mean something on a transparent
    // picture: the mask pair SRCAND/SRCPAINT (also XOR-drawn icons)
    // leaves the picture where the mask is white and the image black.
    auto clearWhere = [&image](auto test) {
        for (int row = 0; row < image.height(); ++row) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
            for (int x = 0; x < image.width(); ++x) {
                if (test(line[x]))
                    line[x] = 0;
            }
        }
    };
    switch (t->type) {
    case 0x008800C6: // SRCAND
        clearWhere([](QRgb c) { return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250; });
        mode = QPainter::CompositionMode_Multiply;
        break;
    case 0x00EE0086: // SRCPAINT
    case 0x00660046: // SRCINVERT
        clearWhere([](QRgb c) { return qRed(c) < 5 && qGreen(c) < 5 && qBlue(c) < 5; });
        mode = QPainter::CompositionMode_Plus;
        break;
    case 0x00330008: // NOTSRCCOPY
        image.invertPixels(QImage::InvertRgb);
        break;
    default: // SRCCOPY and the rest
        break;
    }
    m_painter->save();
    m_painter->setCompositionMode(mode);
    // Enlarged bitmaps keep sharp pixels, as StretchDIBits draws them;
    // reduced ones are smoothed.
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform,
                             target.width() < source.width() || target.height() < source.height());
    m_painter->drawImage(visible, image, part);
    m_painter->restore();
}

// FloodFill and ExtFloodFill: fills the area around the point that is not
// the border colour (or that has the surface colour). The transparent
// background counts as white, the colour Windows would find there.
void Device::flood(wmfFlood_t *t, bool border)
{
    if (!active() || !m_image || m_image->width() > kMaxFloodSide || m_image->height() > kMaxFloodSide)
        return;
    const QPointF at = m_toImage.map(point(t->pt));
    if (!finitePoint(at))
        return;
    const int w = m_image->width(), h = m_image->height();
    const int sx = int(std::floor(at.x())), sy = int(std::floor(at.y()));
    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
        return;
    const bool surface = !border && t->type == 1; // FLOODFILLSURFACE
    const QColor target = colorOf(t->color);
    auto colorAt = [&](int x, int y) {
        const QRgb c = qUnpremultiply(reinterpret_cast<const QRgb *>(m_image->constScanLine(y))[x]);
        return qAlpha(c) < 128 ? qRgb(255, 255, 255) : c;
    };
    auto near = [&](QRgb c) {
        return std::abs(qRed(c) - target.red()) <= 8 && std::abs(qGreen(c) - target.green()) <= 8 &&
               std::abs(qBlue(c) - target.blue()) <= 8;
    };
    auto fillable = [&](int x, int y) { return surface ? near(colorAt(x, y)) : !near(colorAt(x, y)); };
    if (!fillable(sx, sy))
        return;
    QImage mask(w, h, QImage::Format_Alpha8);
    if (mask.isNull())
        return;
    mask.fill(0);
    std::vector<QPoint> stack{{sx, sy}};
    while (!stack.empty()) {
        const QPoint seed = stack.back();
        stack.pop_back();
        uchar *row = mask.scanLine(seed.y());
        if (row[seed.x()])
            continue;
        int left = seed.x(), right = seed.x();
        while (left > 0 && !row[left - 1] && fillable(left - 1, seed.y()))
            --left;
        while (right < w - 1 && !row[right + 1] && fillable(right + 1, seed.y()))
            ++right;
        std::memset(row + left, 0xFF, size_t(right - left + 1));
        for (const int y : {seed.y() - 1, seed.y() + 1}) {
            if (y < 0 || y >= h)
                continue;
            const uchar *next = mask.constScanLine(y);
            for (int x = left; x <= right; ++x) {
                if (!next[x] && fillable(x, y) && (x == left || next[x - 1] || !fillable(x - 1, y)))
                    stack.push_back({x, y});
            }
        }
    }
    const Fill fill = fillOf(t->dc);
    const QColor color = fill.brush ? fill.brush->color() : target;
    QImage paint(w, h, QImage::Format_ARGB32_Premultiplied);
    if (paint.isNull())
        return;
    paint.fill(color);
    {
        QPainter p(&paint);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    }
    m_painter->drawImage(0, 0, paint);
}

} // namespace sorvane::wmf
