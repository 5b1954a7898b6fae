#include "model/album_table.h"
#include "model/number_text.h"

#include <QTest>

using namespace sorvane;

class TestAlbumTable : public QObject {
    Q_OBJECT

    // Columns 0..4 of a row.
    static QStringList columns(const AlbumTable &table, int row)
    {
        QStringList texts;
        for (int column = AlbumTable::Blank; column <= AlbumTable::PhotoPath; ++column)
            texts << table.text(row, column);
        return texts;
    }

private slots:
    void pagesAreNumberedByThePageCount()
    {
        AlbumTable table;
        QCOMPARE(table.pageCount(), 1);
        QCOMPARE(table.count(), 3);
        for (int row = 1; row <= 3; ++row)
            QCOMPARE(columns(table, row), QStringList({"", QStringLiteral(" %1").arg(row), "", "", ""}));

        // Seven entries read from a file make two pages; the next page is
        // numbered by the page count, not by the row count.
        table.clear();
        for (int i = 1; i <= 7; ++i)
            table.appendEntry(PhotoEntry{numberText(i), {}, {}, {}});
        table.setPageCount(2);
        table.appendPage();
        QCOMPARE(table.pageCount(), 3);
        QCOMPARE(table.count(), 10);
        for (int row = 8; row <= 10; ++row)
            QCOMPARE(columns(table, row), QStringList({"", QStringLiteral(" %1").arg(row - 1), "", "", ""}));
        // Equal tables have the same rows and the same page count.
        table.setPageCount(1);
        QVERIFY(!(table == AlbumTable()));
        table.reset();
        QCOMPARE(table, AlbumTable());
        table.setPageCount(2);
        QVERIFY(!(table == AlbumTable()));

        // Page n holds rows 3(n-1)+1 .. 3n.
        QCOMPARE(AlbumTable::RowOf(1, 0), 1);
        QCOMPARE(AlbumTable::RowOf(1, 2), 3);
        QCOMPARE(AlbumTable::RowOf(4, 1), 11);
        // A number has one blank in front unless it is negative.
        QCOMPARE(numberText(0), QStringLiteral(" 0"));
        QCOMPARE(numberText(12), QStringLiteral(" 12"));
        QCOMPARE(numberText(-3), QStringLiteral("-3"));
    }

    void columnsAreIndependent()
    {
        AlbumTable table;
        const QStringList texts = {"ignored", " 9", "基礎", "一行目\r\n二行目", "/photos/a.jpg"};
        for (int column = AlbumTable::PhotoPath; column >= AlbumTable::Blank; --column) // column 0 last
            table.setText(2, column, texts[column]);
        QCOMPARE(table.entry(2), (PhotoEntry{texts[1], texts[2], texts[3], texts[4]}));
        table.appendEntry(" 7", "t", "c", "p");
        QCOMPARE(table.entry(4), (PhotoEntry{" 7", "t", "c", "p"}));

        // Content moves between rows, the number stays with its row.
        table.entry(1).copyContentFrom(table.entry(2));
        table.entry(2).clearContent();
        QCOMPARE(columns(table, 1), QStringList({"", " 1", texts[2], texts[3], texts[4]}));
        QCOMPARE(columns(table, 2), QStringList({"", " 9", "", "", ""}));

        // Title, comment or photo path alone makes an entry non-empty; the number does not.
        for (int column = AlbumTable::Number; column <= AlbumTable::PhotoPath; ++column) {
            AlbumTable one;
            one.setText(1, column, QStringLiteral("x"));
            QCOMPARE(one.entry(1).isEmpty(), column == AlbumTable::Number);
        }
    }

    void lastPageTakenBack()
    {
        // Page growth undone: the page count falls and exactly the last three
        // rows go; contents swap between rows while numbers stay.
        AlbumTable table;
        table.appendPage();
        table.setText(1, AlbumTable::Title, QStringLiteral("a"));
        table.setText(4, AlbumTable::PhotoPath, QStringLiteral("/p.jpg"));
        table.entry(1).swapContent(table.entry(4));
        QCOMPARE(table.text(4, AlbumTable::Title), QStringLiteral("a"));
        QCOMPARE(table.text(1, AlbumTable::PhotoPath), QStringLiteral("/p.jpg"));
        QCOMPARE(table.text(4, AlbumTable::Number), QStringLiteral(" 4"));
        table.removeLastPage();
        QCOMPARE(table.pageCount(), 1);
        QCOMPARE(table.count(), 3);
        QCOMPARE(table.text(1, AlbumTable::PhotoPath), QStringLiteral("/p.jpg"));
        QCOMPARE(table.text(3, AlbumTable::Number), QStringLiteral(" 3"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumTable)
#include "tst_album_table.moc"
