#include "io/safe_write.h"

#include "io/output_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {

namespace {

constexpr int kMaxLinks = 40; // as the kernel's own limit (ELOOP)
constexpr char kRandomAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kRandomChars = 6;
constexpr int kNameAttempts = 100;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes now; a late write error (NFS, SMB) shows here. Returns the errno or 0.
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Writes all of `bytes` at `offset` (or at the current position for -1);
// returns 0 or the errno.
int writeAll(int fd, const QByteArray &bytes, off_t offset = -1)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            offset < 0 ? ::write(fd, bytes.constData() + done, size_t(bytes.size() - done))
                       : ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

int syncFile(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Makes the rename itself durable; some file systems cannot sync a folder,
// which is no reason to call the save failed.
void syncFolder(const QString &folder)
{
    const Descriptor fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.isOpen())
        ::fsync(fd.get());
}

bool isRandomPart(QStringView text)
{
    if (text.size() != kRandomChars)
        return false;
    for (const QChar c : text)
        if (c.unicode() > 0x7F || !std::strchr(kRandomAlphabet, char(c.unicode())))
            return false;
    return true;
}

struct TempFile {
    int fd = -1;
    QByteArray path;
};

// A new temporary file beside `target`, open for writing and locked (a
// running save holds the lock, so removeStaleSaveFiles leaves it alone).
// It is created with mode 0666 under the umask and the folder's default
// ACL, as any new file there would be.
TempFile createTempFile(const QString &target, int *error)
{
    const QFileInfo info(target);
    const QString prefix = info.dir().filePath(saveFilePrefix(info.fileName()));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < kRandomChars; ++i)
            name += QLatin1Char(kRandomAlphabet[QRandomGenerator::global()->bounded(int(sizeof kRandomAlphabet - 1))]);
        TempFile temp{-1, QFile::encodeName(name)};
        temp.fd = ::open(temp.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (temp.fd >= 0) {
            ::flock(temp.fd, LOCK_EX | LOCK_NB);
            return temp;
        }
        if (errno != EEXIST) {
            *error = errno;
            return {};
        }
    }
    *error = EEXIST;
    return {};
}

// Gives the new file the owner and group of the one it replaces: both for
// root, the group for a saver who belongs to it (anyone may hand a file of
// theirs to a group of their own; only root may give it to another owner).
// Returns false when the group could not be kept.
bool keepOwnership(int fd, const struct stat &old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid)
        return true;
    if (::fchown(fd, old.st_uid, old.st_gid) == 0)
        return true;
    return now.st_gid == old.st_gid || ::fchown(fd, uid_t(-1), old.st_gid) == 0;
}

// Rewrites the file itself: the same inode, so owner, group, mode, ACLs and
// hard links all stay. Used only where no temporary file can take its place.
// When the file grows, the room is reserved first, so that a full disk or a
// file size limit stops the write before anything is changed.
SafeWriteResult writeInPlace(const QByteArray &native, bool exists, const QByteArray &bytes)
{
    SafeWriteResult result;
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;
    if (!exists)
        flags |= O_CREAT | O_EXCL;
    Descriptor fd(::open(native.constData(), flags, 0666));
    struct stat st {};
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0) {
        result.error = systemError(errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = QStringLiteral("it is not a regular file");
        return result;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (bytes.size() > st.st_size) {
        const int error = ::posix_fallocate(fd.get(), 0, off_t(bytes.size()));
        if (error == ENOSPC || error == EFBIG || error == EDQUOT) {
            if (::ftruncate(fd.get(), st.st_size) != 0)
                result.damaged = true;
            result.error = systemError(error);
            return result;
        }
        // Other answers (no fallocate on this file system) are no reason to stop.
    }
    int error = writeAll(fd.get(), bytes, 0);
    if (error == 0 && ::ftruncate(fd.get(), off_t(bytes.size())) != 0)
        error = errno;
    if (error == 0)
        error = syncFile(fd.get());
    if (error == 0)
        error = fd.close();
    if (error != 0) {
        result.damaged = true;
        result.error = systemError(error);
        return result;
    }
    result.ok = true;
    return result;
}

SafeWriteResult fallBackToInPlace(const QByteArray &native, bool exists, const QByteArray &bytes, InPlaceWrite inPlace,
                                  const QString &whyNotTemp)
{
    SafeWriteResult result;
    if (inPlace == InPlaceWrite::Refused) {
        result.error = whyNotTemp + QStringLiteral(" (writing the file itself was not tried)");
        return result;
    }
    result = writeInPlace(native, exists, bytes);
    if (!result.ok)
        result.error = whyNotTemp + QStringLiteral(", and writing the file itself failed too: ") + result.error;
    return result;
}

} // namespace

QString saveFilePrefix(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".sorvane-");
}

QString resolveLinks(const QString &path, QString *error)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return QDir::cleanPath(current);
        current = info.symLinkTarget();
    }
    if (error)
        *error = systemError(ELOOP);
    return {};
}

SafeWriteResult replaceFileContents(const QString &path, const QByteArray &bytes, InPlaceWrite inPlace)
{
    SafeWriteResult result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("no file name given");
        return result;
    }
    const QString target = resolveLinks(path, &result.error);
    if (target.isEmpty())
        return result;
    const QByteArray native = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::lstat(native.constData(), &old) == 0;
    if (!exists && errno != ENOENT) {
        result.error = systemError(errno);
        return result;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        result.error = outputRefusalText(refuseOutputPath(target));
        return result;
    }
    removeStaleSaveFiles(target);

    int error = 0;
    const TempFile temp = createTempFile(target, &error);
    if (temp.fd < 0)
        return fallBackToInPlace(
            native, exists, bytes, inPlace,
            QStringLiteral("no temporary file can be made in the folder (%1)").arg(systemError(error)));
    Descriptor fd(temp.fd);
    error = writeAll(fd.get(), bytes);
    bool groupKept = true;
    if (error == 0 && exists) {
        groupKept = keepOwnership(fd.get(), old);
        // After the owner: a change of owner clears the set-user-ID bit.
        // A file system without permission bits (vfat) refuses; nothing is lost.
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    if (error == 0)
        error = syncFile(fd.get());
    if (error == 0)
        error = fd.close();
    if (error != 0) {
        ::unlink(temp.path.constData());
        result.error = systemError(error);
        return result;
    }
    if (!groupKept && inPlace == InPlaceWrite::Allowed) {
        // Replacing the file would hand it to the saver's own group, and the
        // colleagues who share its group could no longer open it.
        ::unlink(temp.path.constData());
        return fallBackToInPlace(native, exists, bytes, inPlace,
                                 QStringLiteral("the file's group cannot be given to a new file"));
    }
    if (::rename(temp.path.constData(), native.constData()) != 0) {
        error = errno;
        ::unlink(temp.path.constData());
        return fallBackToInPlace(native, exists, bytes, inPlace,
                                 QStringLiteral("the folder refuses to replace the file (%1)").arg(systemError(error)));
    }
    syncFolder(QFileInfo(target).path());
    result.ok = true;
    return result;
}

int removeStaleSaveFiles(const QString &path)
{
    const QString target = resolveLinks(path);
    if (target.isEmpty())
        return 0;
    const QFileInfo info(target);
    const QString prefix = saveFilePrefix(info.fileName());
    const QDir folder = info.dir();
    const time_t now = std::time(nullptr);
    int removed = 0;
    // No name filter: a file name may hold the wildcard characters itself.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!name.startsWith(prefix) || !isRandomPart(QStringView(name).sliced(prefix.size())))
            continue;
        const QByteArray native = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        // A save in progress keeps writing; one on another machine of a
        // shared folder has no lock we can see, so its age must tell.
        if (now - st.st_mtime < kStaleSaveFileSeconds)
            continue;
        const Descriptor fd(::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (!fd.isOpen() || ::fstat(fd.get(), &opened) != 0 || opened.st_ino != st.st_ino || opened.st_dev != st.st_dev)
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // a running save holds it
        if (::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace sorvane
