#pragma once

#include "model/album_document.h"
#include "picture/shooting_date.h"

namespace sorvane {

// The name of the sorting step in the album's history.
inline const QString kSortByDateStep = QStringLiteral("撮影日順に並べ替え");

// The shooting date of each row's photo, by row from 1 at index 0; a row
// without a photo, or whose photo cannot be read, has no date.
QList<ShootingDate> photoDates(const AlbumDocument &album);

// Sorts the album's entries by the shooting dates of their photos (see
// dateSortOrder) as one step of its history. False when they already are.
bool sortByShootingDate(AlbumDocument &album, EditPlace place);

} // namespace sorvane
