// The lock beside an album: taking it, seeing another process's lock and its
// owner, taking over the lock of a process that is gone, leaving another
// host's lock alone, folders that take no lock, and a release that removes
// only a lock of our own. Other processes here are forked children of the
// test: they run the same program file, so they count as a live Sorvane.
#include "file_bytes.h"
#include "io/album_lock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;

using sorvane::testing::fileBytes;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

LockOwner ownerOf(const QString &albumPath)
{
    return parseLockFile(fileBytes(lockFilePath(albumPath))).value_or(LockOwner{});
}

LockOwner someone(const QString &host, qint64 pid)
{
    return LockOwner{QStringLiteral("tanaka"), host, pid, QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC)};
}

// Runs `body` in a forked child and gives its exit code (the child leaves
// with _exit: nothing of the test's own state is torn down twice).
int inChild(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// The pid of a process that has ended and been reaped.
qint64 deadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace

class TestAlbumLock : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString album;

private slots:
    void init() { album = dir.filePath(QStringLiteral("現場 写真帳.svd")); }
    void cleanup() { QFile::remove(lockFilePath(album)); }

    void lockFileIsHiddenBesideTheAlbum()
    {
        QCOMPARE(lockFilePath(album), dir.filePath(QStringLiteral(".現場 写真帳.svd.sorvane-lock")));
        // Two spellings of one album share one lock.
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        QCOMPARE(lockFilePath(dir.filePath(QStringLiteral("sub/../現場 写真帳.svd"))), lockFilePath(album));
    }

    // The text other versions and other machines read: the exact lines, and
    // every cut-off beginning of it is no lock (a reader that catches the
    // writer mid-way must not take "pid=47" of "pid=4711" for a pid).
    void formatIsReadBackAndIncompleteTextIsNoLock()
    {
        const QByteArray text = "sorvane-lock 1\nuser=tanaka\nhost=office-pc\npid=4711\nsince=2026-12-01T09:30:00Z\n";
        QCOMPARE(lockFileText(someone(QStringLiteral("office-pc"), 4711)), text);
        QCOMPARE(parseLockFile(text), someone(QStringLiteral("office-pc"), 4711));
        // Later versions may add lines; CR LF from a Windows editor is fine.
        QByteArray later = text;
        later.insert(text.indexOf("pid="), "album=x.svd\n");
        QCOMPARE(parseLockFile(later), someone(QStringLiteral("office-pc"), 4711));
        QCOMPARE(parseLockFile(QByteArray(text).replace("\n", "\r\n")), someone(QStringLiteral("office-pc"), 4711));
        for (qsizetype n = 0; n < text.size(); ++n)
            QVERIFY2(!parseLockFile(text.left(n)), text.left(n).constData());
        QVERIFY(!parseLockFile(QByteArray(text).replace("sorvane-lock 1", "other-lock 1")));
        QVERIFY(!parseLockFile(QByteArray(text).replace("pid=4711", "pid=x")));
        // A line break in a name cannot end its line early.
        LockOwner odd = someone(QStringLiteral("office\npc"), 1);
        QCOMPARE(parseLockFile(lockFileText(odd))->host, QStringLiteral("office pc"));
    }

    void takeNamesThisProcessAndReleaseRemovesIt()
    {
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        QVERIFY(lock.isHeld() && lock.holds(album));
        QVERIFY(!lock.holds(dir.filePath(QStringLiteral("other.svd"))));
        const LockOwner owner = ownerOf(album);
        QCOMPARE(owner.pid, qint64(::getpid()));
        QCOMPARE(owner.host, QSysInfo::machineHostName());
        QCOMPARE(owner.user, thisProcess().user);
        QVERIFY(!owner.user.isEmpty());
        QVERIFY(qAbs(owner.since.secsTo(QDateTime::currentDateTimeUtc())) < 3600);

        // Opening the album again in this process is no question.
        AlbumLock again;
        QCOMPARE(again.take(album), AlbumLock::Result::Taken);
        QCOMPARE(ownerOf(album).pid, qint64(::getpid()));

        lock.release();
        QVERIFY(!lock.isHeld());
        QVERIFY(!QFile::exists(lockFilePath(album)));
        // Moving a lock hands it over; the one moved from releases nothing.
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        {
            AlbumLock moved = std::move(lock);
            QVERIFY(!lock.isHeld());
            lock.release();
            QVERIFY(QFile::exists(lockFilePath(album)));
        }
        QVERIFY(!QFile::exists(lockFilePath(album))); // destroying it released it
    }

    void secondTakerSeesTheOwner()
    {
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        const QByteArray before = fileBytes(lockFilePath(album));
        const int code = inChild([&] {
            AlbumLock second;
            if (second.take(album) != AlbumLock::Result::HeldByOther)
                return 1;
            if (second.isHeld())
                return 2;
            const LockOwner &o = second.owner();
            if (o.pid != ::getppid() || o.host != QSysInfo::machineHostName() || o.user != thisProcess().user)
                return 3;
            return 0;
        });
        QCOMPARE(code, 0);
        QCOMPARE(fileBytes(lockFilePath(album)), before);
    }

    // A child takes the lock and ends without releasing it (as a crash
    // would): while it lives the lock is its own, once it has ended (even
    // before anyone has reaped it) the lock is taken over.
    void lockOfAnEndedProcessIsTakenOver()
    {
        int ready[2];
        int quit[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(quit) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(quit[1]); // else its own copy keeps the pipe open
            AlbumLock lock;
            const char taken = lock.take(album) == AlbumLock::Result::Taken ? 'y' : 'n';
            (void)::write(ready[1], &taken, 1);
            char c;
            (void)::read(quit[0], &c, 1);
            ::_exit(0); // no destructors: the lock file stays behind
        }
        char taken = 0;
        QCOMPARE(::read(ready[0], &taken, 1), ssize_t(1));
        QCOMPARE(taken, 'y');

        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::HeldByOther);
        QCOMPARE(lock.owner().pid, qint64(child));

        ::close(quit[1]);
        siginfo_t info{};
        QCOMPARE(::waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT), 0); // ended, not reaped
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        QCOMPARE(ownerOf(album).pid, qint64(::getpid()));
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        ::close(quit[0]);
    }

    void staleLocksOfThisHost_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("process gone") << "dead";
        QTest::newRow("pid now another program") << "sleep";
        QTest::newRow("garbled file") << "garbled";
    }
    void staleLocksOfThisHost()
    {
        QFETCH(QString, kind);
        QProcess sleeper;
        if (kind == "dead") {
            writeBytes(lockFilePath(album), lockFileText(someone(QSysInfo::machineHostName(), deadPid())));
        } else if (kind == "sleep") {
            sleeper.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(sleeper.waitForStarted());
            writeBytes(lockFilePath(album), lockFileText(someone(QSysInfo::machineHostName(), sleeper.processId())));
        } else {
            writeBytes(lockFilePath(album), "\x01\x02 not a lock");
        }
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        QCOMPARE(ownerOf(album).pid, qint64(::getpid()));
        // Nothing is left over from moving the stale lock aside.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".stale")),
                 QStringList());
        if (sleeper.state() != QProcess::NotRunning) {
            sleeper.kill();
            sleeper.waitForFinished();
        }
    }

    // Another machine's processes cannot be seen from here: even a pid that
    // is free on this machine leaves its lock standing.
    void lockOfAnotherHostStands()
    {
        const QByteArray text = lockFileText(someone(QStringLiteral("office-pc-2"), deadPid()));
        writeBytes(lockFilePath(album), text);
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::HeldByOther);
        QCOMPARE(lock.owner().user, QStringLiteral("tanaka"));
        QCOMPARE(lock.owner().host, QStringLiteral("office-pc-2"));
        QVERIFY(!lock.isHeld());
        lock.release();
        QCOMPARE(fileBytes(lockFilePath(album)), text);
    }

    // Our lock replaced by someone else's (cleared away by hand, say):
    // releasing ours leaves theirs.
    void releaseRemovesOnlyOurOwnLock()
    {
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Result::Taken);
        const QByteArray theirs = lockFileText(someone(QStringLiteral("office-pc-2"), 77));
        writeBytes(lockFilePath(album), theirs);
        lock.release();
        QCOMPARE(fileBytes(lockFilePath(album)), theirs);
    }

    // Folders where no lock file can be made open without one. Running as
    // root, permission bits stop nothing, so the no-permission case runs in a
    // child that gives up root for "nobody" first (as a user would be
    // without write access to a delivery folder). /proc takes no new files
    // even from root, as read-only media would refuse them; a real read-only
    // mount needs privileges the test does not ask for.
    void folderWithoutLocksOpensWithoutOne()
    {
        AlbumLock lock;
        QCOMPARE(lock.take(QStringLiteral("/proc/写真帳.svd")), AlbumLock::Result::Unavailable);
        QVERIFY(!lock.isHeld());

        const QString closed = dir.filePath(QStringLiteral("closed"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("closed")));
        QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther |
                                                  QFile::ReadGroup | QFile::ExeGroup));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther));
        const int code = inChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return 10;
            AlbumLock inClosed;
            if (inClosed.take(closed + QStringLiteral("/写真帳.svd")) != AlbumLock::Result::Unavailable)
                return 1;
            return inClosed.isHeld() ? 2 : 0;
        });
        QCOMPARE(code, 0);
        QVERIFY(!QFile::exists(lockFilePath(closed + QStringLiteral("/写真帳.svd"))));
    }
};

QTEST_GUILESS_MAIN(TestAlbumLock)
#include "tst_album_lock.moc"
