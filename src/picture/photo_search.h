#pragma once

#include "model/photo_relink.h"
#include "picture/photo_import.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane {

// What a search of a folder found for each photo path, in the order asked.
struct PhotoSearch {
    QList<RelinkChoice> choices;
    bool cancelled = false;
};

// Looks for the files the photo paths name (by file name, regardless of
// case) in `folder` and its subfolders; hidden files and folders are left
// out and symbolic links to folders are not followed, so a loop cannot trap
// the search. Each path's file is chosen with chooseRelinkCandidate. The
// progress is told the files looked at so far (of an unknown total, 0);
// returning false cancels the search.
PhotoSearch searchForPhotos(const QString &folder, const QStringList &photoPaths, const ImportProgress &progress = {});

// The size and shooting date of a file, for telling copies of one photo
// from different photos of one name.
PhotoIdentity photoIdentity(const QString &file);

} // namespace sorvane
