// The Qt side of the desktop services: file dialog filters, the clipboard's
// line ends, dropped file lists, and the printers: the user's default printer
// as libcups keeps it in lpoptions.
#include "platform/filter_text.h"
#include "platform/qt_services.h"

#include "print/print_surface.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cups/cups.h>
#include <functional>
#include <thread>

using namespace sorvane;

class TestQtServices : public QObject {
    Q_OBJECT

private slots:
    void filtersForTheFileDialog()
    {
        QCOMPARE(nameFiltersFromFilterText(QStringLiteral("すべてのファイル (*.*)|*.*|SORVANE ファイル (*.svd)|*.svd")),
                 QStringList({"すべてのファイル (*.*)", "SORVANE ファイル (*.svd)"}));
        QCOMPARE(nameFiltersFromFilterText(QStringLiteral("Pictures|*.jpg;*.png|")),
                 QStringList({"Pictures (*.jpg *.png)"}));
        QCOMPARE(nameFiltersFromFilterText(QString()), QStringList());
    }

    // Questions: the buttons as given, the default one, and what Escape
    // answers; a Yes/No question can default to No.
    void questionsWithTheirOwnButtons()
    {
        QtServices services;
        // What the box shows, and then the key pressed in it.
        QStringList shown;
        QString defaultButton;
        const auto answerWith = [&](int key) {
            QTimer::singleShot(0, [&, key] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                shown.clear();
                for (QAbstractButton *button : box->buttons())
                    shown.append(button->text());
                defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
                QTest::keyClick(box, Qt::Key(key));
            });
        };
        ChoiceRequest request{QStringLiteral("前回保存されなかった写真帳があります。"),
                              {QStringLiteral("復元する"), QStringLiteral("破棄する"), QStringLiteral("後で")}};
        answerWith(Qt::Key_Return);
        QCOMPARE(services.askChoice(request), 0);
        QCOMPARE(shown, request.choices);
        QCOMPARE(defaultButton, QStringLiteral("復元する"));
        answerWith(Qt::Key_Escape);
        QCOMPARE(services.askChoice(request), 2);
        request.defaultChoice = 1;
        request.escapeChoice = 1;
        answerWith(Qt::Key_Escape);
        QCOMPARE(services.askChoice(request), 1);

        MessageRequest question{QStringLiteral("保存されていない変更があります。破棄して続けますか？"),
                                MessageButtons::YesNo};
        answerWith(Qt::Key_Return);
        QCOMPARE(services.showMessage(question), MessageResult::Yes);
        question.defaultNo = true;
        answerWith(Qt::Key_Return);
        QCOMPARE(services.showMessage(question), MessageResult::No);
    }

    void stateDirectoryFollowsXdg()
    {
        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_STATE_HOME", saved); });
        QtServices services;
        qputenv("XDG_STATE_HOME", "/srv/state");
        QCOMPARE(services.stateDirectory(), QStringLiteral("/srv/state/sorvane"));
        // A relative value is to be ignored.
        for (const char *ignored : {"relative/state", ""}) {
            qputenv("XDG_STATE_HOME", ignored);
            QCOMPARE(services.stateDirectory(), QDir::homePath() + QStringLiteral("/.local/state/sorvane"));
        }
    }

    void clipboardLineEnds()
    {
        QtServices services;
        services.setClipboardText(QStringLiteral("題名\r\n一行目\r\n二行目"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("題名\n一行目\n二行目"));
        QVERIFY(services.clipboardHasText());
        QCOMPARE(services.clipboardText(), QStringLiteral("題名\r\n一行目\r\n二行目"));
        services.clearClipboard();
        QVERIFY(!services.clipboardHasText());
    }

    void printersAsThePlatformListsThem()
    {
        QtServices services;
        QCOMPARE(services.printerNames(), QPrinterInfo::availablePrinterNames());
        QCOMPARE(services.defaultPrinterName(), QPrinterInfo::defaultPrinterName());
        QVERIFY(!services.beginPrintJob(QStringLiteral("sorvane test: no such printer"), QStringLiteral("doc")));
        QVERIFY(!services.beginPrintJob(QString(), QStringLiteral("doc")));
        // Properties of a printer that does not exist open nothing (a dialog
        // here would block the test).
        services.showPrinterProperties(QStringLiteral("sorvane test: no such printer"));
        QVERIFY(!services.pageLayoutFor(QStringLiteral("sorvane test: no such printer")).isValid());

        const QStringList names = services.printerNames();
        if (names.isEmpty())
            QSKIP("no printer is installed, so no print job can be started");
        std::unique_ptr<PrintSurface> job = services.beginPrintJob(names.constFirst(), QStringLiteral("doc"));
        QVERIFY(job);
    }

    void defaultPrinterGoesToTheUsersLpoptions()
    {
        // libcups reads HOME and CUPS_SERVERROOT once per thread, at its
        // first call there: every step with them changed runs on a thread of
        // its own. The server root is a copy, so a run as root (which writes
        // the server root's lpoptions, not the home's) writes nothing of the
        // system's either.
        QTemporaryDir home;
        QTemporaryDir serverRoot;
        QVERIFY(home.isValid() && serverRoot.isValid());
        if (QFile::exists(QStringLiteral("/etc/cups/client.conf")))
            QVERIFY(QFile::copy(QStringLiteral("/etc/cups/client.conf"), serverRoot.filePath("client.conf")));
        const QByteArray oldHome = qgetenv("HOME");
        const bool hadServerRoot = qEnvironmentVariableIsSet("CUPS_SERVERROOT");
        const QByteArray oldServerRoot = qgetenv("CUPS_SERVERROOT");
        const QByteArray oldLpdest = qgetenv("LPDEST");
        const QByteArray oldPrinter = qgetenv("PRINTER");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (hadServerRoot)
                qputenv("CUPS_SERVERROOT", oldServerRoot);
            else
                qunsetenv("CUPS_SERVERROOT");
            if (!oldLpdest.isNull())
                qputenv("LPDEST", oldLpdest);
            if (!oldPrinter.isNull())
                qputenv("PRINTER", oldPrinter);
        });
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("CUPS_SERVERROOT", QFile::encodeName(serverRoot.path()));
        // These would name the user's default ahead of lpoptions.
        qunsetenv("LPDEST");
        qunsetenv("PRINTER");
        const auto onFreshThread = [](const std::function<void()> &work) { std::thread(work).join(); };

        QtServices services;
        onFreshThread([&] { services.setDefaultPrinter(QStringLiteral("sorvane-test-no-such-printer")); });
        onFreshThread([&] { services.setDefaultPrinter(QString()); });
        QVERIFY(!QFile::exists(home.filePath(".cups/lpoptions")));
        QVERIFY(!QFile::exists(serverRoot.filePath("lpoptions")));

        // A destination to make the default, other than the present default
        // where there is a choice.
        int count = 0;
        QByteArray target;
        onFreshThread([&] {
            cups_dest_t *dests = nullptr;
            count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
            for (int i = 0; i < count; ++i) {
                if (!dests[i].instance && (target.isEmpty() || !dests[i].is_default))
                    target = dests[i].name;
            }
            cupsFreeDests(count, dests);
        });
        if (count < 1 || target.isEmpty())
            QSKIP("no CUPS scheduler with a print queue is reachable, so no printer can become the default");

        onFreshThread([&] { services.setDefaultPrinter(QString::fromUtf8(target)); });
        // The user's file (libcups 2.4 writes it for root too; older ones
        // wrote root's into the server root).
        const QString written = QFile::exists(home.filePath(".cups/lpoptions")) ? home.filePath(".cups/lpoptions")
                                                                                : serverRoot.filePath("lpoptions");
        QFile options(written);
        QVERIFY2(options.open(QIODevice::ReadOnly), qPrintable(written));
        QVERIFY(options.readAll().split('\n').contains("Default " + target));
        QByteArray seenDefault;
        onFreshThread([&] {
            cups_dest_t *dests = nullptr;
            const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
            if (const cups_dest_t *dest = cupsGetDest(nullptr, nullptr, n, dests))
                seenDefault = dest->name;
            cupsFreeDests(n, dests);
        });
        QCOMPARE(seenDefault, target);
    }
};

QTEST_MAIN(TestQtServices)
#include "tst_qt_services.moc"
