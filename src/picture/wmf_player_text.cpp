#include "picture/wmf_player_device.h"

#include "text/cp932.h"

#include <QtMath>

#include <algorithm>
#include <vector>

namespace sorvane::wmf {

// libwmf's sign-carrying device units per logical unit (its PixelWidth()).
double Device::unitX(const wmfDC *dc)
{
    if (dc->map_mode == kModeIsotropic || dc->map_mode == kModeAnisotropic)
        return dc->pixel_width;
    return dc->Window.width < 0 ? -dc->pixel_width : dc->pixel_width;
}

double Device::unitY(const wmfDC *dc)
{
    if (dc->map_mode == kModeIsotropic || dc->map_mode == kModeAnisotropic)
        return dc->pixel_height;
    return dc->Window.height < 0 ? -dc->pixel_height : dc->pixel_height;
}

// Text. libwmf lays text out in its device space as if that were square,
// which the 1024×1024 square of an anisotropic window is not; it takes
// TA_RIGHT for TA_CENTER and TA_BOTTOM for the baseline; and it splits
// ExtTextOut with a spacing array into one call per byte, tearing
// Shift-JIS characters apart. So the record's own text is drawn here, at
// the first call for the record: libwmf's adjustments are taken off its
// reference point, and the text is laid out again in logical units.
void Device::drawText(wmfDrawText_t *t)
{
    if (!active() || !m_fonts || !t->dc || m_textDrawn == m_record)
        return;
    const auto found = m_texts.find(m_record);
    if (found == m_texts.end())
        return;
    m_textDrawn = m_record;
    paintText(*t, found->second);
}

void Device::paintText(const wmfDrawText_t &t, const TextRecord &record)
{
    const wmfDC *dc = t.dc;
    const wmfFont *font = dc->font;
    const FontInfo &info = m_fonts->forSlot(font);
    const qsizetype nul = record.bytes.indexOf('\0');
    const QByteArray bytes = nul < 0 ? record.bytes : record.bytes.first(nul);
    const double em = t.font_height; // device units along y
    const double ux = unitX(dc), uy = unitY(dc);
    QPointF at = point(t.pt);
    if (bytes.isEmpty() || !(em > 0) || !finitePoint(at) || !std::isfinite(ux) || !std::isfinite(uy) || ux == 0 ||
        uy == 0)
        return;
    const double emPixels = em * std::abs(m_scaleY);
    if (!(emPixels > 0.2) || emPixels > maxStroke())
        return; // too small to see, or absurdly large
    const double escapement = font ? font->lfEscapement / 10.0 : 0.0;
    double ratio = font && font->lfHeight ? double(font->lfWidth) / double(font->lfHeight) : 1.0;
    if (!std::isfinite(ratio) || ratio <= 0)
        ratio = 1.0;

    // libwmf's reference point, back where the record put it.
    const double theta = -qDegreesToRadians(escapement);
    double libWidth;
    if (record.hasDx) {
        quint16 sum = 0;
        for (const qint16 dx : record.dx)
            sum = quint16(sum + quint16(dx));
        libWidth = qint16(sum) * ux;
    } else {
        libWidth = stringWidth(m_api, const_cast<wmfFont *>(font), const_cast<char *>(bytes.constData())) * em * ratio;
    }
    const int align = dc->textalign;
    if (align & 0x06)
        at += QPointF(libWidth / 2 * std::cos(theta), libWidth / 2 * std::sin(theta));
    if (!(align & 0x18))
        at -= QPointF(-em * std::sin(theta), em * std::cos(theta));

    // The characters and where each starts along the baseline, in
    // logical units.
    const double emLogical = em / std::abs(uy);
    const double stretch = std::clamp(ratio, 0.05, 20.0);
    const double fontToLogical = emLogical / kFontPixels;
    struct Piece {
        QString text;
        double x;
    };
    std::vector<Piece> pieces;
    double total = 0;
    const double extra = record.hasDx ? 0.0 : qint16(dc->charextra);
    if (!record.hasDx && extra == 0) {
        pieces.push_back({info.decode(bytes), 0});
        total = info.metrics.horizontalAdvance(pieces.back().text) * fontToLogical * stretch;
    } else {
        for (qsizetype i = 0; i < bytes.size();) {
            const bool pair = info.decodesCp932() && cp932::isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size() &&
                              cp932::isTrailByte(uchar(bytes[i + 1]));
            const qsizetype n = pair ? 2 : 1;
            pieces.push_back({info.decode(QByteArrayView(bytes).sliced(i, n)), total});
            if (record.hasDx) {
                for (qsizetype k = i; k < i + n && size_t(k) < record.dx.size(); ++k)
                    total += record.dx[size_t(k)];
            } else {
                total += info.metrics.horizontalAdvance(pieces.back().text) * fontToLogical * stretch + extra;
            }
            i += n;
        }
    }
    const double start = (align & 0x06) == 0x06 ? -total / 2 : (align & 0x06) == 0x02 ? -total : 0.0;
    const int vertical = align & 0x18;
    const double baseline = vertical == 0 ? info.ascent() : vertical == 0x08 ? -info.descent() : 0.0;

    m_painter->save();
    const QRectF box = QRectF(point(t.TL), point(t.BR)).normalized();
    const bool boxUsable = finitePoint(box.topLeft()) && finitePoint(box.bottomRight());
    if ((t.flags & kEtoOpaque) && boxUsable)
        m_painter->fillRect(imageRect(box), colorOf(dc->bgcolor));
    if ((t.flags & kEtoClipped) && boxUsable)
        m_painter->setClipRect(imageRect(box), Qt::IntersectClip);
    // Text space: the font at kFontPixels, scaled to the em and
    // stretched, turned by the escapement in logical units, then into
    // libwmf's device space at the reference point and onto the image.
    QTransform place;
    place.translate(at.x(), at.y());
    place.scale(std::abs(ux), std::abs(uy));
    place.rotate(-escapement);
    place.scale(stretch * fontToLogical, fontToLogical);
    const QTransform textToImage = place * m_toImage;
    const QPointF anchor = textToImage.map(QPointF(0, 0));
    if (!finitePoint(anchor) || !guard(1e6).contains(anchor)) {
        m_painter->restore();
        return; // text whose start lies this far away is not drawn
    }
    m_painter->setTransform(textToImage);
    m_painter->setFont(info.font);
    const double perFontPixel = stretch * fontToLogical; // logical units per text space unit along x
    if (dc->bgmode == kOpaque)
        m_painter->fillRect(QRectF(start / perFontPixel, baseline - info.ascent(), total / perFontPixel,
                                   info.ascent() + info.descent()),
                            colorOf(dc->bgcolor));
    const QColor color = colorOf(dc->textcolor);
    // Qt's glyph cache fails on glyphs stretched far out of shape (it
    // has crashed on them); such text, and very large text, is drawn as
    // outlines instead.
    const double gx = std::hypot(textToImage.m11(), textToImage.m12());
    const double gy = std::hypot(textToImage.m21(), textToImage.m22());
    const bool glyphs = gx > 0 && gy > 0 && gx < 4 * gy && gy < 4 * gx && kFontPixels * std::max(gx, gy) < 512;
    if (glyphs) {
        m_painter->setPen(color);
        for (const Piece &piece : pieces)
            m_painter->drawText(QPointF((start + piece.x) / perFontPixel, baseline), piece.text);
    } else {
        QPainterPath outlines;
        for (const Piece &piece : pieces)
            outlines.addText(QPointF((start + piece.x) / perFontPixel, baseline), info.font, piece.text);
        m_painter->fillPath(outlines, color);
    }
    m_painter->restore();
}

} // namespace sorvane::wmf
