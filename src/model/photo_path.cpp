#include "model/photo_path.h"

#include <QDir>
#include <QFileInfo>

namespace sorvane {

QString resolvePhotoPath(const QString &albumPath, const QString &photoPath)
{
    if (photoPath.isEmpty() || !QDir::isRelativePath(photoPath) || albumPath.isEmpty())
        return photoPath;
    return QFileInfo(albumPath).absoluteDir().filePath(photoPath);
}

} // namespace sorvane
