#include "model/photo_locator.h"

#include "model/photo_path.h"

#include <QFileInfo>
#include <QMutex>

namespace sorvane {

struct PhotoLocator::State {
    mutable QMutex mutex;
    QList<PathMapping> mappings;
};

PhotoLocator::PhotoLocator() : state_(std::make_unique<State>()) {}

PhotoLocator::PhotoLocator(QList<PathMapping> mappings) : PhotoLocator()
{
    state_->mappings = std::move(mappings);
}

PhotoLocator::~PhotoLocator() = default;

QList<PathMapping> PhotoLocator::mappings() const
{
    QMutexLocker lock(&state_->mutex);
    return state_->mappings;
}

void PhotoLocator::setMappings(QList<PathMapping> mappings)
{
    QMutexLocker lock(&state_->mutex);
    state_->mappings = std::move(mappings);
}

PhotoLocation PhotoLocator::locate(const QString &albumPath, const QString &photoPath) const
{
    PhotoLocation location;
    location.file = resolvePhotoPath(albumPath, photoPath);
    if (!photoPath.isEmpty() && QFileInfo::exists(location.file))
        location.found = PhotoFound::AsWritten;
    return location;
}

void PhotoLocator::refresh() {}

} // namespace sorvane
