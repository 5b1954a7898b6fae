#include "picture/exif_orientation.h"

#include "picture/exiv2_setup.h"

#include <exiv2/exiv2.hpp>

namespace sorvane {

QImageIOHandler::Transformations transformationOfOrientation(long orientation)
{
    // EXIF orientations 1 to 8 in order: how the stored picture is shown.
    using H = QImageIOHandler;
    static constexpr H::Transformation kTurns[] = {
        H::TransformationNone,
        H::TransformationMirror,
        H::TransformationRotate180,
        H::TransformationFlip,
        H::TransformationFlipAndRotate90,
        H::TransformationRotate90,
        H::TransformationMirrorAndRotate90,
        H::TransformationRotate270,
    };
    return orientation >= 1 && orientation <= 8 ? kTurns[orientation - 1] : H::TransformationNone;
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
