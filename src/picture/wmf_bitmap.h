#pragma once

#include <QImage>

// Bitmaps in metafile records.
namespace sorvane::wmf {

// Decodes a device-independent bitmap as stored in a metafile record: a
// header and colour table with the pixels after them, no file header. Sets
// bottomUp to whether its rows are stored bottom row first. A null image for
// a damaged bitmap, one larger than 16384 pixels on a side or 64 megapixels,
// or one in a compression metafiles do not use.
QImage decodeDib(const uchar *data, long length, bool *bottomUp);

// A decoded bitmap as libwmf holds it.
struct Bitmap {
    QImage image;
    bool bottomUp = true;
};

} // namespace sorvane::wmf
