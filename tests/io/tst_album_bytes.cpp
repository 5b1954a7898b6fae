// Albums saved byte for byte: an album saved as it was read writes the file
// as it was, whatever it holds, and after edits every field the user did not
// edit keeps the bytes it was read with, wherever it moved.
#include "file_bytes.h"
#include "io/album_file.h"
#include "model/album_document.h"
#include "text/cp932.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// An album as the Windows program writes it (code page 932, CR LF): six
// entries on two pages, the last one empty.
QByteArray windowsAlbum()
{
    const QByteArray bytes = fileBytes(QStringLiteral(SORVANE_TEST_DATA "/albums/windows_album.svd"));
    if (bytes.isEmpty())
        qFatal("missing test data windows_album.svd");
    return bytes;
}

constexpr int kEntries = 6;

// The lines of a file whose every line ends with CR LF, and back.
QByteArrayList linesOf(const QByteArray &bytes)
{
    QByteArrayList lines;
    for (qsizetype from = 0; from < bytes.size();) {
        const qsizetype end = bytes.indexOf("\r\n", from);
        lines.append(bytes.sliced(from, end - from));
        from = end + 2;
    }
    return lines;
}

QByteArray joined(const QByteArrayList &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

// Index in linesOf() of a column (1 number .. 4 photo path) of an entry.
int lineOf(int row, int column)
{
    return kCoverFieldCount + 4 * (row - 1) + column - 1;
}

std::unique_ptr<AlbumDocument> opened(const QByteArray &bytes)
{
    AlbumReadResult read = parseAlbum(bytes);
    if (read.error.isError())
        qFatal("unexpected error: %s", qPrintable(read.error.message()));
    auto document = std::make_unique<AlbumDocument>();
    document->replace(std::move(read.album), QStringLiteral("/jobs/album.svd"));
    return document;
}

QByteArray saved(const AlbumDocument &document)
{
    return albumFileBytes(document.cover(), document.table(), document.origin());
}

// The windows album with the contents of its entries moved: row r gets what
// row source[r - 1] held (0: nothing); rows past the file's get their
// numbers as a new page numbers them.
QByteArray movedWindowsAlbum(const QList<int> &source)
{
    const QByteArrayList original = linesOf(windowsAlbum());
    QByteArrayList lines = original.mid(0, kCoverFieldCount);
    for (int r = 1; r <= source.size(); ++r) {
        lines.append(r <= kEntries ? original[lineOf(r, 1)] : " " + QByteArray::number(r));
        for (int column = 2; column <= 4; ++column)
            lines.append(source[r - 1] ? original[lineOf(source[r - 1], column)] : QByteArray());
    }
    return joined(lines);
}

// A UTF-8 album with a byte-order mark and broken sequences: a character cut
// short, a byte that UTF-8 never uses, an overlong "/".
QByteArray utf8AlbumWithBrokenSequences()
{
    QByteArray bytes = "\xEF\xBB\xBF";
    for (int n = 1; n <= kCoverFieldCount; ++n)
        bytes += n == 3 ? QByteArray("\xE5\xB7\xA5\xE4\xBA \xFF\r\n") : QByteArray::number(n) + "\r\n";
    bytes += " 1\r\n\xE5\x86\x99\xE7\x9C\x9F\xC0\xAF\r\n\xF0\x9F\x91\x8D ok\r\n/p/1.jpg\r\n";
    bytes += " 2\r\nplain\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
    return bytes;
}

} // namespace

class TestAlbumBytes : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void windowsAlbumReadsAsWindowsShowsIt_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, int line, const QString &text) { QTest::newRow(name) << line << text; };
        row("① and ㈱", 2, QStringLiteral("市道①号線㈱舗装補修工事"));
        row("髙 and 﨑", 3, QStringLiteral("髙﨑市本町1丁目"));
        row("NEC-selected 髙, trailing space", 10, QStringLiteral("㈱髙橋建設 "));
        row("NEC row 13 ≒", lineOf(1, 2), QStringLiteral("着工前 ≒ 全景"));
        row("comment lines", lineOf(1, 3), QStringLiteral("①起点側から撮影\r\n天候：晴れ"));
        row("drive-letter path", lineOf(1, 4), QStringLiteral("C:\\Users\\genba\\Pictures\\工事\\IMG_0001.JPG"));
        row("trailing space", lineOf(2, 2), QStringLiteral("掘削状況 "));
        row("∵ thrice, ⅰ twice", lineOf(2, 3), QStringLiteral("∵ と ∵ 湧水あり\r\nⅰ と ⅰ"));
        row("UNC path", lineOf(2, 4), QStringLiteral("\\\\nas01\\share\\写真\\IMG_0002.JPG"));
        row("user-defined characters", lineOf(3, 2), QStringLiteral("外字\uE000\uE757の確認"));
        row("undefined pair, lead byte at the end", lineOf(3, 3), QStringLiteral("不明・の文字\r\n行末・"));
        row("path with a 0x5C trail byte", lineOf(3, 4),
            QStringLiteral("C:\\Users\\genba\\Pictures\\工事\\表層\\IMG_0003.JPG"));
        row("￢ three ways", lineOf(4, 2), QStringLiteral("￢ / ￢ / ￢"));
        row("default character's own pair", lineOf(4, 3), QStringLiteral("区切り・"));
        row("lead byte before a blank", lineOf(5, 3), QStringLiteral("﨑 髙・ 完了"));
        row("no photo", lineOf(5, 4), QString());
    }
    void windowsAlbumReadsAsWindowsShowsIt()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        const AlbumReadResult read = parseAlbum(windowsAlbum());
        QVERIFY(!read.error.isError());
        const int entryLine = line - kCoverFieldCount;
        const QString shown = line < kCoverFieldCount ? read.album.cover.field(line + 1)
                                                      : read.album.table.text(entryLine / 4 + 1, entryLine % 4 + 1);
        QCOMPARE(shown, text);
        QCOMPARE(read.encoding, TextEncoding::Cp932);
        QCOMPARE(read.invalidSequences, 4);
        QCOMPARE(read.album.origin.undecodable, 4);
        QCOMPARE(read.album.table.count(), kEntries);
        // The fields give the file back on their own: no copy of it is kept.
        QVERIFY(read.album.origin.fileBytes.isNull());
        QCOMPARE(serializeAlbum(read.album.cover, read.album.table), windowsAlbum());
    }

    void albumsSavedAsReadAreTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray windows = windowsAlbum();
        QByteArray lf = windows;
        lf.replace("\r\n", "\n");
        // A seventh entry whose last line is not empty, so that it can go
        // without its line end.
        const QByteArray seven = windows + " 7\r\n\r\n\r\nC:\\p.jpg\r\n";
        QByteArray sevenLf = seven;
        sevenLf.replace("\r\n", "\n");
        QByteArray mixed = windows;
        mixed.replace(" 2\r\n", " 2\n\r\n"); // a lone LF ends the number text
        QTest::newRow("Windows album") << windows;
        QTest::newRow("LF line ends") << lf;
        QTest::newRow("no last line end") << seven.chopped(2);
        QTest::newRow("LF, no last line end") << sevenLf.chopped(1);
        QTest::newRow("lone LF in a CR LF file") << mixed;
        QTest::newRow("lone CR at the end") << windows.chopped(1);
        QTest::newRow("UTF-8, broken sequences") << utf8AlbumWithBrokenSequences();
        QByteArray utf8 = "\xEF\xBB\xBF";
        for (int n = 1; n <= kCoverFieldCount; ++n)
            utf8 += QStringLiteral("表紙%1").arg(n).toUtf8() + "\r\n";
        const QByteArray threeEntries =
            " 1\r\n\xE5\xB7\xA5\xE4\xBA\x8B\r\n\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
        QTest::newRow("UTF-8 of code page texts") << utf8 + threeEntries;
        QTest::newRow("no entries") << joined(linesOf(windows).mid(0, kCoverFieldCount));
        QTest::newRow("two entries") << joined(linesOf(windows).mid(0, kCoverFieldCount + 8));
        QTest::newRow("UTF-8, byte-order mark only in the first field") << "\xEF\xBB\xBF" + utf8 + threeEntries;
    }
    void albumsSavedAsReadAreTheirBytes()
    {
        QFETCH(QByteArray, bytes);
        const std::unique_ptr<AlbumDocument> document = opened(bytes);
        QCOMPARE(saved(*document), bytes);

        const QString path = dir.filePath(QStringLiteral("as-read.svd"));
        QVERIFY(!writeAlbumFile(path, *document).isError());
        QCOMPARE(fileBytes(path), bytes);
        // Read again from what was written, the album is the same.
        const AlbumReadResult again = readAlbumFile(path);
        QVERIFY(!again.error.isError());
        QCOMPARE(again.album.cover, document->cover());
        QCOMPARE(again.album.origin.undecodable, document->undecodableCount());
    }

    void anEditedFieldIsEncodedTheOthersKeepTheirBytes()
    {
        struct Edit {
            const char *name;
            std::function<void(AlbumDocument &)> apply;
            QHash<int, QString> lines; // the lines it changes, with their new texts
        };
        const QString title = QStringLiteral("着工前 全景");
        const Edit edits[] = {
            {"typing a title",
             [&](AlbumDocument &d) {
                 d.typeText(1, AlbumTable::Title, title, {1, 0, AlbumTable::Title});
             },
             {{lineOf(1, 2), title}}},
            {"typing a comment with a line break",
             [](AlbumDocument &d) {
                 d.typeText(3, AlbumTable::Comment, QStringLiteral("判読\r\n済"), {1, 2, AlbumTable::Comment});
             },
             {{lineOf(3, 3), QStringLiteral("判読<BR>済")}}},
            {"pasting title and comment",
             [](AlbumDocument &d) {
                 d.setTexts(2, QStringLiteral("掘削"), QStringLiteral("∵"), QStringLiteral("p"), {});
             },
             {{lineOf(2, 2), QStringLiteral("掘削")}, {lineOf(2, 3), QStringLiteral("∵")}}},
            {"another photo",
             [](AlbumDocument &d) { d.setPhoto(4, QStringLiteral("D:\\写真\\b.jpg"), false, QStringLiteral("p"), {}); },
             {{lineOf(4, 4), QStringLiteral("D:\\写真\\b.jpg")}}},
            {"deleting an entry",
             [](AlbumDocument &d) { d.clearEntry(3, {}); },
             {{lineOf(3, 2), {}}, {lineOf(3, 3), {}}, {lineOf(3, 4), {}}}},
            {"one cover field",
             [](AlbumDocument &d) {
                 CoverData cover = d.cover(); // as the dialog hands it back: texts only
                 CoverData texts;
                 for (int n = 1; n <= kCoverFieldCount; ++n)
                     texts.field(n) = cover.field(n);
                 texts.field(4) = QStringLiteral("高崎市");
                 d.setCover(texts);
             },
             {{3, QStringLiteral("高崎市")}}},
        };
        const QByteArray original = windowsAlbum();
        for (const Edit &edit : edits) {
            const std::unique_ptr<AlbumDocument> document = opened(original);
            edit.apply(*document);
            QByteArrayList lines = linesOf(original);
            for (auto it = edit.lines.begin(); it != edit.lines.end(); ++it)
                lines[it.key()] = cp932::encode(it.value());
            QVERIFY2(saved(*document) == joined(lines), edit.name);
            QVERIFY(document->undo());
            QVERIFY2(saved(*document) == original, edit.name);
            QVERIFY(document->redo());
            QVERIFY2(saved(*document) == joined(lines), edit.name);
        }
    }

    void typingBackTheTextGivesTheBytesAgain()
    {
        const QByteArray original = windowsAlbum();
        const std::unique_ptr<AlbumDocument> document = opened(original);
        const QString was = document->text(2, AlbumTable::Comment);
        document->typeText(2, AlbumTable::Comment, was + u'x', {1, 1, AlbumTable::Comment});
        document->endTyping();
        QVERIFY(saved(*document) != original);
        // A step of its own, not an undo: the text as read writes its bytes.
        document->typeText(2, AlbumTable::Comment, was, {1, 1, AlbumTable::Comment});
        QCOMPARE(saved(*document), original);
    }

    void movedEntriesTakeTheirBytesAlong()
    {
        struct Move {
            const char *name;
            std::function<void(AlbumDocument &)> apply;
            QList<int> source; // what each row holds afterwards (0: nothing)
        };
        const Move moves[] = {
            {"挿入", [](AlbumDocument &d) { d.insertEntry(2, {}); }, {1, 0, 2, 3, 4, 5}},
            {"抜取", [](AlbumDocument &d) { d.cutOutEntry(1, {}); }, {2, 3, 4, 5, 0, 0}},
            {"sort",
             [](AlbumDocument &d) {
                 d.reorderEntries({5, 3, 1, 2, 4, 6}, QStringLiteral("sort"), {});
             },
             {5, 3, 1, 2, 4, 0}},
            // The entries after the photos move back; a page is added.
            {"import",
             [](AlbumDocument &d) { d.importPhotos(2, {QStringLiteral("/p/new.jpg")}, {}); },
             {1, 0, 2, 3, 4, 5, 0, 0, 0}},
        };
        const QByteArray original = windowsAlbum();
        for (const Move &move : moves) {
            const std::unique_ptr<AlbumDocument> document = opened(original);
            move.apply(*document);
            QByteArray expected = movedWindowsAlbum(move.source);
            if (QByteArrayView(move.name) == "import")
                expected.replace(" 2\r\n\r\n\r\n\r\n", " 2\r\n\r\n\r\n/p/new.jpg\r\n");
            QVERIFY2(saved(*document) == expected, move.name);
            QVERIFY(document->undo());
            QVERIFY2(saved(*document) == original, move.name);
            QVERIFY(document->redo());
            QVERIFY2(saved(*document) == expected, move.name);
        }
    }

    void textOutsideTheCodePageWritesEveryFieldFromItsText()
    {
        // UTF-8 cannot hold code page 932 bytes: an undecodable sequence is
        // written as the "・" it was shown as, a duplicate code as its
        // character.
        const std::unique_ptr<AlbumDocument> document = opened(windowsAlbum());
        document->typeText(6, AlbumTable::Title, QStringLiteral("良好 👍"), {2, 2, AlbumTable::Title});
        TextEncoding encoding = TextEncoding::Cp932;
        const QByteArray bytes = serializeAlbum(document->cover(), document->table(), &encoding);
        QCOMPARE(encoding, TextEncoding::Utf8);
        QCOMPARE(saved(*document), bytes);
        QVERIFY(bytes.contains("\r\n\xE4\xB8\x8D\xE6\x98\x8E\xE3\x83\xBB\xE3\x81\xAE")); // 不明・の
        const AlbumReadResult back = parseAlbum(bytes);
        QCOMPARE(back.invalidSequences, 0);
        QCOMPARE(back.album.cover, document->cover());
        QCOMPARE(back.album.table, document->table());
    }

    void brokenUtf8KeepsItsBytesWhileTheAlbumStaysUtf8()
    {
        const QByteArray original = utf8AlbumWithBrokenSequences();
        const std::unique_ptr<AlbumDocument> document = opened(original);
        // Each byte of a broken sequence is one U+FFFD, as Qt decodes it.
        QCOMPARE(document->undecodableCount(), 5);
        QCOMPARE(document->cover().field(3), QStringLiteral("工\uFFFD\uFFFD \uFFFD"));
        QCOMPARE(document->text(1, AlbumTable::Title), QStringLiteral("写真\uFFFD\uFFFD"));
        document->typeText(2, AlbumTable::Title, QStringLiteral("写真"), {1, 1, AlbumTable::Title});
        QByteArray expected = original;
        expected.replace("\r\nplain\r\n", "\r\n\xE5\x86\x99\xE7\x9C\x9F\r\n");
        QCOMPARE(saved(*document), expected);

        // Texts code page 932 holds, once edited, make a code page 932 file
        // as before; unedited it stays the UTF-8 file it was.
        const QByteArray plain = "\xEF\xBB\xBF" + QByteArray("c\r\n").repeated(kCoverFieldCount) +
                                 " 1\r\n\xE5\xB7\xA5\r\n\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
        const std::unique_ptr<AlbumDocument> convertible = opened(plain);
        QCOMPARE(saved(*convertible), plain);
        convertible->typeText(2, AlbumTable::Title, QStringLiteral("事"), {1, 1, AlbumTable::Title});
        QCOMPARE(saved(*convertible), QByteArray("c\r\n").repeated(kCoverFieldCount) +
                                          " 1\r\n\x8D\x48\r\n\r\n\r\n 2\r\n\x8E\x96\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n");
    }

    void fileDetailsStayOnlyWhileTheAlbumIsAsRead()
    {
        // LF line ends: kept while nothing changed, CR LF after an edit, and
        // back to LF when the edit is undone.
        QByteArray lf = windowsAlbum();
        lf.replace("\r\n", "\n");
        const std::unique_ptr<AlbumDocument> document = opened(lf);
        QCOMPARE(saved(*document), lf);
        document->cutOutEntry(1, {});
        QCOMPARE(saved(*document), movedWindowsAlbum({2, 3, 4, 5, 0, 0}));
        QVERIFY(document->undo());
        QCOMPARE(saved(*document), lf);

        // An album padded to a whole first page is written padded once edited.
        const QByteArray cover = joined(linesOf(windowsAlbum()).mid(0, kCoverFieldCount));
        const std::unique_ptr<AlbumDocument> empty = opened(cover);
        QCOMPARE(empty->rowCount(), 3);
        QCOMPARE(saved(*empty), cover);
        empty->setPhoto(1, QStringLiteral("/p.jpg"), false, QStringLiteral("p"), {});
        QCOMPARE(saved(*empty), cover + " 1\r\n\r\n\r\n/p.jpg\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n");

        // A new album has nothing of a file.
        document->startNew(CoverData{});
        QCOMPARE(document->undecodableCount(), 0);
        QCOMPARE(saved(*document), serializeAlbum(CoverData{}, AlbumTable()));
    }
};

QTEST_GUILESS_MAIN(TestAlbumBytes)
#include "tst_album_bytes.moc"
