// Real print jobs: the album printed through the print dialog's "印刷" with two
// copies and through the command line's --print reaches a CUPS queue, and the
// documents the queue received are checked page by page.
//
// The queue is a private scheduler started by `dev.sh test`
// (tools/test-cups.sh) whose backend stores each job as sent; the test finds
// it through CUPS_SERVER, SORVANE_TEST_PRINTER and SORVANE_TEST_PRINT_JOBS and
// is skipped without them.
#include "io/album_file.h"
#include "platform/qt_services.h"
#include "text/font_faces.h"
#include "ui/dialogs/print_dialog.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace sorvane;

namespace {

// The real desktop services, except that our own modal dialogs are handed to
// the test instead of blocking, messages are recorded, and the user's default
// printer is never touched.
class JobServices : public QtServices {
public:
    QString arguments;
    std::function<void(QObject &)> onModal;
    QStringList messages;
    QStringList defaultsSet;

    QString commandLine() override { return arguments; }
    void runModal(QObject &dialog) override
    {
        if (onModal)
            onModal(dialog);
    }
    MessageResult showMessage(const MessageRequest &request) override
    {
        messages << request.text;
        return MessageResult::Ok;
    }
    void setDefaultPrinter(const QString &name) override { defaultsSet << name; }
};

// The editor on the real services with the album open.
struct Window {
    JobServices services;
    Form1 form{services};
    explicit Window(const QString &album)
    {
        services.arguments = album;
        form.startUp();
    }
    // The print dialog: picks the printer, types the copies, presses 印刷.
    bool print(const QString &printerName, const QString &copies)
    {
        bool shown = false;
        services.onModal = [&](QObject &dialog) {
            if (auto *dialog1 = qobject_cast<PrintDialog *>(&dialog)) {
                shown = true;
                dialog1->printerBox()->setCurrentText(printerName);
                dialog1->copiesBox()->setText(copies);
                dialog1->printButton()->click();
            }
        };
        form.action(QStringLiteral("test_print"))->trigger();
        services.onModal = nullptr;
        return shown;
    }
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pageCount(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString &line : info.split(u'\n')) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// The text of each page, split at the form feeds pdftotext puts between them.
QStringList pageTexts(const QString &pdf)
{
    QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).split(u'\f');
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int imageCount(const QString &pdf)
{
    // Two header lines, then one line per image.
    const QStringList lines =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(u'\n', Qt::SkipEmptyParts);
    return int(lines.size()) - 2;
}

} // namespace

class TestPrintJobs : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString printer;
    QString jobsDir;
    QString albumPath;
    int jobsBefore = 0;

    QStringList storedJobs() const
    {
        QStringList jobs;
        for (const QString &name : QDir(jobsDir).entryList({QStringLiteral("job-*.data")}, QDir::Files, QDir::Name))
            jobs << QDir(jobsDir).filePath(name);
        return jobs;
    }

    // Waits up to a minute for `count` new jobs and returns the new ones.
    QStringList newJobs(int count)
    {
        QStringList jobs = storedJobs();
        QDeadlineTimer deadline(60000);
        while (jobs.size() < jobsBefore + count && !deadline.hasExpired()) {
            QTest::qWait(50);
            jobs = storedJobs();
        }
        jobs = jobs.mid(jobsBefore);
        jobsBefore += int(jobs.size());
        return jobs;
    }

    // `sorvane --print ALBUM --printer NAME`: its exit status and stderr.
    int printFromShell(const QString &printerName, QByteArray *errors)
    {
        QProcess sorvane;
        sorvane.start(QStringLiteral(SORVANE_BINARY),
                      {QStringLiteral("--print"), albumPath, QStringLiteral("--printer"), printerName});
        if (!sorvane.waitForFinished(60000))
            return -1;
        *errors = sorvane.readAllStandardError();
        return sorvane.exitCode();
    }

    // The whole album as printed: the cover with its particulars, then the
    // two pages with their titles, comments and the two photos.
    void checkAlbumDocument(const QString &job)
    {
        QFile file(job);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        QCOMPARE(pageCount(job), 3);
        const QStringList pages = pageTexts(job);
        QCOMPARE(pages.size(), 3);
        QVERIFY2(pages[0].contains(QStringLiteral("工 事 写 真 帳")), qPrintable(pages[0]));
        QVERIFY(pages[0].contains(QStringLiteral("市道改良工事")));
        QVERIFY(pages[1].contains(QStringLiteral("床掘状況")));
        QVERIFY(pages[1].contains(QStringLiteral("幅 1.2m")));
        QVERIFY(!pages[1].contains(QStringLiteral("基礎砕石")));
        QVERIFY(pages[2].contains(QStringLiteral("基礎砕石")));
        QCOMPARE(imageCount(job), 2);
    }

private slots:
    void initTestCase()
    {
        printer = qEnvironmentVariable("SORVANE_TEST_PRINTER");
        jobsDir = qEnvironmentVariable("SORVANE_TEST_PRINT_JOBS");
        if (printer.isEmpty() || jobsDir.isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("no test CUPS scheduler (dev.sh test starts one with tools/test-cups.sh)");
        QVERIFY(dir.isValid());
        // libcups reads the user's lpoptions from HOME: keep the user's own out.
        qputenv("HOME", QFile::encodeName(dir.path()));
        registerFontSubstitutions();

        QImage photo(640, 480, QImage::Format_RGB32);
        photo.fill(QColor(40, 120, 90));
        QVERIFY(photo.save(dir.filePath("p1.jpg")));
        photo.fill(QColor(150, 90, 30));
        QVERIFY(photo.save(dir.filePath("p4.jpg")));

        AlbumContents album;
        album.cover.site = QStringLiteral("市道改良工事");
        album.table.reset();
        album.table.appendPage();
        album.table.setText(1, AlbumTable::Title, QStringLiteral("床掘状況"));
        album.table.setText(1, AlbumTable::Comment, QStringLiteral("幅 1.2m\r\n深さ 0.8m"));
        album.table.setText(1, AlbumTable::PhotoPath, QStringLiteral("p1.jpg"));
        album.table.setText(4, AlbumTable::Title, QStringLiteral("基礎砕石"));
        album.table.setText(4, AlbumTable::PhotoPath, dir.filePath("p4.jpg"));
        albumPath = dir.filePath("現場.svd");
        QVERIFY(!writeAlbumFile(albumPath, album.cover, album.table).isError());
        jobsBefore = int(storedJobs().size());
    }

    void printDialogPrintsTwoDocumentsOnThePickedPrinter()
    {
        Window w(albumPath);
        QCOMPARE(w.form.document().text(1, AlbumTable::Title), QStringLiteral("床掘状況"));
        QVERIFY(w.print(printer, QStringLiteral("2")));
        QCOMPARE(w.services.messages, QStringList());
        const QStringList jobs = newJobs(2);
        QCOMPARE(jobs.size(), 2);
        for (const QString &job : jobs) {
            checkAlbumDocument(job);
            // Each copy is a document of its own, sent once, named after the album.
            QFile info(QString(job).replace(QLatin1String(".data"), QLatin1String(".info")));
            QVERIFY(info.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = info.readAll().split('\n');
            QVERIFY(lines.contains("copies=1") && lines.contains("title=現場"));
        }
    }

    void previewAndSinglePageUseThePickedPrinter()
    {
        Window w(albumPath);
        QVERIFY(w.print(printer, QStringLiteral("0"))); // picks the printer, prints nothing
        QString previewPrinter;
        int previewPages = -1;
        w.services.onModal = [&](QObject &dialog) {
            if (auto *preview = qobject_cast<QPrintPreviewDialog *>(&dialog)) {
                previewPrinter = preview->printer()->printerName();
                auto *pages = preview->findChild<QPrintPreviewWidget *>();
                pages->updatePreview();
                previewPages = pages->pageCount();
            }
        };
        w.form.action(QStringLiteral("print_preview"))->trigger();
        QCOMPARE(previewPrinter, printer);
        QCOMPARE(previewPages, 3);
        QCOMPARE(storedJobs().size(), jobsBefore);

        w.form.action(QStringLiteral("oneprint_menu"))->trigger();
        const QStringList jobs = newJobs(1);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(pageCount(jobs[0]), 1);
        const QString text = pageTexts(jobs[0]).value(0);
        QVERIFY(text.contains(QStringLiteral("床掘状況")) && !text.contains(QStringLiteral("市道改良工事")));
        QCOMPARE(imageCount(jobs[0]), 1);
        QCOMPARE(w.services.messages, QStringList());

        // The paper chosen under "プロパティ" for this printer is what its
        // later jobs use.
        w.services.setPageLayoutFor(printer, QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, {}));
        w.form.action(QStringLiteral("oneprint_menu"))->trigger();
        const QStringList a5 = newJobs(1);
        QCOMPARE(a5.size(), 1);
        QVERIFY2(run(QStringLiteral("pdfinfo"), {a5[0]}).contains(QLatin1String("595 x 420 pts")),
                 qPrintable(run(QStringLiteral("pdfinfo"), {a5[0]})));
    }

    void commandLinePrintsOnTheNamedPrinter()
    {
        QByteArray errors;
        QCOMPARE(printFromShell(printer, &errors), 0);
        QVERIFY2(!errors.contains("not printed") && !errors.contains("fail"), errors.constData());
        const QStringList jobs = newJobs(1);
        QCOMPARE(jobs.size(), 1);
        checkAlbumDocument(jobs[0]);

        QCOMPARE(printFromShell(QStringLiteral("no-such"), &errors), 1);
        QVERIFY(errors.contains("printer not found"));
        QTest::qWait(500);
        QCOMPARE(storedJobs().size(), jobsBefore);
    }

    void aQueueThatRefusesJobsIsReportedNotFedSilently()
    {
        QCOMPARE(QProcess::execute(QStringLiteral("cupsreject"), {printer}), 0);
        const auto accept = qScopeGuard([&] { QProcess::execute(QStringLiteral("cupsaccept"), {printer}); });
        Window w(albumPath);
        QVERIFY(w.print(printer, QStringLiteral("1")));
        QCOMPARE(w.services.messages.size(), 1);
        QVERIFY(w.services.messages[0].contains(printer));

        QByteArray errors;
        QCOMPARE(printFromShell(printer, &errors), 1);
        QVERIFY(errors.contains("not accepting jobs"));
        QTest::qWait(500);
        QCOMPARE(storedJobs().size(), jobsBefore);
    }
};

QTEST_MAIN(TestPrintJobs)
#include "tst_print_jobs.moc"
