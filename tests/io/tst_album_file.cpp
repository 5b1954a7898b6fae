// Album files: the bytes written, what is read back, and the files refused.
#include "file_size_limit.h"
#include "io/album_file.h"
#include "model/photo_path.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace sorvane;

namespace {

CoverData sampleCover()
{
    CoverData cover;
    for (int i = 0; i < kCoverFieldCount; ++i)
        cover.field(i + 1) = QString::number(i + 1);
    cover.field(3) = QStringLiteral("表紙");
    return cover;
}

// sampleCover() as written: "表紙" is 95 5C 8E 86, a trail byte the ASCII backslash.
QByteArray coverBytes()
{
    return QByteArray("1\r\n2\r\n\x95\x5C\x8E\x86\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n");
}

QByteArray entryBytes(int n, const QByteArray &title = {}, const QByteArray &comment = {}, const QByteArray &path = {})
{
    return " " + QByteArray::number(n) + "\r\n" + title + "\r\n" + comment + "\r\n" + path + "\r\n";
}

QByteArray albumWithEntries(int n)
{
    QByteArray bytes = coverBytes();
    for (int i = 1; i <= n; ++i)
        bytes += entryBytes(i, "t" + QByteArray::number(i));
    return bytes;
}

AlbumContents parsed(const QByteArray &bytes)
{
    const AlbumReadResult r = parseAlbum(bytes);
    if (r.error.isError())
        qWarning("unexpected error: %s", qPrintable(r.error.message()));
    return r.album;
}

// A field of entry 2 (column 0: cover field 4) holding `text` is written as
// `line` and read back as `back` (null: as `text`).
void fieldRow(const char *name, int column, const QString &text, const QByteArray &line, const QString &back = {})
{
    QTest::newRow(name) << column << text << line << (back.isNull() ? text : back);
}

} // namespace

class TestAlbumFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void fieldsAreWrittenAndReadBack_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("back");
        using T = AlbumTable;
        // "工事" is 8D 48 8E 96 and "写真" 8E CA 90 5E in code page 932.
        fieldRow("title", T::Title, QStringLiteral("工事, \"A\""), "\x8D\x48\x8E\x96, \"A\"");
        fieldRow("path", T::PhotoPath, QStringLiteral("C:\\写真\\a.jpg"), "C:\\\x8E\xCA\x90\x5E\\a.jpg");
        fieldRow("number as stored", T::Number, QStringLiteral("x"), "x");
        fieldRow("comment breaks", T::Comment, QStringLiteral("\r\nA\r\n\r\nB\r\n"), "<BR>A<BR><BR>B<BR>");
        fieldRow("lone CR and LF stay", T::Comment, QStringLiteral("a\rb\nc"), "a\rb\nc");
        fieldRow("CR before a break", T::Comment, QStringLiteral("a\r\r\nb"), "a\r<BR>b");
        fieldRow("lower-case br stays", T::Comment, QStringLiteral("x\r\ny<br>"), "x<BR>y<br>");
        fieldRow("<BR> in a title stays", T::Title, QStringLiteral("<BR>"), "<BR>");
        fieldRow("lone CR in a path", T::PhotoPath, QStringLiteral("/tmp/x\ry.jpg"), "/tmp/x\ry.jpg");
        fieldRow("break in a title", T::Title, QStringLiteral("a\r\nb"), "a\nb", QStringLiteral("a\nb"));
        fieldRow("break in the cover", 0, QStringLiteral("site\r\nname"), "site\nname", QStringLiteral("site\nname"));
        fieldRow("10 MB comment", T::Comment, QString(10 * 1024 * 1024, u'c'), QByteArray(10 * 1024 * 1024, 'c'));
    }
    void fieldsAreWrittenAndReadBack()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QFETCH(QString, back);
        CoverData cover = sampleCover();
        AlbumTable table; // three blank entries
        QByteArray expected = coverBytes();
        QByteArrayList entry2 = {" 2", "", "", ""};
        if (column == 0) {
            cover.field(4) = text;
            expected.replace("\r\n4\r\n", "\r\n" + line + "\r\n");
        } else {
            table.setText(2, column, text);
            entry2[column - 1] = line;
        }
        expected += entryBytes(1) + entry2.join("\r\n") + "\r\n" + entryBytes(3);
        TextEncoding encoding = TextEncoding::Utf8;
        const QByteArray bytes = serializeAlbum(cover, table, &encoding);
        QCOMPARE(encoding, TextEncoding::Cp932);
        QCOMPARE(bytes, expected);

        const AlbumContents read = parsed(bytes);
        if (column == 0)
            cover.field(4) = back;
        else
            table.setText(2, column, back);
        QCOMPARE(read.cover, cover);
        QCOMPARE(read.table, table);
    }

    void lfLineEndsAndNoFinalLineEndReadAlike()
    {
        // In a file without CR LF, LF ends the lines and a lone CR stays.
        const QByteArray crlf = albumWithEntries(3) + entryBytes(4, "a\rb", {}, "/p.jpg");
        const AlbumContents expected = parsed(crlf);
        QCOMPARE(expected.table.text(4, AlbumTable::Title), QStringLiteral("a\rb"));
        QCOMPARE(expected.table.text(4, AlbumTable::PhotoPath), QStringLiteral("/p.jpg"));
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        for (const QByteArray &bytes : {lf, crlf.chopped(2), lf.chopped(1)}) {
            const AlbumReadResult r = parseAlbum(bytes);
            QVERIFY2(!r.error.isError(), qPrintable(r.error.message()));
            QCOMPARE(r.album.cover, expected.cover);
            QCOMPARE(r.album.table, expected.table);
            QCOMPARE(serializeAlbum(r.album.cover, r.album.table), crlf);
        }
    }

    void pageCountIsWholePagesOfEntries()
    {
        // Entries past the last whole page stay, on no page, and are written back.
        const int cases[][2] = {{0, 0}, {2, 0}, {3, 1}, {7, 2}, {kMaxAlbumEntries, kMaxAlbumEntries / 3}};
        for (const auto &[entries, pages] : cases) {
            const QByteArray bytes = albumWithEntries(entries);
            const AlbumContents album = parsed(bytes);
            QCOMPARE(album.table.count(), entries);
            QCOMPARE(album.table.pageCount(), pages);
            QCOMPARE(serializeAlbum(album.cover, album.table), bytes);
        }
    }

    void badContentIsRefusedWithTheReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        const QString inCover = QStringLiteral("the file ends inside the cover data, line %1");
        QTest::newRow("empty") << QByteArray() << int(AlbumFileError::EndsInCover) << inCover.arg(1);
        QTest::newRow("four cover lines")
            << coverBytes().left(15) << int(AlbumFileError::EndsInCover) << inCover.arg(5);
        QTest::newRow("no line end") << QByteArray(10 * 1024 * 1024, 'x') << int(AlbumFileError::EndsInCover)
                                     << inCover.arg(2);
        QTest::newRow("entry 7 cut") << albumWithEntries(7).chopped(4) << int(AlbumFileError::EndsInEntry)
                                     << QStringLiteral("the file ends inside entry 7, line 41");
        QTest::newRow("stray blank line")
            << albumWithEntries(3) + "\r\n"
            << int(AlbumFileError::EndsInEntry) << QStringLiteral("the file ends inside entry 4, line 28");
        QTest::newRow("NUL byte") << albumWithEntries(3).insert(20, '\0') << int(AlbumFileError::NotText)
                                  << QStringLiteral("the file is not a text file (it holds a NUL byte at offset 20)");
        QTest::newRow("over 64 MB") << QByteArray(kMaxAlbumFileBytes + 1, '\n') << int(AlbumFileError::TooLarge)
                                    << QStringLiteral("the file is larger than 64 MB and cannot be an album");
        QTest::newRow("too many entries")
            << coverBytes() + QByteArray("\r\n\r\n\r\n\r\n").repeated(kMaxAlbumEntries + 1)
            << int(AlbumFileError::TooManyEntries) << QStringLiteral("the file holds more than 100000 entries");
    }
    void badContentIsRefusedWithTheReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(QString, message);
        const AlbumReadResult r = parseAlbum(bytes);
        QCOMPARE(int(r.error.kind), kind);
        QCOMPARE(r.error.message(), message);
    }

    void textOutsideTheCodePageIsSavedAsUtf8()
    {
        AlbumTable table;
        table.setText(1, AlbumTable::PhotoPath, QStringLiteral("/home/user/Café/写真.jpg"));
        table.setText(2, AlbumTable::Comment, QStringLiteral("仕上がり良好 👍\r\n次工程へ"));
        TextEncoding encoding = TextEncoding::Cp932;
        const QByteArray bytes = serializeAlbum(sampleCover(), table, &encoding);
        QCOMPARE(encoding, TextEncoding::Utf8);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));

        const AlbumReadResult r = parseAlbum(bytes);
        QCOMPARE(r.encoding, TextEncoding::Utf8);
        QCOMPARE(r.album.cover, sampleCover());
        QCOMPARE(r.album.table, table);

        // A first cover field that itself starts with U+FEFF keeps it: only
        // the file's own byte-order mark is taken off.
        CoverData marked = sampleCover();
        marked.fiscalYear = QStringLiteral("\uFEFF8");
        const AlbumReadResult back = parseAlbum(serializeAlbum(marked, table));
        QCOMPARE(back.album.cover.fiscalYear, marked.fiscalYear);

        // The same through a saved file, written as UTF-8 or in code page
        // 932 (where the mark cannot be written and the file turns UTF-8).
        for (const AlbumTable &t : {table, AlbumTable()}) {
            const QString path = dir.filePath(QStringLiteral("marked.svd"));
            QVERIFY(!writeAlbumFile(path, marked, t).isError());
            const AlbumReadResult reopened = readAlbumFile(path);
            QVERIFY(!reopened.error.isError());
            QCOMPARE(reopened.album.cover.fiscalYear, QStringLiteral("\uFEFF8"));
            QCOMPARE(reopened.album.cover, marked);
        }
    }

    void undecodableBytesAreReplacedAndCounted()
    {
        // A lead byte before a CR: it becomes U+30FB and the line still ends.
        const AlbumReadResult r =
            parseAlbum(coverBytes() + entryBytes(1, "ab\x88") + entryBytes(2, "\x85\x41") + entryBytes(3));
        QVERIFY(!r.error.isError());
        QCOMPARE(r.invalidSequences, 2);
        QCOMPARE(r.album.table.text(1, AlbumTable::Title), QStringLiteral("ab\u30FB"));
        QCOMPARE(r.album.table.text(2, AlbumTable::Title), QStringLiteral("\u30FB"));
    }

    void photoPathsRelativeToTheAlbum()
    {
        QCOMPARE(resolvePhotoPath("/jobs/a/album.svd", "photos/1.jpg"), QStringLiteral("/jobs/a/photos/1.jpg"));
        QCOMPARE(resolvePhotoPath("/jobs/a/album.svd", "/abs/1.jpg"), QStringLiteral("/abs/1.jpg"));
        QCOMPARE(resolvePhotoPath(QString(), "photos/1.jpg"), QStringLiteral("photos/1.jpg"));
        QCOMPARE(resolvePhotoPath("/jobs/a/album.svd", QString()), QString());
    }

    void filesThatCannotBeAlbumsAreRefused()
    {
        const AlbumFileError missing = readAlbumFile(dir.filePath(QStringLiteral("missing.svd"))).error;
        QVERIFY(missing.message().startsWith(QStringLiteral("the file cannot be opened: ")));
        QVERIFY(!missing.detail.isEmpty());
        // No name, a folder, a device or a named pipe is no album; the pipe must not block.
        for (const QString &path : {QString(), dir.path(), QStringLiteral("/dev/zero")})
            QCOMPARE(readAlbumFile(path).error.kind, AlbumFileError::OpenFailed);
        const QString fifo = dir.filePath(QStringLiteral("pipe.svd"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(readAlbumFile(fifo).error.message(), QStringLiteral("the file cannot be opened: not a file"));

        // 200 MB (sparse): refused before anything is read.
        QFile big(dir.filePath(QStringLiteral("big.svd")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(200LL * 1024 * 1024));
        big.close();
        QCOMPARE(readAlbumFile(big.fileName()).error.kind, AlbumFileError::TooLarge);
        big.remove();
    }

    void savesAtomically()
    {
        const QString path = dir.filePath(QStringLiteral("keep.svd"));
        AlbumTable table;
        table.appendPage();
        table.setText(5, AlbumTable::Title, QStringLiteral("配筋状況"));
        QVERIFY(!writeAlbumFile(path, sampleCover(), table).isError());
        const AlbumReadResult r = readAlbumFile(path);
        QCOMPARE(r.album.table, table);
        QCOMPARE(r.album.table.pageCount(), 2);

        // A file size limit makes the write fail part-way, also for root.
        AlbumTable big;
        for (int i = 0; i < 200; ++i)
            big.appendPage();
        AlbumFileError error;
        testing::withFileSizeLimit(4096, [&] { error = writeAlbumFile(path, sampleCover(), big); });
        QCOMPARE(error.kind, AlbumFileError::WriteFailed);
        QVERIFY(error.message().startsWith(QStringLiteral("the album cannot be saved: ")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), serializeAlbum(sampleCover(), table));
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*keep*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("keep.svd")});

        const AlbumFileError noFolder =
            writeAlbumFile(dir.filePath(QStringLiteral("no/such/folder.svd")), sampleCover(), AlbumTable());
        QCOMPARE(noFolder.kind, AlbumFileError::WriteFailed);
        QVERIFY(!noFolder.detail.isEmpty());
        QCOMPARE(writeAlbumFile(QString(), sampleCover(), AlbumTable()).detail, QStringLiteral("no file name given"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumFile)
#include "tst_album_file.moc"
