// The command line of the sorvane program, run as a separate process without
// a display, the way a script or a scheduled job runs it.
#include "exif_photos.h"
#include "heif_photos.h"
#include "io/album_file.h"
#include "io/path_mappings.h"
#include "model/number_text.h"
#include "quadrants.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace sorvane;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as it came
};

const QString kCoverName = QStringLiteral("BridgeRepairWorks");

// What pdftotext prints for these arguments; null when it fails.
QString pdftotext(const QStringList &arguments)
{
    QProcess process;
    process.start("pdftotext", arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page of a PDF.
QStringList pdfPages(const QString &pdf)
{
    QStringList pages = pdftotext({pdf, "-"}).split(u'\f');
    pages.removeLast(); // after the form feed that ends the last page
    return pages;
}

// The left edge of a word in points; NaN when it is not found.
double wordX(const QString &pdf, const QString &word)
{
    const QString html = pdftotext({"-bbox", pdf, "-"});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>%1</word>").arg(word)).match(html);
    return m.hasMatch() ? m.captured(1).toDouble() : qQNaN();
}

QString title(int n)
{
    return QStringLiteral("TitleWord%1").arg(n);
}

// The rows of a rendered page that hold coloured pixels (a photo; the rest
// of the page is black on white).
QList<bool> colouredRows(const QImage &page)
{
    QList<bool> rows(page.height(), false);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width() && !rows[y]; ++x) {
            const QColor c = page.pixelColor(x, y);
            rows[y] = c.saturation() > 100 && c.value() > 60;
        }
    }
    return rows;
}

// Which of the three slots of a photo page have a photo drawn in them: each
// band of coloured rows is a photo, in the slot its middle lies in.
QList<bool> slotsWithPhotos(const QImage &page)
{
    const QList<bool> rows = colouredRows(page);
    QList<bool> drawn(3, false);
    for (qsizetype y = 0; y < rows.size(); ++y) {
        if (!rows[y])
            continue;
        qsizetype end = y;
        while (end < rows.size() && rows[end])
            ++end;
        drawn[std::min<qsizetype>(2, (y + end) / 2 * 3 / rows.size())] = true;
        y = end;
    }
    return drawn;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A '@' stands for the test's folder; the words split at blanks.
    QString expand(QString text) const { return text.replace(u'@', m_dir.path() + u'/'); }
    QStringList args(const QString &line) const { return expand(line).split(u' '); }

    // Runs the program from a folder of its own, away from the albums, so
    // that relative photo paths must be taken from the album's folder.
    // With addressSpaceKb, the program runs with no more address space than
    // that (as under "ulimit -v"), like a small container or a machine with
    // strict overcommit.
    Run run(const QStringList &arguments, int addressSpaceKb = 0) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // As from cron or a CI job: no display, no runtime folder (Qt's note
        // about that must not reach stderr), no logging rules.
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR", "QT_LOGGING_RULES"})
            env.remove(name);
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path("home"));
        if (addressSpaceKb > 0)
            process.start("/bin/sh",
                          QStringList{"-c", QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(addressSpaceKb),
                                      SORVANE_BINARY} +
                              arguments);
        else
            process.start(SORVANE_BINARY, arguments);
        if (!process.waitForFinished(120000))
            return {}; // killed as the process object goes
        const QByteArray out = process.readAllStandardOutput();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromLocal8Bit(out),
                QString::fromLocal8Bit(process.readAllStandardError()), out};
    }

    // Page `page` of a PDF as a picture, at a low resolution.
    QImage renderPage(const QString &pdf, int page) const
    {
        QProcess render;
        const QString out = pdf + QStringLiteral("-page%1").arg(page);
        render.start("pdftoppm", {"-f", QString::number(page), "-l", QString::number(page), "-singlefile", "-r", "30",
                                  "-png", pdf, out});
        if (!render.waitForFinished(60000) || render.exitCode() != 0)
            return {};
        return QImage(out + ".png");
    }

    // An album as the Windows program wrote it: numbers " 1", " 2", ...
    // and the photo paths given.
    void writeWindowsAlbum(const QString &file, const QStringList &photos)
    {
        AlbumTable table;
        table.clear();
        for (qsizetype i = 0; i < photos.size(); ++i)
            table.appendEntry(numberText(int(i + 1)), title(int(i + 1)), {}, photos[i]);
        while (table.count() % 3)
            table.appendEntry(numberText(table.count() + 1), {}, {}, {});
        table.setPageCount(table.count() / 3);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        const AlbumFileError error = writeAlbumFile(file, CoverData{}, table);
        QVERIFY2(!error.isError(), qPrintable(error.message()));
    }

    void writePicture(const QString &file, QColor colour)
    {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(file, QFileInfo(file).suffix().toLower() == "png" ? "PNG" : "JPEG"));
    }

    void writeBytes(const QString &file, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // An album whose entries N1, N2, ... are titled title(1), title(2), ...
    // and show the given photos.
    void writeAlbum(const QString &file, const QStringList &photos)
    {
        CoverData cover;
        cover.constructionName = kCoverName;
        AlbumTable table;
        table.clear();
        for (qsizetype i = 0; i < photos.size(); ++i)
            table.appendEntry(QStringLiteral("N%1").arg(i + 1), title(int(i + 1)), "comment", photos[i]);
        table.setPageCount(int(photos.size() / 3));
        const AlbumFileError error = writeAlbumFile(file, cover, table);
        QVERIFY2(!error.isError(), qPrintable(error.message()));
    }

private slots:
    // --import: a folder tree and a single file in, in shooting order, at the
    // end of the album (made when missing); what is no photo is listed and
    // left out; nothing to import is a failure that leaves the album alone.
    void importAddsPhotosInShootingOrder()
    {
        using sorvane::testing::exifPhoto;
        QVERIFY(QDir().mkpath(path("card/DCIM/100")));
        QVERIFY(QDir().mkpath(path("card/.hidden")));
        const QString late =
            exifPhoto(path("card/DCIM/100/A_late.jpg"), {{"Exif.Photo.DateTimeOriginal", "2026:11:03 15:00:00"},
                                                         {"Exif.Photo.OffsetTimeOriginal", "+09:00"}});
        const QString early =
            exifPhoto(path("card/DCIM/100/B_early.jpg"), {{"Exif.Photo.DateTimeOriginal", "2026:11:03 08:00:00"},
                                                          {"Exif.Photo.OffsetTimeOriginal", "+09:00"}});
        const QString middle =
            exifPhoto(path("card/C_middle.jpg"), {{"Exif.Photo.DateTimeOriginal", "2026:11:03 12:00:00"},
                                                  {"Exif.Photo.OffsetTimeOriginal", "+09:00"}});
        exifPhoto(path("card/.hidden/thumb.jpg"), {});
        QFile notes(path("card/DCIM/notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a photo\n");
        notes.close();
        // Named on its own, and again inside the folder: it comes in once.
        const QString album = path("imported/site.svd");
        QVERIFY(QDir().mkpath(path("imported")));
        Run r = run({"--import", album, path("card"), middle});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains("skipped: " + notes.fileName() + " (not a picture)"), qPrintable(r.err));
        QVERIFY(!r.err.contains("thumb.jpg"));
        AlbumReadResult read = readAlbumFile(album);
        QVERIFY(!read.error.isError());
        QCOMPARE(read.album.table.entry(1).photoPath, early);
        QCOMPARE(read.album.table.entry(2).photoPath, middle);
        QCOMPARE(read.album.table.entry(3).photoPath, late);
        QVERIFY(read.album.table.entry(3).title.isEmpty());
        QVERIFY(read.album.table.entry(4).isEmpty()); // a page was added: the last entry stays empty
        QCOMPARE(read.album.table.count(), 6);

        // Again, appended after what is there; the file before is kept as a version.
        r = run({"--import", album, early});
        QCOMPARE(r.exitCode, 0);
        read = readAlbumFile(album);
        QCOMPARE(read.album.table.entry(4).photoPath, early);
        QCOMPARE(QDir(path("home/.local/state/sorvane/versions")).entryList(QDir::Files).size(), 1);

        const QByteArray before = [&] {
            QFile f(album);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        r = run({"--import", album, notes.fileName(), path("nothing here.jpg")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("no photo to import"));
        QVERIFY(r.err.contains("(not found)"));
        QFile after(album);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QCOMPARE(run({"--import", album}).exitCode, 2);
    }

    // An album as Windows wrote it, with characters that cannot be read,
    // keeps the bytes of all that was there when photos are added.
    void importKeepsTheBytesOfTheAlbum()
    {
        QFile windows(QStringLiteral(SORVANE_TEST_DATA "/albums/windows_album.svd"));
        QVERIFY(windows.open(QIODevice::ReadOnly));
        const QByteArray before = windows.readAll();
        QVERIFY(QDir().mkpath(path("windows")));
        const QString album = path("windows/site.svd");
        QVERIFY(QFile::copy(windows.fileName(), album));
        QVERIFY(QFile::setPermissions(album, QFile::ReadOwner | QFile::WriteOwner));
        const QString photo = sorvane::testing::exifPhoto(path("windows/new.jpg"), {});
        const Run r = run({"--import", album, photo});
        QCOMPARE(r.exitCode, 0);
        QFile after(album);
        QVERIFY(after.open(QIODevice::ReadOnly));
        // The photo goes into the empty last entry, and a page follows it.
        const QByteArray lastEntry = " 6\r\n\r\n\r\n\r\n";
        QVERIFY(before.endsWith(lastEntry));
        QCOMPARE(after.readAll(), before.chopped(lastEntry.size()) + " 6\r\n\r\n\r\n" + cp932::encode(photo) +
                                      "\r\n 7\r\n\r\n\r\n\r\n 8\r\n\r\n\r\n\r\n 9\r\n\r\n\r\n\r\n");
    }

    // --sort-by-date: photo entries by date, a text-only entry with its
    // photo, numbers with their rows, the previous file kept; an album in
    // order already is left as it is, byte for byte.
    void sortByDateSortsTheAlbumInPlace()
    {
        using sorvane::testing::exifPhoto;
        QVERIFY(QDir().mkpath(path("sort/photos")));
        auto shot = [&](const char *name, const char *when) {
            return exifPhoto(path("sort/photos/") + name, {{"Exif.Photo.DateTimeOriginal", when}});
        };
        shot("1.jpg", "2026:11:04 17:00:00");
        shot("2.jpg", "2026:11:04 08:00:00");
        shot("3.jpg", "2026:11:04 12:00:00");
        const QString album = path("sort/sorted.svd");
        // Relative paths are dated through the album's folder.
        writeAlbum(album, {"photos/1.jpg", "", "photos/2.jpg", "photos/3.jpg", "", ""});
        AlbumReadResult read = readAlbumFile(album);
        read.album.table.entry(5).title.clear();
        read.album.table.entry(5).comment.clear();
        read.album.table.entry(6).title.clear();
        read.album.table.entry(6).comment.clear();
        QVERIFY(!writeAlbumFile(album, read.album.cover, read.album.table).isError());

        Run r = run({"--sort-by-date", album});
        QCOMPARE(r.exitCode, 0);
        read = readAlbumFile(album);
        QVERIFY(!read.error.isError());
        const QStringList photos{"photos/2.jpg", "photos/3.jpg", "photos/1.jpg", "", "", ""};
        const QList<int> titles{3, 4, 1, 2, 0, 0};
        for (int row = 1; row <= 6; ++row) {
            QCOMPARE(read.album.table.entry(row).number, QStringLiteral("N%1").arg(row));
            QCOMPARE(read.album.table.entry(row).photoPath, photos[row - 1]);
            QCOMPARE(read.album.table.entry(row).title, titles[row - 1] ? title(titles[row - 1]) : QString());
        }
        QCOMPARE(QDir(path("home/.local/state/sorvane/versions")).entryList({"sorted.*"}, QDir::Files).size(), 1);

        QFile file(album);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray sorted = file.readAll();
        file.close();
        r = run({"--sort-by-date", album});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("already in shooting order"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), sorted);

        QCOMPARE(run({"--sort-by-date", path("sort/missing.svd")}).exitCode, 1);
        QCOMPARE(run({"--sort-by-date"}).exitCode, 2);
        QCOMPARE(run({"--sort-by-date", album, album}).exitCode, 2);
        QCOMPARE(run({"--sort-by-date", album, "--print"}).exitCode, 2);
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *folder : {"home", "config/sorvane", "out", "albums/photos"})
            QVERIFY(QDir().mkpath(path(folder)));
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(), "pdftotext is missing: install poppler-utils");

        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(path("albums/photos/a.png"), "PNG"));
        // Six entries on two pages; relative photo paths and one absolute.
        const QString a = "photos/a.png";
        writeAlbum(path("albums/site.svd"), {a, a, a, a, path("albums/photos/a.png"), a});
        QFile broken(path("albums/broken.svd"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("only\r\nthree\r\nlines\r\n");
    }

    void init()
    {
        QFile::remove(path("config/sorvane/print.ini"));
        QFile::remove(path("config/sorvane/sorvane.ini"));
    }

    // A Windows album copied with its photos: --check names what is missing
    // or unreadable and what was found elsewhere than written; exit 1 while
    // anything is missing or unreadable, 0 once all are there.
    void checkListsThePhotos()
    {
        const QString win = path("win/");
        writePicture(win + "工事/IMG_0001.JPG", Qt::red);
        writePicture(win + "写真/img_0002.jpg", Qt::green);
        writePicture(win + "photos/ok.png", Qt::blue);
        writePicture(win + "sub/deep/IMG_0003.JPG", Qt::red);
        writeBytes(win + "写真/notes.txt", "not a photo\n");
        writePicture(win + "a/IMG_0009.JPG", Qt::red);
        writePicture(win + "b/IMG_0009.JPG", Qt::red);
        writeBytes(win + "photos/empty.jpg", {});
        const QStringList photos{"C:\\Users\\genba\\Pictures\\工事\\IMG_0001.JPG",
                                 "\\\\nas01\\share\\写真\\IMG_0002.JPG",
                                 "photos/ok.png",
                                 "",
                                 "D:\\camera\\IMG_0003.JPG",
                                 "写真\\notes.txt",
                                 "E:\\x\\IMG_0009.JPG",
                                 "C:\\gone\\nothing.jpg",
                                 "photos/empty.jpg",
                                 "@win/photos/ok.png"};
        QStringList written;
        for (const QString &photo : photos)
            written << expand(photo);
        writeWindowsAlbum(win + "現場.svd", written);
        const QStringList expected{
            "1\t1\t" + photos[0] + "\tfound as @win/工事/IMG_0001.JPG (below the album's folder)",
            "1\t2\t" + photos[1] + "\tfound as @win/写真/img_0002.jpg (below the album's folder)",
            "2\t5\t" + photos[4] + "\tfound as @win/sub/deep/IMG_0003.JPG (by name in the album's folder)",
            "2\t6\t" + photos[5] + "\tnot a picture, found as @win/写真/notes.txt (Windows path)",
            "3\t7\t" + photos[6] + "\t2 files named IMG_0009.JPG in the album's folder",
            "3\t8\t" + photos[7] + "\tnot found",
            "3\t9\t" + photos[8] + "\tempty file",
        };
        Run r = run({"--check", win + "現場.svd"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.split(u'\n', Qt::SkipEmptyParts), expand(expected.join(u'\n')).split(u'\n'));
        // The album is only read.
        QCOMPARE(readAlbumFile(win + "現場.svd").album.table.entry(1).photoPath, photos[0]);

        // Photos found, some elsewhere: listed, and all is well.
        writeWindowsAlbum(win + "found.svd", written.mid(0, 3));
        r = run({"--check", win + "found.svd"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.split(u'\n', Qt::SkipEmptyParts), expand(expected.mid(0, 2).join(u'\n')).split(u'\n'));
        // Every photo where its path says: nothing to say.
        writeWindowsAlbum(win + "fine.svd", {"photos/ok.png", expand("@win/photos/ok.png")});
        r = run({"--check", win + "fine.svd"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString());

        r = run({"--check", win + "none.svd"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, expand("sorvane: album file not found: @win/none.svd\n"));
        r = run(args("--check @albums/broken.svd"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(expand("sorvane: cannot read the album @albums/broken.svd")), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    // The PDF of a Windows album copied with its photos shows them: the
    // first two slots have their photos (found below the album's folder);
    // the third's is nowhere and is listed.
    void windowsAlbumExportsWithItsPhotos()
    {
        const QString win = path("winpdf/");
        writePicture(win + "工事/IMG_0001.JPG", Qt::red);
        writePicture(win + "写真/IMG_0002.JPG", Qt::green);
        writeWindowsAlbum(win + "現場.svd", {"C:\\Users\\genba\\Pictures\\工事\\IMG_0001.JPG",
                                             "\\\\nas01\\share\\写真\\img_0002.jpg", "C:\\gone\\IMG_0003.JPG"});
        const Run r = run({"--export-pdf", path("out/win.pdf"), win + "現場.svd"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QStringLiteral("sorvane: photo not printed: C:\\gone\\IMG_0003.JPG (file not found)\n"));
        const QImage page = renderPage(path("out/win.pdf"), 2);
        QVERIFY(!page.isNull());
        QCOMPARE(slotsWithPhotos(page), QList<bool>({true, true, false}));
    }

    // A mapping the editor wrote into sorvane.ini serves the next album the
    // command line opens, for --check and --export-pdf alike.
    void savedMappingsServeTheNextRun()
    {
        writePicture(path("nas01/share/写真/IMG_0100.JPG"), Qt::red);
        const QString album = path("mapped/現場.svd");
        const QString photo = QStringLiteral("\\\\NAS01\\share\\写真\\IMG_0100.JPG");
        writeWindowsAlbum(album, {photo});
        Run r = run({"--check", album});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QStringLiteral("1\t1\t%1\tnot found\n").arg(photo));

        QVERIFY(writePathMappings(path("config/sorvane"), {{"\\\\nas01\\share", path("nas01/share")}}));
        r = run({"--check", album});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("1\t1\t%1\tfound as %2 (path mapping \\\\nas01\\share)\n")
                            .arg(photo, path("nas01/share/写真/IMG_0100.JPG")));
        r = run({"--export-pdf", path("out/mapped.pdf"), album});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(slotsWithPhotos(renderPage(path("out/mapped.pdf"), 2)), QList<bool>({true, false, false}));
    }

    void helpAndVersion()
    {
        const Run help = run({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const char *part :
             {"Usage: sorvane", "--export-pdf OUT.pdf", "--export-pdf -", "--print", "--copies", "--check ALBUM.svd"})
            QVERIFY(help.out.contains(QLatin1String(part)));
        QCOMPARE(help.err, QString());

        const Run version = run({"--version"});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("Sorvane " SORVANE_VERSION_TEXT "\n"));
        QCOMPARE(version.err, QString());
    }

    // A wrong command line: exit 2, the reason and the usage on stderr.
    void badUsage_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *arguments, const char *message) {
            QTest::newRow(arguments) << QString::fromUtf8(arguments) << QString::fromUtf8(message);
        };
        row("--export-pdf o.pdf", "no album file given");
        row("x.svd --export-pdf", "--export-pdf needs a value");
        row("--export-pdf= x.svd", "--export-pdf needs a value");
        row("--export-pdf o.pdf x.svd x.svd", "more than one album file given");
        row("--export-pdf o.pdf --bogus x.svd", "unknown option --bogus");
        row("--page 1 x.svd", "nothing to do: give --export-pdf or --print");
        row("--export-pdf o.pdf --print x.svd", "--export-pdf and --print cannot be used together");
        row("--print --page 1 x.svd", "--page goes with --export-pdf only");
        row("--export-pdf o.pdf --copies 2 x.svd", "--printer and --copies go with --print only");
        row("--export-pdf o.pdf --page=1 --page=2 x.svd", "--page is given twice");
        row("--print --print x.svd", "--print is given twice");
        row("--check", "--check needs exactly one album file");
        row("--check x.svd y.svd", "--check needs exactly one album file");
        row("--check x.svd --page 1", "--check goes with no other option");
        row("--check --sort-by-date x.svd", "--check goes with no other option");
    }
    void badUsage()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const Run r = run(args(arguments));
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err.section(u'\n', 0, 0), QStringLiteral("sorvane: ") + message);
        QVERIFY2(r.err.section(u'\n', 1, 1).startsWith("Usage: sorvane"), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QVERIFY(!QFile::exists(path("home/o.pdf")));
    }

    // The whole album, cover first, and one page; then the same with the
    // margins and number printing of print.ini.
    void exportsTheAlbumAndOnePageWithPrintIni()
    {
        for (const int ini : {0, 1}) {
            if (ini) {
                QFile file(path("config/sorvane/print.ini"));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(
                    cp932::encode(QStringLiteral("[印刷設定]\r\n上マージン=10\r\n左マージン=0\r\n番号印刷=1\r\n")));
            }
            const QString whole = expand(QStringLiteral("@out/whole%1.pdf").arg(ini));
            const Run r = run(args("--export-pdf " + whole + " @albums/site.svd"));
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.err, QString()); // every photo was found
            const QStringList pages = pdfPages(whole);
            QCOMPARE(pages.size(), 3);
            QVERIFY2(pages[0].contains("工 事 写 真 帳") && pages[0].contains(kCoverName), qPrintable(pages[0]));
            QVERIFY(!pages[0].contains("TitleWord"));
            for (int n = 1; n <= 6; ++n)
                QVERIFY2(pages[(n + 2) / 3].contains(title(n)), qPrintable(title(n)));
            QCOMPARE(pages[2].contains("No.N4"), bool(ini));

            const QString one = expand(QStringLiteral("@out/page%1.pdf").arg(ini));
            const Run page = run(args("--page 2 --export-pdf " + one + " @albums/site.svd"));
            QCOMPARE(page.exitCode, 0);
            QCOMPARE(page.err, QString());
            QCOMPARE(pdfPages(one), QStringList{pages[2]});
            QCOMPARE(wordX(one, title(4)), wordX(whole, title(4)));
        }
        // print.ini's top margin of 10 mm moves the photo page's text across.
        const double moved = wordX(path("out/whole1.pdf"), title(4)) - wordX(path("out/whole0.pdf"), title(4));
        QVERIFY2(qAbs(moved - 10.0 * 72.0 / 25.4) < 0.5, qPrintable(QString::number(moved)));
    }

    void missingPhotosAreListedAndTheJobCompletes()
    {
        // Two entries, fewer than a page, still print one page after the cover.
        writeAlbum(path("albums/short.svd"), {"photos/not-there.png", path("elsewhere/lost.png")});
        const Run r = run(args("@albums/short.svd --export-pdf=@out/short.pdf"));
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("sorvane: photo not printed: photos/not-there.png"), qPrintable(r.err));
        QVERIFY2(lines[1].startsWith(expand("sorvane: photo not printed: @elsewhere/lost.png")), qPrintable(r.err));
        const QStringList pages = pdfPages(path("out/short.pdf"));
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[1].contains(title(1)) && pages[1].contains(title(2)));
    }

    // Photos made to hurt, beside an honest one, in 600 MB of address space:
    // each hostile one is listed with its reason, the job completes, and the
    // honest photo is printed.
    void hostilePhotosAreListedAndTheJobCompletes()
    {
        const QString data = QStringLiteral(SORVANE_TEST_DATA "/pictures/hostile/");
        QImage photo(1600, 1200, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * y) & 0xFF));
        }
        QVERIFY(photo.save(path("albums/photos/honest.jpg"), "JPEG", 90));
        const QString fifo = path("albums/photos/pipe.jpg");
        QVERIFY(QProcess::execute("mkfifo", {fifo}) == 0);
        const QStringList hostile{data + "progressive-claims-65000x65000.jpg",
                                  data + "progressive-claims-20000x20000.jpg",
                                  data + "baseline-claims-65000x65000.jpg",
                                  data + "gif-claims-16000x16000.gif",
                                  data + "progressive-missing-scans.jpg",
                                  data + "baseline-cut-with-end-marker.jpg",
                                  data + "empty.jpg",
                                  fifo,
                                  "/dev/zero",
                                  path("albums/photos")};
        // Twelve entries: four whole pages.
        writeAlbum(path("albums/hostile.svd"),
                   QStringList{"photos/honest.jpg"} + hostile + QStringList{"photos/honest.jpg"});
        const Run r = run(args("--export-pdf @out/hostile.pdf @albums/hostile.svd"), 600000);
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == hostile.size(), qPrintable(r.err));
        for (qsizetype i = 0; i < hostile.size(); ++i)
            QVERIFY2(lines[i].startsWith("sorvane: photo not printed: " + hostile[i] + " ("), qPrintable(lines[i]));
        // The honest photo is on the first photo page, in colour.
        QProcess render;
        render.start("pdftoppm", {"-f", "2", "-l", "2", "-singlefile", "-r", "30", "-png", path("out/hostile.pdf"),
                                  path("out/page")});
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        const QImage page(path("out/page.png"));
        QVERIFY(!page.isNull());
        bool coloured = false;
        for (int y = 0; y < page.height() && !coloured; ++y) {
            for (int x = 0; x < page.width() && !coloured; ++x) {
                const QColor c = page.pixelColor(x, y);
                coloured = c.saturation() > 100 && c.value() > 60;
            }
        }
        QVERIFY(coloured);
    }

    // A HEIF photo stored on its side is printed upright: turned once by
    // the file's own boxes, not again by the EXIF orientation it also
    // carries.
    void heifPhotoPrintsUpright()
    {
        using namespace sorvane::testing;
        const QByteArray exif = QByteArray("Exif\0\0", 6) + exifBlock({{"Exif.Image.Orientation", "6"}});
        QFile heic(path("albums/photos/IMG_0001.HEIC"));
        QVERIFY(heic.open(QIODevice::WriteOnly));
        heic.write(encodeHeic(quadrants(QSize(128, 96)), heif_orientation_rotate_90_cw, exif));
        heic.close();
        writeAlbum(path("albums/heic.svd"), {"photos/IMG_0001.HEIC", "", ""});
        const Run r = run(args("--export-pdf @out/heic.pdf @albums/heic.svd"));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QProcess render;
        render.start("pdftoppm",
                     {"-f", "2", "-l", "2", "-singlefile", "-r", "40", "-png", path("out/heic.pdf"), path("out/heic")});
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        const QImage page(path("out/heic.png"));
        QVERIFY(!page.isNull());
        // The photo is what is coloured on the page.
        QRect photo;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.saturation() > 100 && c.value() > 60)
                    photo |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(photo.width() > 20 && photo.height() > 20);
        QCOMPARE(quarterColours(page.copy(photo)), QList<QRgb>({kBlue, kRed, kYellow, kGreen}));
    }

    // "-" sends the PDF down standard output, for a pipe.
    void pdfToStandardOutput()
    {
        const Run r = run(args("--export-pdf - @albums/site.svd"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QVERIFY(r.outBytes.startsWith("%PDF-"));
        QFile piped(path("out/piped.pdf"));
        QVERIFY(piped.open(QIODevice::WriteOnly) && piped.write(r.outBytes) == r.outBytes.size());
        piped.close();
        const QStringList pages = pdfPages(piped.fileName());
        QCOMPARE(pages.size(), 3);
        QVERIFY(pages[2].contains(title(4)));
        QVERIFY(!QFileInfo::exists(path("home/-")));

        const Run page = run(args("--page=1 --export-pdf=- @albums/site.svd"));
        QCOMPARE(page.exitCode, 0);
        QVERIFY(page.outBytes.startsWith("%PDF-"));
    }

    // Outputs a PDF would destroy (the rename would put it in their place)
    // or that would block: refused with one line, nothing written, each left
    // as it was.
    void outputsThatArePreciousAreRefused()
    {
        QVERIFY(QDir().mkpath(path("precious")));
        const QString fifo = path("precious/pipe.pdf");
        QVERIFY(QProcess::execute("mkfifo", {fifo}) == 0);
        QVERIFY(QFile::link(path("albums/site.svd"), path("precious/to-album.pdf")));
        // As root a device node of our own stands in for /dev/null, so that
        // a fault here can never destroy the system's; a user cannot replace
        // /dev/null anyway.
        QString device = QStringLiteral("/dev/null");
        if (::geteuid() == 0) {
            device = path("precious/null");
            QVERIFY(QProcess::execute("mknod", {device, "c", "1", "3"}) == 0);
        }
        QFile album(path("albums/site.svd"));
        QVERIFY(album.open(QIODevice::ReadOnly));
        const QByteArray albumBytes = album.readAll();

        const QList<std::pair<QString, QString>> cases = {
            {device, "it is a device"},
            {fifo, "it is a named pipe"},
            {path("precious"), "it is a folder"},
            {path("albums/site.svd"), "it is the album file itself"},
            {path("albums/photos/../site.svd"), "it is the album file itself"},
            {path("precious/to-album.pdf"), "it is the album file itself"},
        };
        for (const auto &[output, reason] : cases) {
            const Run r = run({"--export-pdf", output, path("albums/site.svd")});
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(r.err, QStringLiteral("sorvane: cannot write %1: %2\n").arg(output, reason));
            QCOMPARE(r.out, QString());
        }
        QVERIFY(QFileInfo(device).exists() && !QFileInfo(device).isFile() && !QFileInfo(device).isDir());
        QProcess test;
        test.start("test", {"-c", device}); // still a character device
        QVERIFY(test.waitForFinished() && test.exitCode() == 0);
        test.start("test", {"-p", fifo});
        QVERIFY(test.waitForFinished() && test.exitCode() == 0);
        QVERIFY(QFileInfo(path("precious/to-album.pdf")).isSymLink());
        QFile after(path("albums/site.svd"));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), albumBytes);
        QCOMPARE(QDir(path("precious"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                     .size(),
                 ::geteuid() == 0 ? 3 : 2);
        QCOMPARE(QDir(path("albums")).entryList({"*site*"}, QDir::Files | QDir::Hidden), QStringList{"site.svd"});
    }

    // A job that cannot be done: exit 1, one line on stderr, no PDF.
    void failures_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *arguments, const char *message) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << QString::fromUtf8(message);
        };
        row("missing album", "--export-pdf @out/f.pdf @albums/none.svd", "album file not found: @albums/none.svd");
        row("folder", "--export-pdf @out/f.pdf @albums", "@albums is a folder, not an album file");
        row("broken album", "--export-pdf @out/f.pdf @albums/broken.svd",
            "cannot read the album @albums/broken.svd: the file ends inside the cover data, line 4");
        row("page past the end", "--export-pdf @out/f.pdf --page 3 @albums/site.svd", "--page: page 3 is outside 1..2");
        row("page zero", "--export-pdf @out/f.pdf --page=0 @albums/site.svd", "--page: page 0 is outside 1..2");
        row("page not a number", "--export-pdf @out/f.pdf --page two @albums/site.svd",
            "--page: \"two\" is not a page number");
        row("output in a missing folder", "--export-pdf @nowhere/f.pdf @albums/site.svd",
            "cannot write @nowhere/f.pdf: ");
        row("unknown printer", "--print @albums/site.svd --printer NoSuchPrinter-7f3a",
            "printer not found: NoSuchPrinter-7f3a");
        row("print of a missing album", "--print @albums/none.svd", "album file not found: @albums/none.svd");
        row("too many copies", "--print @albums/site.svd --copies 100",
            "--copies: \"100\" is not a number of copies from 1 to 99");
        row("no copies", "--print @albums/site.svd --copies=0",
            "--copies: \"0\" is not a number of copies from 1 to 99");
    }
    void failures()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        QFile::remove(path("out/f.pdf"));
        const Run r = run(args(arguments));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.startsWith(QStringLiteral("sorvane: ") + expand(message)), qPrintable(r.err));
        QCOMPARE(r.err.count(u'\n'), 1);
        QVERIFY(!QFile::exists(path("out/f.pdf")));
        QVERIFY(!QFileInfo::exists(path("nowhere")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
