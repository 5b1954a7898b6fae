// The real editor killed without warning after an edit (as a crash or a
// power cut ends it): started again, it offers the work, and what was typed
// more than a few seconds before the kill is saved from the recovered album.
#include "io/album_file.h"
#include "x_session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using namespace sorvane;
using namespace sorvane::testing;

class TestRecoveryAfterKill : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    XSession x;

    QString path(const QString &name) const { return home.filePath(name); }

    QStringList recoveryFiles() const { return QDir(path("state/sorvane/recovery")).entryList(QDir::Files); }

    // Waits until `count` recovery files exist.
    bool waitForRecoveryFiles(int count, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (recoveryFiles().size() == count)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        SORVANE_REQUIRE_X_TOOLS();
        QVERIFY(x.start(home.path()));
    }

    void typedWorkSurvivesSigkill()
    {
        const QString album = path("site.svd");
        AlbumTable table;
        table.clear();
        for (int i = 1; i <= 3; ++i)
            table.appendEntry(QStringLiteral(" %1").arg(i), QStringLiteral("t%1").arg(i), {}, {});
        QVERIFY(!writeAlbumFile(album, CoverData{}, table).isError());
        const QByteArray original = [&] {
            QFile f(album);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        QProcess first;
        first.setProcessEnvironment(x.environment);
        first.start(SORVANE_BINARY, {album});
        QVERIFY(first.waitForStarted());
        QVERIFY(x.waitForTitles({"Sorvane"}));
        QTest::qWait(500);
        // The focus is in the first title box.
        x.type("Kept");
        // No copy is written before the first change...
        // ...and one is there within a few seconds after it.
        QVERIFY(waitForRecoveryFiles(2, 5000));
        QTest::qWait(3000); // more than 5 s after typing, all in all
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);
        QCOMPARE(recoveryFiles().size(), 2);

        // Started again, the editor asks before anything else; Enter is 復元する.
        QProcess second;
        second.setProcessEnvironment(x.environment);
        second.start(SORVANE_BINARY, {album});
        QVERIFY(second.waitForStarted());
        QVERIFY(x.waitForTitles({"Sorvane"})); // the question, before the main window
        QTest::qWait(500);
        QVERIFY(x.output("xdotool", {"search", "--onlyvisible", "--class", "sorvane"}).trimmed().count(u'\n') == 0);
        x.key("Return");
        QVERIFY(x.waitForTitles({"Sorvane"}));
        QTest::qWait(500);
        // Saved under a new name through the save dialog.
        const QString saved = path("recovered.svd");
        x.key("ctrl+s");
        QElapsedTimer clock;
        clock.start();
        while (x.titles().size() < 2 && clock.elapsed() < 10000)
            QTest::qWait(100);
        QCOMPARE(x.titles().size(), 2);
        QTest::qWait(500);
        x.key("ctrl+a");
        x.type(saved);
        x.key("Return");
        QVERIFY(x.waitForTitles({"Sorvane"}));
        clock.restart();
        while (!QFile::exists(saved) && clock.elapsed() < 5000)
            QTest::qWait(100);

        // Exactly the album with the typed title.
        const AlbumReadResult read = readAlbumFile(saved);
        QVERIFY2(!read.error.isError(), qPrintable(read.error.message()));
        const QString title = read.album.table.text(1, AlbumTable::Title);
        QVERIFY2(title == QStringLiteral("t1Kept") || title == QStringLiteral("Keptt1"), qPrintable(title));
        table.setText(1, AlbumTable::Title, title);
        table.setPageCount(1);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), serializeAlbum(CoverData{}, table));
        // The album file itself was not touched; the copy went with the save.
        QFile untouched(album);
        QVERIFY(untouched.open(QIODevice::ReadOnly));
        QCOMPARE(untouched.readAll(), original);
        QVERIFY(waitForRecoveryFiles(0, 5000));

        XSession::stop(second);
    }
};

QTEST_GUILESS_MAIN(TestRecoveryAfterKill)
#include "tst_recovery_after_kill.moc"
