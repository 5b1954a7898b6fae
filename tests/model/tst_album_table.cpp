#include "model/album_table.h"
#include "model/number_text.h"

#include <QTest>

using namespace sorvane;

class TestAlbumTable : public QObject {
    Q_OBJECT

private slots:
    void freshTableHoldsOneEmptyPage()
    {
        const AlbumTable table;
        QCOMPARE(table.count(), 3);
        QCOMPARE(table.pageCount(), 1);
        for (int row = 1; row <= 3; ++row) {
            QCOMPARE(table.text(row, AlbumTable::Number), QStringLiteral(" %1").arg(row));
            QVERIFY(table.entry(row).isEmpty());
            QCOMPARE(table.text(row, AlbumTable::Blank), QString());
        }
    }

    void rowOfPageAndSlot()
    {
        QCOMPARE(AlbumTable::RowOf(1, 0), 1);
        QCOMPARE(AlbumTable::RowOf(1, 2), 3);
        QCOMPARE(AlbumTable::RowOf(2, 0), 4);
        QCOMPARE(AlbumTable::RowOf(4, 1), 11);
    }

    void appendPageNumbersTheNewRows()
    {
        AlbumTable table;
        table.appendPage();
        table.appendPage();
        table.appendPage();
        QCOMPARE(table.pageCount(), 4);
        QCOMPARE(table.count(), 12);
        QCOMPARE(table.text(10, AlbumTable::Number), QStringLiteral(" 10"));
        QCOMPARE(table.text(12, AlbumTable::Number), QStringLiteral(" 12"));
        QVERIFY(table.entry(11).isEmpty());
    }

    void columnsAreIndependent()
    {
        AlbumTable table;
        table.setText(2, AlbumTable::Title, QStringLiteral("基礎"));
        table.setText(2, AlbumTable::Comment, QStringLiteral("一行目\r\n二行目"));
        table.setText(2, AlbumTable::PhotoPath, QStringLiteral("/photos/a.jpg"));
        table.setText(2, AlbumTable::Blank, QStringLiteral("ignored"));
        QCOMPARE(table.text(2, AlbumTable::Number), QStringLiteral(" 2"));
        QCOMPARE(table.text(2, AlbumTable::Title), QStringLiteral("基礎"));
        QCOMPARE(table.text(2, AlbumTable::Comment), QStringLiteral("一行目\r\n二行目"));
        QCOMPARE(table.text(2, AlbumTable::PhotoPath), QStringLiteral("/photos/a.jpg"));
        QCOMPARE(table.text(2, AlbumTable::Blank), QString());
        QVERIFY(table.entry(1).isEmpty() && table.entry(3).isEmpty());
        QVERIFY(!table.entry(2).isEmpty());
    }

    void resetAndClear()
    {
        AlbumTable table;
        table.appendPage();
        table.setText(1, AlbumTable::Title, QStringLiteral("x"));
        table.reset();
        QCOMPARE(table, AlbumTable());

        table.clear();
        QCOMPARE(table.count(), 0);
        table.appendEntry(QStringLiteral(" 7"), QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("p"));
        QCOMPARE(table.count(), 1);
        QCOMPARE(table.entry(1),
                 (PhotoEntry{QStringLiteral(" 7"), QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("p")}));
    }

    void appendPageAfterAnUnevenTable()
    {
        // Seven entries read from a file make two pages; the next page is
        // numbered by the page count, not by the row count.
        AlbumTable table;
        table.clear();
        for (int i = 1; i <= 7; ++i)
            table.appendEntry(numberText(i), {}, {}, {});
        table.setPageCount(2);
        table.appendPage();
        QCOMPARE(table.pageCount(), 3);
        QCOMPARE(table.count(), 10);
        QCOMPARE(table.text(8, AlbumTable::Number), QStringLiteral(" 7"));
        QCOMPARE(table.text(10, AlbumTable::Number), QStringLiteral(" 9"));
    }

    void revisionGrowsWithEveryChange()
    {
        AlbumTable table;
        quint64 seen = table.revision();
        const auto changed = [&] {
            const bool grew = table.revision() > seen;
            seen = table.revision();
            return grew;
        };
        table.setText(1, AlbumTable::Title, QStringLiteral("t"));
        QVERIFY(changed());
        table.entry(2).clearContent();
        QVERIFY(changed());
        table.appendPage();
        QVERIFY(changed());
        table.clear();
        QVERIFY(changed());
        table.appendEntry(PhotoEntry{});
        QVERIFY(changed());
        table.setPageCount(0);
        QVERIFY(changed());
        table.reset();
        QVERIFY(changed());
        (void)std::as_const(table).entry(1);
        (void)table.text(1, AlbumTable::Title);
        QVERIFY(!changed());
    }

    void numberTextHasALeadingBlankUnlessNegative()
    {
        QCOMPARE(numberText(0), QStringLiteral(" 0"));
        QCOMPARE(numberText(1), QStringLiteral(" 1"));
        QCOMPARE(numberText(12), QStringLiteral(" 12"));
        QCOMPARE(numberText(-3), QStringLiteral("-3"));
        QCOMPARE(numberText(100000), QStringLiteral(" 100000"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumTable)
#include "tst_album_table.moc"
