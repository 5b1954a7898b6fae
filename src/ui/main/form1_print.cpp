// Printing from the main window: the PDF export and the print preview of the
// whole album.
#include "io/output_path.h"
#include "picture/job_pictures.h"
#include "print/pdf_export.h"
#include "text/line_breaks.h"
#include "ui/main/form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace sorvane {

namespace {

// Long jobs show their progress (after half a second) and can be cancelled
// between pages; the main window's own progress bar is left alone.
class JobProgress {
public:
    JobProgress(const QString &label, int pages, QWidget *owner)
        : coverDialog_(label, QStringLiteral("キャンセル"), 0, pages, owner)
    {
        coverDialog_.setWindowModality(Qt::WindowModal);
        coverDialog_.setMinimumDuration(500);
    }
    ~JobProgress() { coverDialog_.reset(); }

    PrintProgress callback()
    {
        return [this](int page, int) {
            coverDialog_.setValue(page - 1);
            return !coverDialog_.wasCanceled();
        };
    }
    bool cancelled() const { return coverDialog_.wasCanceled(); }
    void setLabel(const QString &label) { coverDialog_.setLabelText(label); }

private:
    QProgressDialog coverDialog_;
};

// Why no PDF may be written at a path the user chose, in the user's words.
QString refusedPdfPathText(OutputRefusal refusal)
{
    switch (refusal) {
    case OutputRefusal::None:
        return {};
    case OutputRefusal::Folder:
        return QStringLiteral("フォルダーです。ファイル名を指定してください。");
    case OutputRefusal::AlbumItself:
        return QStringLiteral(
            "開いている写真帳ファイルそのものです。写真帳ファイルを PDF で上書きすることはできません。");
    default:
        return QStringLiteral(
            "通常のファイルではありません（デバイス、名前付きパイプなど）。上書きすることはできません。");
    }
}

} // namespace

PrintPictureLoader Form1::printPictureLoader() const
{
    return jobPictureLoader(document_);
}

void Form1::reportMissingPhotos(const QStringList &paths, const QString &done)
{
    if (paths.isEmpty())
        return;
    message(QStringLiteral("次の写真を読み込めなかったため、写真なしで%1しました。").arg(done) + kCrLf + kCrLf +
            paths.join(kCrLf));
}

void Form1::reportPrinterUnavailable()
{
    const QString &printer = session_.currentPrinter();
    message(printer.isEmpty() ? QStringLiteral("プリンタがありません。")
                              : QStringLiteral("プリンタ「%1」に印刷できません。").arg(printer));
}

void Form1::exportPdf()
{
    if (!mayGoOnWithProblemPhotos(1, document_.rowCount(), QStringLiteral("このまま PDF に出力しますか？")))
        return;
    FileDialogRequest request;
    request.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf");
    request.defaultExtension = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    // Proposed: the album's own name, beside it.
    if (!document_.filePath().isEmpty()) {
        const QFileInfo album(document_.filePath());
        request.initialFileName = album.dir().filePath(album.completeBaseName() + QStringLiteral(".pdf"));
    }
    const QString path = services_.saveFileName(request);
    if (path.isEmpty())
        return;
    // Told here in the user's words; the export itself refuses these too.
    if (const QString why = refusedPdfPathText(refuseOutputPath(path, document_.filePath())); !why.isEmpty()) {
        message(QStringLiteral("PDF ファイルを保存できませんでした。") + kCrLf + kCrLf + path + kCrLf + kCrLf + why);
        return;
    }

    PrintReport report;
    QString error;
    bool written = false;
    {
        JobProgress progress(QStringLiteral("PDF に出力しています..."), pageCount(), this);
        written = exportAlbumPdf(path, document_, session_.settingsForJob(), printPictureLoader(), &report, &error,
                                 progress.callback());
    }
    if (!written && report.cancelled)
        return; // the user's own choice: nothing written, nothing to say
    if (!written) {
        message(QStringLiteral("PDF ファイルを保存できませんでした。") + kCrLf + kCrLf + path + kCrLf + kCrLf + error);
        return;
    }
    reportMissingPhotos(report.missingPhotos, QStringLiteral("出力"));
}

void Form1::printAlbumCopies(int copies)
{
    if (copies > 0 && !mayGoOnWithProblemPhotos(1, document_.rowCount(), QStringLiteral("このまま印刷しますか？")))
        return;
    // Each copy is a document of its own, cover first.
    QStringList missing;
    bool started = true;
    {
        // The progress window closes before any message about the job.
        JobProgress progress(QStringLiteral("印刷しています..."), pageCount(), this);
        for (int i = 0; i < copies && !progress.cancelled(); ++i) {
            if (copies > 1)
                progress.setLabel(QStringLiteral("印刷しています... (%1/%2 部)").arg(i + 1).arg(copies));
            const std::unique_ptr<PrintSurface> job =
                services_.beginPrintJob(session_.currentPrinter(), printJobName());
            if (!job) {
                started = false;
                break;
            }
            const PrintReport report =
                PrintAlbum(*job, document_, session_.settingsForJob(), printPictureLoader(), progress.callback());
            for (const QString &path : report.missingPhotos) {
                if (!missing.contains(path))
                    missing.append(path);
            }
        }
    }
    if (!started) {
        reportPrinterUnavailable();
        return;
    }
    reportMissingPhotos(missing, QStringLiteral("印刷"));
}

void Form1::showPrintDialog()
{
    if (!printDialog_) {
        printDialog_ = new PrintDialog(services_, session_, this);
        connect(printDialog_, &PrintDialog::printRequested, this, [this](int copies) { printAlbumCopies(copies); });
        // The close box discards the dialog; the next showing loads it afresh.
        connect(printDialog_, &PrintDialog::closed, printDialog_, &QObject::deleteLater);
    }
    services_.runModal(*printDialog_);
}

void Form1::PrintCurrentPageCommand()
{
    if (!mayGoOnWithProblemPhotos(rowOf(0), rowOf(kSlots - 1), QStringLiteral("このまま印刷しますか？")))
        return;
    const std::unique_ptr<PrintSurface> job = services_.beginPrintJob(session_.currentPrinter(), printJobName());
    if (!job) {
        reportPrinterUnavailable();
        return;
    }
    // The page as the document holds it (the boxes show the same). A slot
    // with a photo path prints its photo, loaded from the file at print
    // quality (the screen's copy is far too small for paper), when it
    // loads; otherwise its frame stays empty and the photo is named after
    // the job.
    const PrintReport report =
        PrintAlbumPage(*job, document_, currentPage(), session_.settingsForJob(), printPictureLoader());
    reportMissingPhotos(report.missingPhotos, QStringLiteral("印刷"));
}

void Form1::printSetup()
{
    services_.showPrinterSetup();
}

void Form1::PrintMenuCommand()
{
    const std::optional<SystemPrintChoice> choice = services_.showSystemPrintDialog(session_.currentPrinter());
    if (!choice)
        return;
    // The printer picked in the dialog is the one the user means to print on.
    if (services_.printerNames().contains(choice->printerName))
        session_.setCurrentPrinter(choice->printerName);
    QCoreApplication::processEvents();
    printAlbumCopies(choice->copies);
}

// The name a print job has in the printer's queue: the album file's name.
QString Form1::printJobName() const
{
    const QString name = QFileInfo(document_.filePath()).completeBaseName();
    return name.isEmpty() ? QStringLiteral("Sorvane") : name;
}

void Form1::printPreview()
{
    // The preview prints the album when the user asks it to.
    if (!mayGoOnWithProblemPhotos(1, document_.rowCount(), QStringLiteral("このまま印刷プレビューを表示しますか？")))
        return;
    // The document the current printer would get, on its own page layout.
    QStringList missing;
    const bool printed =
        services_.showPrintPreview(session_.currentPrinter(), printJobName(), [this, &missing](PrintSurface &surface) {
            missing = PrintAlbum(surface, document_, session_.settingsForJob(), printPictureLoader()).missingPhotos;
        });
    reportMissingPhotos(missing, printed ? QStringLiteral("印刷") : QStringLiteral("表示"));
}

} // namespace sorvane
