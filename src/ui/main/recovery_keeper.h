#pragma once

#include "io/recovery_copies.h"
#include "model/album_document.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace sorvane {

// Keeps this run's recovery copy of the album in step with the document:
// written a little after a change while the album has unsaved changes
// (at most kDelayMs after the first change since the last copy, however long
// the typing goes on, and not at all while nothing changes), removed when
// the album is saved or replaced (New, Open) and when the window closes with
// the user's consent.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 2000;

    // An empty folder keeps no copy.
    RecoveryKeeper(AlbumDocument &document, const QString &folder, QObject *parent = nullptr);

    // Writes the copy now when the album has unsaved changes.
    void flush();
    // The album is closed and its changes given up: no copy stays.
    void discard();
    // See RecoveryCopyWriter::setOriginalState.
    void setOriginalState(const QString &state) { writer_.setOriginalState(state); }

    const RecoveryCopyWriter &writer() const { return writer_; }

private:
    void changed();
    void write();

    AlbumDocument &document_;
    RecoveryCopyWriter writer_;
    QTimer timer_;
    QDateTime lastChange_;
    bool enabled_;
};

} // namespace sorvane
