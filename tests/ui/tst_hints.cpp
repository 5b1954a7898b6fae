// Status-bar hints: the fixed twip ranges, and which controls set or keep them.
#include "form_fixture.h"
#include "ui/main/hint_texts.h"

#include <QLabel>
#include <QToolBar>
#include <QToolButton>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// Whether a hint names the command: "name　：　what it does", or empty for none.
bool names(const QString &hint, const QString &name)
{
    return name.isEmpty() ? hint.isEmpty() : hint.startsWith(name + QStringLiteral("　：　"));
}

void moveOver(QWidget *w, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class TestHints : public QObject {
    Q_OBJECT

private slots:
    void ranges()
    {
        // Twips from the toolbar's corner; its top 30 twips have no hint.
        const std::tuple<int, int, const char *> toolbar[] = {{0, 100, "新規作成"},
                                                              {330, 100, "新規作成"},
                                                              {331, 100, "ファイルを開く"},
                                                              {1100, 100, ""},
                                                              {1880, 100, "印刷"},
                                                              {1881, 100, "単票印刷"},
                                                              {3800, 100, "抜取"},
                                                              {3801, 100, ""},
                                                              {-1, 100, ""},
                                                              {500, 30, ""},
                                                              {500, 31, "ファイルを開く"},
                                                              {5519, 100, ""},
                                                              {5520, 100, "一括取り込み"},
                                                              {5865, 100, "一括取り込み"},
                                                              {5866, 100, ""}};
        for (const auto &[x, y, name] : toolbar)
            QVERIFY2(names(hints::toolbar(x, y), name), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        const std::pair<int, const char *> spinner[] = {{0, "前ページ"},   {420, "前ページ"}, {421, "次ページ"},
                                                        {840, "次ページ"}, {841, ""},         {-1, ""}};
        for (const auto &[x, name] : spinner)
            QVERIFY2(names(hints::spinner(x), name), qPrintable(QString::number(x)));
    }

    void controlsSetAndKeepTheHint()
    {
        FormFixture f;
        Form1 &form = *f.form;
        QLabel *hint = form.hintPanel();

        // Every toolbar button's own range lies under its middle.
        for (QAction *a : form.toolbar()->actions()) {
            if (!a->data().isValid())
                continue; // a separator
            QWidget *button = form.toolbar()->widgetForAction(a);
            moveOver(button, button->rect().center());
            QVERIFY2(names(hint->text(), a->toolTip()), qPrintable(a->toolTip() + " / " + hint->text()));
        }
        // The button added later stands clear of the controls lying over the
        // toolbar, so it can be seen and clicked.
        QWidget *bulk = form.toolbar()->findChild<QWidget *>(QStringLiteral("toolbar_bulkimport"));
        QVERIFY(bulk);
        const QRect bulkRect(bulk->mapTo(form.surface(), QPoint(0, 0)), bulk->size());
        for (QWidget *over : {static_cast<QWidget *>(form.pageBox()), static_cast<QWidget *>(form.pageSpinner()),
                              static_cast<QWidget *>(form.copyButton())})
            QVERIFY(!bulkRect.intersects(over->geometry()));
        moveOver(form.toolbar(), QPoint(form.toolbar()->width() - 5, 10)); // past the buttons
        QCOMPARE(hint->text(), QString());

        moveOver(form.pageSpinner(), QPoint(27, 5)); // 405 twips
        QVERIFY(names(hint->text(), "前ページ"));
        moveOver(form.pageSpinner(), QPoint(29, 5)); // 435 twips
        QVERIFY(names(hint->text(), "次ページ"));

        const std::pair<QWidget *, QString> fixed[] = {{form.pageBox(), hints::kPageNumber},
                                                       {form.copyButton(), hints::kCopyText},
                                                       {form.pasteButton(), hints::kPasteText},
                                                       {form.copyFromPreviousButton(1), hints::kCopyFromPrevious}};
        for (const auto &[widget, text] : fixed) {
            moveOver(widget, QPoint(3, 3));
            QCOMPARE(hint->text(), text);
        }

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
