#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace sorvane {

// Loads the picture in a file (BMP, GIF, ICO, JPEG or WMF, recognised by its
// content, not its name; other formats Qt reads load too), upright as its EXIF
// orientation says, decoded for display at `size` pixels: the result is
// exactly that size, stretched. A JPEG is decoded at a reduced scale when a
// smaller size is asked, which is several times faster than decoding it whole.
// An invalid or empty size gives the picture at its own size. Animated
// pictures give their first frame.
//
// Returns a null image, with a short reason in error, when the file cannot be
// read as a picture: it is missing, no regular file, unreadable, no picture,
// or a JPEG that is cut off before its end. The empty path gives a null image
// and an empty error. On success error is cleared. Never writes to the file.
// Safe to call from several threads at once.
QImage loadPicture(const QString &path, QSize size, QString *error = nullptr);

// Files larger than this are refused without being read.
inline constexpr qint64 kMaxPictureFileBytes = 256 * 1024 * 1024;
// Windows Metafiles larger than this are refused.
inline constexpr qint64 kMaxMetafileBytes = 32 * 1024 * 1024;

} // namespace sorvane
