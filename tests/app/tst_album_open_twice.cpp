// Two real editors on one album: the second is asked before it opens the
// album the first holds, read-only refuses Save onto the file, and the lock
// of an editor killed without warning is taken over by the next one without
// a question.
#include "file_bytes.h"
#include "io/album_file.h"
#include "io/album_lock.h"
#include "x_session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <signal.h>

using namespace sorvane;
using namespace sorvane::testing;

using sorvane::testing::fileBytes;

namespace {

std::optional<LockOwner> lockOwner(const QString &album)
{
    return parseLockFile(fileBytes(lockFilePath(album)));
}

} // namespace

class TestAlbumOpenTwice : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    XSession x;

    // The mapped windows of one process.
    QStringList windowsOf(const QProcess &process) const
    {
        return x.output("xdotool", {"search", "--onlyvisible", "--pid", QString::number(process.processId())})
            .split(u'\n', Qt::SkipEmptyParts);
    }

    bool waitForWindows(const QProcess &process, qsizetype count, int timeoutMs = 10000) const
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (windowsOf(process).size() == count)
                return true;
            QTest::qWait(100);
        }
        qWarning("windows now: %lld", qlonglong(windowsOf(process).size()));
        return false;
    }

    // Whether the process shows a dialog (the question or a message box).
    bool showsDialog(const QProcess &process) const
    {
        for (const QString &window : windowsOf(process)) {
            if (x.output("xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"}).contains("_NET_WM_WINDOW_TYPE_DIALOG"))
                return true;
        }
        return false;
    }

    // The titles of the process's windows (each "_NET_WM_NAME(UTF8_STRING) =
    // \"...\"" line), sorted.
    QStringList titlesOf(const QProcess &process) const
    {
        QStringList titles;
        for (const QString &window : windowsOf(process))
            titles << x.output("xprop", {"-id", window, "_NET_WM_NAME"}).section(u'=', 1).trimmed();
        titles.sort();
        return titles;
    }

    bool start(QProcess &editor, const QString &album)
    {
        editor.setProcessEnvironment(x.environment);
        editor.start(SORVANE_BINARY, {album});
        return editor.waitForStarted();
    }

private slots:
    void initTestCase()
    {
        SORVANE_REQUIRE_X_TOOLS();
        QVERIFY(x.start(home.path()));
    }

    void secondEditorIsAskedAndAKilledOnesLockIsTakenOver()
    {
        const QString album = home.filePath("shared.svd");
        AlbumTable table;
        table.clear();
        for (int i = 1; i <= 3; ++i)
            table.appendEntry(QStringLiteral(" %1").arg(i), QStringLiteral("t%1").arg(i), {}, {});
        QVERIFY(!writeAlbumFile(album, CoverData{}, table).isError());
        const QByteArray albumBytes = fileBytes(album);

        QProcess first;
        QVERIFY(start(first, album));
        QVERIFY(waitForWindows(first, 1));
        QTRY_VERIFY(lockOwner(album).has_value());
        QCOMPARE(lockOwner(album)->pid, first.processId());
        const QByteArray firstLock = fileBytes(lockFilePath(album));

        // The second is asked before its main window shows; Escape cancels,
        // and it starts with a fresh album of its own.
        QProcess second;
        QVERIFY(start(second, album));
        QVERIFY(waitForWindows(second, 1));
        QVERIFY(showsDialog(second));
        QTest::qWait(500);
        x.key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!showsDialog(second) && windowsOf(second).size() == 1, 10000);
        QCOMPARE(fileBytes(lockFilePath(album)), firstLock);
        XSession::stop(second);

        // A third answers 読み取り専用で開く (the default button): the album
        // opens, and Save onto it is refused with a message.
        QProcess third;
        QVERIFY(start(third, album));
        QVERIFY(waitForWindows(third, 1));
        QVERIFY(showsDialog(third));
        QTest::qWait(500);
        x.key("Return");
        QTRY_VERIFY_WITH_TIMEOUT(!showsDialog(third) && windowsOf(third).size() == 1, 10000);
        QTest::qWait(500);
        x.type("edit");
        x.key("ctrl+s"); // the save dialog proposes the album's own file
        QVERIFY(waitForWindows(third, 2));
        QTest::qWait(500);
        x.key("Return");
        QTest::qWait(500);
        if (windowsOf(third).size() == 3) // the file dialog asks before replacing a file
            x.key("alt+y");
        // The main window and the message box, both captioned with the
        // program's name (the file dialog is gone).
        QTRY_COMPARE_WITH_TIMEOUT(titlesOf(third), QStringList({"\"Sorvane\"", "\"Sorvane\""}), 10000);
        QVERIFY(showsDialog(third));
        QCOMPARE(fileBytes(album), albumBytes);
        QCOMPARE(fileBytes(lockFilePath(album)), firstLock);
        x.key("Return");
        QVERIFY(waitForWindows(third, 1));
        XSession::stop(third);
        // Its unsaved edit may have left a recovery copy (it was ended, not
        // closed); the fourth is to see only the lock.
        QDir(home.filePath("state/sorvane/recovery")).removeRecursively();

        // Killed, the first leaves its lock behind; the next editor on this
        // machine sees that the process is gone and takes it over silently.
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(fileBytes(lockFilePath(album)), firstLock);
        QProcess fourth;
        QVERIFY(start(fourth, album));
        QVERIFY(waitForWindows(fourth, 1));
        QTest::qWait(1000);
        QCOMPARE(windowsOf(fourth).size(), 1);
        QVERIFY(!showsDialog(fourth));
        QTRY_COMPARE(lockOwner(album).value_or(LockOwner{}).pid, fourth.processId());
        // Nothing was changed in the first: it left no recovery copy.
        QVERIFY(QDir(home.filePath("state/sorvane/recovery")).entryList(QDir::Files).isEmpty());
        XSession::stop(fourth);
    }
};

QTEST_GUILESS_MAIN(TestAlbumOpenTwice)
#include "tst_album_open_twice.moc"
