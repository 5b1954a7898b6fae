#pragma once

#include "picture/shooting_date.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace sorvane {

// What a bulk import brings in: the photos in shooting order, and the files
// it leaves out with the reason for each.
struct PhotoImport {
    QStringList photos;                     // absolute paths, earliest shot first
    QList<ShootingDate> dates;              // the date of each photo, in that order
    QList<QPair<QString, QString>> skipped; // path, reason
    bool cancelled = false;
};

// Called after each file looked at, with how many have been looked at and
// how many there are; returning false cancels the import.
using ImportProgress = std::function<bool(int done, int total)>;

// Folders are searched with their subfolders (in name order, hidden files
// and folders left out; symbolic links to folders are not followed, so a
// loop cannot trap the search). A file counts as a photo when its content is
// a picture format the program reads and its header passes the decoding
// budgets; nothing else is decoded, and only the metadata is read for the
// date. A file named twice comes in once.
PhotoImport collectPhotos(const QStringList &paths, const ImportProgress &progress = {});

// Why the file is no photo to import ("not a picture", "cannot be read",
// ...), or "" when it is one.
QString importProblem(const QString &path);

} // namespace sorvane
