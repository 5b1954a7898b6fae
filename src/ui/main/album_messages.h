#pragma once

#include "io/album_file.h"
#include "io/album_lock.h"

#include <QString>
#include <QStringList>

namespace sorvane {

// What the user is told when an album cannot be opened or saved: the file
// and the reason, in Japanese.
QString openFailureMessage(const QString &path, const AlbumFileError &error);
QString saveFailureMessage(const QString &path, const AlbumFileError &error);
// The album was saved, but its previous contents could not be kept as a
// version (reason: why, from keepPreviousVersion).
QString versionNotKeptMessage(const QString &path, const QString &reason);

// An album read with byte sequences that could not be decoded (count of
// them): they stay in the file unless their fields are edited.
QString undecodableTextMessage(qsizetype count);

// An album another Sorvane has open: who has it ("この写真帳はtanakaさん
// （office-pc）が開いています。"), the question's buttons in order, and what
// a save onto a file that is not ours to write says.
QString albumInUseText(const LockOwner &owner);
enum LockChoice { OpenReadOnly, OpenAnyway, CancelOpen };
QStringList albumInUseChoices();
QString readOnlySaveMessage();
QString saveOntoAlbumInUseMessage(const LockOwner &owner);

} // namespace sorvane
