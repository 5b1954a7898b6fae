// The print dialog: its load step, picking the printer by name, the copies
// spin and box, "印刷", "プロパティ", the close box, and a machine without
// printers; and the scripted printer services the window tests print on.
#include "fake_services.h"
#include "print/print_surface.h"
#include "ui/dialogs/print_dialog.h"
#include "ui/main/fonts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace sorvane;
using sorvane::testing::FakeServices;

namespace {

// Services with three printers, "Office B" the system default and the
// current printer, and a dialog over them, shown.
struct Shown {
    explicit Shown(QStringList printers = {"Office A", "Office B", "ラベル印刷"}, QString current = "Office B")
        : currentPrinter(current)
    {
        services.printers = printers;
        services.defaultPrinter = current;
        dialog = std::make_unique<PrintDialog>(services, currentPrinter, nullptr);
        dialog->show();
        exposed = QTest::qWaitForWindowExposed(dialog.get());
    }
    FakeServices services;
    QString currentPrinter;
    std::unique_ptr<PrintDialog> dialog;
    bool exposed = false;
};

QStringList listOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    // Key clicks carry Latin-1 only; other text arrives as input would.
    bool latin1 = true;
    for (QChar c : text)
        latin1 = latin1 && c.unicode() < 0x80;
    if (latin1)
        QTest::keyClicks(box, text);
    else
        box->insert(text);
}

} // namespace

class TestPrintDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void loadListsPrintersAndShowsTheCurrentOne()
    {
        Shown s;
        QVERIFY(s.exposed);
        PrintDialog &d = *s.dialog;
        QCOMPARE(d.windowTitle(), QStringLiteral("印刷"));
        QCOMPARE(d.copiesBox()->text(), QStringLiteral("1"));
        QCOMPARE(d.copiesSpin()->value(), 1);
        QCOMPARE(listOf(d.printerBox()), QStringList({"Office A", "Office B", "ラベル印刷"}));
        QCOMPARE(d.printerBox()->currentText(), QStringLiteral("Office B"));
        QCOMPARE(s.currentPrinter, QStringLiteral("Office B"));
        QVERIFY(d.printerBox()->isVisible());
        QVERIFY(!d.noPrinterLabel()->isVisible());
        QCOMPARE(d.propertiesButton()->text(), QStringLiteral("プロパティ"));
        QCOMPARE(d.printButton()->text(), QStringLiteral("印刷"));
        QCOMPARE(d.findChild<QLabel *>("Label1")->text(), QStringLiteral("印刷部数"));
        QVERIFY(d.printerBox()->isEditable());

        // The current printer shows even when it is not the first listed,
        // and loading does not pick the first entry on the way.
        Shown last({"Office A", "Office B", "ラベル印刷"}, "ラベル印刷");
        QCOMPARE(last.dialog->printerBox()->currentText(), QStringLiteral("ラベル印刷"));
        QCOMPARE(last.currentPrinter, QStringLiteral("ラベル印刷"));
    }

    void pickingAndTypingSelectOnlyExactNames()
    {
        Shown s;
        QComboBox *combo = s.dialog->printerBox();

        // A pick from the list.
        combo->setCurrentIndex(0);
        QCOMPARE(s.currentPrinter, QStringLiteral("Office A"));

        // Typing: partial names and other cases keep the previous printer;
        // the finished exact name selects.
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
        QCOMPARE(s.currentPrinter, QStringLiteral("Office A"));
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("office b"));
        QCOMPARE(s.currentPrinter, QStringLiteral("Office A"));
        combo->setEditText(QStringLiteral("Office B "));
        QCOMPARE(s.currentPrinter, QStringLiteral("Office A"));
        combo->setEditText(QStringLiteral("Office"));
        QTest::keyClicks(combo->lineEdit(), QStringLiteral(" B"));
        QCOMPARE(s.currentPrinter, QStringLiteral("Office B"));
        combo->setEditText(QStringLiteral("ラベル印刷"));
        QCOMPARE(s.currentPrinter, QStringLiteral("ラベル印刷"));
        combo->setEditText(QStringLiteral("どこにもないプリンタ"));
        QCOMPARE(s.currentPrinter, QStringLiteral("ラベル印刷"));

        // The system default printer is not touched by any of it.
        QCOMPARE(s.services.defaultPrinter, QStringLiteral("Office B"));
        QVERIFY(s.services.printerCalls.filter(QStringLiteral("set default")).isEmpty());
    }

    void twoPrintersOfOneNameAreListedBothAndSelectByName()
    {
        Shown s({"Same", "Other", "Same"}, "Other");
        QCOMPARE(listOf(s.dialog->printerBox()), QStringList({"Same", "Other", "Same"}));
        s.dialog->printerBox()->setCurrentIndex(2);
        QCOMPARE(s.currentPrinter, QStringLiteral("Same"));
    }

    void aCurrentPrinterThatIsNotInstalledStaysUntilOneIsPicked()
    {
        Shown s({"Office A"}, "Gone");
        QCOMPARE(s.dialog->printerBox()->currentText(), QStringLiteral("Gone"));
        QCOMPARE(s.currentPrinter, QStringLiteral("Gone"));
        s.dialog->printerBox()->setEditText(QStringLiteral("Office A"));
        QCOMPARE(s.currentPrinter, QStringLiteral("Office A"));
    }

    void spinStepsFromItsOwnValueWithinZeroToTen()
    {
        Shown s;
        QLineEdit *box = s.dialog->copiesBox();
        UpDownControl *spin = s.dialog->copiesSpin();
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), 10);

        typeInto(box, QStringLiteral("5"));
        QCOMPARE(box->text(), QStringLiteral("5"));
        QCOMPARE(spin->value(), 1);
        QTest::mouseClick(spin->upButton(), Qt::LeftButton);
        QCOMPARE(box->text(), QStringLiteral("2"));

        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(spin->upButton(), Qt::LeftButton);
        QCOMPARE(spin->value(), 10);
        QCOMPARE(box->text(), QStringLiteral("10"));

        typeInto(box, QStringLiteral("abc"));
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(spin->downButton(), Qt::LeftButton);
        QCOMPARE(spin->value(), 0);
        QCOMPARE(box->text(), QStringLiteral("0"));

        // A step against the end of the range writes nothing over typing.
        typeInto(box, QStringLiteral("7"));
        QTest::mouseClick(spin->downButton(), Qt::LeftButton);
        QCOMPARE(box->text(), QStringLiteral("7"));
    }

    void printAsksForTheCopiesTypedAndHides_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("copies"); // 0: no request
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("leading number") << "2部" << 2;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-2" << 0;
        QTest::newRow("not a number") << "abc" << 0;
    }
    void printAsksForTheCopiesTypedAndHides()
    {
        QFETCH(QString, text);
        QFETCH(int, copies);
        Shown s;
        QSignalSpy requested(s.dialog.get(), &PrintDialog::printRequested);
        QSignalSpy closed(s.dialog.get(), &PrintDialog::closed);
        typeInto(s.dialog->copiesBox(), text);
        QTest::mouseClick(s.dialog->printButton(), Qt::LeftButton);
        if (copies == 0) {
            QCOMPARE(requested.count(), 0);
        } else {
            QCOMPARE(requested.count(), 1);
            QCOMPARE(requested.at(0).at(0).toInt(), copies);
        }
        QVERIFY(!s.dialog->isVisible());
        QCOMPARE(closed.count(), 0);
    }

    void theOwnerPrintsEachCopyAsADocumentOnTheChosenPrinter()
    {
        Shown s;
        // The owner's side: one document per copy on the current printer.
        QObject::connect(s.dialog.get(), &PrintDialog::printRequested, s.dialog.get(), [&](int copies) {
            for (int i = 1; i <= copies; ++i) {
                std::unique_ptr<PrintSurface> surface = s.services.beginPrintJob(s.currentPrinter, "工事写真帳");
                QVERIFY(surface);
                surface->drawText(10, 20, QStringLiteral("表紙 %1").arg(i));
                surface->newPage();
                surface->endDocument();
            }
        });
        s.dialog->printerBox()->setCurrentIndex(0);
        typeInto(s.dialog->copiesBox(), QStringLiteral("3"));
        QTest::mouseClick(s.dialog->printButton(), Qt::LeftButton);

        QCOMPARE(s.services.printJobs.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const FakeServices::PrintJob &job = s.services.printJobs[i];
            QCOMPARE(job.printerName, QStringLiteral("Office A"));
            QCOMPARE(job.documentName, QStringLiteral("工事写真帳"));
            QCOMPARE(job.calls,
                     QStringList({QStringLiteral("text 10.00 20.00 表紙 %1").arg(i + 1), "new page", "end document"}));
        }
        QCOMPARE(s.services.defaultPrinter, QStringLiteral("Office B"));
    }

    void aHiddenDialogKeepsItsStateForTheNextShowing()
    {
        Shown s;
        s.dialog->printerBox()->setCurrentIndex(2);
        QTest::mouseClick(s.dialog->copiesSpin()->upButton(), Qt::LeftButton);
        QTest::mouseClick(s.dialog->copiesSpin()->upButton(), Qt::LeftButton);
        typeInto(s.dialog->copiesBox(), QStringLiteral("0"));
        QTest::mouseClick(s.dialog->printButton(), Qt::LeftButton);
        QVERIFY(!s.dialog->isVisible());

        // A printer installed meanwhile is not listed until a fresh load.
        s.services.printers << QStringLiteral("New");
        s.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.dialog.get()));
        QCOMPARE(s.dialog->copiesBox()->text(), QStringLiteral("0"));
        QCOMPARE(s.dialog->copiesSpin()->value(), 3);
        QCOMPARE(s.dialog->printerBox()->currentText(), QStringLiteral("ラベル印刷"));
        QCOMPARE(s.dialog->printerBox()->count(), 3);

        PrintDialog fresh(s.services, s.currentPrinter, nullptr);
        QCOMPARE(fresh.copiesBox()->text(), QStringLiteral("1"));
        QCOMPARE(fresh.printerBox()->count(), 4);
        QCOMPARE(fresh.printerBox()->currentText(), QStringLiteral("ラベル印刷"));
    }

    void propertiesOpenForTheNamedPrinter()
    {
        Shown s;
        QTest::mouseClick(s.dialog->propertiesButton(), Qt::LeftButton);
        s.dialog->printerBox()->setEditText(QStringLiteral("Office A"));
        QTest::mouseClick(s.dialog->propertiesButton(), Qt::LeftButton);
        QCOMPARE(s.services.printerCalls, QStringList({"properties Office B", "properties Office A"}));
        QVERIFY(s.dialog->isVisible());
    }

    void theCloseBoxPrintsNothingAndReportsClosing()
    {
        Shown s;
        QSignalSpy requested(s.dialog.get(), &PrintDialog::printRequested);
        QSignalSpy closed(s.dialog.get(), &PrintDialog::closed);

        // No cancel button: Escape leaves the dialog open.
        QTest::keyClick(s.dialog->copiesBox(), Qt::Key_Escape);
        QVERIFY(s.dialog->isVisible());
        QCOMPARE(closed.count(), 0);

        QVERIFY(s.dialog->close());
        QVERIFY(!s.dialog->isVisible());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(requested.count(), 0);
        QVERIFY(s.services.printJobs.isEmpty());
    }

    void withoutPrintersTheDialogSaysSoAndPrintsNothing()
    {
        Shown s({}, "");
        QVERIFY(s.dialog->noPrinterLabel()->isVisible());
        QCOMPARE(s.dialog->noPrinterLabel()->text(), QStringLiteral("プリンタがありません"));
        QVERIFY(!s.dialog->printerBox()->isVisible());
        QVERIFY(!s.dialog->propertiesButton()->isEnabled());
        QSignalSpy requested(s.dialog.get(), &PrintDialog::printRequested);
        typeInto(s.dialog->copiesBox(), QStringLiteral("2"));
        QTest::mouseClick(s.dialog->printButton(), Qt::LeftButton);
        QCOMPARE(requested.count(), 0);
        QVERIFY(!s.dialog->isVisible());
        QCOMPARE(s.currentPrinter, QString());
        QVERIFY(s.services.printerCalls.isEmpty());

        // With printers, the label stays hidden.
        Shown some;
        QVERIFY(!some.dialog->noPrinterLabel()->isVisible());
    }

    // The scripted services themselves, as the window tests rely on them.
    void scriptedPrinterServices()
    {
        FakeServices services;
        services.printers = {"P1", "P2"};
        services.defaultPrinter = "P1";
        QVERIFY(!services.beginPrintJob("P3", "doc"));
        QVERIFY(!services.beginPrintJob("", "doc"));
        QVERIFY(services.printJobs.isEmpty());
        {
            std::unique_ptr<PrintSurface> job = services.beginPrintJob("P2", "doc");
            QVERIFY(job);
            job->setFontSize(14);
            QCOMPARE(services.printJobs.size(), 1);
            QCOMPARE(services.printJobs[0].calls, QStringList{"font size 14.00"});
            job->drawLine(1, 2, 3, 4);
        }
        QCOMPARE(services.printJobs[0].printerName, QStringLiteral("P2"));
        QCOMPARE(services.printJobs[0].calls, QStringList({"font size 14.00", "line 1.00 2.00 3.00 4.00"}));

        services.setDefaultPrinter("P9");
        QCOMPARE(services.defaultPrinter, QStringLiteral("P1"));
        services.setDefaultPrinter("P2");
        QCOMPARE(services.defaultPrinter, QStringLiteral("P2"));
        services.showPrinterSetup();
        QCOMPARE(services.printerCalls, QStringList({"begin job P3", "begin job ", "begin job P2", "set default P9",
                                                     "set default P2", "printer setup"}));
    }
};

QTEST_MAIN(TestPrintDialog)
#include "tst_print_dialog.moc"
