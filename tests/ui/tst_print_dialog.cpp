// The print dialog: its load step, picking the printer by exact name, the
// copies spin and box, "印刷", "プロパティ", the close box and a machine
// without printers; and the scripted printer services the window tests use.
#include "fake_services.h"
#include "print/print_session.h"
#include "print/print_surface.h"
#include "text/font_faces.h"
#include "ui/dialogs/print_dialog.h"

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

const QStringList kPrinters{"Office A", "Office B", "ラベル印刷"};

// A shown dialog over scripted printers; "Office B" is the system default.
struct Shown {
    explicit Shown(const QStringList &printers = kPrinters, const QString &current = "Office B")
    {
        session.setCurrentPrinter(current);
        services.printers = printers;
        services.defaultPrinter = QStringLiteral("Office B");
        dialog = std::make_unique<PrintDialog>(services, session, nullptr);
        // The owner's side: one document per copy on the current printer.
        QObject::connect(dialog.get(), &PrintDialog::printRequested, dialog.get(), [this](int copies) {
            for (int i = 0; i < copies; ++i)
                if (std::unique_ptr<PrintSurface> job = services.beginPrintJob(session.currentPrinter(), "工事写真帳"))
                    job->endDocument();
        });
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("the print dialog was not exposed");
    }
    QStringList listed() const
    {
        QStringList items;
        for (int i = 0; i < dialog->printerBox()->count(); ++i)
            items << dialog->printerBox()->itemText(i);
        return items;
    }
    void typeCopies(const QString &text)
    {
        dialog->copiesBox()->selectAll();
        dialog->copiesBox()->insert(text);
    }
    void click(QAbstractButton *button, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button, Qt::LeftButton);
    }
    void print(const QString &copies)
    {
        typeCopies(copies);
        click(dialog->printButton());
    }
    FakeServices services;
    PrintSession session;
    std::unique_ptr<PrintDialog> dialog;
};

} // namespace

class TestPrintDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void loadListsThePrintersAndShowsTheCurrentOne()
    {
        Shown s;
        QCOMPARE(s.listed(), kPrinters);
        // Filling the list does not make its first entry the printer.
        QCOMPARE(s.dialog->printerBox()->currentText(), QStringLiteral("Office B"));
        QCOMPARE(s.session.currentPrinter(), QStringLiteral("Office B"));
        QCOMPARE(s.dialog->copiesBox()->text(), QStringLiteral("1"));
        QCOMPARE(s.dialog->copiesSpin()->value(), 1);
        QVERIFY(s.dialog->printerBox()->isVisible());
        QVERIFY(!s.dialog->noPrinterLabel()->isVisible());

        // Repeated names are listed as often as installed; a current printer
        // that is not installed shows and stays until one is picked.
        Shown odd({"Same", "Other", "Same"}, "Gone");
        QCOMPARE(odd.listed(), QStringList({"Same", "Other", "Same"}));
        QCOMPARE(odd.dialog->printerBox()->currentText(), QStringLiteral("Gone"));
        QCOMPARE(odd.session.currentPrinter(), QStringLiteral("Gone"));
        odd.dialog->printerBox()->setCurrentIndex(2);
        QCOMPARE(odd.session.currentPrinter(), QStringLiteral("Same"));
    }

    void onlyAnExactNameSelectsAPrinter()
    {
        Shown s;
        QComboBox *combo = s.dialog->printerBox();
        combo->setCurrentIndex(0); // a pick from the list
        QCOMPARE(s.session.currentPrinter(), QStringLiteral("Office A"));

        // Typed key by key: no prefix and no other case selects.
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("office b"));
        QCOMPARE(s.session.currentPrinter(), QStringLiteral("Office A"));
        for (const char *text : {"Office B ", "どこにもないプリンタ", "Office"}) {
            combo->setEditText(QString::fromUtf8(text));
            QCOMPARE(s.session.currentPrinter(), QStringLiteral("Office A"));
        }
        QTest::keyClicks(combo->lineEdit(), QStringLiteral(" B"));
        QCOMPARE(s.session.currentPrinter(), QStringLiteral("Office B"));
        combo->setEditText(QStringLiteral("ラベル印刷"));
        QCOMPARE(s.session.currentPrinter(), QStringLiteral("ラベル印刷"));

        QVERIFY(s.services.printerCalls.isEmpty()); // the system default printer is never touched
    }

    void spinStepsFromItsOwnValueWithinZeroToTen()
    {
        Shown s;
        QLineEdit *box = s.dialog->copiesBox();
        UpDownControl *spin = s.dialog->copiesSpin();
        s.typeCopies(QStringLiteral("5")); // typing does not move the spin
        QCOMPARE(spin->value(), 1);
        s.click(spin->upButton());
        QCOMPARE(box->text(), QStringLiteral("2"));
        s.click(spin->upButton(), 12);
        QCOMPARE(box->text(), QStringLiteral("10"));
        s.click(spin->downButton(), 12);
        QCOMPARE(box->text(), QStringLiteral("0"));
        // A step against the end of the range writes nothing over typing.
        s.typeCopies(QStringLiteral("7"));
        s.click(spin->downButton());
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
        s.dialog->printerBox()->setCurrentIndex(0);
        s.print(text);
        QCOMPARE(requested.count(), copies > 0 ? 1 : 0);
        QCOMPARE(s.services.printJobs.size(), copies);
        for (const FakeServices::PrintJob &job : std::as_const(s.services.printJobs))
            QCOMPARE(job.printerName, QStringLiteral("Office A"));
        QVERIFY(!s.dialog->isVisible());
        QCOMPARE(closed.count(), 0);
    }

    void aHiddenDialogKeepsItsStateForTheNextShowing()
    {
        Shown s;
        s.dialog->printerBox()->setCurrentIndex(2);
        s.click(s.dialog->copiesSpin()->upButton(), 2);
        s.print(QStringLiteral("0"));

        // A printer installed meanwhile is listed only by a fresh dialog.
        s.services.printers << QStringLiteral("New");
        s.dialog->show();
        QCOMPARE(s.dialog->copiesBox()->text(), QStringLiteral("0"));
        QCOMPARE(s.dialog->copiesSpin()->value(), 3);
        QCOMPARE(s.dialog->printerBox()->currentText(), QStringLiteral("ラベル印刷"));
        QCOMPARE(s.dialog->printerBox()->count(), 3);

        PrintDialog fresh(s.services, s.session, nullptr);
        QCOMPARE(fresh.copiesBox()->text(), QStringLiteral("1"));
        QCOMPARE(fresh.printerBox()->count(), 4);
        QCOMPARE(fresh.printerBox()->currentText(), QStringLiteral("ラベル印刷"));
    }

    void propertiesOpenForTheNamedPrinter()
    {
        Shown s;
        s.click(s.dialog->propertiesButton());
        s.dialog->printerBox()->setEditText(QStringLiteral("Office A"));
        s.click(s.dialog->propertiesButton());
        QCOMPARE(s.services.printerCalls, QStringList({"properties Office B", "properties Office A"}));
        QVERIFY(s.dialog->isVisible());
    }

    void theCloseBoxPrintsNothingAndReportsClosing()
    {
        Shown s;
        QSignalSpy requested(s.dialog.get(), &PrintDialog::printRequested);
        QSignalSpy closed(s.dialog.get(), &PrintDialog::closed);
        QVERIFY(s.dialog->close());
        QVERIFY(!s.dialog->isVisible());
        QCOMPARE(closed.count(), 1);
        // Escape, from any of its boxes, does what the close box does.
        Shown t;
        QSignalSpy closedByKey(t.dialog.get(), &PrintDialog::closed);
        QTest::keyClick(t.dialog->copiesBox(), Qt::Key_Escape);
        QVERIFY(!t.dialog->isVisible());
        QCOMPARE(closedByKey.count(), 1);
        QCOMPARE(requested.count(), 0);
        QVERIFY(s.services.printJobs.isEmpty() && t.services.printJobs.isEmpty());
    }

    void withoutPrintersTheDialogSaysSoAndPrintsNothing()
    {
        Shown s({}, "");
        QVERIFY(s.dialog->noPrinterLabel()->isVisible());
        QVERIFY(!s.dialog->printerBox()->isVisible());
        QVERIFY(!s.dialog->propertiesButton()->isEnabled());
        QVERIFY(!s.dialog->printButton()->isEnabled());
        QSignalSpy requested(s.dialog.get(), &PrintDialog::printRequested);
        s.print(QStringLiteral("2"));
        QCOMPARE(requested.count(), 0);
        QVERIFY(s.dialog->isVisible()); // nothing to press
        QCOMPARE(s.session.currentPrinter(), QString());
        QVERIFY(s.services.printerCalls.isEmpty());
    }

    // As the platform does, the scripted services start no job and set no
    // default for a printer that is not installed.
    void scriptedServicesRefuseUninstalledPrinters()
    {
        FakeServices services;
        services.printers = kPrinters;
        services.defaultPrinter = QStringLiteral("Office B");
        QVERIFY(!services.beginPrintJob("Gone", "doc"));
        QVERIFY(!services.beginPrintJob("", "doc"));
        services.setDefaultPrinter("Gone");
        QCOMPARE(services.defaultPrinter, QStringLiteral("Office B"));
        services.setDefaultPrinter("Office A");
        QCOMPARE(services.defaultPrinter, QStringLiteral("Office A"));
        QCOMPARE(services.printerCalls,
                 QStringList({"begin job Gone", "begin job ", "set default Gone", "set default Office A"}));
    }
};

QTEST_MAIN(TestPrintDialog)
#include "tst_print_dialog.moc"
