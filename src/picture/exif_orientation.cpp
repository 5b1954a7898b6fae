#include "picture/exif_orientation.h"

#include "picture/exiv2_setup.h"

#include <exiv2/exiv2.hpp>

namespace sorvane {

QImageIOHandler::Transformations transformationOfOrientation(long orientation)
{
    switch (orientation) {
    case 2:
        return QImageIOHandler::TransformationMirror;
    case 3:
        return QImageIOHandler::TransformationRotate180;
    case 4:
        return QImageIOHandler::TransformationFlip;
    case 5:
        return QImageIOHandler::TransformationFlipAndRotate90;
    case 6:
        return QImageIOHandler::TransformationRotate90;
    case 7:
        return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8:
        return QImageIOHandler::TransformationRotate270;
    default:
        return QImageIOHandler::TransformationNone;
    }
}

QImageIOHandler::Transformations exifTransformation(QByteArrayView bytes)
{
    setUpExiv2();
    try {
        // Read in place: exiv2's memory reader copies nothing unless written to.
        const std::unique_ptr<Exiv2::Image> image(
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(bytes.data()), long(bytes.size()))
                .release());
        if (!image)
            return QImageIOHandler::TransformationNone;
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (it == exif.end() || it->count() == 0)
            return QImageIOHandler::TransformationNone;
        return transformationOfOrientation(it->toLong());
    } catch (const std::exception &) {
        return QImageIOHandler::TransformationNone;
    }
}

} // namespace sorvane
