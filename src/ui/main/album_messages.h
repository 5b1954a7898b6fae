#pragma once

#include "io/album_file.h"

#include <QString>

namespace sorvane {

// What the user is told when an album cannot be opened or saved: the file
// and the reason, in Japanese.
QString openFailureMessage(const QString &path, const AlbumFileError &error);
QString saveFailureMessage(const QString &path, const AlbumFileError &error);
// The album was saved, but its previous contents could not be kept as a
// version (reason: why, from keepPreviousVersion).
QString versionNotKeptMessage(const QString &path, const QString &reason);

} // namespace sorvane
