// The command line of the sorvane program, run as a separate process without
// a display, the way a script or a scheduled job runs it.

#include "io/album_file.h"
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

using namespace sorvane;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

constexpr double kPointsPerMm = 72.0 / 25.4;

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_albumPath; // six entries, two pages, every photo present
    QString m_cover2;    // the construction name on its cover

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        return env;
    }

    // Runs the program from a folder of its own, away from the albums, so
    // that relative photo paths must be taken from the album's folder.
    Run run(const QStringList &arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(path(QStringLiteral("home")));
        process.start(QStringLiteral(SORVANE_BINARY), arguments);
        Run result;
        if (!process.waitForStarted() || !process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            result.err = QStringLiteral("the program did not start or did not finish");
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    static QString tool(const char *name)
    {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (found.isEmpty())
            qWarning("%s is not installed: the command line tests need poppler-utils", name);
        return found;
    }

    static QString runTool(const char *name, const QStringList &arguments, bool *ok)
    {
        *ok = false;
        const QString program = tool(name);
        if (program.isEmpty())
            return {};
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            qWarning("%s failed: %s", name, process.readAllStandardError().constData());
            return {};
        }
        *ok = true;
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The page count pdfinfo reads, -1 when it cannot read the file.
    static int pdfPages(const QString &pdf)
    {
        bool ok = false;
        const QString info = runTool("pdfinfo", {pdf}, &ok);
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption).match(info);
        return ok && m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    static QString pdfText(const QString &pdf)
    {
        bool ok = false;
        const QString text = runTool("pdftotext", {pdf, QStringLiteral("-")}, &ok);
        return ok ? text : QString();
    }

    // The left edge of a word in points, as pdftotext places it; NaN when the
    // word is not found.
    static double wordX(const QString &pdf, const QString &word)
    {
        bool ok = false;
        const QString html = runTool("pdftotext", {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &ok);
        const QRegularExpression re(
            QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>%1</word>").arg(QRegularExpression::escape(word)));
        const QRegularExpressionMatch m = re.match(html);
        return ok && m.hasMatch() ? m.captured(1).toDouble() : qQNaN();
    }

    static void writePhoto(const QString &file, Qt::GlobalColor color)
    {
        QDir().mkpath(QFileInfo(file).path());
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY2(image.save(file, "PNG"), qPrintable(file));
    }

    // An album of `titles.size()` entries numbered N1, N2, ... with the
    // given photo paths; the page count the reader would set.
    static void writeAlbum(const QString &file, const QString &coverName, const QStringList &titles,
                           const QStringList &photos)
    {
        CoverData cover;
        cover[0] = QStringLiteral("R6");
        cover[2] = coverName;
        AlbumTable table;
        table.clear();
        for (qsizetype i = 0; i < titles.size(); ++i)
            table.appendEntry(QStringLiteral("N%1").arg(i + 1), titles[i], QStringLiteral("comment"),
                              i < photos.size() ? photos[i] : QString());
        table.setPageCount(int(titles.size() / 3));
        QDir().mkpath(QFileInfo(file).path());
        const AlbumFileError error = writeAlbumFile(file, cover, table);
        QVERIFY2(!error.isError(), qPrintable(error.message()));
    }

    static void writePrintIni(const QString &file, const QString &text)
    {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        const QByteArray bytes = cp932::encode(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    QString printIniPath() const { return path(QStringLiteral("config/sorvane/print.ini")); }

    static QStringList titles(int first, int last)
    {
        QStringList list;
        for (int i = first; i <= last; ++i)
            list << QStringLiteral("TitleWord%1").arg(i);
        return list;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("home"))));
        QVERIFY(QDir().mkpath(path(QStringLiteral("config"))));
        // A private runtime folder, as a desktop session has, keeps Qt from
        // warning about its absence on stderr.
        QVERIFY(QDir().mkpath(path(QStringLiteral("runtime"))));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("runtime")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY2(!tool("pdfinfo").isEmpty(), "pdfinfo is missing: install poppler-utils");
        QVERIFY2(!tool("pdftotext").isEmpty(), "pdftotext is missing: install poppler-utils");

        // Relative photo paths (from the album's folder) and one absolute.
        writePhoto(path(QStringLiteral("albums/photos/a.png")), Qt::red);
        writePhoto(path(QStringLiteral("albums/photos/b.png")), Qt::blue);
        m_albumPath = path(QStringLiteral("albums/site.svd"));
        m_cover2 = QStringLiteral("BridgeRepairWorks");
        const QString a = QStringLiteral("photos/a.png");
        const QString b = path(QStringLiteral("albums/photos/b.png"));
        writeAlbum(m_albumPath, m_cover2, titles(1, 6), {a, b, a, b, a, b});
    }

    void init() { QFile::remove(printIniPath()); }

    void helpAndVersion()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("--export-pdf OUT.pdf")));
        QVERIFY(help.out.contains(QStringLiteral("--print")));
        QVERIFY(help.out.contains(QStringLiteral("--copies")));
        QCOMPARE(help.err, QString());

        const Run version = run({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out.trimmed(), QStringLiteral("Sorvane " SORVANE_VERSION_TEXT));
        QCOMPARE(version.err, QString());
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString album = QStringLiteral("x.svd");
        QTest::newRow("no album") << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf")};
        QTest::newRow("no output name") << QStringList{album, QStringLiteral("--export-pdf")};
        QTest::newRow("two albums") << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), album,
                                                   album};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"),
                                                       QStringLiteral("--bogus"), album};
        QTest::newRow("page without export") << QStringList{QStringLiteral("--page"), QStringLiteral("1"), album};
        QTest::newRow("export and print")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("--print"), album};
        QTest::newRow("page with print") << QStringList{QStringLiteral("--print"), QStringLiteral("--page"),
                                                        QStringLiteral("1"), album};
        QTest::newRow("copies with export") << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"),
                                                           QStringLiteral("--copies"), QStringLiteral("2"), album};
        QTest::newRow("page twice") << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"),
                                                   QStringLiteral("--page=1"), QStringLiteral("--page=2"), album};
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("sorvane: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Usage: sorvane")), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QVERIFY(!QFile::exists(path(QStringLiteral("home/o.pdf"))));
    }

    void exportsTheWholeAlbum()
    {
        const QString pdf = path(QStringLiteral("out/whole.pdf"));
        QDir().mkpath(path(QStringLiteral("out")));
        const Run r = run({QStringLiteral("--export-pdf"), pdf, m_albumPath});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString()); // every photo was found
        QCOMPARE(pdfPages(pdf), 3);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("工 事 写 真 帳")), qPrintable(text));
        QVERIFY2(text.contains(m_cover2), qPrintable(text));
        for (const QString &title : titles(1, 6))
            QVERIFY2(text.contains(title), qPrintable(title));
        // The cover comes first: the heading is on the first page.
        const QString firstPage = text.section(QLatin1Char('\f'), 0, 0);
        QVERIFY(firstPage.contains(QStringLiteral("工 事 写 真 帳")));
        QVERIFY(!firstPage.contains(QStringLiteral("TitleWord1")));
    }

    void exportsOnePage()
    {
        for (const bool pageFirst : {true, false}) {
            const QString pdf = path(QStringLiteral("out/page2-%1.pdf").arg(pageFirst));
            QDir().mkpath(path(QStringLiteral("out")));
            const QStringList arguments = pageFirst ? QStringList{QStringLiteral("--page"), QStringLiteral("2"),
                                                                  QStringLiteral("--export-pdf"), pdf, m_albumPath}
                                                    : QStringList{QStringLiteral("--export-pdf"), pdf, m_albumPath,
                                                                  QStringLiteral("--page"), QStringLiteral("2")};
            const Run r = run(arguments);
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.err, QString());
            QCOMPARE(pdfPages(pdf), 1);
            const QString text = pdfText(pdf);
            for (const QString &title : titles(4, 6))
                QVERIFY2(text.contains(title), qPrintable(text));
            for (const QString &title : titles(1, 3))
                QVERIFY2(!text.contains(title), qPrintable(text));
            QVERIFY(!text.contains(QStringLiteral("工 事 写 真 帳")));
        }
    }

    void albumOfFewerThanThreeEntriesPrintsOnePage()
    {
        const QString album = path(QStringLiteral("albums/short.svd"));
        writeAlbum(album, QStringLiteral("ShortOne"), titles(1, 2),
                   {QStringLiteral("photos/a.png"), QStringLiteral("photos/b.png")});
        const QString pdf = path(QStringLiteral("out/short.pdf"));
        QDir().mkpath(path(QStringLiteral("out")));
        const Run r = run({QStringLiteral("--export-pdf"), pdf, album});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(pdfPages(pdf), 2);
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("TitleWord1")));
        QVERIFY(text.contains(QStringLiteral("TitleWord2")));
    }

    void printIniSetsMarginsAndNumbers()
    {
        QDir().mkpath(path(QStringLiteral("out")));
        const QString plain = path(QStringLiteral("out/plain.pdf"));
        QCOMPARE(run({QStringLiteral("--export-pdf"), plain, m_albumPath}).exitCode, 0);

        writePrintIni(printIniPath(), QStringLiteral("[印刷設定]\r\n上マージン=10\r\n左マージン=0\r\n番号印刷=1\r\n"));
        const QString moved = path(QStringLiteral("out/moved.pdf"));
        const Run r = run({QStringLiteral("--export-pdf"), moved, m_albumPath});
        QCOMPARE(r.exitCode, 0);

        const double before = wordX(plain, QStringLiteral("TitleWord4"));
        const double after = wordX(moved, QStringLiteral("TitleWord4"));
        QVERIFY2(!qIsNaN(before) && !qIsNaN(after), "title not found in the PDF text");
        QVERIFY2(qAbs((after - before) - 10.0 * kPointsPerMm) < 0.5,
                 qPrintable(QStringLiteral("moved by %1 pt").arg(after - before)));

        // Numbers print only when print.ini ticks them.
        QVERIFY(!pdfText(plain).contains(QStringLiteral("No.N4")));
        QVERIFY(pdfText(moved).contains(QStringLiteral("No.N4")));

        // The single page reads the same settings.
        const QString page = path(QStringLiteral("out/moved-page.pdf"));
        QCOMPARE(run({QStringLiteral("--export-pdf"), page, QStringLiteral("--page"), QStringLiteral("2"), m_albumPath})
                     .exitCode,
                 0);
        QVERIFY(pdfText(page).contains(QStringLiteral("No.N4")));
        QVERIFY(qAbs(wordX(page, QStringLiteral("TitleWord4")) - after) < 0.5);
    }

    void missingPhotoIsListedAndTheJobCompletes()
    {
        const QString album = path(QStringLiteral("albums/gaps.svd"));
        const QString gone = QStringLiteral("photos/not-there.png");
        const QString goneAbsolute = path(QStringLiteral("elsewhere/lost.png"));
        writeAlbum(album, QStringLiteral("Gaps"), titles(1, 3), {gone, QStringLiteral("photos/a.png"), goneAbsolute});
        const QString pdf = path(QStringLiteral("out/gaps.pdf"));
        QDir().mkpath(path(QStringLiteral("out")));
        const Run r = run({QStringLiteral("--export-pdf"), pdf, album});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(gone), qPrintable(r.err));
        QVERIFY2(lines[1].contains(goneAbsolute), qPrintable(r.err));
        QCOMPARE(pdfPages(pdf), 2);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("TitleWord1")));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");

        QFile broken(path(QStringLiteral("albums/broken.svd")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("only\r\nthree\r\nlines\r\n");
        broken.close();

        const QString out = path(QStringLiteral("out/failed.pdf"));
        const QString missingAlbum = path(QStringLiteral("albums/none.svd"));
        QTest::newRow("missing album") << QStringList{QStringLiteral("--export-pdf"), out, missingAlbum} << out
                                       << missingAlbum;
        QTest::newRow("broken album") << QStringList{QStringLiteral("--export-pdf"), out, broken.fileName()} << out
                                      << QStringLiteral("ends inside the cover data, line 4");
        QTest::newRow("page past the end") << QStringList{QStringLiteral("--export-pdf"), out, QStringLiteral("--page"),
                                                          QStringLiteral("9"), m_albumPath}
                                           << out << QStringLiteral("1..2");
        QTest::newRow("page zero") << QStringList{QStringLiteral("--export-pdf"), out, QStringLiteral("--page=0"),
                                                  m_albumPath}
                                   << out << QStringLiteral("1..2");
        QTest::newRow("page not a number") << QStringList{QStringLiteral("--export-pdf"), out, QStringLiteral("--page"),
                                                          QStringLiteral("two"), m_albumPath}
                                           << out << QStringLiteral("\"two\"");
        const QString unwritable = path(QStringLiteral("no-such-folder/out.pdf"));
        QTest::newRow("output in a missing folder")
            << QStringList{QStringLiteral("--export-pdf"), unwritable, m_albumPath} << unwritable << unwritable;
        QTest::newRow("unknown printer") << QStringList{QStringLiteral("--print"), m_albumPath,
                                                        QStringLiteral("--printer"),
                                                        QStringLiteral("NoSuchPrinter-7f3a")}
                                         << out << QStringLiteral("NoSuchPrinter-7f3a");
        QTest::newRow("print of a missing album")
            << QStringList{QStringLiteral("--print"), missingAlbum} << out << missingAlbum;
        QTest::newRow("too many copies") << QStringList{QStringLiteral("--print"), m_albumPath,
                                                        QStringLiteral("--copies"), QStringLiteral("100")}
                                         << out << QStringLiteral("\"100\"");
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QString, message);
        QDir().mkpath(path(QStringLiteral("out")));
        QFile::remove(output);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("sorvane: ")), qPrintable(r.err));
        QVERIFY2(lines[0].contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(output));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("no-such-folder"))));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
