#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Who has an album open. Albums live in shared office folders, so an editor
// that opens one leaves a small lock file beside it,
// ".<album file name>.sorvane-lock", naming itself. Another editor, on this
// machine or on another one that shares the folder, reads it back and asks
// before it opens the same album.
//
// The lock file is plain UTF-8 text, one "key=value" a line after a first
// line naming the format:
//
//   sorvane-lock 1
//   user=tanaka
//   host=office-pc
//   pid=4711
//   since=2026-12-07T09:30:00Z
//
// Unknown keys are ignored, so later versions may add lines.

namespace sorvane {

struct LockOwner {
    QString user;
    QString host;
    qint64 pid = 0;
    QDateTime since; // UTC
    friend bool operator==(const LockOwner &, const LockOwner &) = default;
};

// This process as a lock names it: the login name, the host name, the
// process id and the current time.
LockOwner thisProcess();

// The lock file of an album: hidden, in the album's folder.
QString lockFilePath(const QString &albumPath);

QByteArray lockFileText(const LockOwner &owner);
// Nothing when the text is not a complete lock (a garbled file, or one that
// its writer has only just created).
std::optional<LockOwner> parseLockFile(const QByteArray &text);

// Whether a lock names a process that is gone: only a lock of this host can
// be judged, and it is stale when its process no longer runs or is now some
// other program than Sorvane.
bool isStale(const LockOwner &owner);

// The lock of the album in hand. take() makes the lock file atomically (it
// exists only if this process made it); release() removes it, but only while
// it still names this process. Destroying a held lock releases it; a crash
// leaves the file behind, and the next opener takes it over as stale.
class AlbumLock {
public:
    enum class Result {
        Taken,       // the lock is ours (new, taken over from a gone process, or already this process's)
        Unavailable, // no lock can be made there (read-only media, no permission): open without one
        HeldByOther, // a live Sorvane holds it: see owner()
    };

    AlbumLock() = default;
    ~AlbumLock();
    AlbumLock(AlbumLock &&other) noexcept;
    AlbumLock &operator=(AlbumLock &&other) noexcept;
    AlbumLock(const AlbumLock &) = delete;
    AlbumLock &operator=(const AlbumLock &) = delete;

    // Takes the lock of the album; a lock held before is released first.
    Result take(const QString &albumPath);
    // After HeldByOther: who holds the album.
    const LockOwner &owner() const { return owner_; }

    bool isHeld() const { return !lockPath_.isEmpty(); }
    // Whether this is the lock of that album.
    bool holds(const QString &albumPath) const;
    // The lock file while held, else "".
    const QString &lockPath() const { return lockPath_; }
    void release();

private:
    QString lockPath_;
    LockOwner owner_;
};

} // namespace sorvane
