#pragma once

#include "model/photo_locator.h"

#include <QString>

namespace sorvane {

// Whether an album's photo can be printed, and why not.
enum class PhotoState {
    Fine,       // found, and its header reads as a photo
    Missing,    // no file found
    SameName,   // not found, but several files of its name lie in the album's folder
    Unreadable, // found, but no photo this program reads (see importProblem)
};

struct PhotoStatus {
    PhotoState state = PhotoState::Fine;
    QString file;   // the file found, or the path looked for
    QString reason; // for Unreadable: importProblem's reason
    int sameNameCount = 0;
    bool isProblem() const { return state != PhotoState::Fine; }
    bool isMissing() const { return state == PhotoState::Missing || state == PhotoState::SameName; }
};

// Finds the photo through the locator and reads the header of the file
// found. Safe to call from any thread (the locator is). The empty path is
// Fine: there is no photo to miss.
PhotoStatus photoStatus(const PhotoLocator &locator, const QString &albumPath, const QString &photoPath);

} // namespace sorvane
