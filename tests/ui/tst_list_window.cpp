// The list window: its five columns, how it follows the album table, and
// that closing it only hides it.
#include "ui/dialogs/list_window.h"
#include "ui/main/fonts.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
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

// The table as the list should show it.
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

    void columnsAndRowsInTableOrder()
    {
        QWidget owner;
        AlbumTable table;
        table.clear();
        // Out of number order: the list keeps the table's order.
        table.appendEntry(QStringLiteral(" 3"), QStringLiteral("三"), QStringLiteral("a\r\nb"),
                          QStringLiteral("/p/3.jpg"));
        table.appendEntry(QStringLiteral(" 1"), QStringLiteral("一"), QString(), QString());
        table.appendEntry(QStringLiteral(" 2"), QString(), QStringLiteral("二"), QStringLiteral("/p/2.bmp"));
        ListWindow window(table, &owner);
        QVERIFY(window.isWindow());
        QCOMPARE(window.parentWidget(), &owner);

        QTableView *view = window.listView();
        QStringList headers;
        for (int column = 0; column < view->model()->columnCount(); ++column)
            headers << view->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"", "No.", "タイトル", "テキスト", "画像ファイル"}));
        QVERIFY(view->isColumnHidden(0));
        QVERIFY(!view->isSortingEnabled());
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(listed(window), QStringList({"\t 3\t三\ta\r\nb\t/p/3.jpg", "\t 1\t一\t\t", "\t 2\t\t二\t/p/2.bmp"}));
    }

    void refreshReadsTheTableNow()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        QCOMPARE(listed(window), tableLines(table));
        table.setText(2, AlbumTable::Title, QStringLiteral("基礎工事"));
        table.appendPage();
        window.refresh();
        QCOMPARE(rows(window), 6);
        QCOMPARE(cell(window, 1, 2), QStringLiteral("基礎工事"));
        QCOMPARE(listed(window), tableLines(table));
        table.clear();
        window.refresh();
        QCOMPARE(rows(window), 0);
        table.reset();
        window.refresh();
        QCOMPARE(listed(window), tableLines(table));
    }

    void shownWindowFollowsTheTable()
    {
        QWidget owner;
        AlbumTable table;
        ListWindow window(table, &owner);
        window.show();
        // The view is told of changes only when the table has changed.
        QSignalSpy changed(window.listView()->model(), &QAbstractItemModel::dataChanged);
        QTest::qWait(3 * ListWindow::kFollowIntervalMs);
        QCOMPARE(changed.count(), 0);
        table.setText(3, AlbumTable::PhotoPath, QStringLiteral("/photos/a.jpg"));
        QTRY_COMPARE(changed.count(), 1);
        table.appendPage();
        table.appendPage();
        QTRY_COMPARE(rows(window), 9);
        QCOMPARE(listed(window), tableLines(table));
        table.clear();
        table.appendEntry(QStringLiteral(" 1"), QStringLiteral("only"), QString(), QString());
        QTRY_COMPARE(rows(window), 1);
        QCOMPARE(cell(window, 0, 2), QStringLiteral("only"));
    }

    void followingKeepsTheScrollPositionAndSelection()
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
        window.listView()->selectRow(300);
        table.appendPage();
        QTRY_COMPARE(rows(window), 606); // the window has looked at the table
        QCOMPARE(bar->value(), position);
        QCOMPARE(window.listView()->selectionModel()->selectedRows().value(0).row(), 300);
    }

    void closingOnlyHidesAndStopsFollowing()
    {
        QWidget owner;
        AlbumTable table;
        QPointer<ListWindow> window = new ListWindow(table, &owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window);

        // Hidden, the list keeps its rows; cells past the table read empty.
        table.setText(3, AlbumTable::Title, QStringLiteral("gone"));
        table.clear();
        QTest::qWait(3 * ListWindow::kFollowIntervalMs);
        QCOMPARE(rows(*window), 3);
        QCOMPARE(cell(*window, 2, 2), QString());
        table.reset();
        table.appendPage();
        window->show(); // and reads the table as it shows again
        QCOMPARE(rows(*window), 6);
        QCOMPARE(listed(*window), tableLines(table));
    }
};

QTEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
