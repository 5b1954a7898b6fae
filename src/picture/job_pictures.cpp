#include "picture/job_pictures.h"

#include "picture/picture_loader.h"

#include <memory>

namespace sorvane {

PrintPictureLoader jobPictureLoader(const AlbumDocument &album, QHash<QString, QString> *reasons)
{
    auto budget = std::make_shared<DrawingBudget>(kJobDrawingMs);
    return [&album, reasons, budget](const QString &path, QString *error) {
        QString why;
        QImage picture = loadPicture(album.resolvePhotoPath(path), kPrintPhotoPixels, &why, *budget);
        if (picture.isNull() && reasons)
            reasons->insert(path, why);
        if (error)
            *error = why;
        return picture;
    };
}

} // namespace sorvane
