#include "picture/wmf_player.h"

#include "picture/wmf_player_device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sorvane::wmf {

namespace {

void *budgetMalloc(void *context, size_t size)
{
    auto *budget = static_cast<MemoryBudget *>(context);
    if (size > budget->limit - budget->used)
        return nullptr;
    auto *block = static_cast<std::max_align_t *>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block)
        return nullptr;
    *reinterpret_cast<size_t *>(block) = size;
    budget->used += size;
    return block + 1;
}

void budgetFree(void *context, void *memory)
{
    if (!memory)
        return;
    auto *budget = static_cast<MemoryBudget *>(context);
    auto *block = static_cast<std::max_align_t *>(memory) - 1;
    budget->used -= *reinterpret_cast<size_t *>(block);
    std::free(block);
}

void *budgetRealloc(void *context, void *memory, size_t size)
{
    if (!memory)
        return budgetMalloc(context, size);
    auto *budget = static_cast<MemoryBudget *>(context);
    auto *block = static_cast<std::max_align_t *>(memory) - 1;
    const size_t old = *reinterpret_cast<size_t *>(block);
    if (size > old && size - old > budget->limit - budget->used)
        return nullptr;
    auto *grown = static_cast<std::max_align_t *>(std::realloc(block, size + sizeof(std::max_align_t)));
    if (!grown)
        return nullptr;
    *reinterpret_cast<size_t *>(grown) = size;
    budget->used = budget->used - old + size;
    return grown + 1;
}

int streamRead(void *context)
{
    auto *s = static_cast<InputStream *>(context);
    return s->pos < s->size ? s->data[s->pos++] : EOF;
}

int streamSeek(void *context, long pos)
{
    auto *s = static_cast<InputStream *>(context);
    if (pos < 0 || pos > s->size) {
        s->pos = s->size; // later reads see the end
        return -1;
    }
    s->pos = pos;
    return 0;
}

long streamTell(void *context)
{
    return static_cast<InputStream *>(context)->pos;
}

QString describe(wmf_error_t error)
{
    switch (error) {
    case wmf_E_InsMem:
        return QStringLiteral("not enough memory to draw the metafile");
    case wmf_E_EOF:
        return QStringLiteral("metafile cut off");
    case wmf_E_BadFile:
    case wmf_E_BadFormat:
        return QStringLiteral("damaged Windows Metafile");
    case wmf_E_UserExit:
        return QStringLiteral("drawing the metafile took too long");
    default:
        return QStringLiteral("the metafile could not be drawn");
    }
}

} // namespace

Device::Device(const Prepared &prepared, FontCache *fonts) : m_fonts(fonts), m_texts(prepared.texts)
{
    m_input.data = bytesOf(prepared.bytes);
    m_input.size = long(prepared.bytes.size());
    m_fontData.map = &Device::mapFont;
    m_fontData.stringwidth = &Device::stringWidth;
    m_fontData.user_data = nullptr;
}

Device::~Device()
{
    if (m_api)
        wmf_lite_destroy(m_api);
}

bool Device::open(QString *error)
{
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.context = &m_budget;
    options.malloc = &budgetMalloc;
    options.realloc = &budgetRealloc;
    options.free = &budgetFree;
    options.function = &Device::installCallbacks;
    const unsigned long flags =
        WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_lite_create(&m_api, flags, &options) != wmf_E_None || !m_api) {
        m_api = nullptr;
        if (error)
            *error = describe(wmf_E_InsMem);
        return false;
    }
    m_api->device_data = this;
    m_api->font_data = &m_fontData;
    if (wmf_bbuf_input(m_api, &streamRead, &streamSeek, &streamTell, &m_input) != wmf_E_None) {
        if (error)
            *error = describe(m_api->err);
        return false;
    }
    wmf_status_function(m_api, this, &Device::recordDone);
    return true;
}

// The extent of the drawing in device units.
std::optional<QRectF> Device::scan(QString *error)
{
    wmfD_Rect box;
    std::memset(&box, 0, sizeof box);
    const wmf_error_t result = wmf_scan(m_api, 0, &box);
    if (result != wmf_E_None) {
        if (error)
            *error = describe(result);
        return {};
    }
    return QRectF(QPointF(box.TL.x, box.TL.y), QPointF(box.BR.x, box.BR.y)).normalized();
}

// libwmf asks recordDone() after every record whether to go on; past the
// deadline it stops there.
bool Device::play(QImage &image, const QRectF &frame, QDeadlineTimer deadline, QString *error, bool *timedOut)
{
    QPainter painter(&image);
    if (!painter.isActive()) {
        if (error)
            *error = describe(wmf_E_InsMem);
        return false;
    }
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    m_scaleX = image.width() / frame.width();
    m_scaleY = image.height() / frame.height();
    m_toImage = QTransform();
    m_toImage.scale(m_scaleX, m_scaleY);
    m_toImage.translate(-frame.x(), -frame.y());
    m_imageSide = std::max(image.width(), image.height());
    m_painter = &painter;
    m_image = &image;
    m_deadline = deadline;
    wmfD_Rect box;
    m_record = 0;
    const wmf_error_t result = wmf_play(m_api, 0, &box);
    m_painter = nullptr;
    m_image = nullptr;
    painter.end();
    if (timedOut)
        *timedOut = m_timedOut;
    if (result != wmf_E_None || m_timedOut) {
        if (error)
            *error = describe(m_timedOut ? wmf_E_UserExit : result);
        return false;
    }
    return true;
}

void Device::installCallbacks(wmfAPI *api)
{
    auto *f = static_cast<wmfFunctionReference *>(api->function_reference);
    f->flood_interior = [](wmfAPI *a, wmfFlood_t *t) { of(a)->flood(t, true); };
    f->flood_exterior = [](wmfAPI *a, wmfFlood_t *t) { of(a)->flood(t, false); };
    f->draw_pixel = [](wmfAPI *a, wmfDrawPixel_t *t) { of(a)->drawPixel(t); };
    f->draw_pie = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Pie); };
    f->draw_chord = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Chord); };
    f->draw_arc = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawArc(t, ArcKind::Open); };
    f->draw_ellipse = [](wmfAPI *a, wmfDrawArc_t *t) { of(a)->drawEllipse(t); };
    f->draw_line = [](wmfAPI *a, wmfDrawLine_t *t) { of(a)->drawLine(t); };
    f->poly_line = [](wmfAPI *a, wmfPolyLine_t *t) { of(a)->drawPolyline(t, false); };
    f->draw_polygon = [](wmfAPI *a, wmfPolyLine_t *t) { of(a)->drawPolyline(t, true); };
    f->draw_polypolygon = [](wmfAPI *a, wmfPolyPoly_t *t) { of(a)->drawPolyPolygon(t); };
    f->draw_rectangle = [](wmfAPI *a, wmfDrawRectangle_t *t) { of(a)->drawRectangle(t); };
    f->rop_draw = [](wmfAPI *a, wmfROP_Draw_t *t) { of(a)->ropDraw(t); };
    f->bmp_draw = [](wmfAPI *a, wmfBMP_Draw_t *t) { of(a)->bitmapDraw(t); };
    f->bmp_read = [](wmfAPI *a, wmfBMP_Read_t *t) { of(a)->bitmapRead(t); };
    f->bmp_free = [](wmfAPI *a, wmfBMP *t) { of(a)->bitmapFree(t); };
    f->draw_text = [](wmfAPI *a, wmfDrawText_t *t) { of(a)->drawText(t); };
    f->region_frame = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionFrame(t); };
    f->region_paint = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionPaint(t); };
    f->region_clip = [](wmfAPI *a, wmfPolyRectangle_t *t) { of(a)->regionClip(t); };
}

// libwmf calls this after every record it plays.
int Device::recordDone(void *context, float)
{
    auto *self = static_cast<Device *>(context);
    ++self->m_record;
    if (self->m_deadline.hasExpired())
        self->m_timedOut = true;
    return self->m_timedOut ? 1 : 0;
}

void Device::mapFont(wmfAPI *api, wmfFont *font)
{
    Device *self = of(api);
    if (!self || !self->m_fonts || !font)
        return;
    const char *face = font->lfFaceName ? font->lfFaceName : "";
    const int index =
        self->m_fonts->lookup(QByteArrayView(face, qsizetype(strnlen(face, 64))), font->lfWeight, font->lfItalic != 0,
                              font->lfUnderline != 0, font->lfStrikeOut != 0, font->lfCharSet);
    self->m_fonts->bindSlot(font, index);
}

// The string's width in ems, as libwmf wants it for aligning text.
float Device::stringWidth(wmfAPI *api, wmfFont *font, char *text)
{
    Device *self = of(api);
    const qsizetype length = text ? qsizetype(std::strlen(text)) : 0;
    if (!self || !self->m_fonts)
        return 0.5f * float(length); // a rough guess without fonts
    const FontInfo &info = self->m_fonts->forSlot(font);
    return float(info.metrics.horizontalAdvance(info.decode(QByteArrayView(text, length))) / kFontPixels);
}

Player::Player(const Prepared &prepared, FontCache *fonts) : m_device(std::make_unique<Device>(prepared, fonts)) {}

Player::~Player() = default;

bool Player::open(QString *error)
{
    return m_device->open(error);
}

std::optional<QRectF> Player::scan(QString *error)
{
    return m_device->scan(error);
}

bool Player::play(QImage &image, const QRectF &frame, QDeadlineTimer deadline, QString *error, bool *timedOut)
{
    return m_device->play(image, frame, deadline, error, timedOut);
}

} // namespace sorvane::wmf
