#pragma once

#include "picture/drawing_budget.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace sorvane {

// Loads the picture in a file (BMP, GIF, ICO, JPEG, PNG, TIFF, WebP, HEIF or
// WMF, recognised by its content, not its name; other formats Qt reads load
// too), upright as its EXIF orientation (TIFF's orientation tag, HEIF's own
// transformations) says, decoded for display at `size` pixels: the result is
// exactly that size, stretched. A JPEG is decoded at a reduced scale when a
// smaller size is asked, which is several times faster than decoding it whole.
// An invalid or empty size gives the picture at its own size. Animated
// pictures give their first frame.
//
// Returns a null image, with a short reason in error, when the file cannot be
// read as a picture: it is missing, no regular file, unreadable, no picture,
// a picture whose data stops before its end (JPEG, GIF, BMP), one whose
// header claims more than a picture may take to decode (see
// picture_check.h), or memory ran out. The empty path gives a null image and
// an empty error. On success error is cleared. Never writes to the file.
// Safe to call from several threads at once.
//
// A Windows Metafile is drawn within the budget given, or by default within
// kDisplayDrawingMs of its own; one that runs out of time fails ("drawing the
// metafile took too long"), and fails at once next time while the file stays
// as it is and the budget is no larger.
QImage loadPicture(const QString &path, QSize size, QString *error = nullptr);
QImage loadPicture(const QString &path, QSize size, QString *error, DrawingBudget &budget);

// The size of the picture in a file as it is shown, upright, read from its
// header without decoding it (a metafile's frame at 96 dpi); an invalid size
// when the file is no picture or its size cannot be read.
QSize pictureSize(const QString &path);

// Files larger than this are refused without being read.
inline constexpr qint64 kMaxPictureFileBytes = 256 * 1024 * 1024;
// Windows Metafiles larger than this are refused.
inline constexpr qint64 kMaxMetafileBytes = 32 * 1024 * 1024;

} // namespace sorvane
