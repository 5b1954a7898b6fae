// Status-bar hints: the fixed twip ranges, and which controls set or keep them.
#include "form_fixture.h"
#include "ui/main/hint_texts.h"

#include <QLabel>
#include <QToolBar>
#include <QToolButton>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QString kNew = QStringLiteral("新規作成　：　新しい写真帳を作ります");
const QString kOpen = QStringLiteral("ファイルを開く　：　写真帳ファイルを開きます");
const QString kBack = QStringLiteral("前ページ　：　写真帳の編集ページを1つ戻します");
const QString kForward = QStringLiteral("次ページ　：　写真帳の編集ページを1つ進めます");

void moveOver(QWidget *w, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class TestHints : public QObject {
    Q_OBJECT

private slots:
    void toolbarRanges_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("hint");
        QTest::newRow("first button") << 0 << 100 << kNew;
        QTest::newRow("330 still new") << 330 << 100 << kNew;
        QTest::newRow("331 open") << 331 << 100 << kOpen;
        QTest::newRow("675 open") << 675 << 100 << kOpen;
        QTest::newRow("separator") << 1100 << 100 << QString();
        QTest::newRow("print") << 1880 << 100 << QStringLiteral("印刷　：　写真帳を印刷します");
        QTest::newRow("single page") << 1881 << 100 << QStringLiteral("単票印刷　：　現在のページのみ印刷します");
        QTest::newRow("cut out") << 3800 << 100 << QStringLiteral("抜取　：　写真を削除して前にずらします");
        QTest::newRow("past the buttons") << 3900 << 100 << QString();
        QTest::newRow("left of the toolbar") << -1 << 100 << QString();
        QTest::newRow("top strip") << 500 << 20 << QString();
        QTest::newRow("top strip edge") << 500 << 30 << QString();
        QTest::newRow("below the strip") << 500 << 31 << kOpen;
    }
    void toolbarRanges()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, hint);
        QCOMPARE(hints::toolbar(x, y), hint);
    }

    void spinnerRanges()
    {
        QCOMPARE(hints::spinner(0), kBack);
        QCOMPARE(hints::spinner(420), kBack);
        QCOMPARE(hints::spinner(421), kForward);
        QCOMPARE(hints::spinner(840), kForward);
        QCOMPARE(hints::spinner(841), QString());
        QCOMPARE(hints::spinner(-1), QString());
    }

    void controlsSetAndKeepTheHint()
    {
        FormFixture f;
        Form1 &form = *f.form;
        QLabel *hint = form.hintPanel();

        // Over a toolbar button the position counts from the toolbar's corner:
        // the fourth button (toppage) starts at pixel 77.
        QWidget *toppage = form.toolbar()->widgetForAction(form.action("toolbar_toppage"));
        QCOMPARE(toppage->x(), 77);
        moveOver(toppage, QPoint(5, 10));
        QCOMPARE(hint->text(), QStringLiteral("表紙　：　表紙に記載する内容を編集します"));

        moveOver(form.pageSpinner(), QPoint(27, 5)); // 405 twips
        QCOMPARE(hint->text(), kBack);
        moveOver(form.pageSpinner(), QPoint(29, 5)); // 435 twips
        QCOMPARE(hint->text(), kForward);

        moveOver(form.pageBox(), QPoint(3, 3));
        QCOMPARE(hint->text(), hints::kPageNumber);
        moveOver(form.copyButton(), QPoint(3, 3));
        QCOMPARE(hint->text(), hints::kCopyText);
        moveOver(form.pasteButton(), QPoint(3, 3));
        QCOMPARE(hint->text(), hints::kPasteText);
        moveOver(form.copyFromPreviousButton(1), QPoint(3, 3));
        QCOMPARE(hint->text(), hints::kCopyFromPrevious);

        // Title boxes and photos leave it; the bare surface clears it.
        moveOver(form.surface(), form.titleBox(1)->geometry().center());
        moveOver(form.surface(), form.photoBox(1)->geometry().center());
        QCOMPARE(hint->text(), hints::kCopyFromPrevious);
        moveOver(form.surface(), QPoint(268, 300));
        QCOMPARE(hint->text(), QString());
    }
};

QTEST_MAIN(TestHints)
#include "tst_hints.moc"
