// The cover-data dialog: a fresh cover from the date and corp.ini, hiding
// without losing data, keyboard order, placement, and where the boxes sit.
#include "fake_services.h"
#include "io/fresh_cover.h"
#include "text/cp932.h"
#include "text/font_faces.h"
#include "ui/dialogs/cover_dialog.h"
#include "ui/main/form1.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QString kDateLabel = QStringLiteral("令和　　　年　　 月　　 日");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// corp.ini with the construction number, name, site and contractor.
QString corpIni(const QStringList &v)
{
    return QStringLiteral("[工事番号]\r\n工第=%1\r\n[工事名]\r\n名称=%2\r\n[工事場所]\r\n所在=%3\r\n"
                          "[工事施工者]\r\n会社名=%4\r\n")
        .arg(v[0], v[1], v[2], v[3]);
}

QStringList corpFields(const CoverData &d)
{
    return {d.constructionNumber, d.constructionName, d.site, d.contractor};
}

} // namespace

class TestCoverDialog : public QObject {
    Q_OBJECT

    QTemporaryDir programDir_;
    QTemporaryDir settingsDir_;
    FakeServices services_;

    QString programIni() const { return programDir_.filePath(QStringLiteral("corp.ini")); }
    QString settingsIni() const { return settingsDir_.filePath(QStringLiteral("corp.ini")); }

    // Shows the dialog over a shown owner and gives it the keyboard.
    static void showActive(QWidget &owner, CoverDialog &d)
    {
        owner.setGeometry(100, 100, 800, 600);
        owner.show();
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }

private slots:
    void initTestCase()
    {
        registerFontSubstitutions();
        QVERIFY(programDir_.isValid() && settingsDir_.isValid());
        services_.programDir = programDir_.path();
        services_.settingsDir = settingsDir_.path();
    }

    void init()
    {
        QFile::remove(programIni());
        QFile::remove(settingsIni());
        services_.today = QDate(2026, 12, 6);
    }

    void dateDefaults_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first era year") << QDate(2019, 5, 1)
                                        << QStringList{"1", "", "", "", "1", "5", "", "1", "5", "", "", "1", "5", "1"};
        QTest::newRow("two-digit year and day")
            << QDate(2031, 1, 31) << QStringList{"13", "", "", "", "13", "1", "", "13", "1", "", "", "13", "1", "31"};
    }
    void dateDefaults()
    {
        QFETCH(QDate, today);
        const CoverData data = freshCover(today, CorpIni{});
        QStringList fields;
        for (int n = 1; n <= kCoverFieldCount; ++n)
            fields << data.field(n);
        QTEST(fields, "expected");
    }

    // Every fresh cover (start-up, New) reads corp.ini afresh, so the files
    // can change in between; the dialog shows the album's cover.
    void corpIniSources()
    {
        Form1 form(services_);
        const auto freshCorpFields = [&form] {
            form.New();
            return corpFields(form.document().cover());
        };
        QCOMPARE(freshCorpFields(), QStringList({"", "", "", ""}));

        const QStringList a{"第１２３", "市道ＡＢ線改良工事", "○○市△△町１－２", "株式会社　山田建設"};
        writeFile(programIni(), cp932::encode(corpIni(a)));
        QCOMPARE(freshCorpFields(), a);
        QCOMPARE(corpFields(form.coverDialog()->fields()), a);

        QFile::remove(programIni());
        const QStringList b{"45", "橋梁補修工事", "北区", "有限会社 川田組"};
        writeFile(settingsIni(), "\xEF\xBB\xBF" + corpIni(b).toUtf8()); // UTF-8
        QCOMPARE(freshCorpFields(), b);

        // The program's directory comes first when both have the file.
        writeFile(programIni(), cp932::encode(corpIni(a)));
        QCOMPARE(freshCorpFields(), a);

        // Missing sections and keys leave their fields empty; the date stays.
        writeFile(programIni(), cp932::encode(QStringLiteral("[工事名]\r\n名称=舗装\r\n[工事施工者]\r\n社名=x\r\n")));
        QCOMPARE(freshCorpFields(), QStringList({"", "舗装", "", ""}));
        QCOMPARE(form.document().cover().fiscalYear, QStringLiteral("8"));
    }

    void hidingKeepsData_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("OK") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("Escape") << 2;
    }
    void hidingKeepsData()
    {
        QFETCH(int, how);
        QWidget owner;
        auto *d = new CoverDialog(&owner);
        d->setField(1, QStringLiteral("8"));
        showActive(owner, *d);
        QTest::keyClicks(d->textBox(3), QStringLiteral("Route 9 repair"));
        if (how == 0)
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        else if (how == 1)
            d->close(); // what the close box does
        else
            QTest::keyClick(d->textBox(3), Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted)); // every way out reads as "OK" to the owner
        d->show();
        QCOMPARE(d->field(3), QStringLiteral("Route 9 repair"));
        QCOMPARE(d->field(1), QStringLiteral("8"));
    }

    void fieldsRoundTrip()
    {
        CoverDialog d(nullptr);
        CoverData data;
        for (int n = 1; n <= kCoverFieldCount; ++n)
            data.field(n) = QStringLiteral("値%1").arg(n);
        d.setFields(data);
        QCOMPARE(d.fields(), data);
        for (int n = 1; n <= kCoverFieldCount; ++n)
            QCOMPARE(d.textBox(n)->text(), data.field(n));
        QCOMPARE(d.fields().submissionDay, QStringLiteral("値14"));
    }

    void tabOrder()
    {
        QWidget owner;
        auto *d = new CoverDialog(&owner);
        showActive(owner, *d);
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"Text1", "Text2", "OKButton", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8",
                                     "Text9", "Text10", "Text11", "Text12", "Text13", "Text14", "Text1"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), d->textBox(14));
    }

    void fixedSizeAndPlacement()
    {
        // Before its owner is shown (the start-up), on the middle of the screen.
        {
            QWidget hiddenOwner;
            auto *first = new CoverDialog(&hiddenOwner);
            first->show();
            QVERIFY(QTest::qWaitForWindowExposed(first));
            const QPoint middle = first->screen()->availableGeometry().center();
            QVERIFY((first->frameGeometry().center() - middle).manhattanLength() <= 2);
        }
        QWidget owner;
        auto *d = new CoverDialog(&owner);
        QCOMPARE(d->minimumSize(), d->maximumSize());
        showActive(owner, *d);
        QVERIFY((d->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
        // Moved by the user, it reopens where it was left.
        d->hide();
        d->move(30, 40);
        d->show();
        QCOMPARE(d->pos(), QPoint(30, 40));
    }

    // Each box sits on the row of the label that names it and after its
    // text, or in a blank of its row's date label, drawn above that label.
    void boxesSitOnTheirRows()
    {
        CoverDialog d(nullptr);
        const QString before[] = {"令和",     "工第",     "工 事 名", "工事場所",   kDateLabel, kDateLabel, kDateLabel,
                                  kDateLabel, kDateLabel, kDateLabel, "工事施工者", kDateLabel, kDateLabel, kDateLabel};
        const int blankOf[] = {-1, -1, -1, -1, 0, 1, 2, 0, 1, 2, -1, 0, 1, 2};
        for (int n = 1; n <= kCoverFieldCount; ++n) {
            const QRect box = d.textBox(n)->geometry();
            QLabel *label = nullptr;
            for (QLabel *l : d.findChildren<QLabel *>())
                if (l->text() == before[n - 1] && l->x() < box.x() &&
                    qAbs(l->geometry().center().y() - box.center().y()) <= 1)
                    label = l;
            const QByteArray name = d.textBox(n)->objectName().toUtf8();
            QVERIFY2(label, name);
            // The date label's blanks are characters 2..4, 6..8 and 10..12.
            const QFontMetrics fm(label->font());
            const int k = blankOf[n - 1];
            const int from = fm.horizontalAdvance(k < 0 ? label->text() : kDateLabel.left(2 + 4 * k));
            const int to = k < 0 ? d.width() : fm.horizontalAdvance(kDateLabel.left(5 + 4 * k)) + 2;
            QVERIFY2(box.left() - label->x() >= from && box.right() + 1 - label->x() <= to, name);
            // Siblings stack in the order of the children list, last on top.
            QVERIFY(d.children().indexOf(d.textBox(n)) > d.children().indexOf(label));
        }
    }
};

QTEST_MAIN(TestCoverDialog)
#include "tst_cover_dialog.moc"
