#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace sorvane {

// Loads the picture in a file (BMP, GIF, ICO, JPEG or WMF, recognised by its
// content, not its name), upright as its EXIF orientation says, decoded for
// display at `size` pixels: the result is exactly that size, stretched. An
// invalid size gives the picture at its own size. Returns a null image, with
// the reason in error, when the file cannot be read as a picture. The empty
// path gives a null image and no error. Never writes to the file.
QImage loadPicture(const QString &path, QSize size, QString *error = nullptr);

} // namespace sorvane
