#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Earlier versions of albums: before Save replaces an album file, the file as
// it was is copied into the user's own state folder (never beside the album,
// where colleagues sharing the folder would see it). The last
// kKeptAlbumVersions of each album are kept.
//
// A version is named by the album, a short hash of the album's full path
// (albums of the same name in different folders keep apart) and the local
// time of the save, and ends in .svd so that it opens as an album:
// "現場A.svd" saved at 21:30:15 keeps "現場A.1f3a9c2e.2026-12-07_213015.svd";
// a second save in the same second adds "-2", and so on.
namespace sorvane {

inline constexpr int kKeptAlbumVersions = 10;

// The folder of the versions: <stateDir>/versions ("" for an empty stateDir).
QString albumVersionsDirectory(const QString &stateDir);

// The eight hexadecimal digits that tell the versions of this album from
// those of another of the same name: from its full path, symbolic links
// followed, so that every spelling of one album file gives the same.
QString albumPathHash(const QString &albumPath);

// Copies the album file as it is now into versionsDir (made when missing,
// readable by the user alone) and removes its versions past the newest
// kKeptAlbumVersions. True when that is done or there is nothing to keep (no
// file yet, or nothing a save could replace); false with the reason
// otherwise. A save may go on either way: the caller decides.
bool keepPreviousVersion(const QString &albumPath, const QString &versionsDir, QString *error,
                         const QDateTime &now = QDateTime::currentDateTime());

// The versions of the album kept in versionsDir, full paths, oldest first.
QStringList albumVersions(const QString &albumPath, const QString &versionsDir);

} // namespace sorvane
