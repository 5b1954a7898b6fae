#include "file_size_limit.h"
#include "io/album_file.h"
#include "model/number_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace sorvane;

namespace {

CoverData sampleCover()
{
    CoverData cover;
    for (int i = 0; i < kCoverFieldCount; ++i)
        cover[size_t(i)] = QString::number(i + 1);
    cover[2] = QStringLiteral("表紙");
    return cover;
}

QByteArray coverBytes()
{
    // "表紙" is 95 5C 8E 86: its first trail byte is the ASCII backslash.
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

} // namespace

class TestAlbumFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void freshAlbumIsWrittenByteForByte()
    {
        const QByteArray bytes = serializeAlbum(sampleCover(), AlbumTable());
        QCOMPARE(bytes, coverBytes() + entryBytes(1) + entryBytes(2) + entryBytes(3));
        QCOMPARE(bytes.count("\r\n"), 26);
    }

    void entriesAreWrittenFieldByField()
    {
        AlbumTable table;
        table.setText(1, AlbumTable::Title, QStringLiteral("工事, \"A\""));
        table.setText(1, AlbumTable::Comment, QStringLiteral("A\r\nB\r\n"));
        table.setText(1, AlbumTable::PhotoPath, QStringLiteral("C:\\写真\\a.jpg"));
        TextEncoding encoding = TextEncoding::Utf8;
        const QByteArray bytes = serializeAlbum(sampleCover(), table, &encoding);
        QCOMPARE(encoding, TextEncoding::Cp932);
        QCOMPARE(bytes, coverBytes() +
                            entryBytes(1, "\x8D\x48\x8E\x96, \"A\"", "A<BR>B<BR>", "C:\\\x8E\xCA\x90\x5E\\a.jpg") +
                            entryBytes(2) + entryBytes(3));

        const AlbumContents back = parsed(bytes);
        QCOMPARE(back.cover, sampleCover());
        QCOMPARE(back.table, table);
    }

    void commentLineBreaksRoundTrip_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("two lines") << QStringLiteral("A\r\nB") << QByteArray("A<BR>B");
        QTest::newRow("empty lines") << QStringLiteral("\r\n\r\nA\r\n") << QByteArray("<BR><BR>A<BR>");
        QTest::newRow("lone CR and LF stay") << QStringLiteral("a\rb\nc") << QByteArray("a\rb\nc");
        QTest::newRow("CR before a break") << QStringLiteral("a\r\r\nb") << QByteArray("a\r<BR>b");
    }
    void commentLineBreaksRoundTrip()
    {
        QFETCH(QString, comment);
        QFETCH(QByteArray, line);
        AlbumTable table;
        table.setText(2, AlbumTable::Comment, comment);
        const QByteArray bytes = serializeAlbum(sampleCover(), table);
        QCOMPARE(bytes, coverBytes() + entryBytes(1) + entryBytes(2, {}, line) + entryBytes(3));
        QCOMPARE(parsed(bytes).table, table);
    }

    void literalBrInACommentReadsAsALineBreak()
    {
        const AlbumContents album =
            parsed(coverBytes() + entryBytes(1, "<BR>", "x<BR>y<br>") + entryBytes(2) + entryBytes(3));
        QCOMPARE(album.table.text(1, AlbumTable::Title), QStringLiteral("<BR>"));
        QCOMPARE(album.table.text(1, AlbumTable::Comment), QStringLiteral("x\r\ny<br>"));
    }

    void loneLineBreaksInsideFieldsStayInTheirField()
    {
        // A CR LF file: lone CR and LF inside a title or path are part of it.
        const QByteArray bytes =
            coverBytes() + entryBytes(1, "a\nb", "", "/tmp/x\ry.jpg") + entryBytes(2) + entryBytes(3);
        const AlbumContents album = parsed(bytes);
        QCOMPARE(album.table.count(), 3);
        QCOMPARE(album.table.text(1, AlbumTable::Title), QStringLiteral("a\nb"));
        QCOMPARE(album.table.text(1, AlbumTable::PhotoPath), QStringLiteral("/tmp/x\ry.jpg"));
        QCOMPARE(serializeAlbum(album.cover, album.table), bytes);
    }

    void lineBreakInAOneLineFieldCannotBreakTheFile()
    {
        AlbumTable table;
        table.setText(1, AlbumTable::Title, QStringLiteral("a\r\nb"));
        table.setText(3, AlbumTable::PhotoPath, QStringLiteral("/x\r\n.jpg"));
        CoverData cover = sampleCover();
        cover[3] = QStringLiteral("site\r\nname");
        const AlbumContents album = parsed(serializeAlbum(cover, table));
        QCOMPARE(album.table.count(), 3);
        QCOMPARE(album.cover[3], QStringLiteral("site\nname"));
        QCOMPARE(album.cover[4], QStringLiteral("5"));
        QCOMPARE(album.table.text(1, AlbumTable::Title), QStringLiteral("a\nb"));
        QCOMPARE(album.table.text(3, AlbumTable::PhotoPath), QStringLiteral("/x\n.jpg"));
    }

    void linuxLineEndsReadLikeWindowsOnes()
    {
        QByteArray crlf = albumWithEntries(4);
        crlf.replace("t2", "a\rb");
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        const AlbumContents fromLf = parsed(lf);
        QCOMPARE(fromLf.table.count(), 4);
        QCOMPARE(fromLf.table.text(2, AlbumTable::Title), QStringLiteral("a\rb"));
        QCOMPARE(fromLf.cover, parsed(crlf).cover);
        QCOMPARE(fromLf.table, parsed(crlf).table);
        // And it is written back with CR LF.
        QCOMPARE(serializeAlbum(fromLf.cover, fromLf.table), crlf);
    }

    void lastLineWithoutLineEnd()
    {
        QByteArray bytes = albumWithEntries(3) + " 4\r\n\r\n\r\n/photo.jpg\r\n";
        bytes.chop(2);
        const AlbumReadResult r = parseAlbum(bytes);
        QVERIFY(!r.error.isError());
        QCOMPARE(r.album.table.count(), 4);
        QCOMPARE(r.album.table.text(4, AlbumTable::PhotoPath), QStringLiteral("/photo.jpg"));
    }

    void pageCountIsWholePagesOfEntries_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("one") << 1 << 0;
        QTest::newRow("three") << 3 << 1;
        QTest::newRow("seven") << 7 << 2;
        QTest::newRow("ten") << 10 << 3;
    }
    void pageCountIsWholePagesOfEntries()
    {
        QFETCH(int, entries);
        QFETCH(int, pages);
        const QByteArray bytes = albumWithEntries(entries);
        const AlbumContents album = parsed(bytes);
        QCOMPARE(album.table.count(), entries);
        QCOMPARE(album.table.pageCount(), pages);
        // Entries beyond the last whole page are written back unchanged.
        QCOMPARE(serializeAlbum(album.cover, album.table), bytes);
    }

    void numberTextsAreTakenAsStored()
    {
        QByteArray bytes = coverBytes() + entryBytes(5) + entryBytes(2) + "x\r\n\r\n\r\n\r\n";
        const AlbumContents album = parsed(bytes);
        QCOMPARE(album.table.text(1, AlbumTable::Number), QStringLiteral(" 5"));
        QCOMPARE(album.table.text(2, AlbumTable::Number), QStringLiteral(" 2"));
        QCOMPARE(album.table.text(3, AlbumTable::Number), QStringLiteral("x"));
    }

    void incompleteFilesAreRejectedWithTheReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << int(AlbumFileError::EndsInCover)
                               << QStringLiteral("the file ends inside the cover data, line 1");
        QTest::newRow("four cover lines") << coverBytes().left(15) << int(AlbumFileError::EndsInCover)
                                          << QStringLiteral("the file ends inside the cover data, line 5");
        QByteArray cutEntry = albumWithEntries(7);
        cutEntry.chop(4); // the comment and photo lines
        QTest::newRow("entry 7 cut") << cutEntry << int(AlbumFileError::EndsInEntry)
                                     << QStringLiteral("the file ends inside entry 7, line 41");
        QTest::newRow("stray blank line")
            << albumWithEntries(3) + "\r\n"
            << int(AlbumFileError::EndsInEntry) << QStringLiteral("the file ends inside entry 4, line 28");
        QTest::newRow("NUL byte") << albumWithEntries(3).insert(20, '\0') << int(AlbumFileError::NotText)
                                  << QStringLiteral("the file is not a text file (it holds a NUL byte at offset 20)");
    }
    void incompleteFilesAreRejectedWithTheReason()
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
        QVERIFY(bytes.contains("\r\n表紙\r\n"));
        QVERIFY(bytes.contains("仕上がり良好 👍<BR>次工程へ\r\n"));

        const AlbumReadResult r = parseAlbum(bytes);
        QCOMPARE(r.encoding, TextEncoding::Utf8);
        QCOMPARE(r.album.cover, sampleCover());
        QCOMPARE(r.album.table, table);
    }

    void undecodableBytesAreReplacedAndCounted()
    {
        // A lead byte before a CR: the broken byte becomes U+30FB and the line
        // end still ends the line.
        const QByteArray bytes = coverBytes() + entryBytes(1, "ab\x88") + entryBytes(2, "\x85\x41") + entryBytes(3);
        const AlbumReadResult r = parseAlbum(bytes);
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

    void savesAndOpensFiles()
    {
        const QString path = dir.filePath(QStringLiteral("album.svd"));
        AlbumTable table;
        table.appendPage();
        table.setText(5, AlbumTable::Title, QStringLiteral("配筋状況"));
        QVERIFY(!writeAlbumFile(path, sampleCover(), table).isError());
        const AlbumReadResult r = readAlbumFile(path);
        QVERIFY(!r.error.isError());
        QCOMPARE(r.album.table, table);
        QCOMPARE(r.album.table.pageCount(), 2);
    }

    void unreadableFilesGiveAClearError()
    {
        AlbumReadResult r = readAlbumFile(dir.filePath(QStringLiteral("missing.svd")));
        QCOMPARE(r.error.kind, AlbumFileError::OpenFailed);
        QVERIFY(r.error.message().startsWith(QStringLiteral("the file cannot be opened: ")));
        QVERIFY(!r.error.detail.isEmpty());

        QCOMPARE(readAlbumFile(QString()).error.kind, AlbumFileError::OpenFailed);

        QCOMPARE(readAlbumFile(dir.path()).error.kind, AlbumFileError::OpenFailed);
    }

    void hugeAndOddFilesAreHandled()
    {
        // 200 MB (sparse): refused before anything is read.
        const QString big = dir.filePath(QStringLiteral("big.svd"));
        {
            QFile f(big);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(200LL * 1024 * 1024));
        }
        QCOMPARE(readAlbumFile(big).error.kind, AlbumFileError::TooLarge);
        QFile::remove(big);

        // A device or a named pipe is no album; the pipe must not block.
        QCOMPARE(readAlbumFile(QStringLiteral("/dev/zero")).error.kind, AlbumFileError::OpenFailed);
        const QString fifo = dir.filePath(QStringLiteral("pipe.svd"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(readAlbumFile(fifo).error.message(), QStringLiteral("the file cannot be opened: not a file"));

        // No line end at all.
        const QByteArray oneLine(10 * 1024 * 1024, 'x');
        QCOMPARE(parseAlbum(oneLine).error.kind, AlbumFileError::EndsInCover);

        // A 10 MB comment is read whole.
        const QByteArray longComment(10 * 1024 * 1024, 'c');
        const AlbumContents album =
            parsed(coverBytes() + entryBytes(1, "t", longComment) + entryBytes(2) + entryBytes(3));
        QCOMPARE(album.table.text(1, AlbumTable::Comment).size(), longComment.size());

        // Too many entries: refused, not read into memory without end.
        QByteArray many = coverBytes();
        for (int i = 0; i <= kMaxAlbumEntries; ++i)
            many += "\r\n\r\n\r\n\r\n";
        const AlbumReadResult r = parseAlbum(many);
        QCOMPARE(r.error.kind, AlbumFileError::TooManyEntries);
    }

    void failedSaveKeepsThePreviousFile()
    {
        const QString path = dir.filePath(QStringLiteral("keep.svd"));
        QVERIFY(!writeAlbumFile(path, sampleCover(), AlbumTable()).isError());
        QFile original(path);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();

        // A file size limit makes the write fail part-way, also for root.
        AlbumTable big;
        for (int i = 0; i < 200; ++i)
            big.appendPage();
        AlbumFileError error;
        testing::withFileSizeLimit(4096, [&] { error = writeAlbumFile(path, sampleCover(), big); });

        QCOMPARE(error.kind, AlbumFileError::WriteFailed);
        QVERIFY(error.message().startsWith(QStringLiteral("the album cannot be saved: ")));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("keep*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("keep.svd")});

        const AlbumFileError noFolder =
            writeAlbumFile(dir.filePath(QStringLiteral("no/such/folder.svd")), sampleCover(), AlbumTable());
        QCOMPARE(noFolder.kind, AlbumFileError::WriteFailed);
        QVERIFY(!noFolder.detail.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAlbumFile)
#include "tst_album_file.moc"
