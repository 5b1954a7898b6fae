// Entries put in shooting-date order: which entries move with which photo,
// where undated photos and empty entries go, and the permutations the
// document accepts.
#include "album_document_of.h"
#include "model/entry_order.h"
#include "model/number_text.h"

#include <QTest>

using namespace sorvane;
using sorvane::testing::documentOf;

namespace {

// An album from a compact description: one word per entry, "P<day>" a photo
// shot on that day of November (P0: a photo without a date), "T" an entry
// with a title only, "C" a comment only, "-" an empty entry. Each entry's
// texts name its position, so the result shows where it came from.
struct Described {
    AlbumTable table;
    QList<QDateTime> dates;
};

Described describe(const QString &words)
{
    Described d;
    d.table.clear();
    int r = 0;
    for (const QString &w : words.split(u' ', Qt::SkipEmptyParts)) {
        ++r;
        const QString tag = QString::number(r);
        QDateTime when;
        if (w.startsWith(u'P') && w.mid(1).toInt() > 0)
            when = QDateTime(QDate(2026, 11, w.mid(1).toInt()), QTime(9, 0), Qt::OffsetFromUTC, 9 * 3600);
        d.table.appendEntry(numberText(r), w == u"T" || w.startsWith(u'P') ? "題" + tag : QString(),
                            w == u"C" ? "説明" + tag : QString(),
                            w.startsWith(u'P') ? "/写真/" + tag + ".JPG" : QString());
        d.dates << when;
    }
    d.table.setPageCount(r / 3);
    return d;
}

} // namespace

class TestEntryOrder : public QObject {
    Q_OBJECT

private slots:
    void photosGoByDateTakingTheirTexts_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("in order already") << "P1 P2 P3" << QList{1, 2, 3};
        QTest::newRow("reversed") << "P3 P2 P1" << QList{3, 2, 1};
        QTest::newRow("equal dates keep their order") << "P5 P2 P5 P2 P5 P1" << QList{6, 2, 4, 1, 3, 5};
        QTest::newRow("texts stay behind their photo") << "P3 T C P1 T P2" << QList{4, 5, 6, 1, 2, 3};
        QTest::newRow("texts before the first photo stay first") << "T C P2 P1 T -" << QList{1, 2, 4, 5, 3, 6};
        QTest::newRow("empty entries go to the end") << "- P2 - P1 - T" << QList{4, 6, 2, 1, 3, 5};
        QTest::newRow("undated photos after the dated ones") << "P0 P2 P0 T P1 -" << QList{5, 2, 1, 3, 4, 6};
        QTest::newRow("nothing but texts and gaps") << "T - C" << QList{1, 3, 2};
    }

    void photosGoByDateTakingTheirTexts()
    {
        QFETCH(QString, entries);
        QFETCH(QList<int>, order);
        const Described d = describe(entries);
        QCOMPARE(dateSortOrder(d.table, d.dates), order);
    }

    void datesCompareAcrossOffsets()
    {
        // 10:00 in Tokyo is 01:00 UTC: before 02:00 UTC, although its clock
        // time is later. The instants count.
        Described d = describe("P1 P1");
        d.dates[0] = QDateTime(QDate(2026, 11, 1), QTime(2, 0), Qt::UTC);
        d.dates[1] = QDateTime(QDate(2026, 11, 1), QTime(10, 0), Qt::OffsetFromUTC, 9 * 3600);
        QCOMPARE(dateSortOrder(d.table, d.dates), (QList{2, 1}));
        // Dates missing for rows beyond the list count as undated.
        d.dates.removeLast();
        QCOMPARE(dateSortOrder(d.table, d.dates), (QList{1, 2}));
    }

    void reorderMovesContentsNotNumbers()
    {
        const Described d = describe("P3 T P1 - P2 C");
        auto doc = documentOf(d.table, {});
        QVERIFY(doc->reorderEntries(dateSortOrder(d.table, d.dates), "並べ替え", {}));
        QCOMPARE(doc->history().count(), 1);
        const QStringList titles{"題3", "題5", "", "題1", "題2", ""};
        for (int r = 1; r <= 6; ++r) {
            QCOMPARE(doc->entry(r).number, numberText(r));
            QCOMPARE(doc->entry(r).title, titles[r - 1]);
        }
        QCOMPARE(doc->entry(3).comment, QString("説明6"));
        QVERIFY(doc->entry(6).isEmpty());
        // Sorted again, nothing moves: no second step.
        const Described now{doc->table(), {d.dates[2], d.dates[4], {}, d.dates[0], {}, {}}};
        QVERIFY(!doc->reorderEntries(dateSortOrder(now.table, now.dates), "並べ替え", {}));
        QCOMPARE(doc->history().count(), 1);
    }

    void reorderRefusesWhatIsNoPermutation_data()
    {
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("identity") << QList{1, 2, 3, 4, 5, 6};
        QTest::newRow("only empty entries trade places") << QList{1, 2, 3, 6, 5, 4};
        QTest::newRow("too short") << QList{2, 1, 3, 4, 5};
        QTest::newRow("too long") << QList{2, 1, 3, 4, 5, 6, 7};
        QTest::newRow("a row twice") << QList{2, 2, 3, 4, 5, 6};
        QTest::newRow("row 0") << QList{0, 1, 3, 4, 5, 6};
        QTest::newRow("beyond the last row") << QList{7, 1, 3, 4, 5, 6};
    }

    void reorderRefusesWhatIsNoPermutation()
    {
        QFETCH(QList<int>, order);
        const Described d = describe("P1 P2 T - - -");
        auto doc = documentOf(d.table, {});
        QVERIFY(!doc->reorderEntries(order, "並べ替え", {}));
        QCOMPARE(doc->history().count(), 0);
        QVERIFY(doc->table() == d.table);
    }
};

QTEST_GUILESS_MAIN(TestEntryOrder)
#include "tst_entry_order.moc"
