// The options dialog: what it shows and stores, its closing step, the number
// check box, the tab keys, and its texts and layout.
#include "print/print_session.h"
#include "text/font_faces.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/main/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace sorvane;

namespace {

PrintSession sessionWith(const QString &top, const QString &left, int numberState)
{
    PrintSession session;
    session.loadIni(PrintIni{top, left, numberState});
    return session;
}

// A dialog over a session of its own, shown.
struct Shown {
    explicit Shown(PrintSession initial = {}) : session(std::move(initial)), dialog(session, nullptr)
    {
        dialog.show();
        exposed = QTest::qWaitForWindowExposed(&dialog);
    }
    PrintSession session;
    OptionsDialog dialog;
    bool exposed = false;
};

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    // The dialog's face stands in for the Windows one, as in the program.
    void initTestCase() { registerFontSubstitutions(); }

    void loadShowsTheOptionsCentred()
    {
        // The texts as the session holds them (print.ini's, unconverted).
        for (const PrintSession &initial :
             {sessionWith("12", "-3", 1), sessionWith("7mm", "32767", 0), sessionWith("", "", 2)}) {
            PrintSession session = initial;
            OptionsDialog d(session, nullptr);
            QCOMPARE(d.topMarginBox()->text(), initial.topMarginText());
            QCOMPARE(d.leftMarginBox()->text(), initial.leftMarginText());
            QCOMPARE(d.numberPrintState(), initial.numberPrintState());
            QCOMPARE(session.printsNumbers(), initial.printsNumbers());
            const QRect screen = d.screen()->geometry();
            QVERIFY(qAbs(d.x() - (screen.x() + (screen.width() - d.width()) / 2)) <= 1);
            QVERIFY(qAbs(d.y() - (screen.y() + (screen.height() - d.height()) / 2)) <= 1);
        }
    }

    // However it closes, the dialog converts the margin texts into the
    // options and reports closed() once.
    void everyWayOfClosingStoresTheMarginsOnce_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("topStored");
        QTest::addColumn<int>("leftStored");
        const auto row = [](const char *how, const char *top, const char *left, int topStored, int leftStored) {
            QTest::newRow(how) << QString::fromUtf8(top) << QString::fromUtf8(left) << topStored << leftStored;
        };
        row("OK button", "7.5", "-2.5", 8, -2);
        row("close box", "6.5", "12abc", 6, 12);
        row("escape", "", " 15 ", 0, 15);
        row("escape in text box", "100000", "21mm", 32767, 21);
        row("owner closes it hidden", "7.5", "21mm", 8, 21);
        row("exec + OK", "-2.5", "7.5", -2, 8);
    }
    void everyWayOfClosingStoresTheMarginsOnce()
    {
        const QString how = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(int, topStored);
        QFETCH(int, leftStored);
        PrintSession session = sessionWith("1", "2", 2);
        OptionsDialog dialog(session, nullptr);
        QSignalSpy closed(&dialog, &OptionsDialog::closed);
        dialog.topMarginBox()->setText(top);
        dialog.leftMarginBox()->setText(left);
        if (how == "exec + OK") {
            QTimer::singleShot(0, dialog.okButton(), &QPushButton::click);
            QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        } else if (how == "owner closes it hidden") {
            QVERIFY(dialog.close());
        } else {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (how == "OK button")
                QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            else if (how == "close box")
                QVERIFY(dialog.close());
            else
                QTest::keyClick(how == "escape" ? static_cast<QWidget *>(&dialog) : dialog.leftMarginBox(),
                                Qt::Key_Escape);
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(session.settingsForJob().topMargin, topStored);
        QCOMPARE(session.settingsForJob().leftMargin, leftStored);
        // The next showing shows the whole millimetres, and a grey box clear.
        QCOMPARE(session.topMarginText(), QString::number(topStored));
        QCOMPARE(session.leftMarginText(), QString::number(leftStored));
        QCOMPARE(session.numberPrintState(), 0);

        // Closed already, further closing requests report nothing more.
        dialog.close();
        dialog.reject();
        QCOMPARE(closed.count(), 1);
        // Shown and closed again, it reports the new closing too.
        dialog.topMarginBox()->setText("3");
        dialog.show();
        dialog.close();
        QCOMPARE(closed.count(), 2);
        QCOMPARE(session.settingsForJob().topMargin, 3);
    }

    // Enter, the number box and the list button act at once; the dialog
    // stays open, and a job started now takes the margin texts as they stand.
    void controlsActWithoutClosing()
    {
        Shown s(sessionWith("5", "5", 1));
        QVERIFY(s.exposed);
        OptionsDialog &d = s.dialog;
        QSignalSpy closed(&d, &OptionsDialog::closed);
        QSignalSpy requested(&d, &OptionsDialog::listWindowRequested);
        d.topMarginBox()->setText("9");
        QTest::keyClick(d.topMarginBox(), Qt::Key_Return);
        QVERIFY(d.isVisible());

        // Grey comes only from a program step and prints no numbers.
        d.setNumberPrintState(2);
        QCOMPARE(d.numberPrintState(), 2);
        QVERIFY(!s.session.printsNumbers());
        d.setNumberPrintState(1);
        QVERIFY(s.session.printsNumbers());
        // Any other state clears the box; the flag follows even when the box
        // already shows the state.
        d.setNumberPrintState(0);
        s.session.setNumberPrintState(1);
        d.setNumberPrintState(7);
        QCOMPARE(d.numberPrintState(), 0);
        QVERIFY(!s.session.printsNumbers());
        // From grey, clicks go to ticked and then only toggle.
        d.setNumberPrintState(2);
        for (const Qt::CheckState expected : {Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Unchecked}) {
            QTest::mouseClick(d.numberCheck(), Qt::LeftButton);
            QCOMPARE(d.numberCheck()->checkState(), expected);
            QCOMPARE(s.session.printsNumbers(), expected == Qt::Checked);
        }
        QTest::keyClick(d.numberCheck(), Qt::Key_Space);
        QVERIFY(s.session.printsNumbers());

        QCOMPARE(requested.count(), 0);
        d.tabs()->setCurrentIndex(1);
        QTest::mouseClick(d.listButton(), Qt::LeftButton);
        QCOMPARE(requested.count(), 1);
        QVERIFY(d.isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(s.session.topMarginText(), QStringLiteral("9"));
        QCOMPARE(s.session.settingsForJob().topMargin, 9);
    }

    // Ctrl+Tab selects the next tab, the first after the last, wherever the
    // focus is; other tab keys change nothing.
    void ctrlTabAloneSelectsTheNextTab()
    {
        Shown s;
        QVERIFY(s.exposed);
        OptionsDialog &d = s.dialog;
        const auto shows = [&d](int index) {
            return d.tabs()->currentIndex() == index && d.page(index)->isVisible() && d.page(index)->isEnabled() &&
                   !d.page(1 - index)->isVisible() && !d.page(1 - index)->isEnabled();
        };
        QVERIFY(d.page(0)->isAncestorOf(d.numberCheck()) && d.page(0)->isAncestorOf(d.topMarginBox()) &&
                d.page(0)->isAncestorOf(d.leftMarginBox()) && d.page(1)->isAncestorOf(d.listButton()));
        d.topMarginBox()->setText("5");
        const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> otherKeys = {
            {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
            {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier},
            {Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier},
            {Qt::Key_PageDown, Qt::ControlModifier},
        };
        const QList<QWidget *> receivers = {d.topMarginBox(), d.listButton(), d.numberCheck(), d.okButton(), &d, &d};
        for (int i = 0; i < receivers.size(); ++i) {
            QVERIFY(shows(i % 2));
            for (const auto &[key, modifiers] : otherKeys) {
                for (QWidget *receiver : {receivers[i], static_cast<QWidget *>(d.tabs())}) {
                    QTest::keyClick(receiver, key, modifiers);
                    QVERIFY(shows(i % 2));
                }
            }
            QTest::keyClick(receivers[i], Qt::Key_Tab, Qt::ControlModifier);
            QVERIFY(shows((i + 1) % 2));
        }
        QCOMPARE(d.topMarginBox()->text(), QStringLiteral("5"));
    }

    void windowAndLayout()
    {
        PrintSession session;
        OptionsDialog d(session, nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
        QCOMPARE(d.tabs()->tabText(0), QStringLiteral("印刷設定"));
        QCOMPARE(d.tabs()->tabText(1), QStringLiteral("動作設定"));
        QVERIFY(d.isModal());
        const Qt::WindowFlags flags = d.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(
            !(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
        QCOMPARE(d.minimumSize(), QSize(px(6150), px(4920)));
        QCOMPARE(d.maximumSize(), d.minimumSize());

        // Each margin box lies on its label, over the blanks between the
        // caption and the unit note.
        const std::tuple<const char *, QLineEdit *, QString> boxes[] = {
            {"Label3", d.topMarginBox(), QStringLiteral("上マージン")},
            {"Label4", d.leftMarginBox(), QStringLiteral("左マージン")},
        };
        for (const auto &[name, box, caption] : boxes) {
            const auto *label = d.findChild<QLabel *>(QLatin1String(name));
            const QString text = label->text();
            QVERIFY(text.startsWith(caption + QChar(0x3000)));
            QCOMPARE(box->parentWidget(), label->parentWidget());
            QCOMPARE(box->y(), label->y());
            const QFontMetrics metrics = label->fontMetrics();
            QVERIFY(label->x() + metrics.horizontalAdvance(caption) <= box->x());
            QVERIFY(box->geometry().right() < label->x() + metrics.horizontalAdvance(text.left(text.indexOf(u'※'))));
        }
        // Nothing is cut off by what it lies on; the pages lie in the tab
        // strip's frame below the tabs, and OK below the strip.
        for (const QWidget *widget : d.findChildren<QWidget *>())
            if (!widget->objectName().isEmpty() && widget->parentWidget() != d.tabs())
                QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()), qPrintable(widget->objectName()));
        for (int i : {0, 1}) {
            QVERIFY(d.tabs()->geometry().contains(d.page(i)->geometry()));
            QVERIFY(d.page(i)->y() >= d.tabs()->y() + d.tabs()->tabRect(1).bottom());
        }
        QVERIFY(d.okButton()->y() > d.tabs()->geometry().bottom());
    }

    void explanationsBreakLinesAtCr()
    {
        PrintSession session;
        OptionsDialog d(session, nullptr);
        // Label1 has five lines and Label2 seven (the last two blank); the
        // text as written breaks them with lone CRs, and the shown one fits.
        for (const auto &[name, breaks] : {std::pair{"Label1", 4}, std::pair{"Label2", 6}}) {
            const auto *label = d.findChild<QLabel *>(QLatin1String(name));
            const QString text = label->text();
            QCOMPARE(text.count(u'\n'), breaks);
            QVERIFY(!text.contains(u'\r'));
            QCOMPARE(label->property("rawText").toString(), QString(text).replace(u'\n', u'\r'));
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), name);
        }
        const auto *label1 = d.findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label1->heightForWidth(label1->width()) >= 5 * label1->fontMetrics().lineSpacing() - 2);
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
