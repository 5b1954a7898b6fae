#pragma once

#include <QByteArray>
#include <QString>

// Replacing the contents of a file the way a user expects of "Save": the
// file keeps what it was (permission bits, group, owner where the saver may,
// a symbolic link stays a link to the file it names) and a failed save
// leaves the previous contents as they were.
//
// The new contents go to a temporary file beside the target, named
// ".NAME.sorvane-XXXXXX" (hidden, and recognisable as this program's own),
// which takes the old file's mode and group before it is renamed over the
// file. QSaveFile is not used: it gives the new file the saver's owner and
// group, and where the folder has no unnamed temporary files (vfat, exFAT,
// SMB) a killed save leaves "NAME.XXXXXX" files that cannot be told from a
// user's "NAME.backup".
namespace sorvane {

// Whether the file may be rewritten in place when the folder takes no
// temporary file or refuses the rename (some network shares). Rewriting in
// place keeps the file's inode and all its attributes, but a failure part-way
// leaves it damaged, so it is only for a caller that has kept a copy of the
// previous contents first.
enum class InPlaceWrite { Refused, Allowed };

struct SafeWriteResult {
    bool ok = false;
    bool damaged = false; // the in-place rewrite failed after it had begun
    QString error;        // why, when !ok
};

// Writes `bytes` as the new contents of `path`. An existing `path` must be a
// regular file (through any symbolic links); a device, named pipe, socket or
// folder is refused untouched.
SafeWriteResult replaceFileContents(const QString &path, const QByteArray &bytes, InPlaceWrite inPlace);

// The file a path names once its symbolic links are followed (it need not
// exist); empty, with the reason, for a loop of links.
QString resolveLinks(const QString &path, QString *error = nullptr);

// Removes the temporary files a killed or crashed save of `path` left beside
// it: only names of the ".NAME.sorvane-XXXXXX" form, regular files, older than
// kStaleSaveFileSeconds (a save in progress, here or on another machine of a
// shared folder, keeps writing its file) and not locked by a running save.
// Returns how many were removed.
inline constexpr int kStaleSaveFileSeconds = 120;
int removeStaleSaveFiles(const QString &path);

// The name of a temporary file of a save of `fileName`, without the random
// part: ".NAME.sorvane-".
QString saveFilePrefix(const QString &fileName);

} // namespace sorvane
