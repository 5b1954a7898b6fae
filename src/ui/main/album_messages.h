#pragma once

#include "io/album_file.h"

#include <QString>

namespace sorvane {

// What the user is told when an album cannot be opened or saved: the file
// and the reason, in Japanese.
QString openFailureMessage(const QString &path, const AlbumFileError &error);
QString saveFailureMessage(const QString &path, const AlbumFileError &error);

} // namespace sorvane
