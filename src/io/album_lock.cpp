#include "io/album_lock.h"

#include "io/running_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace sorvane {

namespace {

const QByteArray kFirstLine = QByteArrayLiteral("sorvane-lock 1");
// A lock file is a few lines; anything much longer is not one.
constexpr qint64 kMaxLockBytes = 4096;
// A lock file that does not read as a whole lock may be one its writer has
// only just created; it gets this many looks, this far apart, before it
// counts as the remains of an interrupted write.
constexpr int kIncompleteLooks = 5;
constexpr unsigned long kIncompleteWaitMs = 200;

QString loginName()
{
    if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

// One line of the file: a line break in a value would end it early.
QByteArray oneLine(const QString &value)
{
    QByteArray bytes = value.toUtf8();
    bytes.replace('\n', ' ').replace('\r', ' ');
    return bytes;
}

std::optional<QByteArray> readLock(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(kMaxLockBytes);
}

// Makes the file only if it does not exist yet (O_EXCL is atomic on local
// file systems and on NFS from version 3, and SMB mounts map it to an
// exclusive create), writes the text and flushes it to the server before
// anyone is told the lock is taken. 0, or the errno of what failed; a file
// that could not be written completely is removed again.
int createExclusive(const QString &path, const QByteArray &text)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return errno;
    qsizetype done = 0;
    int error = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += n;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        ::unlink(name.constData());
    return error;
}

} // namespace

LockOwner thisProcess()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return LockOwner{loginName(), thisHostName(), qint64(::getpid()), now.addMSecs(-now.time().msec())};
}

QString lockFilePath(const QString &albumPath)
{
    const QFileInfo album(albumPath);
    // The folder as the file system names it, so that two paths to one album
    // (a symbolic link, "..") share one lock.
    const QString folder = QFileInfo(album.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? album.absolutePath() : folder) + QStringLiteral("/.") + album.fileName() +
           QStringLiteral(".sorvane-lock");
}

QByteArray lockFileText(const LockOwner &owner)
{
    return kFirstLine + "\nuser=" + oneLine(owner.user) + "\nhost=" + oneLine(owner.host) +
           "\npid=" + QByteArray::number(owner.pid) + "\nsince=" + owner.since.toUTC().toString(Qt::ISODate).toUtf8() +
           "\n";
}

std::optional<LockOwner> parseLockFile(const QByteArray &text)
{
    // Every line ends with a line break, the time comes last: a file cut off
    // anywhere (its writer still writing) lacks something and is no lock yet.
    if (!text.endsWith('\n'))
        return std::nullopt;
    QList<QByteArray> lines = text.split('\n');
    if (lines.value(0).trimmed() != kFirstLine)
        return std::nullopt;
    LockOwner owner;
    bool hasUser = false;
    for (const QByteArray &line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "user") {
            owner.user = QString::fromUtf8(value);
            hasUser = true;
        } else if (key == "host") {
            owner.host = QString::fromUtf8(value);
        } else if (key == "pid") {
            owner.pid = value.toLongLong();
        } else if (key == "since") {
            owner.since = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate).toUTC();
        }
    }
    if (!hasUser || owner.host.isEmpty() || owner.pid <= 0 || !owner.since.isValid())
        return std::nullopt;
    return owner;
}

bool isStale(const LockOwner &owner)
{
    // Another machine's processes cannot be seen from here: its lock stands.
    return owner.host == thisHostName() && !isSorvaneRunning(owner.pid);
}

AlbumLock::~AlbumLock()
{
    release();
}

AlbumLock::AlbumLock(AlbumLock &&other) noexcept
    : lockPath_(std::exchange(other.lockPath_, {})), owner_(std::move(other.owner_))
{
}

AlbumLock &AlbumLock::operator=(AlbumLock &&other) noexcept
{
    if (this != &other) {
        release();
        lockPath_ = std::exchange(other.lockPath_, {});
        owner_ = std::move(other.owner_);
    }
    return *this;
}

bool AlbumLock::holds(const QString &albumPath) const
{
    return isHeld() && lockFilePath(albumPath) == lockPath_;
}

AlbumLock::Result AlbumLock::take(const QString &albumPath)
{
    release();
    owner_ = {};
    const QString path = lockFilePath(albumPath);
    const LockOwner me = thisProcess();
    const QByteArray name = QFile::encodeName(path);
    int incompleteLooks = 0;
    // Each round either takes the lock, finds its holder, or clears away a
    // stale lock for the next round; a few rounds settle any race with
    // other openers.
    for (int round = 0; round < kIncompleteLooks + 4; ++round) {
        const int error = createExclusive(path, lockFileText(me));
        if (error == 0) {
            lockPath_ = path;
            return Result::Taken;
        }
        if (error != EEXIST)
            return Result::Unavailable;
        const std::optional<QByteArray> text = readLock(path);
        if (!text)
            continue; // released meanwhile
        const std::optional<LockOwner> holder = parseLockFile(*text);
        if (holder && holder->host == me.host && holder->pid == me.pid) {
            // This process holds it already (the album opened again): the
            // one file serves both, and whichever releases first removes it.
            lockPath_ = path;
            return Result::Taken;
        }
        if (holder && !isStale(*holder)) {
            owner_ = *holder;
            return Result::HeldByOther;
        }
        if (!holder && ++incompleteLooks < kIncompleteLooks) {
            QThread::msleep(kIncompleteWaitMs);
            continue;
        }
        // A stale lock (or the remains of an interrupted write) goes. It is
        // first moved aside under a name of our own, so that of two openers
        // clearing it at once only one succeeds; should the file moved aside
        // turn out to be a fresh lock made meanwhile, it is put back.
        const QByteArray aside =
            name + ".stale-" + oneLine(me.host).toPercentEncoding() + "-" + QByteArray::number(me.pid);
        if (::rename(name.constData(), aside.constData()) != 0) {
            if (errno == ENOENT)
                continue;
            return Result::Unavailable;
        }
        if (readLock(QFile::decodeName(aside)) != text)
            (void)::link(aside.constData(), name.constData());
        ::unlink(aside.constData());
    }
    return Result::Unavailable;
}

void AlbumLock::release()
{
    if (!isHeld())
        return;
    const QString path = std::exchange(lockPath_, {});
    // Someone may have cleared our lock away (taken it for stale by mistake,
    // or by hand) and made their own: theirs stays.
    const std::optional<QByteArray> text = readLock(path);
    const std::optional<LockOwner> holder = text ? parseLockFile(*text) : std::nullopt;
    const LockOwner me = thisProcess();
    if (holder && holder->host == me.host && holder->pid == me.pid)
        QFile::remove(path);
}

} // namespace sorvane
