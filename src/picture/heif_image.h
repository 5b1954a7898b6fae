#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

namespace sorvane {

// HEIF photos (the HEIC of phones, and AVIF), read with libheif.

// Whether these bytes, the start of a file, are a HEIF file: an ftyp box
// whose main or compatible brands name a HEIF image coded in HEVC (heic,
// heix, heim, heis, and the sequences hevc, hevx), any HEIF image (mif1,
// msf1) or an AVIF one. The name of the file plays no part.
bool isHeif(QByteArrayView head);

// The size of the HEIF file's primary image as shown, after its own
// rotation, read from the file's boxes without decoding anything. (libheif
// 1.15 reads the whole file as it reads the boxes, coded data included.) An
// invalid size, with a short reason in error, when the file cannot be read
// or is no readable HEIF file.
QSize heifFileSize(const QString &path, QString *error);

// Decodes the primary image of the HEIF file in these bytes, upright: turned
// and mirrored by the file's own transformations (irot, imir) and cut to its
// clean aperture. An EXIF orientation in the file is not applied: it only
// repeats those transformations. The result is exactly `size`, stretched,
// or the picture's own size for an empty size; opaque pictures come as
// Format_RGB32, others as Format_ARGB32_Premultiplied. A picture beyond the
// budgets of picture_check.h is refused before decoding. Returns a null
// image with a short reason in error when the data cannot be decoded.
// Safe to call from several threads at once.
QImage decodeHeif(QByteArrayView bytes, QSize size, QString *error);

} // namespace sorvane
