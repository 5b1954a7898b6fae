#pragma once

#include <QString>

namespace sorvane {

// The file a photo path names: a relative path is taken from the album
// file's folder (so an album moved with its photos keeps working); an
// absolute path, or any path of an album not yet saved, stands as it is.
QString resolvePhotoPath(const QString &albumPath, const QString &photoPath);

} // namespace sorvane
