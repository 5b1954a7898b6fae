#pragma once

// The drawing device under libwmf's player: libwmf reads the records and
// calls back for every drawing operation with coordinates in its own device
// space; the Device paints them with QPainter. libwmf's device space depends
// on the mapping mode: with MM_ANISOTROPIC the metafile's window becomes a
// 1024×1024 square, with the fixed modes one device unit is a point. The
// frame of the picture is carried into that device space (see wmf_header.h)
// and a transform then stretches it onto the image.
//
// Only the player's own sources include this header: libwmf's headers come
// after Qt's, as they define U8, U16, S32 and friends as macros, which would
// break Qt's own headers.

#include "picture/wmf_bitmap.h"
#include "picture/wmf_prepare.h"
#include "picture/wmf_text.h"

#include <QBrush>
#include <QColor>
#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <unordered_map>

#include <libwmf/api.h>
#include <libwmf/ipa.h>

namespace sorvane::wmf {

constexpr size_t kLibraryMemory = 256u * 1024 * 1024; // libwmf's own allocations

// Memory for libwmf, within a budget: a hostile record cannot make it
// allocate without bound, it gets an allocation failure instead.
struct MemoryBudget {
    size_t used = 0;
    size_t limit = kLibraryMemory;
};

// The metafile as libwmf's input stream.
struct InputStream {
    const uchar *data = nullptr;
    long size = 0;
    long pos = 0;
};

inline QColor colorOf(const wmfRGB &rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

class Device {
public:
    Device(const Prepared &prepared, FontCache *fonts);
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    bool open(QString *error);
    std::optional<QRectF> scan(QString *error);
    bool play(QImage &image, const QRectF &frame, QDeadlineTimer deadline, QString *error, bool *timedOut);

private:
    static Device *of(wmfAPI *api) { return static_cast<Device *>(api->device_data); }

    // libwmf's hooks (wmf_player.cpp).
    static void installCallbacks(wmfAPI *api);
    static int recordDone(void *context, float);
    static void mapFont(wmfAPI *api, wmfFont *font);
    static float stringWidth(wmfAPI *api, wmfFont *font, char *text);

    bool active() const { return m_painter && !m_timedOut; }

    static bool finitePoint(const QPointF &p)
    {
        return std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.x()) < 1e9 && std::abs(p.y()) < 1e9;
    }
    static QPointF point(const wmfD_Coord &c) { return {double(c.x), double(c.y)}; }

    // Pen widths and corner sizes in image pixels are kept within reason.
    double maxStroke() const { return 4.0 * m_imageSide; }

    // Geometry comes in libwmf's device units and goes to the painter in
    // image pixels, cut down to the neighbourhood of the picture when it
    // reaches far beyond (see wmf_clip.h).
    QRectF guard(double margin) const
    {
        return QRectF(-margin, -margin, m_image->width() + 2 * margin, m_image->height() + 2 * margin);
    }
    bool nearPicture(const QRectF &bounds) const { return guard(m_imageSide).contains(bounds); }
    // A device rectangle on the image, cut to the neighbourhood of the picture.
    QRectF imageRect(const QRectF &device) const { return m_toImage.mapRect(device).intersected(guard(2)); }

    // Pens, brushes, lines, shapes and regions (wmf_player_shapes.cpp).
    struct Fill {
        std::optional<QBrush> background; // under a hatch in opaque mode
        std::optional<QBrush> brush;
    };
    std::optional<QPen> penOf(const wmfDC *dc) const;
    Fill fillOf(const wmfDC *dc) const;
    void fillImagePath(const QPainterPath &path, const QBrush &brush);
    void strokeImagePath(const QPainterPath &path, const QPen &pen);
    void fillAndStroke(const QPainterPath &devicePath, const wmfDC *dc, bool filled);
    enum class ArcKind { Open, Pie, Chord };
    void drawArc(wmfDrawArc_t *t, ArcKind kind);
    void drawEllipse(wmfDrawArc_t *t);
    void drawLine(wmfDrawLine_t *t);
    static bool polygonOf(const wmfD_Coord *points, int count, QPolygonF *polygon);
    void drawPolyline(wmfPolyLine_t *t, bool closed);
    void drawPolyPolygon(wmfPolyPoly_t *t);
    void drawRectangle(wmfDrawRectangle_t *t);
    QPainterPath rectanglesOf(const wmfPolyRectangle_t *t) const;
    void regionPaint(wmfPolyRectangle_t *t);
    void regionFrame(wmfPolyRectangle_t *t);
    void regionClip(wmfPolyRectangle_t *t);

    // Pixels, PatBlt, bitmaps and flood fill (wmf_player_raster.cpp).
    void drawPixel(wmfDrawPixel_t *t);
    void ropDraw(wmfROP_Draw_t *t);
    void bitmapRead(wmfBMP_Read_t *t);
    void bitmapFree(wmfBMP *bmp);
    void bitmapDraw(wmfBMP_Draw_t *t);
    void flood(wmfFlood_t *t, bool border);

    // Text (wmf_player_text.cpp).
    static double unitX(const wmfDC *dc);
    static double unitY(const wmfDC *dc);
    void drawText(wmfDrawText_t *t);
    void paintText(const wmfDrawText_t &t, const TextRecord &record);

    wmfAPI *m_api = nullptr;
    MemoryBudget m_budget;
    InputStream m_input;
    wmfFontData m_fontData;
    FontCache *m_fonts;
    QPainter *m_painter = nullptr;
    QImage *m_image = nullptr;
    QTransform m_toImage;
    double m_scaleX = 1;
    double m_scaleY = 1;
    int m_imageSide = 1;
    std::unordered_map<const void *, std::unique_ptr<Bitmap>> m_bitmaps;
    qint64 m_bitmapBytes = 0;
    const std::unordered_map<int, TextRecord> &m_texts;
    int m_record = 0;     // the record libwmf is playing
    int m_textDrawn = -1; // the last record whose text is drawn
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    bool m_timedOut = false;
};

} // namespace sorvane::wmf
