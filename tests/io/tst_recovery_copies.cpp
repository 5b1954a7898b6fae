// Recovery copies on disk: what a copy holds, and which copies count as left
// behind by a program that no longer runs.
#include "io/album_file.h"
#include "io/recovery_copies.h"
#include "io/running_program.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;

namespace {

// A process id that no process has: a child that has ended and been reaped.
qint64 deadPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// A copy as another run would have left it.
void leaveCopy(const QString &folder, const QString &id, const QString &host, qint64 pid, const QString &changed,
               const QString &album = {})
{
    QDir().mkpath(folder);
    AlbumTable table;
    table.setText(1, AlbumTable::Title, id);
    QFile svd(QDir(folder).filePath(id + ".svd"));
    QVERIFY(svd.open(QIODevice::WriteOnly));
    svd.write(serializeAlbum(CoverData{}, table));
    QFile json(QDir(folder).filePath(id + ".json"));
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(
        QJsonDocument(QJsonObject{{"album", album}, {"changed", changed}, {"host", host}, {"pid", pid}}).toJson());
}

QStringList ids(const QList<RecoveryCopy> &copies)
{
    QStringList result;
    for (const RecoveryCopy &copy : copies)
        result.append(QFileInfo(copy.albumFile).completeBaseName());
    return result;
}

} // namespace

class TestRecoveryCopies : public QObject {
    Q_OBJECT
private slots:
    void copyHoldsTheAlbumAndWhereItBelongs()
    {
        QTemporaryDir state;
        const QString folder = recoveryDirectory(state.path());
        QCOMPARE(folder, state.filePath("recovery"));
        AlbumTable table;
        table.setText(1, AlbumTable::Title, QStringLiteral("配筋 ✓")); // no code page 932 for the tick
        table.setText(2, AlbumTable::Comment, QStringLiteral("一行目\r\n二行目"));
        CoverData cover;
        cover.constructionName = QStringLiteral("橋梁補修工事");
        const QDateTime changed(QDate(2026, 12, 7), QTime(21, 30, 15, 250), Qt::UTC);
        RecoveryCopyWriter writer(folder);
        QVERIFY(!writer.exists());
        QVERIFY(writer.write(cover, table, QStringLiteral("/srv/共有/現場.svd"), changed));
        QVERIFY(writer.exists());
        // Only the owner may read the user's work.
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

        // The copy names this process: at start-up, before anything was
        // written, that is an earlier run that had the same process id.
        const QList<RecoveryCopy> copies = leftBehindCopies(folder);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies[0].albumFile, writer.albumFile());
        QCOMPARE(copies[0].originalPath, QStringLiteral("/srv/共有/現場.svd"));
        QCOMPARE(copies[0].changedAt, changed);
        QCOMPARE(copies[0].host, thisHostName());
        QCOMPARE(copies[0].pid, qint64(getpid()));
        AlbumContents album;
        QVERIFY(readRecoveryCopy(copies[0], &album));
        QCOMPARE(album.table.text(1, AlbumTable::Title), QStringLiteral("配筋 ✓"));
        QCOMPARE(album.table.text(2, AlbumTable::Comment), table.text(2, AlbumTable::Comment));
        QCOMPARE(album.cover.constructionName, cover.constructionName);

        // Written again: still one copy, now of the newer album.
        table.setText(3, AlbumTable::Title, QStringLiteral("later"));
        QVERIFY(writer.write(cover, table, {}, changed.addSecs(5)));
        QCOMPARE(leftBehindCopies(folder).size(), 1);
        QCOMPARE(leftBehindCopies(folder)[0].originalPath, QString());
        writer.remove();
        QVERIFY(!writer.exists());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());

        // A folder that cannot be made: a failure with a reason, nothing else.
        QFile blocker(state.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        RecoveryCopyWriter blocked(state.filePath("file/recovery"));
        QString error;
        QVERIFY(!blocked.write(cover, table, {}, changed, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!blocked.exists());
    }

    // Copies of programs still running on this machine are theirs; those of
    // ended runs, of process ids now used by other programs, and of other
    // machines are offered, oldest first. Broken or half copies stay as
    // they are, unoffered.
    void leftBehindAreThoseWhoseProgramEnded()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("recovery");
        const QString host = thisHostName();
        // A running program whose file is named like ours.
        const QString fakeSorvane = dir.filePath("sorvane-standin");
        QVERIFY(QFile::copy("/bin/sleep", fakeSorvane));
        QProcess running;
        running.start(fakeSorvane, {"30"});
        QVERIFY(running.waitForStarted());
        QProcess other; // running, but not ours
        other.start("/bin/sleep", {"30"});
        QVERIFY(other.waitForStarted());

        leaveCopy(folder, "sorvane-running", host, running.processId(), "2026-12-07T10:00:00.000Z");
        leaveCopy(folder, "sorvane-ended", host, deadPid(), "2026-12-07T12:00:00.000Z", "/a/ended.svd");
        leaveCopy(folder, "sorvane-reused", host, other.processId(), "2026-12-07T11:00:00.000Z");
        leaveCopy(folder, "sorvane-elsewhere", host + "-other", running.processId(), "2026-12-06T08:00:00.000Z");
        leaveCopy(folder, "sorvane-no-time", host, deadPid(), "yesterday");
        leaveCopy(folder, "sorvane-half", host, deadPid(), "2026-12-07T09:00:00.000Z");
        QVERIFY(QFile::remove(QDir(folder).filePath("sorvane-half.svd")));
        QFile garbage(QDir(folder).filePath("sorvane-garbage.json"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("{not json");
        garbage.close();

        const QList<RecoveryCopy> copies = leftBehindCopies(folder);
        QCOMPARE(ids(copies), QStringList({"sorvane-elsewhere", "sorvane-reused", "sorvane-ended"}));
        QCOMPARE(copies[2].originalPath, QStringLiteral("/a/ended.svd"));

        discardRecoveryCopy(copies[2]);
        QVERIFY(!QFile::exists(QDir(folder).filePath("sorvane-ended.svd")));
        QVERIFY(!QFile::exists(QDir(folder).filePath("sorvane-ended.json")));
        QVERIFY(QFile::exists(QDir(folder).filePath("sorvane-garbage.json")));
        QVERIFY(QFile::exists(QDir(folder).filePath("sorvane-half.json")));

        running.kill();
        other.kill();
        running.waitForFinished();
        other.waitForFinished();
        // Once the program has ended, its copy is left behind too.
        QVERIFY(ids(leftBehindCopies(folder)).contains("sorvane-running"));
    }

    void runningProgramCheck()
    {
        QVERIFY(!isSorvaneRunning(0));
        QVERIFY(!isSorvaneRunning(-1));
        QVERIFY(!isSorvaneRunning(deadPid()));
        QVERIFY(isSorvaneRunning(getpid())); // the program's own file, whatever its name
        QVERIFY(!isSorvaneRunning(qint64(1) << 40));
    }
};

QTEST_GUILESS_MAIN(TestRecoveryCopies)
#include "tst_recovery_copies.moc"
