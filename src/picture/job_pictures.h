#pragma once

#include "model/album_document.h"
#include "print/album_print.h"

#include <QHash>
#include <QString>

namespace sorvane {

// Loads the photos of one print job, PDF or print preview at print size, a
// relative path taken from the album file's folder. All its metafiles share
// one drawing budget of kJobDrawingMs. When reasons is given, it receives why
// each photo that could not be loaded failed, under the path as the album
// names it. The album (and reasons) must outlive the loader.
PrintPictureLoader jobPictureLoader(const AlbumDocument &album, QHash<QString, QString> *reasons = nullptr);

} // namespace sorvane
