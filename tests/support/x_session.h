#pragma once

// A private X server with a window manager, for tests that drive the real
// editor the way a user does: keys through xdotool, window titles read back
// with xprop.
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// In a test slot: skips the test when the X tools are missing, and fails it
// under CI, where they must be installed.
#define SORVANE_REQUIRE_X_TOOLS()                                                                                      \
    do {                                                                                                               \
        QString missing_;                                                                                              \
        if (!sorvane::testing::XSession::toolsPresent(&missing_)) {                                                    \
            if (qEnvironmentVariableIsSet("CI"))                                                                       \
                QFAIL(qPrintable(missing_));                                                                           \
            QSKIP(qPrintable(missing_));                                                                               \
        }                                                                                                              \
    } while (false)

namespace sorvane::testing {

class XSession {
public:
    // Skips the test (fails it under CI) when the tools are missing.
    static bool toolsPresent(QString *missing)
    {
        for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                *missing = QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool));
                return false;
            }
        }
        return true;
    }

    // Starts the server and the window manager; the editor's environment
    // gets a home of its own under `home`.
    bool start(const QString &home)
    {
        // The server picks a free display and names it.
        xserver_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        if (!xserver_.waitForStarted() || !xserver_.waitForReadyRead(10000))
            return false;
        const QString display = QString::fromLatin1(xserver_.readLine()).trimmed();
        if (display.isEmpty())
            return false;
        environment.insert("DISPLAY", ":" + display);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("HOME", home);
        environment.insert("XDG_CONFIG_HOME", home + "/config");
        environment.insert("XDG_STATE_HOME", home + "/state");
        environment.insert("XDG_RUNTIME_DIR", home);
        windowManager_.setProcessEnvironment(environment);
        windowManager_.start("openbox", {});
        if (!windowManager_.waitForStarted())
            return false;
        QTest::qWait(500);
        return true;
    }

    ~XSession()
    {
        stop(windowManager_);
        stop(xserver_);
    }

    static void stop(QProcess &process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(1000);
    }

    // A helper program's standard output; null when it cannot run or fails.
    QString output(const QString &program, const QStringList &arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {};
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The titles of the editor's mapped windows, as the window system has
    // them (_NET_WM_NAME), in no particular order.
    QStringList titles() const
    {
        QStringList names;
        const QStringList windows = output("xdotool", {"search", "--onlyvisible", "--class", "sorvane"}).split(u'\n');
        for (const QString &window : windows) {
            if (window.trimmed().isEmpty())
                continue;
            // "_NET_WM_NAME(UTF8_STRING) = "Sorvane"", or nothing after "=" for an empty name.
            const QString prop = output("xprop", {"-id", window.trimmed(), "_NET_WM_NAME"});
            const qsizetype equals = prop.indexOf(u'=');
            if (equals >= 0) {
                const QString value = prop.mid(equals + 1).trimmed();
                names << (value.startsWith(u'"') ? value.mid(1, value.size() - 2) : value);
            }
        }
        return names;
    }

    // Waits until the editor's windows have exactly these titles.
    bool waitForTitles(QStringList expected, int timeoutMs = 10000) const
    {
        expected.sort();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            QStringList now = titles();
            now.sort();
            if (now == expected)
                return true;
            QTest::qWait(100);
        }
        qWarning("titles now: %s", qPrintable(titles().join(" | ")));
        return false;
    }

    void key(const QString &keys) const { output("xdotool", {"key", "--delay", "50", keys}); }
    void type(const QString &text) const { output("xdotool", {"type", "--delay", "50", text}); }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

private:
    QProcess xserver_;
    QProcess windowManager_;
};

} // namespace sorvane::testing
