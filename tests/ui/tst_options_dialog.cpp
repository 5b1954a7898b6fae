// The options dialog: its load and closing steps, the number check box, the
// tab keys and its fixed texts and layout.
#include "ui/dialogs/options_dialog.h"
#include "ui/main/fonts.h"
#include "ui/main/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace sorvane;

namespace {

// A dialog over its own options, shown.
struct Shown {
    explicit Shown(PrintOptions initial = {}) : options(initial), dialog(options, nullptr)
    {
        dialog.show();
        exposed = QTest::qWaitForWindowExposed(&dialog);
    }
    PrintOptions options;
    OptionsDialog dialog;
    bool exposed = false;
};

template <typename T = QWidget> T *child(const QWidget &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    // The dialog's face stands in for the Windows one, as in the program.
    void initTestCase() { registerFontSubstitutions(); }

    void loadShowsOptions()
    {
        PrintOptions on{12, -3, true};
        OptionsDialog first(on, nullptr);
        QCOMPARE(first.topMarginBox()->text(), QStringLiteral("12"));
        QCOMPARE(first.leftMarginBox()->text(), QStringLiteral("-3"));
        QCOMPARE(first.numberCheck()->checkState(), Qt::Checked);
        QCOMPARE(first.numberPrintState(), 1);

        PrintOptions off{-32768, 32767, false};
        OptionsDialog second(off, nullptr);
        QCOMPARE(second.topMarginBox()->text(), QStringLiteral("-32768"));
        QCOMPARE(second.leftMarginBox()->text(), QStringLiteral("32767"));
        QCOMPARE(second.numberCheck()->checkState(), Qt::Unchecked);
        QVERIFY(!off.numberPrinting);

        const QRect screen = second.screen()->geometry();
        QVERIFY(qAbs(second.x() - (screen.x() + (screen.width() - second.width()) / 2)) <= 1);
        QVERIFY(qAbs(second.y() - (screen.y() + (screen.height() - second.height()) / 2)) <= 1);
    }

    // "OK", then a new dialog: the margins come back as whole numbers.
    void okConvertsMargins_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        const QList<QPair<QString, int>> rows = {{"7.5", 8},   {"6.5", 6},        {"12abc", 12}, {"", 0},
                                                 {"-2.5", -2}, {"100000", 32767}, {" 15 ", 15}};
        for (const auto &[typed, stored] : rows)
            QTest::addRow("\"%s\"", qPrintable(typed)) << typed << stored;
    }

    void okConvertsMargins()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        for (bool top : {true, false}) {
            PrintOptions options{1, 2, true};
            {
                OptionsDialog dialog(options, nullptr);
                QSignalSpy closed(&dialog, &OptionsDialog::closed);
                (top ? dialog.topMarginBox() : dialog.leftMarginBox())->setText(typed);
                dialog.show();
                QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
                QVERIFY(!dialog.isVisible());
                QCOMPARE(closed.count(), 1);
            }
            QCOMPARE(int(top ? options.topMargin : options.leftMargin), stored);
            QCOMPARE(int(top ? options.leftMargin : options.topMargin), top ? 2 : 1);
            OptionsDialog again(options, nullptr);
            QCOMPARE((top ? again.topMarginBox() : again.leftMarginBox())->text(), QString::number(stored));
        }
    }

    void everyWayOfClosingRunsTheClosingStepOnce_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"close box", "escape", "escape in text box", "owner closes it hidden", "exec + OK"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void everyWayOfClosingRunsTheClosingStepOnce()
    {
        QFETCH(QString, how);
        PrintOptions options{1, 2, true};
        OptionsDialog dialog(options, nullptr);
        QSignalSpy closed(&dialog, &OptionsDialog::closed);
        dialog.topMarginBox()->setText(QStringLiteral("7.5"));
        dialog.leftMarginBox()->setText(QStringLiteral("21mm"));
        if (how == QLatin1String("exec + OK")) {
            QTimer::singleShot(0, dialog.okButton(), &QPushButton::click);
            QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        } else if (how == QLatin1String("owner closes it hidden")) {
            QVERIFY(dialog.close());
        } else {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (how == QLatin1String("close box"))
                QVERIFY(dialog.close());
            else
                QTest::keyClick(how == QLatin1String("escape") ? static_cast<QWidget *>(&dialog)
                                                               : dialog.leftMarginBox(),
                                Qt::Key_Escape);
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(options.topMargin, qint16(8));
        QCOMPARE(options.leftMargin, qint16(21));

        // Closed already, further closing requests report nothing more.
        dialog.close();
        dialog.reject();
        QCOMPARE(closed.count(), 1);
        // Shown and closed again, it reports the new closing too.
        dialog.topMarginBox()->setText(QStringLiteral("3"));
        dialog.show();
        dialog.close();
        QCOMPARE(closed.count(), 2);
        QCOMPARE(options.topMargin, qint16(3));
    }

    void enterDoesNotClose()
    {
        Shown s({5, 5, true});
        QVERIFY(s.exposed);
        QSignalSpy closed(&s.dialog, &OptionsDialog::closed);
        s.dialog.topMarginBox()->setText(QStringLiteral("9"));
        QTest::keyClick(s.dialog.topMarginBox(), Qt::Key_Return);
        QVERIFY(s.dialog.isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(s.options.topMargin, qint16(5));
    }

    void clickingTheBoxSetsTheFlagAtOnce()
    {
        Shown s({0, 0, true});
        QVERIFY(s.exposed);
        QTest::mouseClick(s.dialog.numberCheck(), Qt::LeftButton);
        QCOMPARE(s.dialog.numberCheck()->checkState(), Qt::Unchecked);
        QVERIFY(!s.options.numberPrinting);
        QTest::mouseClick(s.dialog.numberCheck(), Qt::LeftButton);
        QVERIFY(s.options.numberPrinting);
        QTest::keyClick(s.dialog.numberCheck(), Qt::Key_Space);
        QVERIFY(!s.options.numberPrinting);
        QVERIFY(s.dialog.isVisible());
    }

    void greyOnlyFromAProgramStep()
    {
        Shown s({0, 0, true});
        QVERIFY(s.exposed);
        s.dialog.setNumberPrintState(2);
        QCOMPARE(s.dialog.numberCheck()->checkState(), Qt::PartiallyChecked);
        QCOMPARE(s.dialog.numberPrintState(), 2);
        QVERIFY(!s.options.numberPrinting);
        s.dialog.setNumberPrintState(1);
        QVERIFY(s.options.numberPrinting);
        // The flag follows even when the box already shows the state.
        s.dialog.setNumberPrintState(0);
        s.options.numberPrinting = true;
        s.dialog.setNumberPrintState(0);
        QVERIFY(!s.options.numberPrinting);

        // From grey, clicks go to ticked and then only toggle.
        s.dialog.setNumberPrintState(2);
        QList<Qt::CheckState> seen;
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(s.dialog.numberCheck(), Qt::LeftButton);
            seen << s.dialog.numberCheck()->checkState();
            QCOMPARE(s.options.numberPrinting, seen.last() == Qt::Checked);
        }
        QCOMPARE(seen, QList<Qt::CheckState>({Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    }

    void selectingATabShowsOnlyItsPage()
    {
        Shown s;
        QVERIFY(s.exposed);
        OptionsDialog &d = s.dialog;
        QCOMPARE(d.tabs()->currentIndex(), 0);
        QVERIFY(d.page(0)->isVisible() && d.page(0)->isEnabled());
        QVERIFY(!d.page(1)->isVisible() && !d.page(1)->isEnabled());
        QTest::mouseClick(d.tabs(), Qt::LeftButton, {}, d.tabs()->tabRect(1).center());
        QCOMPARE(d.tabs()->currentIndex(), 1);
        QVERIFY(!d.page(0)->isVisible() && !d.page(0)->isEnabled());
        QVERIFY(d.page(1)->isVisible() && d.page(1)->isEnabled());
        QVERIFY(d.listButton()->isVisible() && !d.topMarginBox()->isVisible());
    }

    void ctrlTabSelectsTheNextTab()
    {
        Shown s;
        QVERIFY(s.exposed);
        OptionsDialog &d = s.dialog;
        d.topMarginBox()->setText(QStringLiteral("5"));
        // From a text box, a check box, the OK button and the dialog itself;
        // from the last tab it wraps round to the first.
        const QList<QWidget *> receivers = {d.topMarginBox(), d.listButton(), d.numberCheck(), d.okButton(), &d, &d};
        for (int i = 0; i < receivers.size(); ++i) {
            QTest::keyClick(receivers[i], Qt::Key_Tab, Qt::ControlModifier);
            const int expected = (i + 1) % 2;
            QCOMPARE(d.tabs()->currentIndex(), expected);
            QVERIFY(d.page(expected)->isVisible() && d.page(expected)->isEnabled());
            QVERIFY(!d.page(1 - expected)->isEnabled());
        }
        QCOMPARE(d.topMarginBox()->text(), QStringLiteral("5"));
    }

    void otherTabKeysLeaveThePage_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("ctrl+shift+tab") << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("ctrl+shift+tab as tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("ctrl+alt+tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier | Qt::AltModifier);
        QTest::newRow("ctrl+page down") << int(Qt::Key_PageDown) << int(Qt::ControlModifier);
    }

    void otherTabKeysLeaveThePage()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Shown s;
        QVERIFY(s.exposed);
        OptionsDialog &d = s.dialog;
        for (int start : {0, 1}) {
            d.tabs()->setCurrentIndex(start);
            QWidget *focus = start == 0 ? static_cast<QWidget *>(d.leftMarginBox()) : d.listButton();
            for (QWidget *receiver : {focus, static_cast<QWidget *>(d.tabs()), static_cast<QWidget *>(&d)})
                QTest::keyClick(receiver, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(d.tabs()->currentIndex(), start);
            QVERIFY(d.page(start)->isVisible());
        }
        QVERIFY(d.isVisible());
    }

    void listButtonOnlyAsksForTheListWindow()
    {
        Shown s({4, 4, true});
        QVERIFY(s.exposed);
        QSignalSpy requested(&s.dialog, &OptionsDialog::listWindowRequested);
        QSignalSpy closed(&s.dialog, &OptionsDialog::closed);
        s.dialog.tabs()->setCurrentIndex(1);
        s.dialog.topMarginBox()->setText(QStringLiteral("99"));
        QTest::mouseClick(s.dialog.listButton(), Qt::LeftButton);
        QCOMPARE(requested.count(), 1);
        QCOMPARE(closed.count(), 0);
        QVERIFY(s.dialog.isVisible());
        QCOMPARE(s.options.topMargin, qint16(4));
    }

    void captionsAndTexts()
    {
        PrintOptions options;
        OptionsDialog d(options, nullptr);
        QCOMPARE(d.objectName(), QStringLiteral("frmOptions"));
        QCOMPARE(d.windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
        QVERIFY(d.isModal());
        const Qt::WindowFlags flags = d.windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(d.minimumSize(), QSize(px(6150), px(4920)));
        QCOMPARE(d.maximumSize(), QSize(px(6150), px(4920)));

        QTabBar *tabs = d.tabs();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("印刷設定"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("動作設定"));
        QCOMPARE(tabs->tabData(0).toString(), QStringLiteral("Group1"));
        QCOMPARE(tabs->tabData(1).toString(), QStringLiteral("Group2"));
        QCOMPARE(tabs->tabToolTip(0), QStringLiteral("印刷ｵﾌﾟｼｮﾝの設定"));
        QCOMPARE(tabs->tabToolTip(1), QStringLiteral("動作ｵﾌﾟｼｮﾝの設定"));

        QCOMPARE(d.numberCheck()->text(), QStringLiteral("写真番号を印刷する"));
        const QString blanks(12, QChar(0x3000));
        QCOMPARE(child<QLabel>(d, "Label3")->text(), QStringLiteral("上マージン") + blanks + "※単位はミリです。");
        QCOMPARE(child<QLabel>(d, "Label4")->text(), QStringLiteral("左マージン") + blanks + "※単位はミリです。");
        QCOMPARE(d.listButton()->text(), QStringLiteral("リストウィンドウを開く"));
        QCOMPARE(d.okButton()->text(), QStringLiteral("OK"));
        QCOMPARE(child<QGroupBox>(d, "fraSample1")->title(), QStringLiteral("説明"));
        QCOMPARE(child<QGroupBox>(d, "fraSample2")->title(), QStringLiteral("説明"));
    }

    void controlsStandWhereLaidOut()
    {
        PrintOptions options;
        OptionsDialog d(options, nullptr);
        struct Place {
            const char *name;
            const char *parent;
            QRect rect;
        };
        // A zero is a position or size the layout leaves to the dialog.
        const Place places[] = {
            {"tbsOptions", "frmOptions", twipRect(105, 120, 5895, 4245)},
            {"cmdOK", "frmOptions", twipRect(4920, 4440, 1095, 375)},
            {"Check1", "picOptions0", twipRect(360, 240, 0, 0)},
            {"Label3", "picOptions0", twipRect(360, 840, 0, 0)},
            {"Text1", "picOptions0", twipRect(1440, 840, 735, 0)},
            {"Label4", "picOptions0", twipRect(360, 1320, 0, 0)},
            {"Text2", "picOptions0", twipRect(1440, 1320, 735, 0)},
            {"fraSample2", "picOptions0", twipRect(240, 1800, 5175, 1785)},
            {"Label2", "fraSample2", twipRect(0, 0, 4695, 1455)},
            {"Command1", "picOptions1", twipRect(360, 480, 2055, 1215)},
            {"fraSample1", "picOptions1", twipRect(210, 2055, 5175, 1425)},
            {"Label1", "fraSample1", twipRect(0, 0, 4455, 975)},
        };
        for (const Place &place : places) {
            QWidget *widget = child(d, place.name);
            QVERIFY2(widget, place.name);
            QCOMPARE(widget->parentWidget()->objectName(), QLatin1String(place.parent));
            if (!place.rect.topLeft().isNull())
                QCOMPARE(widget->pos(), place.rect.topLeft());
            if (place.rect.width() > 0)
                QCOMPARE(widget->width(), place.rect.width());
            if (place.rect.height() > 0)
                QCOMPARE(widget->height(), place.rect.height());
        }
        QCOMPARE(child(d, "tbsOptions"), d.tabs());
        for (int i : {0, 1}) {
            QCOMPARE(d.page(i)->parentWidget(), &d);
            QCOMPARE(d.page(i)->geometry(), twipRect(210, 480, 5685, 3780));
        }
        QCOMPARE(child(d, "Check1"), d.numberCheck());
        QCOMPARE(child(d, "Text1"), d.topMarginBox());
        QCOMPARE(child(d, "Text2"), d.leftMarginBox());
    }

    void explanationsBreakLinesAtCr()
    {
        PrintOptions options;
        OptionsDialog d(options, nullptr);
        auto *label1 = child<QLabel>(d, "Label1");
        auto *label2 = child<QLabel>(d, "Label2");
        QCOMPARE(label1->text(), QStringLiteral("リストウィンドウはシステムチェック用です。\n\n"
                                                "リストウィンドウを閉じると強制終了します。\n\n"
                                                "操作が分からない場合は開かないで下さい。"));
        QCOMPARE(label2->text(), QStringLiteral("印刷のオプション設定です。\n\n"
                                                "この項目はｐｒｉｎｔ．ｉｎｉを読み込んでいます。\n\n"
                                                "書き換えることで初期値を変更出来ます。\n\n"));
        // The texts as written keep their lone CRs.
        QCOMPARE(label1->property("rawText").toString(), QString(label1->text()).replace(u'\n', QChar(0x0D)));
        QCOMPARE(label2->property("rawText").toString(), QString(label2->text()).replace(u'\n', QChar(0x0D)));
        // The five lines of the first text need five line heights, and in the
        // dialog's face they fit the label.
        const int needed = label1->heightForWidth(label1->width());
        QVERIFY(needed >= 5 * label1->fontMetrics().lineSpacing() - 2);
        QVERIFY2(needed <= label1->height(), qPrintable(QString::number(needed)));
        QVERIFY(label2->heightForWidth(label2->width()) <= label2->height());
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
