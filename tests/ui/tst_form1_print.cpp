// The PDF export of the main window.
#include "form_fixture.h"
#include "io/album_file.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("pdftotext failed (poppler-utils missing?)");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The album in hand with some columns of some rows replaced, shown again.
void change(Form1 &form, const QList<std::tuple<int, int, QString>> &cells)
{
    AlbumContents album{form.document().cover(), form.document().table()};
    for (const auto &[row, column, text] : cells)
        album.table.setText(row, column, text);
    form.document().replace(std::move(album), form.document().filePath());
    form.ShowPage();
}

// A started main window on scripted printers.
struct PrintingForm {
    FakeServices services;
    std::unique_ptr<Form1> form;
    PrintingForm(const QStringList &printers, const QString &defaultPrinter)
    {
        services.printers = printers;
        services.defaultPrinter = defaultPrinter;
        registerFontSubstitutions();
        form = std::make_unique<Form1>(services);
        form->startUp();
    }
};

} // namespace

class TestForm1Print : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void exportsTheAlbumAsPdf()
    {
        FormFixture f;
        f.fill({"床掘状況", "", "", "基礎砕石", "", ""});
        const QString photo = dir.filePath("photo.png");
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(photo));
        change(*f.form, {{1, AlbumTable::PhotoPath, photo}, {4, AlbumTable::PhotoPath, dir.filePath("gone.jpg")}});
        CoverData cover = f.album().cover();
        cover.constructionName = QStringLiteral("市道改良工事");
        f.form->document().setCover(cover);

        const QString pdf = dir.filePath("album.pdf");
        f.services.fileAnswers.enqueue(pdf);
        f.form->action("pdf_export")->trigger();
        QCOMPARE(f.services.fileRequests.last().filter, QStringLiteral("PDF ファイル (*.pdf)|*.pdf"));
        QVERIFY(f.services.fileRequests.last().confirmOverwrite);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("市道改良工事")));
        QVERIFY(text.contains(QStringLiteral("床掘状況")));
        QVERIFY(text.contains(QStringLiteral("基礎砕石")));
        QCOMPARE(text.count(u'\f'), 3); // cover and two pages

        // Asked about first (and answered yes), the photo that could not be
        // loaded is named after the job.
        QCOMPARE(f.services.messages.size(), 2);
        QCOMPARE(f.services.messages[0].text,
                 QStringLiteral("写真 1 枚が見つかりません。このまま PDF に出力しますか？"));
        QVERIFY(f.services.messages[1].text.contains(dir.filePath("gone.jpg")));
        QVERIFY(f.services.messages[1].text.contains(QStringLiteral("写真なしで出力しました")));
    }

    void printDialogPrintsEachCopyOnThePickedPrinter()
    {
        PrintingForm p({"Office", "Site"}, "Office");
        FakeServices &services = p.services;
        Form1 &form = *p.form;
        QCOMPARE(form.startupPrinter(), QStringLiteral("Office"));
        change(form,
               {{1, AlbumTable::Title, QStringLiteral("配筋")}, {1, AlbumTable::PhotoPath, dir.filePath("gone.jpg")}});
        services.onModal = [](QObject &dialog) {
            if (auto *print = qobject_cast<PrintDialog *>(&dialog)) {
                print->printerBox()->setCurrentText(QStringLiteral("Site"));
                print->copiesBox()->setText(QStringLiteral("2"));
                print->printButton()->click();
            }
        };
        form.action("test_print")->trigger();
        QCOMPARE(services.printJobs.size(), 2);
        for (const FakeServices::PrintJob &job : services.printJobs) {
            QCOMPARE(job.printerName, QStringLiteral("Site"));
            QVERIFY(job.calls.join('\n').contains(QStringLiteral("工 事 写 真 帳")));
            QVERIFY(job.calls.join('\n').contains(QStringLiteral("配筋")));
            QCOMPARE(job.calls.last(), QStringLiteral("end document"));
        }
        QCOMPARE(form.currentPrinter(), QStringLiteral("Site"));
        // The missing photo is asked about once before and named once after
        // both copies.
        QCOMPARE(services.messages.size(), 2);
        QCOMPARE(services.messages[0].text, QStringLiteral("写真 1 枚が見つかりません。このまま印刷しますか？"));
        QVERIFY(services.messages[1].text.contains(dir.filePath("gone.jpg")));
        QVERIFY(services.messages[1].text.contains(QStringLiteral("写真なしで印刷しました")));

        // Exit leaves the start-up printer as the default.
        QCloseEvent close;
        QApplication::sendEvent(&form, &close);
        QCOMPARE(services.printerCalls.last(), QStringLiteral("set default Office"));
    }

    void singlePagePrintsWhatTheSlotsShow()
    {
        PrintingForm p({"Office"}, "Office");
        FakeServices &services = p.services;
        Form1 &form = *p.form;
        form.show();
        form.titleBox(1)->setText(QStringLiteral("edited title"));
        form.action("oneprint_menu")->trigger();
        QCOMPARE(services.printJobs.size(), 1);
        const QStringList &calls = services.printJobs[0].calls;
        QCOMPARE(calls.filter(QStringLiteral("box ")).size(), 3); // three empty frames, no cover
        QVERIFY(calls.contains(QStringLiteral("text 143.50 115.00 edited title")));
        QVERIFY(calls.filter(QStringLiteral("picture")).isEmpty());
        QVERIFY(calls.filter(QStringLiteral("new page")).isEmpty());

        // Photos come from their files at print quality, not from the small
        // screen copy (nor its "cannot show" placeholder); one that does not
        // load leaves its frame empty and is named after the job.
        QImage camera(3000, 2000, QImage::Format_RGB32);
        camera.fill(QColor(0, 128, 0));
        QVERIFY(camera.save(dir.filePath("camera.png")));
        change(form, {{1, AlbumTable::PhotoPath, dir.filePath("camera.png")},
                      {3, AlbumTable::PhotoPath, dir.filePath("gone.jpg")}});
        form.action("oneprint_menu")->trigger();
        const QStringList pictures = services.printJobs[1].calls.filter(QStringLiteral("picture"));
        QCOMPARE(pictures, QStringList{QStringLiteral("picture %1x%2 #008000 19.50 11.00 120.00 87.00")
                                           .arg(kPrintPhotoPixels.width())
                                           .arg(kPrintPhotoPixels.height())});
        QCOMPARE(services.messages.size(), 2); // the question before, the report after
        QVERIFY(services.messages[1].text.contains(dir.filePath("gone.jpg")));
    }

    void hiddenPrintMenuPrintsThroughTheSystemDialog()
    {
        PrintingForm p({"Office", "Site"}, "Office");
        FakeServices &services = p.services;
        Form1 &form = *p.form;
        QAction *item = form.action("print_menu");
        QVERIFY(!item->isVisible() && !item->isEnabled());
        change(form,
               {{1, AlbumTable::Title, QStringLiteral("配筋")}, {1, AlbumTable::PhotoPath, dir.filePath("gone.jpg")}});

        // Cancelled: nothing printed, nothing said.
        services.systemPrintAnswers.enqueue(std::nullopt);
        form.PrintMenuCommand();
        QCOMPARE(services.printerCalls, QStringList{"system print dialog Office"});
        QVERIFY(services.printJobs.isEmpty());
        QVERIFY(services.messages.isEmpty());

        // Three copies on the printer picked there: three documents.
        services.systemPrintAnswers.enqueue(SystemPrintChoice{"Site", 3});
        form.PrintMenuCommand();
        QCOMPARE(services.printJobs.size(), 3);
        for (const FakeServices::PrintJob &job : services.printJobs) {
            QCOMPARE(job.printerName, QStringLiteral("Site"));
            QVERIFY(job.calls.join('\n').contains(QStringLiteral("工 事 写 真 帳")));
            QVERIFY(job.calls.join('\n').contains(QStringLiteral("配筋")));
        }
        QCOMPARE(form.currentPrinter(), QStringLiteral("Site"));

        // A printer this program cannot list leaves the current one.
        services.systemPrintAnswers.enqueue(SystemPrintChoice{"Elsewhere", 1});
        form.PrintMenuCommand();
        QCOMPARE(services.printJobs.size(), 4);
        QCOMPARE(services.printJobs.last().printerName, QStringLiteral("Site"));
    }

    void withoutADefaultPrinterTheFirstOneIsCurrent()
    {
        PrintingForm p({"Office", "Site"}, QString());
        FakeServices &services = p.services;
        Form1 &form = *p.form;
        QCOMPARE(form.currentPrinter(), QStringLiteral("Office"));
        QCOMPARE(form.startupPrinter(), QString());
        form.action("oneprint_menu")->trigger();
        QCOMPARE(services.printJobs.size(), 1);
        QCOMPARE(services.printJobs[0].printerName, QStringLiteral("Office"));
        // Leaving makes no printer the default on the program's account.
        QCloseEvent close;
        QApplication::sendEvent(&form, &close);
        QCOMPARE(services.defaultPrinter, QString());
    }

    void withoutPrintersTheSinglePagePrintSaysSo()
    {
        PrintingForm p({}, QString());
        p.form->action("oneprint_menu")->trigger();
        QVERIFY(p.services.printJobs.isEmpty());
        QCOMPARE(p.services.takeMessageTexts(), QStringList{QStringLiteral("プリンタがありません。")});
    }

    void jobsAndPdfAreNamedAfterTheAlbumFile()
    {
        PrintingForm p({"Office"}, "Office");
        FakeServices &services = p.services;
        Form1 &form = *p.form;
        form.action("oneprint_menu")->trigger();
        QCOMPARE(services.printJobs.last().documentName, QStringLiteral("Sorvane"));

        AlbumContents album;
        album.table.reset();
        const QString path = dir.filePath("橋梁補修.svd");
        QVERIFY(!writeAlbumFile(path, album.cover, album.table).isError());
        services.fileAnswers.enqueue(path);
        form.Open();
        QVERIFY2(services.messages.isEmpty(), qPrintable(services.takeMessageTexts().join('\n')));
        form.action("oneprint_menu")->trigger();
        QCOMPARE(services.printJobs.last().documentName, QStringLiteral("橋梁補修"));
        // The PDF export proposes the same name beside the album.
        services.fileAnswers.enqueue(QString());
        form.exportPdf();
        QCOMPARE(services.fileRequests.last().initialFileName, dir.filePath("橋梁補修.pdf"));
    }

    // The preview shows the current printer's document; the missing photo is
    // named as shown, or as printed when the user printed from the preview.
    void previewNamesMissingPhotosAsShownOrPrinted()
    {
        PrintingForm p({"Office", "Site"}, "Site");
        change(*p.form,
               {{1, AlbumTable::Title, QStringLiteral("配筋")}, {1, AlbumTable::PhotoPath, dir.filePath("gone.jpg")}});
        for (const bool printed : {false, true}) {
            p.services.previewPrints = printed;
            p.services.messages.clear();
            p.form->action("print_preview")->trigger();
            const FakeServices::Preview &preview = p.services.previews.last();
            QCOMPARE(preview.printerName, QStringLiteral("Site"));
            QCOMPARE(preview.documentName, QStringLiteral("Sorvane"));
            QCOMPARE(preview.calls.count(QStringLiteral("new page")) + 1, 2); // the cover and page 1
            QVERIFY(preview.calls.contains(QStringLiteral("text 143.50 23.00 配筋")));
            QCOMPARE(p.services.messages.size(), 2); // the question before, the report after
            QVERIFY(p.services.messages[1].text.contains(printed ? QStringLiteral("写真なしで印刷しました")
                                                                 : QStringLiteral("写真なしで表示しました")));
            QVERIFY(p.services.messages[1].text.contains(dir.filePath("gone.jpg")));
        }
        QVERIFY(p.services.printJobs.isEmpty()); // the preview prints through its own printer
    }

    // The album itself (by any spelling of its path) and a folder are refused
    // with the reason, before anything is written.
    void exportNeverReplacesTheAlbumOrAFolder()
    {
        FormFixture f;
        f.fill({"床掘状況"});
        const QString album = dir.filePath("own.svd");
        QVERIFY(!writeAlbumFile(album, f.album()).isError());
        f.form->document().markSaved(album);
        const QByteArray before = [&] {
            QFile file(album);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const QString heading = QStringLiteral("PDF ファイルを保存できませんでした。\r\n\r\n");
        const QList<std::pair<QString, QString>> cases = {
            {album, QStringLiteral("開いている写真帳ファイルそのものです。")},
            {dir.path() + "/../" + QFileInfo(dir.path()).fileName() + "/./own.svd",
             QStringLiteral("開いている写真帳ファイルそのものです。")},
            {dir.path(), QStringLiteral("フォルダーです。")},
        };
        for (const auto &[path, reason] : cases) {
            f.services.fileAnswers.enqueue(path);
            f.form->exportPdf();
            const QStringList texts = f.services.takeMessageTexts();
            QCOMPARE(texts.size(), 1);
            QVERIFY2(texts[0].startsWith(heading + path + QStringLiteral("\r\n\r\n") + reason), qPrintable(texts[0]));
        }
        QFile file(album);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void failedExportIsReported()
    {
        FormFixture f;
        f.services.fileAnswers.enqueue(dir.filePath("missing/folder/a.pdf"));
        f.form->exportPdf();
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.startsWith(QStringLiteral("PDF ファイルを保存できませんでした。")));
        QVERIFY(!QFile::exists(dir.filePath("missing/folder/a.pdf")));

        f.services.fileAnswers.enqueue(QString()); // cancelled
        f.form->exportPdf();
        QCOMPARE(f.services.messages.size(), 1);
    }
};

QTEST_MAIN(TestForm1Print)
#include "tst_form1_print.moc"
