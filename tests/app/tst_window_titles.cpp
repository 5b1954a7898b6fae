// The real editor in a real X server under a window manager: the titles the
// window system gets are exactly the program's captions (nothing appended,
// an empty one stays empty), and the shortcuts reach the windows they open.
#include "x_session.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace sorvane::testing;

class TestWindowTitles : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    XSession x;
    QProcess editor;

    bool waitForTitles(const QStringList &expected) { return x.waitForTitles(expected); }
    void key(const char *keys) { x.key(QString::fromLatin1(keys)); }

private slots:
    void initTestCase()
    {
        SORVANE_REQUIRE_X_TOOLS();
        QVERIFY(x.start(home.path()));
        editor.setProcessEnvironment(x.environment);
        editor.start(SORVANE_BINARY, {});
        QVERIFY(editor.waitForStarted());
    }

    void cleanupTestCase() { XSession::stop(editor); }

    void captionsAreExactlyTheProgramsOwn()
    {
        // A new album starts with the cover data; its OK shows the main window.
        QVERIFY(waitForTitles({"表紙データ"}));
        key("Return");
        QVERIFY(waitForTitles({"Sorvane"}));
        // The shortcuts work from where start-up left the focus.
        key("ctrl+e");
        QVERIFY(waitForTitles({"Sorvane", "ｵﾌﾟｼｮﾝ"}));
        key("Escape");
        QVERIFY(waitForTitles({"Sorvane"}));
        key("ctrl+p");
        QVERIFY(waitForTitles({"Sorvane", "印刷"}));
        key("Escape"); // closes the print dialog
        QVERIFY(waitForTitles({"Sorvane"}));
        // The zoom view of an empty slot has no caption at all.
        key("ctrl+r");
        QVERIFY(waitForTitles({"Sorvane", ""}));
    }
};

QTEST_GUILESS_MAIN(TestWindowTitles)
#include "tst_window_titles.moc"
