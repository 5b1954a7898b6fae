#pragma once

#include <QByteArrayView>
#include <QImageIOHandler>

namespace sorvane {

// How the picture in these bytes is to be turned upright by the orientation
// tag of its EXIF data, read with exiv2: for PNG (eXIf chunk, or the raw
// profile text other programs write) and WebP, whose Qt readers leave the
// orientation out. Qt's JPEG and TIFF readers give it themselves, and HEIF
// carries its own transformations. No orientation, an unknown value, or
// data exiv2 cannot read give TransformationNone.
QImageIOHandler::Transformations exifTransformation(QByteArrayView bytes);

// The transformation Qt's readers give for an EXIF orientation value (1 to
// 8); TransformationNone for any other.
QImageIOHandler::Transformations transformationOfOrientation(long orientation);

} // namespace sorvane
