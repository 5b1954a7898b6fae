// The album document and its history: every edit undone and redone to the
// exact bytes of the album file, typing steps, the saved flag, page growth
// and the bounds of the history and of the album.
#include "album_document_of.h"
#include "io/album_file.h"
#include "model/number_text.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace sorvane;
using sorvane::testing::documentOf;

namespace {

enum class Op { Photo, PhotoGrowing, Texts, Clear, Insert, CutOut, Cover, Typing, Import, Reorder, Relink };

// The photos Op::Import brings in, in this order.
const QStringList kImported{QStringLiteral("/取込/DSC_0001.JPG"), QStringLiteral("/取込/DSC_0002.JPG")};
// The order Op::Reorder puts the twelve entries of four pages in: cycles of
// one, two, three and more rows, one running across pages.
const QList<int> kReorder{2, 3, 1, 4, 12, 6, 8, 7, 9, 10, 11, 5};
// The photo paths Op::Relink gives rows, the row it is made at first.
const QMap<int, QString> kRelinked{
    {2, QStringLiteral("/新/IMG_2.JPG")}, {5, QStringLiteral("/新/IMG_5.JPG")}, {11, QStringLiteral("/新/IMG_11.JPG")}};
using Edit = std::function<void(AlbumDocument &)>;
using RowPaths = QMap<int, QString>;

// What undo and redo must give back: the bytes of the album file (numbers
// included) and the pages, which the file does not hold.
struct Snapshot {
    QByteArray bytes;
    int pages = 0;
    int rows = 0;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

char *toString(const Snapshot &s)
{
    return QTest::toString(QString::asprintf("%d pages, %d rows, %lld bytes #%zx", s.pages, s.rows,
                                             qlonglong(s.bytes.size()), size_t(qHash(s.bytes))));
}

Snapshot snap(const CoverData &cover, const AlbumTable &table)
{
    return {serializeAlbum(cover, table), table.pageCount(), table.count()};
}
Snapshot snap(const AlbumDocument &doc)
{
    return snap(doc.cover(), doc.table());
}

EditPlace at(int row, int column = 0)
{
    return {(row - 1) / 3 + 1, (row - 1) % 3, column};
}
EditPlace placeOf(Op op, int row)
{
    return op == Op::Cover ? EditPlace{} : at(row, op == Op::Typing ? AlbumTable::Comment : 0);
}

// One edit of the kind at `row` (for the cover: of field row % 14 + 1), its new texts marked by `tag`.
void apply(AlbumDocument &d, Op op, int row, const QString &tag = QStringLiteral("差"))
{
    const EditPlace place = placeOf(op, row);
    CoverData cover = d.cover();
    switch (op) {
    case Op::Photo:
    case Op::PhotoGrowing:
        return d.setPhoto(row, "/写真/" + tag + ".JPG", op == Op::PhotoGrowing, "写真", place);
    case Op::Texts:
        return d.setTexts(row, "題" + tag, "説明" + tag + "\r\n二行目", "貼付", place);
    case Op::Clear:
        return d.clearEntry(row, place);
    case Op::Insert:
        d.insertEntry(row, place);
        return;
    case Op::CutOut:
        return d.cutOutEntry(row, place);
    case Op::Import:
        if (!d.importPhotos(row, kImported, place))
            qFatal("import refused");
        return;
    case Op::Reorder:
        if (!d.reorderEntries(kReorder, "並べ替え", place))
            qFatal("reorder refused");
        return;
    case Op::Relink:
        if (!d.relinkPhotos(kRelinked, place))
            qFatal("relink refused");
        return;
    case Op::Cover:
        cover.field(row % kCoverFieldCount + 1) = "変更" + tag;
        return d.setCover(cover);
    case Op::Typing:
        for (const QString typed : {"仮", "設", "\r\n足場"})
            d.typeText(row, AlbumTable::Comment, d.text(row, AlbumTable::Comment) + typed, place);
    }
}

CoverData sampleCover()
{
    CoverData cover;
    for (int n = 1; n <= kCoverFieldCount; ++n)
        cover.field(n) = QStringLiteral("表紙%1").arg(n);
    return cover;
}

// Four pages; the first `filled` entries hold a title, a two-line comment and a photo.
AlbumContents fourPages(int filled = 12)
{
    AlbumContents album{sampleCover(), {}};
    album.table.clear();
    for (int r = 1; r <= 12; ++r) {
        const bool full = r <= filled;
        album.table.appendEntry(numberText(r), full ? QStringLiteral("第%1工区 配筋状況").arg(r) : QString(),
                                full ? QStringLiteral("鉄筋径 D%1\r\n立会者 監督員").arg(r) : QString(),
                                full ? QStringLiteral("/写真/IMG_%1.JPG").arg(r) : QString());
    }
    album.table.setPageCount(4);
    return album;
}

QList<int> range(int first, int last)
{
    QList<int> rows;
    for (int r = first; r <= last; ++r)
        rows << r;
    return rows;
}

// The album after apply(op, row) with the default tag. For insert, cut out and
// import, row r gets the content row sources[r-1] had (0: empty; -i: only the
// i-th imported photo) and keeps its number.
AlbumContents expectedAfter(AlbumContents album, Op op, int row, const QList<int> &sources)
{
    const AlbumTable old = album.table;
    PhotoEntry &e = album.table.entry(row);
    switch (op) {
    case Op::Photo:
    case Op::PhotoGrowing:
        e.photoPath = "/写真/差.JPG";
        break;
    case Op::Texts:
        e.title = "題差";
        e.comment = "説明差\r\n二行目";
        break;
    case Op::Clear:
        e.clearContent();
        break;
    case Op::Cover:
        album.cover.field(row % kCoverFieldCount + 1) = "変更差";
        break;
    case Op::Typing:
        e.comment += "仮設\r\n足場";
        break;
    case Op::Relink:
        for (auto it = kRelinked.begin(); it != kRelinked.end(); ++it)
            album.table.entry(it.key()).photoPath = it.value();
        break;
    default:
        for (int r = 1; r <= sources.size(); ++r) {
            if (r > album.table.count())
                album.table.appendPage();
            album.table.entry(r).clearContent();
            if (sources[r - 1] > 0)
                album.table.entry(r).copyContentFrom(old.entry(sources[r - 1]));
            else if (sources[r - 1] < 0)
                album.table.entry(r).photoPath = kImported[-sources[r - 1] - 1];
        }
    }
    if (op == Op::PhotoGrowing)
        album.table.appendPage();
    return album;
}

// The first row whose entry differs between a and b but lies in no (first, last) range the spy saw; 0 for none.
int unannouncedRow(const QSignalSpy &spy, const AlbumTable &a, const AlbumTable &b)
{
    for (int r = 1; r <= std::min(a.count(), b.count()); ++r) {
        const bool announced = std::any_of(spy.begin(), spy.end(), [r](const QList<QVariant> &args) {
            return args[0].toInt() <= r && r <= args[1].toInt();
        });
        if (a.entry(r) != b.entry(r) && !announced)
            return r;
    }
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Edit)

class TestAlbumDocument : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoAreExact_data()
    {
        QTest::addColumn<int>("filled");
        QTest::addColumn<Op>("op");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("sources");
        QTest::addColumn<QString>("name");
        QTest::newRow("photo") << 12 << Op::Photo << 5 << QList<int>() << "写真";
        QTest::newRow("photo, page growth") << 11 << Op::PhotoGrowing << 12 << QList<int>() << "写真";
        QTest::newRow("texts") << 12 << Op::Texts << 7 << QList<int>() << "貼付";
        QTest::newRow("clear") << 12 << Op::Clear << 4 << QList<int>() << "削除";
        QTest::newRow("insert") << 10 << Op::Insert << 2 << QList{1, 0} + range(2, 11) << "挿入";
        QTest::newRow("insert, last row") << 11 << Op::Insert << 11 << range(1, 10) + QList{0, 11} << "挿入";
        QTest::newRow("insert, page growth")
            << 12 << Op::Insert << 6 << range(1, 5) + QList{0} + range(6, 12) + QList{0, 0} << "挿入";
        QTest::newRow("cut out, first") << 12 << Op::CutOut << 1 << range(2, 12) + QList{0} << "抜取";
        QTest::newRow("cut out, middle") << 12 << Op::CutOut << 5 << range(1, 4) + range(6, 12) + QList{0} << "抜取";
        QTest::newRow("cut out, last") << 12 << Op::CutOut << 12 << range(1, 11) + QList{0} << "抜取";
        QTest::newRow("cut out, empty tail") << 10 << Op::CutOut << 2 << QList{1} + range(3, 12) + QList{0} << "抜取";
        // Import: what was there moves back, and an empty entry stays last.
        QTest::newRow("import, page growth")
            << 10 << Op::Import << 5 << range(1, 4) + QList{-1, -2} + range(5, 10) + QList{0, 0, 0}
            << "写真の一括取り込み";
        QTest::newRow("import, within the pages")
            << 8 << Op::Import << 2 << QList{1, -1, -2} + range(2, 8) + QList{0, 0} << "写真の一括取り込み";
        QTest::newRow("import, into the empty tail")
            << 6 << Op::Import << 8 << range(1, 7) + QList{-1, -2} + QList{0, 0, 0} << "写真の一括取り込み";
        QTest::newRow("reorder") << 12 << Op::Reorder << 1 << kReorder << "並べ替え";
        QTest::newRow("reorder, empty entries moving") << 9 << Op::Reorder << 1 << kReorder << "並べ替え";
        QTest::newRow("relink") << 12 << Op::Relink << 2 << QList<int>() << "写真のパスの書き換え";
        QTest::newRow("cover") << 12 << Op::Cover << 2 << QList<int>() << "表紙";
        QTest::newRow("typing") << 12 << Op::Typing << 8 << QList<int>() << "コメントの入力";
    }

    void undoAndRedoAreExact()
    {
        QFETCH(int, filled);
        QFETCH(Op, op);
        QFETCH(int, row);
        QFETCH(QList<int>, sources);
        QFETCH(QString, name);
        const AlbumContents album = fourPages(filled), expected = expectedAfter(album, op, row, sources);
        const Snapshot before = snap(album.cover, album.table), after = snap(expected.cover, expected.table);
        const bool grows = expected.table.pageCount() > album.table.pageCount();
        const EditPlace place = placeOf(op, row);

        auto doc = documentOf(album.table, album.cover);
        QSignalSpy changed(doc.get(), &AlbumDocument::rowsChanged), appended(doc.get(), &AlbumDocument::rowsAppended),
            removed(doc.get(), &AlbumDocument::rowsRemoved), pages(doc.get(), &AlbumDocument::pageCountChanged),
            cover(doc.get(), &AlbumDocument::coverChanged), relinked(doc.get(), &AlbumDocument::photosRelinked);
        // After a step the views heard of every changed row, of the cover, and of the page that came or went.
        auto checkSignals = [&](bool forward) {
            QCOMPARE(unannouncedRow(changed, album.table, expected.table), 0);
            QCOMPARE(cover.count(), int(op == Op::Cover));
            QCOMPARE(relinked.count(), int(op == Op::Relink));
            QCOMPARE(appended.count(), int(grows && forward));
            QCOMPARE(removed.count(), int(grows && !forward));
            QCOMPARE(pages, QList<QVariantList>(grows, {forward ? 5 : 4}));
            if (grows)
                QCOMPARE((forward ? appended : removed).first(), QVariantList({13, 15}));
            for (QSignalSpy *spy : {&changed, &appended, &removed, &pages, &cover, &relinked})
                spy->clear();
        };

        apply(*doc, op, row);
        QCOMPARE(snap(*doc), after);
        QCOMPARE(doc->history().count(), 1);
        QCOMPARE(doc->history().undoText(), name);
        QVERIFY(!doc->isSaved());
        checkSignals(true);
        // Undo, redo, undo, redo: each gives back the exact album and the place of the edit.
        for (int i = 0; i < 4 && !QTest::currentTestFailed(); ++i) {
            const bool forward = i % 2;
            doc->markSaved(doc->filePath());
            const std::optional<EditPlace> done = forward ? doc->redo() : doc->undo();
            QVERIFY(done);
            QCOMPARE(std::tie(done->page, done->slot, done->column), std::tie(place.page, place.slot, place.column));
            QCOMPARE(snap(*doc), forward ? after : before);
            QCOMPARE(forward ? doc->history().undoText() : doc->history().redoText(), name);
            QVERIFY(!doc->isSaved());
            checkSignals(forward);
        }
    }

    void longChainUndoesAndRedoesEveryState()
    {
        auto doc = documentOf(fourPages().table, sampleCover());
        QList<Snapshot> states{snap(*doc)};
        for (int i = 0; i < 32; ++i) {
            apply(*doc, Op(i % 8), 1 + (i * 7) % doc->rowCount(), QString::number(i));
            if (doc->history().count() == states.size()) // a step was recorded
                states << snap(*doc);
        }
        QVERIFY(states.size() > 28);
        for (int i = states.size() - 1; i > 0; --i) {
            QCOMPARE(snap(*doc), states[i]);
            QVERIFY(doc->undo());
        }
        QCOMPARE(snap(*doc), states[0]);
        QVERIFY(!doc->undo());
        for (int i = 1; i < states.size(); ++i) {
            QVERIFY(doc->redo());
            QCOMPARE(snap(*doc), states[i]);
        }
        QVERIFY(!doc->redo());
    }

    void typingMergesUntilABoundary_data()
    {
        QTest::addColumn<Edit>("boundary");
        QTest::addColumn<int>("steps");
        QTest::newRow("none") << Edit([](AlbumDocument &) {}) << 1;
        QTest::newRow("same text") << Edit([](AlbumDocument &d) {
            d.typeText(4, AlbumTable::Title, d.text(4, AlbumTable::Title), at(4));
        }) << 1;
        QTest::newRow("endTyping") << Edit([](AlbumDocument &d) { d.endTyping(); }) << 2;
        QTest::newRow("saved") << Edit([](AlbumDocument &d) { d.markSaved("/albums/b.svd"); }) << 2;
        QTest::newRow("other row, undone") << Edit([](AlbumDocument &d) {
            d.typeText(5, AlbumTable::Title, "杭", at(5));
            d.undo();
        }) << 2;
        QTest::newRow("other column") << Edit([](AlbumDocument &d) {
            d.typeText(4, AlbumTable::Comment, "備考", at(4));
        }) << 3;
        QTest::newRow("other row") << Edit([](AlbumDocument &d) { d.typeText(5, AlbumTable::Title, "杭", at(5)); })
                                   << 3;
        QTest::newRow("other edit") << Edit([](AlbumDocument &d) { d.clearEntry(4, at(4)); }) << 3;
        QTest::newRow("edit changing nothing") << Edit([](AlbumDocument &d) { d.setCover(d.cover()); }) << 2;
    }

    void typingMergesUntilABoundary()
    {
        QFETCH(Edit, boundary);
        QFETCH(int, steps);
        auto doc = documentOf(fourPages().table);
        const Snapshot before = snap(*doc);
        auto type = [&](const QString &more) {
            doc->typeText(4, AlbumTable::Title, doc->text(4, AlbumTable::Title) + more, at(4, AlbumTable::Title));
        };
        type("基");
        type("礎");
        boundary(*doc);
        const Snapshot between = snap(*doc);
        type("工");
        type("事");
        QCOMPARE(doc->history().count(), steps);
        QCOMPARE(doc->history().undoText(), QStringLiteral("タイトルの入力"));
        QVERIFY(doc->undo());
        QCOMPARE(snap(*doc), steps == 1 ? before : between);
        while (doc->undo())
            ;
        QCOMPARE(snap(*doc), before);
    }

    void typingBackToTheOriginalLeavesNoStep()
    {
        auto doc = documentOf(fourPages().table);
        const QString original = doc->text(2, AlbumTable::Comment);
        auto type = [&](const QString &text) { doc->typeText(2, AlbumTable::Comment, text, at(2)); };
        for (const QString &typed : {original + "x", original + "xy", original})
            type(typed);
        QCOMPARE(doc->history().count(), 0);
        QVERIFY(!doc->history().canUndo());

        // After an earlier step only the typing goes; typing on starts afresh from the original.
        apply(*doc, Op::Texts, 1);
        type(original + "x");
        type(original);
        QCOMPARE(doc->history().count(), 1);
        QCOMPARE(doc->history().undoText(), QStringLiteral("貼付"));
        type(original + "z");
        QCOMPARE(doc->history().count(), 2);
        doc->undo();
        QCOMPARE(doc->text(2, AlbumTable::Comment), original);
        QCOMPARE(doc->text(1, AlbumTable::Title), QStringLiteral("題差"));
    }

    void aStepIsRecordedOnlyForAChange_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("steps");
        auto texts = [](QString title, QString comment) {
            return Edit([=](AlbumDocument &d) {
                d.setTexts(3, d.text(3, AlbumTable::Title) + title, d.text(3, AlbumTable::Comment) + comment, "貼付",
                           at(3));
            });
        };
        QTest::newRow("clear empty") << Edit([](AlbumDocument &d) { apply(d, Op::Clear, 11); }) << 0;
        QTest::newRow("cut out empty tail") << Edit([](AlbumDocument &d) { apply(d, Op::CutOut, 11); }) << 0;
        QTest::newRow("insert before empty tail") << Edit([](AlbumDocument &d) { apply(d, Op::Insert, 11); }) << 0;
        QTest::newRow("same cover") << Edit([](AlbumDocument &d) { d.setCover(d.cover()); }) << 0;
        QTest::newRow("same texts") << texts("", "") << 0;
        QTest::newRow("same typed text") << Edit([](AlbumDocument &d) {
            d.typeText(3, AlbumTable::Title, d.text(3, AlbumTable::Title), at(3));
        }) << 0;
        QTest::newRow("other title") << texts("x", "") << 1;
        QTest::newRow("other comment") << texts("", "x") << 1;
        QTest::newRow("same photo") << Edit([](AlbumDocument &d) {
            d.setPhoto(3, d.text(3, AlbumTable::PhotoPath), false, "写真", at(3));
        }) << 0;
        QTest::newRow("same photo, page growth")
            << Edit([](AlbumDocument &d) { d.setPhoto(3, d.text(3, AlbumTable::PhotoPath), true, "写真", at(3)); })
            << 1;
    }

    void aStepIsRecordedOnlyForAChange()
    {
        QFETCH(Edit, edit);
        QFETCH(int, steps);
        auto doc = documentOf(fourPages(10).table, sampleCover());
        const Snapshot before = snap(*doc);
        QSignalSpy saved(doc.get(), &AlbumDocument::savedChanged);
        edit(*doc);
        QCOMPARE(doc->history().count(), steps);
        if (steps == 0)
            QCOMPARE(snap(*doc), before);
        QCOMPARE(saved, QList<QVariantList>({{false}}));
    }

    // A relink that would change nothing, or names a row the album does
    // not have, is refused whole: no step, no change, still saved.
    void relinkIsRefusedWhole_data()
    {
        QTest::addColumn<RowPaths>("paths");
        QTest::newRow("nothing") << RowPaths{};
        QTest::newRow("the same paths") << RowPaths{{1, "/写真/IMG_1.JPG"}, {4, "/写真/IMG_4.JPG"}};
        QTest::newRow("a row beyond the album") << RowPaths{{2, "/新/2.JPG"}, {13, "/新/13.JPG"}};
        QTest::newRow("row 0") << RowPaths{{0, "/新/0.JPG"}, {2, "/新/2.JPG"}};
    }
    void relinkIsRefusedWhole()
    {
        QFETCH(RowPaths, paths);
        auto doc = documentOf(fourPages(10).table, sampleCover());
        const Snapshot before = snap(*doc);
        QSignalSpy relinked(doc.get(), &AlbumDocument::photosRelinked);
        QVERIFY(!doc->relinkPhotos(paths, at(2)));
        QCOMPARE(doc->history().count(), 0);
        QCOMPARE(snap(*doc), before);
        QVERIFY(doc->isSaved());
        QCOMPARE(relinked.count(), 0);
        // Unchanged rows are left out of a relink that changes others.
        paths.insert(3, "/新/3.JPG");
        paths.remove(13);
        paths.remove(0);
        QVERIFY(doc->relinkPhotos(paths, at(3)));
        QCOMPARE(doc->text(3, AlbumTable::PhotoPath), QStringLiteral("/新/3.JPG"));
        QCOMPARE(doc->history().count(), 1);
    }

    void savedFlagFollowsTheLifecycle()
    {
        auto doc = documentOf(fourPages().table, {}, "/albums/a.svd");
        QVERIFY(doc->isSaved());
        doc->setCover(sampleCover(), false); // a step, but the flag stays
        QCOMPARE(doc->history().count(), 1);
        QVERIFY(doc->isSaved());
        doc->startNew(sampleCover());
        QVERIFY(doc->isSaved());
        QCOMPARE(doc->history().count(), 0);
        QCOMPARE(doc->filePath(), QString());
        QCOMPARE(snap(*doc), snap(sampleCover(), AlbumTable()));

        apply(*doc, Op::Texts, 1);
        doc->startNew(sampleCover());
        QVERIFY(!doc->isSaved());
        doc->replace(fourPages(), "/albums/c.svd");
        QVERIFY(!doc->isSaved());
        doc->markSaved("/albums/d.svd");
        QCOMPARE(doc->filePath(), QStringLiteral("/albums/d.svd"));
        doc->replace(fourPages(), "/albums/c.svd");
        QVERIFY(doc->isSaved());
    }

    void replacePadsAShortAlbumToAPage_data()
    {
        QTest::addColumn<int>("entries");
        for (int n : {0, 1, 2, 4})
            QTest::addRow("%d entries", n) << n;
    }

    void replacePadsAShortAlbumToAPage()
    {
        QFETCH(int, entries);
        AlbumTable file;
        file.clear();
        for (int r = 1; r <= entries; ++r)
            file.appendEntry(numberText(r), QStringLiteral("題%1").arg(r), {}, {});
        const AlbumReadResult read = parseAlbum(serializeAlbum(sampleCover(), file));
        QVERIFY(!read.error.isError());

        auto doc = documentOf(fourPages().table);
        apply(*doc, Op::Clear, 1);
        doc->replace(read.album, "/albums/short.svd");
        QCOMPARE(doc->rowCount(), std::max(3, entries));
        QCOMPARE(doc->pageCount(), 1);
        QCOMPARE(doc->history().count(), 0);
        for (int r = 1; r <= doc->rowCount(); ++r) {
            QCOMPARE(doc->text(r, AlbumTable::Number), numberText(r));
            QCOMPARE(doc->text(r, AlbumTable::Title), r <= entries ? QStringLiteral("題%1").arg(r) : QString());
        }
    }

    void historyDropsTheOldestSteps()
    {
        auto doc = documentOf(AlbumTable());
        const int steps = AlbumDocument::kHistoryLimit + 25;
        for (int i = 0; i < steps; ++i)
            apply(*doc, Op::Texts, 1 + i % 3, QString::number(i));
        QCOMPARE(doc->history().count(), AlbumDocument::kHistoryLimit);
        int undone = 0;
        while (doc->undo())
            ++undone;
        QCOMPARE(undone, AlbumDocument::kHistoryLimit);
        // Left is what the three steps before the oldest kept one wrote.
        const int oldest = steps - AlbumDocument::kHistoryLimit;
        for (int i = oldest - 3; i < oldest; ++i)
            QCOMPARE(doc->text(1 + i % 3, AlbumTable::Title), "題" + QString::number(i));
    }

    // Hundreds of photos at once: one step, as many pages as they need, and
    // undo gives back the album exactly.
    void largeImportIsOneStep()
    {
        const AlbumContents album = fourPages(12);
        auto doc = documentOf(album.table, album.cover);
        QStringList photos;
        for (int i = 1; i <= 500; ++i)
            photos << QStringLiteral("/カード/IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY(doc->importPhotos(2, photos, at(2)));
        QCOMPARE(doc->history().count(), 1);
        QCOMPARE(doc->rowCount(), 513); // 12 + 500 and one empty entry, in whole pages
        QCOMPARE(doc->pageCount(), 171);
        QCOMPARE(doc->entry(1), album.table.entry(1));
        QCOMPARE(doc->entry(2).photoPath, photos.first());
        QCOMPARE(doc->entry(501).photoPath, photos.last());
        QVERIFY(doc->entry(501).title.isEmpty());
        QCOMPARE(doc->text(502, AlbumTable::Title), album.table.text(2, AlbumTable::Title));
        QCOMPARE(doc->text(512, AlbumTable::Comment), album.table.text(12, AlbumTable::Comment));
        QCOMPARE(doc->text(502, AlbumTable::Number), numberText(502)); // numbers stay with their rows
        QVERIFY(doc->entry(513).isEmpty());
        doc->undo();
        QCOMPARE(snap(*doc), snap(album.cover, album.table));
        QVERIFY(!doc->importPhotos(2, {}, at(2)));
        QCOMPARE(doc->history().index(), 0);
    }

    void fullAlbumDoesNotGrow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("whole pages") << kMaxAlbumEntries / 3 * 3;
        QTest::newRow("kMaxAlbumEntries") << kMaxAlbumEntries;
    }

    void fullAlbumDoesNotGrow()
    {
        QFETCH(int, rows);
        AlbumTable table;
        table.clear();
        for (int r = 1; r <= rows; ++r)
            table.appendEntry(numberText(r), r == 3 || r == rows ? QStringLiteral("写真") : QString(), {}, {});
        table.setPageCount(rows / 3);
        auto doc = documentOf(table);
        const Snapshot before = snap(*doc);
        QVERIFY(!doc->insertEntry(2, at(2)));
        QVERIFY(!doc->importPhotos(2, kImported, at(2)));
        QCOMPARE(snap(*doc), before);
        QCOMPARE(doc->history().count(), 0);
        QVERIFY(doc->isSaved());
        apply(*doc, Op::PhotoGrowing, 5); // the photo goes in, the page does not
        QCOMPARE(doc->rowCount(), rows);

        // With the last entry empty nothing is pushed out and no page is needed.
        apply(*doc, Op::CutOut, rows);
        QVERIFY(doc->insertEntry(2, at(2)));
        QCOMPARE(doc->rowCount(), rows);
        QCOMPARE(doc->history().count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestAlbumDocument)
#include "tst_album_document.moc"
