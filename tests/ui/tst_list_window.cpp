// The list window: its five columns, how it follows the album document, and
// that closing it only hides it.
#include "album_document_of.h"
#include "text/font_faces.h"
#include "ui/dialogs/list_window.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace sorvane;
using namespace sorvane::testing;

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
        table.setPageCount(1);
        const auto album = documentOf(table);
        ListWindow window(*album, &owner);
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

    // Each edit of the document reaches the list as it happens, and only the
    // rows it touched are reported changed.
    void followsEveryEditOfTheDocument()
    {
        QWidget owner;
        AlbumDocument album;
        ListWindow window(album, &owner);
        QCOMPARE(listed(window), tableLines(album.table()));
        QSignalSpy changed(window.listView()->model(), &QAbstractItemModel::dataChanged);
        album.setTexts(2, QStringLiteral("基礎工事"), QStringLiteral("a\r\nb"), QStringLiteral("貼り付け"), {});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);
        QCOMPARE(changed[0][1].toModelIndex().row(), 1);
        QCOMPARE(cell(window, 1, 2), QStringLiteral("基礎工事"));

        album.setPhoto(3, QStringLiteral("/p/c.jpg"), true, QStringLiteral("写真"), {});
        QCOMPARE(rows(window), 6);
        album.insertEntry(1, {});
        QCOMPARE(listed(window), tableLines(album.table()));
        QCOMPARE(cell(window, 2, 2), QStringLiteral("基礎工事"));
        album.undo();
        album.undo(); // the page growth taken back
        QCOMPARE(rows(window), 3);
        QCOMPARE(listed(window), tableLines(album.table()));

        AlbumTable other;
        other.clear();
        other.appendEntry(QStringLiteral(" 1"), QStringLiteral("only"), QString(), QString());
        album.replace(AlbumContents{{}, other}, {});
        QCOMPARE(listed(window), tableLines(album.table()));
        QCOMPARE(cell(window, 0, 2), QStringLiteral("only"));
        album.startNew({});
        QCOMPARE(listed(window), tableLines(album.table()));
    }

    void followingKeepsTheScrollPositionAndSelection()
    {
        QWidget owner;
        AlbumTable table;
        for (int i = 0; i < 200; ++i)
            table.appendPage();
        const auto album = documentOf(table);
        ListWindow window(*album, &owner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollBar *bar = window.listView()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int position = bar->value();
        QVERIFY(position > 0);
        window.listView()->selectRow(300);
        album->setPhoto(album->rowCount(), QStringLiteral("/p/last.jpg"), true, QStringLiteral("写真"), {});
        album->setTexts(301, QStringLiteral("t"), {}, QStringLiteral("貼り付け"), {});
        QCOMPARE(rows(window), 606);
        QCOMPARE(bar->value(), position);
        QCOMPARE(window.listView()->selectionModel()->selectedRows().value(0).row(), 300);
    }

    void closingOnlyHides()
    {
        QWidget owner;
        AlbumDocument album;
        QPointer<ListWindow> window = new ListWindow(album, &owner);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window);
        // Hidden, it still follows the album.
        album.setPhoto(3, QStringLiteral("/p/c.jpg"), true, QStringLiteral("写真"), {});
        window->show();
        QCOMPARE(listed(*window), tableLines(album.table()));
    }
};

QTEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
