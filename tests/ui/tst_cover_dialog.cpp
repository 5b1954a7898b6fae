// The cover-data dialog: defaults from the date and corp.ini, hiding without
// losing data, keyboard order and the fixed layout.
#include "fake_services.h"
#include "text/cp932.h"
#include "ui/dialogs/cover_dialog.h"
#include "ui/main/fonts.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QString kDateLabel = QStringLiteral("令和　　　年　　 月　　 日");

QString corpIniText(const QString &number, const QString &name, const QString &site, const QString &contractor)
{
    return QStringLiteral("[工事番号]\r\n工第=%1\r\n[工事名]\r\n名称=%2\r\n[工事場所]\r\n所在=%3\r\n"
                          "[工事施工者]\r\n会社名=%4\r\n")
        .arg(number, name, site, contractor);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray utf8WithBom(const QString &text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QStringList corpFields(const CoverDialog &d)
{
    return {d.field(2), d.field(3), d.field(4), d.field(11)};
}

QLabel *labelWithText(QWidget *w, const QString &text, int x)
{
    for (QLabel *label : w->findChildren<QLabel *>())
        if (label->text() == text && label->x() == x / 15)
            return label;
    return nullptr;
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
        QTest::newRow("2026-12-06") << QDate(2026, 12, 6)
                                    << QStringList{"8", "", "", "", "8", "12", "", "8", "12", "", "", "8", "12", "6"};
        QTest::newRow("first era year") << QDate(2019, 5, 1)
                                        << QStringList{"1", "", "", "", "1", "5", "", "1", "5", "", "", "1", "5", "1"};
        QTest::newRow("two-digit year and day")
            << QDate(2031, 1, 31) << QStringList{"13", "", "", "", "13", "1", "", "13", "1", "", "", "13", "1", "31"};
    }
    void dateDefaults()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, expected);
        services_.today = today;
        CoverDialog d(services_, nullptr);
        const CoverData data = d.fields();
        QCOMPARE(QStringList(data.begin(), data.end()), expected);
    }

    void corpIniSources()
    {
        const QStringList empty{"", "", "", ""};
        QCOMPARE(corpFields(CoverDialog(services_, nullptr)), empty);

        // Code page 932 in the program's directory.
        const QStringList a{"第１２３", "市道ＡＢ線改良工事", "○○市△△町１－２", "株式会社　山田建設"};
        writeFile(programIni(), cp932::encode(corpIniText(a[0], a[1], a[2], a[3])));
        QCOMPARE(corpFields(CoverDialog(services_, nullptr)), a);

        // UTF-8 only in the settings directory.
        QFile::remove(programIni());
        const QStringList b{"45", "橋梁補修工事", "北区", "有限会社 川田組"};
        writeFile(settingsIni(), utf8WithBom(corpIniText(b[0], b[1], b[2], b[3])));
        QCOMPARE(corpFields(CoverDialog(services_, nullptr)), b);

        // The program's directory comes first when both have the file.
        writeFile(programIni(), cp932::encode(corpIniText(a[0], a[1], a[2], a[3])));
        QCOMPARE(corpFields(CoverDialog(services_, nullptr)), a);

        // Missing sections and keys leave their fields empty; the date stays.
        writeFile(programIni(), cp932::encode(QStringLiteral("[工事名]\r\n名称=舗装\r\n[工事施工者]\r\n社名=x\r\n")));
        CoverDialog partial(services_, nullptr);
        QCOMPARE(corpFields(partial), (QStringList{"", "舗装", "", ""}));
        QCOMPARE(partial.field(1), QStringLiteral("8"));
    }

    void corpIniIsReadAfresh()
    {
        writeFile(programIni(), cp932::encode(corpIniText("1", "旧", "甲", "乙")));
        CoverDialog first(services_, nullptr);
        writeFile(programIni(), cp932::encode(corpIniText("2", "新", "丙", "丁")));
        CoverDialog second(services_, nullptr);
        QCOMPARE(corpFields(first), (QStringList{"1", "旧", "甲", "乙"}));
        QCOMPARE(corpFields(second), (QStringList{"2", "新", "丙", "丁"}));
        QFile::remove(programIni());
        QCOMPARE(corpFields(CoverDialog(services_, nullptr)), (QStringList{"", "", "", ""}));
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
        QPointer<CoverDialog> d = new CoverDialog(services_, &owner);
        showActive(owner, *d);
        d->textBox(3)->clear();
        QTest::keyClicks(d->textBox(3), QStringLiteral("Route 9 repair"));
        d->setField(14, QStringLiteral("20"));
        if (how == 0)
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
        else if (how == 1)
            d->close(); // what the close box does
        else
            QTest::keyClick(d->textBox(3), Qt::Key_Escape);
        QVERIFY(d);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted)); // every way out reads as "OK" to the owner
        QCOMPARE(d->field(3), QStringLiteral("Route 9 repair"));
        QCOMPARE(d->field(14), QStringLiteral("20"));
        d->show();
        QCOMPARE(d->field(3), QStringLiteral("Route 9 repair"));
        QCOMPARE(d->field(1), QStringLiteral("8"));
    }

    void fieldsRoundTrip()
    {
        CoverDialog d(services_, nullptr);
        CoverData data;
        for (int n = 1; n <= kCoverFieldCount; ++n)
            data[size_t(n - 1)] = QStringLiteral("値%1").arg(n);
        d.setFields(data);
        QCOMPARE(d.fields(), data);
        for (int n = 1; n <= kCoverFieldCount; ++n) {
            QCOMPARE(d.textBox(n)->objectName(), QStringLiteral("Text%1").arg(n));
            QCOMPARE(d.textBox(n)->text(), data[size_t(n - 1)]);
            QCOMPARE(d.field(n), data[size_t(n - 1)]);
        }
        d.setField(7, QStringLiteral("15"));
        QCOMPARE(d.findChild<QLineEdit *>(QStringLiteral("Text7"))->text(), QStringLiteral("15"));
    }

    void tabOrder()
    {
        QWidget owner;
        auto *d = new CoverDialog(services_, &owner);
        showActive(owner, *d);
        QCOMPARE(QApplication::focusWidget(), d->textBox(1));
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

    void windowAndPlacement()
    {
        QWidget owner;
        auto *d = new CoverDialog(services_, &owner);
        QCOMPARE(d->windowTitle(), QStringLiteral("表紙データ"));
        QVERIFY(d->isModal());
        QCOMPARE(d->size(), QSize(552, 237));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        const Qt::WindowFlags flags = d->windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        showActive(owner, *d);
        QVERIFY((d->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
        // Moved by the user, it reopens where it was left.
        d->hide();
        d->move(30, 40);
        d->show();
        QCOMPARE(d->pos(), QPoint(30, 40));
    }

    void layout()
    {
        CoverDialog d(services_, nullptr);
        const QList<QRect> boxes{{144, 16, 49, 18},  {328, 16, 49, 18},  {104, 48, 321, 18},  {104, 80, 321, 18},
                                 {240, 112, 33, 18}, {304, 112, 33, 18}, {360, 112, 33, 18},  {240, 144, 33, 18},
                                 {304, 144, 33, 18}, {360, 144, 33, 18}, {104, 176, 321, 18}, {144, 208, 33, 18},
                                 {208, 208, 33, 18}, {264, 208, 33, 18}};
        for (int n = 1; n <= kCoverFieldCount; ++n)
            QCOMPARE(d.textBox(n)->geometry(), boxes[n - 1]);
        QCOMPARE(d.findChild<QPushButton *>(QStringLiteral("OKButton"))->geometry(), QRect(456, 16, 81, 25));

        const QList<QPoint> rules{{8, 40}, {8, 72}, {8, 104}, {104, 136}, {104, 168}, {8, 200}};
        for (int i = 0; i < rules.size(); ++i) {
            const auto *line = d.findChild<QWidget *>(QStringLiteral("Line%1").arg(i + 1));
            QVERIFY(line);
            QCOMPARE(line->x(), rules[i].x());
            QCOMPARE(line->x() + line->width(), 424);
            QVERIFY(line->geometry().contains(QPoint(200, rules[i].y())));
        }

        // Row labels, and the fonts that tell them from the other texts.
        for (const char *text : {"工事番号", "工 事 名", "工事場所", "工　　期", "工事施工者"}) {
            QLabel *label = labelWithText(&d, QString::fromUtf8(text), 120);
            QVERIFY2(label, text);
            QCOMPARE(label->font().family(), QStringLiteral("ＭＳ ゴシック"));
            QVERIFY(label->font().bold());
            QCOMPARE(label->font().pointSizeF(), 12.0);
        }
        QLabel *submitted = labelWithText(&d, QStringLiteral("提出年月日"), 120);
        QVERIFY(submitted);
        QCOMPARE(submitted->font().pointSizeF(), 11.25);
        QVERIFY(!submitted->font().bold());
        QCOMPARE(QFontInfo(submitted->font()).family(), QStringLiteral("IPAMincho"));
        for (auto [text, x] : {std::pair{"令和", 1560},
                               {"年度", 3000},
                               {"工第", 4200},
                               {"号", 5760},
                               {"着　工", 1560},
                               {"竣　工", 1560}}) {
            QLabel *label = labelWithText(&d, QString::fromUtf8(text), x);
            QVERIFY2(label, text);
            QCOMPARE(label->font().family(), QStringLiteral("ＭＳ 明朝"));
            QCOMPARE(label->font().pointSizeF(), 12.0);
        }

        // Each date label holds three boxes in its blanks, drawn above it.
        const QList<std::pair<int, int>> dates{{3000, 5}, {3000, 8}, {1560, 12}};
        for (auto [x, first] : dates) {
            QLabel *label = nullptr;
            for (QLabel *l : d.findChildren<QLabel *>())
                if (l->text() == kDateLabel && l->x() == x / 15 &&
                    l->geometry().intersects(d.textBox(first)->geometry()))
                    label = l;
            QVERIFY(label);
            const QFontMetrics fm(label->font());
            for (int k = 0; k < 3; ++k) {
                QLineEdit *box = d.textBox(first + k);
                const QRect onLabel = box->geometry().translated(-label->pos());
                // The blanks are characters 2..4, 6..8 and 10..12.
                const int blankStart = fm.horizontalAdvance(kDateLabel.left(2 + 4 * k));
                const int blankEnd = fm.horizontalAdvance(kDateLabel.left(5 + 4 * k));
                QVERIFY2(onLabel.left() >= blankStart && onLabel.right() <= blankEnd + 2,
                         qPrintable(QStringLiteral("Text%1").arg(first + k)));
                // Siblings stack in the order of the children list, last on top.
                QVERIFY(d.children().indexOf(box) > d.children().indexOf(label));
            }
        }
    }
};

QTEST_MAIN(TestCoverDialog)
#include "tst_cover_dialog.moc"
