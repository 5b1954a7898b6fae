#include "picture/wmf_header.h"

#include <algorithm>
#include <cmath>

namespace sorvane::wmf {

bool plainHeaderAt(const uchar *p)
{
    const quint16 type = le16(p);
    const quint16 headerWords = le16(p + 2);
    const quint16 version = le16(p + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

std::optional<Header> readHeader(QByteArrayView bytes)
{
    const uchar *d = bytesOf(bytes);
    Header header;
    qsizetype at = 0;
    if (bytes.size() >= 4 && le32(d) == kPlaceableKey) {
        if (bytes.size() < kPlaceableSize)
            return {};
        header.placeable = true;
        header.left = les16(d + 6);
        header.top = les16(d + 8);
        header.right = les16(d + 10);
        header.bottom = les16(d + 12);
        header.inch = le16(d + 14);
        at = kPlaceableSize;
    }
    if (bytes.size() - at < kHeaderSize || !plainHeaderAt(d + at))
        return {};
    header.objects = le16(d + at + 10);
    header.recordsAt = at + kHeaderSize;
    return header;
}

bool hasPlaceableFrame(const Header &header)
{
    return header.placeable && header.inch != 0 && header.right != header.left && header.bottom != header.top;
}

bool usableRect(const QRectF &rect)
{
    const double limit = 1e12;
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height()) && rect.width() > 1e-9 && rect.height() > 1e-9 && std::abs(rect.x()) < limit &&
           std::abs(rect.y()) < limit && rect.width() < limit && rect.height() < limit;
}

std::optional<QRectF> declaredFrame(const Header &header, const Mapping &m)
{
    double x, y, w, h;
    if (m.scaled() && m.dc.extSet) {
        x = m.dc.ox;
        y = m.dc.oy;
        w = m.dc.w;
        h = m.dc.h;
    } else if (hasPlaceableFrame(header)) {
        x = m.dc.orgSet ? m.dc.ox : header.left;
        y = m.dc.orgSet ? m.dc.oy : header.top;
        w = m.dc.extSet ? m.dc.w : header.right - header.left;
        h = m.dc.extSet ? m.dc.h : header.bottom - header.top;
    } else if (m.dc.extSet) {
        x = m.dc.ox;
        y = m.dc.oy;
        w = m.dc.w;
        h = m.dc.h;
    } else {
        return {};
    }
    const QRectF frame = QRectF(m.toDevice(x, y), m.toDevice(x + w, y + h)).normalized();
    if (!usableRect(frame))
        return {};
    return frame;
}

QSizeF framePixels(const QSizeF &device, const Mapping &m)
{
    if (m.scaled()) {
        const QSizeF logical(device.width() / std::abs(m.unitX()), device.height() / std::abs(m.unitY()));
        return logical.width() * logical.height() < 1024.0 * 1024.0 ? logical : logical * (96.0 / 1440.0);
    }
    if (m.dc.mode == kModeText)
        return device;             // a unit is a pixel
    return device * (96.0 / 72.0); // libwmf's device units are points
}

QSize roundedSize(const QSizeF &size)
{
    if (!(size.width() > 0) || !(size.height() > 0) || size.width() > 1e9 || size.height() > 1e9)
        return {};
    return {std::max(1, qRound(size.width())), std::max(1, qRound(size.height()))};
}

} // namespace sorvane::wmf
