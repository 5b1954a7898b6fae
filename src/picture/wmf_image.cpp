#include "picture/wmf_image.h"

#include "picture/wmf_header.h"
#include "picture/wmf_player.h"
#include "picture/wmf_prepare.h"
#include "picture/wmf_text.h"

#include <cmath>
#include <optional>

// How it works
// ------------
// prepare() copies the metafile into a form libwmf reads safely
// (wmf_prepare.h); the frame of the picture is worked out from the header and
// the window records (wmf_header.h); libwmf's player then draws the copy
// through our callbacks (wmf_player.h), with fonts chosen by wmf_text.h.
namespace sorvane {

using namespace wmf;

namespace {

constexpr qsizetype kMaxInputBytes = 256 * 1024 * 1024;
// The time the three-argument renderWmf allows for drawing.
constexpr qint64 kTimeLimitMs = 30000;

QImage failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

// Without a deadline, drawing gets kTimeLimitMs from when it starts.
QImage render(QByteArrayView bytes, QSize size, QString *error, std::optional<QDeadlineTimer> deadline, bool *timedOut)
{
    if (error)
        error->clear();
    if (timedOut)
        *timedOut = false;
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxWmfImageSide || size.height() > kMaxWmfImageSide)
        return failed(error, QStringLiteral("picture size %1×%2 out of range").arg(size.width()).arg(size.height()));
    if (bytes.size() > kMaxInputBytes)
        return failed(error, QStringLiteral("metafile too large"));
    const auto header = readHeader(bytes);
    if (!header)
        return failed(error, QStringLiteral("not a Windows Metafile"));

    std::optional<FontCache> fonts;
    if (fontsUsable())
        fonts.emplace();
    FontCache *fontCache = fonts ? &*fonts : nullptr;
    const Prepared prepared = prepare(bytes, *header, fontCache);
    Player player(prepared, fontCache);
    if (!player.open(error))
        return {};
    const auto extent = player.scan(error);
    if (!extent)
        return {};
    std::optional<QRectF> frame = declaredFrame(prepared.header, prepared.frameMapping);
    if (!frame && usableRect(*extent))
        frame = *extent;
    if (!frame)
        return failed(error, QStringLiteral("the metafile draws nothing"));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return failed(error,
                      QStringLiteral("not enough memory for a %1×%2 picture").arg(size.width()).arg(size.height()));
    image.fill(Qt::transparent);
    if (!player.play(image, *frame, deadline.value_or(QDeadlineTimer(kTimeLimitMs)), error, timedOut))
        return {};
    return image;
}

} // namespace

bool isWmf(QByteArrayView head)
{
    const uchar *d = bytesOf(head);
    if (head.size() >= 4 && le32(d) == kPlaceableKey)
        return true;
    return head.size() >= 6 && plainHeaderAt(d);
}

QSize wmfFrameSize(QByteArrayView bytes)
{
    if (bytes.size() > kMaxInputBytes)
        return {};
    const auto header = readHeader(bytes);
    if (!header)
        return {};
    if (hasPlaceableFrame(*header)) {
        const double perInch = 96.0 / header->inch;
        return roundedSize(
            QSizeF(std::abs(header->right - header->left) * perInch, std::abs(header->bottom - header->top) * perInch));
    }
    const Prepared prepared = prepare(bytes, *header, nullptr);
    if (const auto frame = declaredFrame(prepared.header, prepared.frameMapping))
        return roundedSize(framePixels(frame->size(), prepared.frameMapping));
    // Only the drawing's extent is left; libwmf measures it (text by a rough
    // estimate, which is good enough for a size).
    Player player(prepared, nullptr);
    const auto extent = player.open(nullptr) ? player.scan(nullptr) : std::nullopt;
    if (!extent || !usableRect(*extent))
        return {};
    return roundedSize(framePixels(extent->size(), prepared.frameMapping));
}

QImage renderWmf(QByteArrayView bytes, QSize size, QString *error)
{
    return render(bytes, size, error, std::nullopt, nullptr);
}

QImage renderWmf(QByteArrayView bytes, QSize size, QString *error, QDeadlineTimer deadline, bool *timedOut)
{
    return render(bytes, size, error, deadline, timedOut);
}

} // namespace sorvane
