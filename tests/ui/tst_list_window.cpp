// The list window: its five columns, how it follows the album table, and
// that closing it only hides it.
#include "ui/dialogs/list_window.h"
#include "ui/main/fonts.h"
#include "ui/main/twips.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace sorvane;

namespace {

QString cell(const ListWindow &window, int row, int column)
{
    const QAbstractItemModel *model = window.listView()->model();
    return model->data(model->index(row, column)).toString();
}

int rows(const ListWindow &window)
{
    return window.listView()->model()->rowCount();
}

// The whole list as text, a line per row and a tab between columns.
QStringList listed(const ListWindow &window)
{
    QStringList lines;
    for (int row = 0; row < rows(window); ++row) {
        QStringList cells;
        for (int column = 0; column < window.listView()->model()->columnCount(); ++column)
            cells << cell(window, row, column);
        lines << cells.join(u'\t');
    }
    return lines;
}

QStringList tableLines(const AlbumTable &table)
{
    QStringList lines;
    for (int row = 1; row <= table.count(); ++row)
        lines << QStringList{QString(), table.text(row, 1), table.text(row, 2), table.text(row, 3), table.text(row, 4)}
                     .join(u'\t');
    return lines;
}

} // namespace

class TestListWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void columnsHeadersAndWidths()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        QCOMPARE(window.windowTitle(), QStringLiteral("Data Table"));
        QVERIFY(window.isWindow());
        QCOMPARE(window.parentWidget(), &owner);
        QCOMPARE(window.objectName(), QStringLiteral("Form2"));

        const QAbstractItemModel *model = window.listView()->model();
        QCOMPARE(model->columnCount(), 5);
        QStringList headers;
        for (int column = 0; column < 5; ++column)
            headers << model->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"", "No.", "タイトル", "テキスト", "画像ファイル"}));

        QTableView *view = window.listView();
        QVERIFY(view->isColumnHidden(0));
        QCOMPARE(view->columnWidth(0), 0);
        QCOMPARE(view->columnWidth(1), px(500));
        QCOMPARE(view->columnWidth(2), px(3000));
        QCOMPARE(view->columnWidth(3), px(3000));
        QCOMPARE(view->columnWidth(4), px(3000));
        QVERIFY(!view->isSortingEnabled());
        QVERIFY(!view->verticalHeader()->isVisible());
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void rowsAreTheTableInOrder()
    {
        QWidget owner;
        AlbumTable table;
        table.clear();
        // Deliberately out of number order: the list keeps the table's order.
        table.appendEntry(QStringLiteral(" 3"), QStringLiteral("三"), QStringLiteral("a\r\nb"),
                          QStringLiteral("/p/3.jpg"));
        table.appendEntry(QStringLiteral(" 1"), QStringLiteral("一"), QString(), QString());
        table.appendEntry(QStringLiteral(" 2"), QString(), QStringLiteral("二"), QStringLiteral("/p/2.bmp"));
        ListWindow window(table, &owner);
        window.refresh();
        QCOMPARE(rows(window), 3);
        QCOMPARE(listed(window), QStringList({"\t 3\t三\ta\r\nb\t/p/3.jpg", "\t 1\t一\t\t", "\t 2\t\t二\t/p/2.bmp"}));
        QCOMPARE(listed(window), tableLines(table));
        // Column 0 is empty in every row.
        for (int row = 0; row < rows(window); ++row)
            QCOMPARE(cell(window, row, 0), QString());
        // Nothing outside the five columns or for other roles.
        const QAbstractItemModel *model = window.listView()->model();
        QCOMPARE(model->rowCount(model->index(0, 1)), 0);
        QVERIFY(!model->data(model->index(0, 2), Qt::EditRole).isValid());
    }

    void refreshReadsTheTableNow()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        QCOMPARE(rows(window), 3);
        QCOMPARE(cell(window, 1, 1), QStringLiteral(" 2"));

        table.setText(2, AlbumTable::Title, QStringLiteral("基礎工事"));
        window.refresh();
        QCOMPARE(cell(window, 1, 2), QStringLiteral("基礎工事"));

        table.appendPage();
        window.refresh();
        QCOMPARE(rows(window), 6);
        QCOMPARE(listed(window), tableLines(table));

        table.clear();
        window.refresh();
        QCOMPARE(rows(window), 0);

        table.reset();
        window.refresh();
        QCOMPARE(rows(window), 3);
        QCOMPARE(listed(window), tableLines(table));
    }

    void shownWindowFollowsTheTable()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        // Changed while hidden: showing reads it at once.
        table.setText(1, AlbumTable::Comment, QStringLiteral("before"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(cell(window, 0, 3), QStringLiteral("before"));

        // The view is told of changes only when the table has changed.
        QSignalSpy changed(window.listView()->model(), &QAbstractItemModel::dataChanged);
        QTest::qWait(3 * ListWindow::kFollowIntervalMs);
        QCOMPARE(changed.count(), 0);
        table.setText(3, AlbumTable::PhotoPath, QStringLiteral("/photos/a.jpg"));
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(cell(window, 2, 4), QStringLiteral("/photos/a.jpg"));
        table.appendPage();
        table.appendPage();
        QTRY_COMPARE(rows(window), 9);
        QCOMPARE(listed(window), tableLines(table));
        table.clear();
        table.appendEntry(QStringLiteral(" 1"), QStringLiteral("only"), QString(), QString());
        QTRY_COMPARE(rows(window), 1);
        QCOMPARE(cell(window, 0, 2), QStringLiteral("only"));
    }

    void hiddenWindowStopsFollowing()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.hide();
        // Cells are always read from the table, but the rows the list holds
        // move only when it looks again: not while hidden.
        table.appendPage();
        QTest::qWait(3 * ListWindow::kFollowIntervalMs);
        QCOMPARE(rows(window), 3);
        window.show();
        QCOMPARE(rows(window), 6);
        QCOMPARE(listed(window), tableLines(table));
    }

    void followingKeepsTheScrollPosition()
    {
        QWidget owner;
        AlbumTable table;
        for (int i = 0; i < 200; ++i)
            table.appendPage();
        ListWindow window(table, &owner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollBar *bar = window.listView()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int position = bar->value();
        QVERIFY(position > 0);
        table.setText(5, AlbumTable::Title, QStringLiteral("changed"));
        QTRY_COMPARE(cell(window, 4, 2), QStringLiteral("changed"));
        QCOMPARE(bar->value(), position);
    }

    void closingOnlyHides()
    {
        QWidget owner;
        AlbumTable table;
        QPointer<ListWindow> window = new ListWindow(table, &owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window.isNull());
        QVERIFY(!window->testAttribute(Qt::WA_DeleteOnClose));

        table.setText(2, AlbumTable::Title, QStringLiteral("kept"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(cell(*window, 1, 2), QStringLiteral("kept"));
        QCOMPARE(table.text(2, AlbumTable::Title), QStringLiteral("kept"));
    }

    void tenThousandRows()
    {
        QWidget owner;
        AlbumTable table;
        table.clear();
        table.reserve(10000);
        for (int row = 1; row <= 10000; ++row)
            table.appendEntry(QString::number(row).rightJustified(5), QStringLiteral("題%1").arg(row),
                              QStringLiteral("説明%1").arg(row), QStringLiteral("/p/%1.jpg").arg(row));
        ListWindow window(table, &owner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(rows(window), 10000);
        window.listView()->scrollToBottom();
        QApplication::processEvents();
        for (int i = 0; i < 10; ++i) {
            table.setText(10000, AlbumTable::Title, QStringLiteral("last %1").arg(i));
            window.refresh();
            window.listView()->viewport()->repaint();
        }
        QCOMPARE(cell(window, 9999, 1), QStringLiteral("10000"));
        QCOMPARE(cell(window, 9999, 2), QStringLiteral("last 9"));
        QCOMPARE(cell(window, 4999, 3), QStringLiteral("説明5000"));
        QCOMPARE(cell(window, 0, 4), QStringLiteral("/p/1.jpg"));

        // And back down to a fresh table.
        table.reset();
        QTRY_COMPARE(rows(window), 3);
        QCOMPARE(listed(window), tableLines(table));
    }
};

QTEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
