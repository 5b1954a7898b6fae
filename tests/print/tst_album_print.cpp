// The page sequence of a whole-album print and of the single-page print.
#include "album_document_of.h"
#include "model/number_text.h"
#include "print/album_print.h"
#include "recording_surface.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

QImage colour(QColor c)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

// An album of `pages` pages; photo paths as given by row (1-based).
AlbumTable album(int pages, const QHash<int, QString> &photos)
{
    AlbumTable table;
    for (int p = 1; p < pages; ++p)
        table.appendPage();
    for (auto it = photos.cbegin(); it != photos.cend(); ++it)
        table.setText(it.key(), AlbumTable::PhotoPath, it.value());
    for (int r = 1; r <= table.count(); ++r)
        table.setText(r, AlbumTable::Title, QStringLiteral("title %1").arg(r));
    return table;
}

PrintPictureLoader pictures(const QHash<QString, QImage> &known, QStringList *asked = nullptr)
{
    return [known, asked](const QString &path, QString *error) {
        if (asked)
            asked->append(path);
        if (!known.contains(path)) {
            *error = QStringLiteral("missing");
            return QImage();
        }
        return known.value(path);
    };
}

} // namespace

class TestAlbumPrint : public QObject {
    Q_OBJECT

private slots:
    void coverThenPagesWithPhotos()
    {
        // Page 2 has no photo path: its page break is requested, nothing
        // drawn. Page 3's only photo cannot be loaded: the page prints
        // without it, and the photo is reported.
        const AlbumTable table = album(3, {{1, "/a.jpg"}, {3, "/c.jpg"}, {8, "/gone.jpg"}});
        RecordingSurface surface;
        QStringList asked;
        const PrintReport report =
            PrintAlbum(surface, *documentOf(table), PrintSettings{},
                       pictures({{"/a.jpg", colour(Qt::red)}, {"/c.jpg", colour(Qt::blue)}}, &asked));
        QCOMPARE(report.missingPhotos, QStringList{"/gone.jpg"});
        QVERIFY(!report.cancelled);
        QCOMPARE(asked, QStringList({"/a.jpg", "/c.jpg", "/gone.jpg"}));
        QCOMPARE(surface.calls.last(), QStringLiteral("end document"));

        // Sheets: cover | page 1 | (empty) | page 3.
        const QStringList sheets = surface.calls.join('\n').split(QStringLiteral("new page"));
        QCOMPARE(sheets.size(), 4);
        QVERIFY(sheets[1].contains("text 143.50 23.00 title 1"));
        QVERIFY(sheets[1].contains("text 143.50 206.00 title 3")); // every slot of a drawn page
        QVERIFY(sheets[1].contains("picture 8x6 #ff0000 19.50 11.00 120.00 87.00"));
        QVERIFY(sheets[1].contains("picture 8x6 #0000ff 19.50 194.00 120.00 87.00"));
        QCOMPARE(sheets[2], QStringLiteral("\n")); // nothing between the two breaks
        QVERIFY(sheets[3].contains("text 143.50 15.00 No. 7"));
        QVERIFY(sheets[3].contains("text 143.50 115.00 title 8"));
        QCOMPARE(sheets[3].count("box 18.50"), 3);
        QVERIFY(!sheets[3].contains("picture"));
    }

    void settingsReachEveryPage()
    {
        const AlbumTable table = album(2, {{1, "/a.jpg"}, {4, "/a.jpg"}});
        RecordingSurface surface;
        PrintAlbum(surface, *documentOf(table), PrintSettings{10, -5, false}, pictures({{"/a.jpg", colour(Qt::red)}}));
        // The cover's origin, then each photo page's (13.5 and 2 mm added).
        QCOMPARE(surface.callsStartingWith("origin"),
                 QStringList({"origin 10.00 -5.00", "origin 23.50 -3.00", "origin 23.50 -3.00"}));
        QVERIFY(surface.callsStartingWith("text 143.50 15.00").isEmpty()); // no number labels
    }

    void rowsBeyondTheLastWholePageAreNotPrinted()
    {
        AlbumTable table = album(2, {{1, "/a.jpg"}});
        table.appendEntry(numberText(7), QStringLiteral("orphan"), {}, QStringLiteral("/a.jpg"));
        RecordingSurface surface;
        PrintAlbum(surface, *documentOf(table), PrintSettings{}, pictures({{"/a.jpg", colour(Qt::red)}}));
        QVERIFY(!surface.calls.join('\n').contains("orphan"));
    }

    void cancellingEndsTheDocument()
    {
        const AlbumTable table = album(3, {{1, "/a.jpg"}, {4, "/a.jpg"}, {7, "/a.jpg"}});
        RecordingSurface surface;
        QList<int> seen;
        const PrintReport report = PrintAlbum(surface, *documentOf(table), PrintSettings{},
                                              pictures({{"/a.jpg", colour(Qt::red)}}), [&seen](int page, int pages) {
                                                  seen.append(page);
                                                  return !(page == 2 && pages == 3);
                                              });
        QVERIFY(report.cancelled);
        QCOMPARE(seen, QList<int>({1, 2}));
        QCOMPARE(surface.callsStartingWith("picture").size(), 1); // page 1 only
        QCOMPARE(surface.calls.last(), QStringLiteral("end document"));
    }

    void singlePageIsDrawnEvenWithoutPhotos()
    {
        std::array<PhotoSlot, 3> pageSlots;
        for (int k = 0; k < 3; ++k)
            pageSlots[size_t(k)].numberLabel = QStringLiteral("No. %1").arg(k + 4);
        RecordingSurface surface;
        PrintCurrentPage(surface, pageSlots, PrintSettings{0, 0, true});
        QCOMPARE(surface.callsStartingWith("box").size(), 3);
        QCOMPARE(surface.callsStartingWith("text 143.50 107.00"), QStringList{"text 143.50 107.00 No. 5"});
        QVERIFY(surface.callsStartingWith("new page").isEmpty());
        QCOMPARE(surface.calls.last(), QStringLiteral("end document"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumPrint)
#include "tst_album_print.moc"
