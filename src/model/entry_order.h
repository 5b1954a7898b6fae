#pragma once

#include "model/album_table.h"

#include <QDateTime>
#include <QList>

namespace sorvane {

// The order of the album's entries by the shooting dates of their photos:
// order[i] is the row (from 1) whose content goes to row i + 1.
//
// Entries holding a photo are ordered by its date, equal dates keeping their
// order and photos without a date after all dated ones. An entry without a
// photo but with a title or comment stays behind the photo entry before it
// (one at the very start stays at the start). Empty entries go to the end.
// dates[r - 1] is the date of row r's photo (invalid for none); rows beyond
// the list count as undated.
QList<int> dateSortOrder(const AlbumTable &table, const QList<QDateTime> &dates);

} // namespace sorvane
