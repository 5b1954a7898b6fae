// Replacing a file's contents: what the file was (mode, group, owner, a
// link), folders that refuse temporary files or renames, the targets that
// are refused, and the temporary files killed saves leave behind.
//
// Root passes every permission check, so the cases of a colleague saving in
// a shared folder, or of a folder that takes no new file, run in a child
// process that has given up root for nobody (uid 65534); without root they
// are skipped.
#include "file_size_limit.h"
#include "io/safe_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr gid_t kUsers = 100;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        qWarning("cannot stat %s", qPrintable(path));
    return st;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes, mode_t mode, uid_t uid = 0, gid_t gid = 0)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    f.close();
    if (::chown(native(path).constData(), uid, gid) != 0 || ::chmod(native(path).constData(), mode) != 0)
        qFatal("cannot set up %s", qPrintable(path));
}

void makeFolder(const QString &path, mode_t mode, uid_t uid = 0, gid_t gid = 0)
{
    if (!QDir().mkpath(path) || ::chown(native(path).constData(), uid, gid) != 0 ||
        ::chmod(native(path).constData(), mode) != 0)
        qFatal("cannot set up %s", qPrintable(path));
}

// What a save in the child process did: its result, with "ok", "damaged" or
// "failed" before the reason.
QString describe(const SafeWriteResult &r)
{
    return (r.ok        ? QStringLiteral("ok")
            : r.damaged ? QStringLiteral("damaged")
                        : QStringLiteral("failed")) +
           QLatin1Char(' ') + r.error;
}

// Saves as nobody, a member of `groups` alone, in a child process, with
// files limited to fileLimit bytes when given; returns describe() of the
// result, or why the child could not run.
QString saveAsNobody(const QString &path, const QByteArray &bytes, InPlaceWrite inPlace, std::vector<gid_t> groups = {},
                     rlim_t fileLimit = 0)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setresgid(kNoGroup, kNoGroup, kNoGroup) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(2);
        QByteArray text;
        auto save = [&] { text = describe(replaceFileContents(path, bytes, inPlace)).toUtf8(); };
        if (fileLimit > 0)
            testing::withFileSizeLimit(fileLimit, save);
        else
            save();
        const bool sent = ::write(channel[1], text.constData(), size_t(text.size())) == text.size();
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray text;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child failed (status %1)").arg(status);
    return QString::fromUtf8(text);
}

// The names in a folder, hidden ones too.
QStringList namesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// Makes a file (or a link itself) look `seconds` older.
void age(const QString &path, int seconds)
{
    const struct stat st = statOf(path);
    const timespec times[2] = {{st.st_atime - seconds, 0}, {st.st_mtime - seconds, 0}};
    if (::utimensat(AT_FDCWD, native(path).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        qFatal("cannot age %s", qPrintable(path));
}

} // namespace

class TestSafeWrite : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    static void needRoot()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to give files to other users and to save as another");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // The children that save as nobody must reach the folders below.
        QCOMPARE(::chmod(native(dir.path()).constData(), 0755), 0);
    }

    void modeAndOwnershipStayWhateverTheUmask()
    {
        needRoot();
        makeFolder(path("mode"), 0755);
        const QString album = path("mode/a.svd");
        put(album, "old", 0640, 1234, 5678);
        const mode_t umaskBefore = ::umask(077);
        const SafeWriteResult r = replaceFileContents(album, "new", InPlaceWrite::Refused);
        ::umask(022);
        const SafeWriteResult fresh = replaceFileContents(path("mode/fresh.svd"), "x", InPlaceWrite::Refused);
        ::umask(umaskBefore);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(bytesOf(album), QByteArray("new"));
        const struct stat st = statOf(album);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(st.st_uid, uid_t(1234));
        QCOMPARE(st.st_gid, gid_t(5678));
        // A new file is made as any program makes one, under the umask.
        QVERIFY(fresh.ok);
        QCOMPARE(statOf(path("mode/fresh.svd")).st_mode & 07777, mode_t(0644));
        QCOMPARE(namesIn(path("mode")), (QStringList{"a.svd", "fresh.svd"}));
    }

    void hardLinkIsSplit()
    {
        // The documented price of replacing the file: the other name keeps the old contents.
        const QString album = path("linked.svd");
        const QString other = path("linked-too.svd");
        put(album, "old", 0644, ::geteuid(), ::getegid());
        QVERIFY(::link(native(album).constData(), native(other).constData()) == 0);
        QVERIFY(replaceFileContents(album, "new", InPlaceWrite::Refused).ok);
        QCOMPARE(bytesOf(album), QByteArray("new"));
        QCOMPARE(bytesOf(other), QByteArray("old"));
    }

    void symbolicLinkStaysALink()
    {
        QVERIFY(QDir().mkpath(path("links/real")));
        const QString target = path("links/real/site.svd");
        put(target, "old", 0640, ::geteuid(), ::getegid());
        const QString link = path("links/site.svd");
        QVERIFY(QFile::link("real/site.svd", link)); // relative, as users make them
        const QString chain = path("links/chain.svd");
        QVERIFY(QFile::link(link, chain));

        const SafeWriteResult r = replaceFileContents(chain, "new", InPlaceWrite::Refused);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(chain).isSymLink());
        QCOMPARE(bytesOf(target), QByteArray("new"));
        QCOMPARE(statOf(target).st_mode & 07777, mode_t(0640));
        QCOMPARE(namesIn(path("links/real")), QStringList{"site.svd"});

        // A link to a file not there yet makes the file.
        QVERIFY(QFile::link("real/later.svd", path("links/later.svd")));
        QVERIFY(replaceFileContents(path("links/later.svd"), "made", InPlaceWrite::Refused).ok);
        QCOMPARE(bytesOf(path("links/real/later.svd")), QByteArray("made"));
        QVERIFY(QFileInfo(path("links/later.svd")).isSymLink());

        QVERIFY(QFile::link("loop-b.svd", path("links/loop-a.svd")));
        QVERIFY(QFile::link("loop-a.svd", path("links/loop-b.svd")));
        const SafeWriteResult loop = replaceFileContents(path("links/loop-a.svd"), "x", InPlaceWrite::Allowed);
        QVERIFY(!loop.ok);
        QVERIFY(!loop.error.isEmpty());
    }

    void whatIsNoRegularFileIsRefusedUntouched()
    {
        const QString fifo = path("pipe.svd");
        QCOMPARE(::mkfifo(native(fifo).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(path("folder.svd")));
        QVERIFY(QFile::link(fifo, path("to-pipe.svd")));
        for (const auto &[target, reason] : {std::pair{fifo, "it is a named pipe"},
                                             {path("to-pipe.svd"), "it is a named pipe"},
                                             {path("folder.svd"), "it is a folder"},
                                             {QStringLiteral("/dev/null"), "it is a device"}}) {
            const SafeWriteResult r = replaceFileContents(target, "x", InPlaceWrite::Allowed);
            QVERIFY(!r.ok);
            QCOMPARE(r.error, QString::fromLatin1(reason));
        }
        QVERIFY(S_ISFIFO(statOf(fifo).st_mode));
        QVERIFY(S_ISDIR(statOf(path("folder.svd")).st_mode));
        QVERIFY(S_ISCHR(statOf("/dev/null").st_mode));
        QCOMPARE(replaceFileContents(QString(), "x", InPlaceWrite::Allowed).error,
                 QStringLiteral("no file name given"));
    }

    void colleagueInASharedFolderKeepsTheGroup()
    {
        needRoot();
        // root's album in a folder of the group "users"; nobody, a member, saves it.
        makeFolder(path("shared"), 0775, 0, kUsers);
        const QString album = path("shared/site.svd");
        put(album, "old", 0660, 0, kUsers);
        QCOMPARE(saveAsNobody(album, "new", InPlaceWrite::Refused, {kUsers}), QStringLiteral("ok "));
        QCOMPARE(bytesOf(album), QByteArray("new"));
        const struct stat st = statOf(album);
        QCOMPARE(st.st_gid, kUsers);
        QCOMPARE(st.st_mode & 07777, mode_t(0660));
        QCOMPARE(st.st_uid, kNobody); // only root may give a file to another owner
        QCOMPARE(namesIn(path("shared")), QStringList{"site.svd"});
    }

    void aGroupTheSaverIsNotInIsKeptByRewriting()
    {
        needRoot();
        // Anyone may replace the file, but nobody cannot hand a new file to its group.
        makeFolder(path("open"), 0777);
        const QString album = path("open/site.svd");
        put(album, "old", 0666, 0, 5678);
        const ino_t inode = statOf(album).st_ino;
        QCOMPARE(saveAsNobody(album, "new", InPlaceWrite::Allowed), QStringLiteral("ok "));
        QCOMPARE(bytesOf(album), QByteArray("new"));
        QCOMPARE(statOf(album).st_gid, gid_t(5678));
        QCOMPARE(statOf(album).st_ino, inode);
        // Without leave to rewrite it, the file is replaced all the same.
        QCOMPARE(saveAsNobody(album, "newer", InPlaceWrite::Refused), QStringLiteral("ok "));
        QCOMPARE(bytesOf(album), QByteArray("newer"));
        QCOMPARE(statOf(album).st_gid, kNoGroup);
        QCOMPARE(namesIn(path("open")), QStringList{"site.svd"});
    }

    void folderWithoutNewFilesGetsTheFileRewritten()
    {
        needRoot();
        // nobody may write the album but make nothing in its folder.
        makeFolder(path("closed"), 0755);
        const QString album = path("closed/site.svd");
        put(album, "old contents", 0666);
        const ino_t inode = statOf(album).st_ino;

        const QString refused = saveAsNobody(album, "new", InPlaceWrite::Refused);
        QVERIFY2(refused.startsWith("failed no temporary file can be made in the folder (Permission denied)"),
                 qPrintable(refused));
        QVERIFY(refused.endsWith("(writing the file itself was not tried)"));
        QCOMPARE(bytesOf(album), QByteArray("old contents"));

        // Growing past a file size limit: the room is asked for first, so
        // the file is left as it was and the message tells both attempts.
        const QByteArray large(8192, 'L');
        const QString full = saveAsNobody(album, large, InPlaceWrite::Allowed, {}, 4096);
        QVERIFY2(full.startsWith("failed no temporary file can be made"), qPrintable(full));
        QVERIFY(full.contains(", and writing the file itself failed too: File too large"));
        QCOMPARE(bytesOf(album), QByteArray("old contents"));

        QCOMPARE(saveAsNobody(album, "new", InPlaceWrite::Allowed), QStringLiteral("ok "));
        QCOMPARE(bytesOf(album), QByteArray("new")); // shorter: the old tail is cut off
        const struct stat st = statOf(album);
        QCOMPARE(st.st_ino, inode);
        QCOMPARE(st.st_uid, uid_t(0));
        QCOMPARE(st.st_mode & 07777, mode_t(0666));
    }

    void folderRefusingTheRenameGetsTheFileRewritten()
    {
        needRoot();
        // A sticky folder: nobody may make files but not replace root's.
        makeFolder(path("sticky"), 01777);
        const QString album = path("sticky/site.svd");
        put(album, "old", 0666);

        const QString refused = saveAsNobody(album, "new", InPlaceWrite::Refused);
        QVERIFY2(refused.startsWith("failed the folder refuses to replace the file (Operation not permitted)"),
                 qPrintable(refused));
        QCOMPARE(bytesOf(album), QByteArray("old"));
        QCOMPARE(namesIn(path("sticky")), QStringList{"site.svd"}); // its temporary file is gone

        QCOMPARE(saveAsNobody(album, "new", InPlaceWrite::Allowed), QStringLiteral("ok "));
        QCOMPARE(bytesOf(album), QByteArray("new"));
        QCOMPARE(statOf(album).st_uid, uid_t(0));
        QCOMPARE(namesIn(path("sticky")), QStringList{"site.svd"});
    }

    void staleTemporaryFilesOfOursAreRemoved()
    {
        QVERIFY(QDir().mkpath(path("stale")));
        const QString album = path("stale/site.svd");
        put(album, "album", 0644, ::geteuid(), ::getegid());
        const QString prefix = path("stale/") + saveFilePrefix("site.svd");
        QCOMPARE(saveFilePrefix("site.svd"), QStringLiteral(".site.svd.sorvane-"));
        const QString old1 = prefix + "a1B2c3";
        const QString old2 = prefix + "ZZZZZZ";
        const QString fresh = prefix + "fresh1";  // a save in progress elsewhere
        const QString locked = prefix + "Locked"; // a running save, however old
        const QString shortName = prefix + "abc"; // not a name we make
        const QString otherAlbum = path("stale/") + saveFilePrefix("other.svd") + "a1B2c3";
        const QString backup = album + ".backup";    // a user's own file
        const QString linkNamed = prefix + "Link00"; // a link, not a file we make
        for (const QString &file : {old1, old2, fresh, locked, shortName, otherAlbum, backup})
            put(file, "x", 0600, ::geteuid(), ::getegid());
        QVERIFY(QFile::link(album, linkNamed));
        for (const QString &file : {old1, old2, locked, shortName, otherAlbum, backup, linkNamed})
            age(file, kStaleSaveFileSeconds + 60);

        const int fd = ::open(native(locked).constData(), O_RDONLY);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
        QCOMPARE(removeStaleSaveFiles(path("stale/site.svd")), 2);
        ::close(fd);
        QStringList left;
        for (const QString &file : {locked, fresh, linkNamed, shortName, otherAlbum, album, backup})
            left.append(QFileInfo(file).fileName());
        left.sort();
        QCOMPARE(namesIn(path("stale")), left);
        QCOMPARE(bytesOf(album), QByteArray("album"));

        // A save removes them too, and leaves none of its own.
        QVERIFY(replaceFileContents(album, "saved", InPlaceWrite::Refused).ok);
        QVERIFY(!QFileInfo::exists(locked));
        QVERIFY(QFileInfo::exists(fresh));
    }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_safe_write.moc"
