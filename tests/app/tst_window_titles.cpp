// The real editor in a real X server under a window manager: the titles the
// window system gets are exactly the program's captions (nothing appended,
// an empty one stays empty), and the shortcuts reach the windows they open.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A helper program's standard output; null when it cannot run or fails.
QString output(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}

} // namespace

class TestWindowTitles : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    QProcess xserver;
    QProcess windowManager;
    QProcess editor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    // The titles of the editor's mapped windows, as the window system has
    // them (_NET_WM_NAME), in no particular order.
    QStringList titles()
    {
        QStringList names;
        const QStringList windows =
            output("xdotool", {"search", "--onlyvisible", "--class", "sorvane"}, environment).split(u'\n');
        for (const QString &window : windows) {
            if (window.trimmed().isEmpty())
                continue;
            // "_NET_WM_NAME(UTF8_STRING) = "Sorvane"", or nothing after "=" for an empty name.
            const QString prop = output("xprop", {"-id", window.trimmed(), "_NET_WM_NAME"}, environment);
            const qsizetype equals = prop.indexOf(u'=');
            if (equals >= 0) {
                const QString value = prop.mid(equals + 1).trimmed();
                names << (value.startsWith(u'"') ? value.mid(1, value.size() - 2) : value);
            }
        }
        return names;
    }

    bool waitForTitles(const QStringList &expected)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            QStringList now = titles();
            now.sort();
            QStringList want = expected;
            want.sort();
            if (now == want)
                return true;
            QTest::qWait(100);
        }
        qWarning("titles now: %s", qPrintable(titles().join(" | ")));
        return false;
    }

    void key(const char *keys)
    {
        QProcess::execute("env", {"DISPLAY=" + environment.value("DISPLAY"), "xdotool", "key", keys});
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                if (qEnvironmentVariableIsSet("CI"))
                    QFAIL(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
            }
        }
        // The server picks a free display and names it.
        xserver.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QVERIFY(xserver.waitForStarted() && xserver.waitForReadyRead(10000));
        const QString display = QString::fromLatin1(xserver.readLine()).trimmed();
        QVERIFY(!display.isEmpty());
        environment.insert("DISPLAY", ":" + display);
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", home.path());
        windowManager.setProcessEnvironment(environment);
        windowManager.start("openbox", {});
        QVERIFY(windowManager.waitForStarted());
        QTest::qWait(500);
        editor.setProcessEnvironment(environment);
        editor.start(SORVANE_BINARY, {});
        QVERIFY(editor.waitForStarted());
    }

    void cleanupTestCase()
    {
        stop(editor);
        stop(windowManager);
        stop(xserver);
    }

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
