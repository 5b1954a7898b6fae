#include "picture/photo_status.h"

#include "picture/photo_import.h"

namespace sorvane {

PhotoStatus photoStatus(const PhotoLocator &locator, const QString &albumPath, const QString &photoPath)
{
    PhotoStatus status;
    if (photoPath.isEmpty())
        return status;
    const PhotoLocation location = locator.locate(albumPath, photoPath);
    status.file = location.file;
    if (!location.isFound()) {
        status.sameNameCount = location.sameNameCount;
        status.state = location.sameNameCount > 1 ? PhotoState::SameName : PhotoState::Missing;
        return status;
    }
    status.reason = importProblem(location.file);
    if (status.reason == QLatin1String("not found")) // gone since it was found
        status.state = PhotoState::Missing;
    else if (!status.reason.isEmpty())
        status.state = PhotoState::Unreadable;
    return status;
}

} // namespace sorvane
