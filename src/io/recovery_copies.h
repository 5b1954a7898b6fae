#pragma once

#include "model/album_contents.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace sorvane {

// Recovery copies: while an album has unsaved changes, the editor keeps a
// copy of it in the user's state folder, so that a crash, a power cut or a
// laptop that never wakes loses at most the last seconds of work. A copy is
// two files in the recovery folder, written atomically: <id>.svd, the album
// in its own file format, and <id>.json, saying which album it is (the file
// it came from, "" for one never saved), when it last changed, and which
// program wrote it (host and process id). Each run of the editor has an id
// of its own, so a copy left by an earlier run is never overwritten.

// <stateDir>/recovery
QString recoveryDirectory(const QString &stateDir);

struct RecoveryCopy {
    QString albumFile;     // the copy's album file
    QString originalPath;  // the album's own file; "" for an album never saved
    QString originalState; // fileState() of that file when last read or saved
    QDateTime changedAt;   // the last change, UTC
    QString host;
    qint64 pid = 0;
};

// The copy this run keeps: written anew when asked, removed when the album
// is saved, replaced or closed.
class RecoveryCopyWriter {
public:
    explicit RecoveryCopyWriter(QString folder);
    // Writes the copy; false with the reason when it cannot (the album in
    // memory is not affected).
    bool write(const CoverData &cover, const AlbumTable &table, const QString &originalPath, const QDateTime &changedAt,
               QString *error = nullptr);
    // fileState() of the album's own file as last read or saved, written
    // with the next copy: a restored album can then tell whether someone
    // changed the file meanwhile.
    void setOriginalState(const QString &state) { originalState_ = state; }
    // Removes the copy, when there is one.
    void remove();
    bool exists() const { return written_; }
    QString albumFile() const;

private:
    QString folder_;
    QString id_;
    QString originalState_;
    bool written_ = false;
};

// The copies of programs that no longer run (a copy of a Sorvane still
// running on this machine is its own business; one from another machine,
// whose home folder is shared, cannot be checked and is counted as left
// behind), oldest change first. Files that do not pair up or cannot be read
// are left alone.
QList<RecoveryCopy> leftBehindCopies(const QString &folder);

// The album of a copy; false with the reason when it cannot be read.
bool readRecoveryCopy(const RecoveryCopy &copy, AlbumContents *album, QString *error = nullptr);

// Removes a copy's files.
void discardRecoveryCopy(const RecoveryCopy &copy);

} // namespace sorvane
