// Printing from the main window: the PDF export and the print preview of the
// whole album.
#include "platform/picture_loader.h"
#include "print/margins.h"
#include "print/painter_print_surface.h"
#include "print/pdf_export.h"
#include "ui/main/form1.h"

#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

namespace sorvane {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

PrintSettings Form1::printSettingsForJob()
{
    // The margins are read afresh from the options at the start of every job.
    if (frmOptions_) {
        printOptions_.topMargin = marginFromText(frmOptions_->topMarginBox()->text());
        printOptions_.leftMargin = marginFromText(frmOptions_->leftMarginBox()->text());
    }
    return PrintSettings{printOptions_.topMargin, printOptions_.leftMargin, printOptions_.numberPrinting};
}

PrintPictureLoader Form1::printPictureLoader() const
{
    return [this](const QString &path, QString *error) {
        return loadPicture(resolvePhotoPath(path), kPrintPhotoPixels, error);
    };
}

void Form1::reportMissingPhotos(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    message(QStringLiteral("次の写真を読み込めなかったため、写真なしで印刷しました。") + kCrLf + kCrLf +
            paths.join(kCrLf));
}

void Form1::exportPdf()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf");
    request.defaultExtension = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const QString path = services_.saveFileName(request);
    if (path.isEmpty())
        return;

    // Long albums show their progress and can be cancelled between pages.
    QProgressDialog progress(QStringLiteral("PDF に出力しています..."), QStringLiteral("キャンセル"), 0, pageCount(),
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto onPage = [&progress](int page, int) {
        progress.setValue(page - 1);
        return !progress.wasCanceled();
    };
    PrintReport report;
    QString error;
    const bool written = exportAlbumPdf(path, coverDialog()->fields(), table_, pageCount(), printSettingsForJob(),
                                        printPictureLoader(), &report, &error, onPage);
    progress.reset();
    if (!written) {
        message(QStringLiteral("PDF ファイルを保存できませんでした。") + kCrLf + kCrLf + path + kCrLf + kCrLf + error);
        return;
    }
    reportMissingPhotos(report.missingPhotos);
}

void Form1::printPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("印刷プレビュー"));
    QStringList missing;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter *target) {
        QPainterPrintSurface surface(*target);
        missing = PrintAlbum(surface, coverDialog()->fields(), table_, pageCount(), printSettingsForJob(),
                             printPictureLoader())
                      .missingPhotos;
    });
    services_.runModal(preview);
    reportMissingPhotos(missing);
}

} // namespace sorvane
