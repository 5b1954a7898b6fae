#include "platform/picture_loader.h"

#include <QImageReader>

namespace sorvane {

QImage loadPicture(const QString &path, QSize size, QString *error)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return {};
    }
    return size.isValid() ? image.scaled(size) : image;
}

} // namespace sorvane
