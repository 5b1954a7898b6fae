#include "print/pdf_export.h"

#include "print/painter_print_surface.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace sorvane {

namespace {

constexpr int kPdfDpi = 600;

// Draws into a temporary file that replaces the PDF only when the document
// is complete, so a failed or cancelled export never leaves a half-written
// file behind (nor touches one that was there). `draw` returns false when
// the job was cancelled.
template <typename Draw> bool writePdf(const QString &pdfPath, QString *error, Draw &&draw)
{
    QSaveFile file(pdfPath);
    if (pdfPath.isEmpty() || !file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = pdfPath.isEmpty() ? QStringLiteral("no file name given") : file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("Sorvane"));
        QPainterPrintSurface surface(writer);
        if (!draw(surface)) {
            file.cancelWriting();
            if (error)
                *error = QStringLiteral("cancelled");
            return false;
        }
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool exportAlbumPdf(const QString &pdfPath, const AlbumDocument &album, const PrintSettings &settings,
                    const PrintPictureLoader &loadPicture, PrintReport *report, QString *error,
                    const PrintProgress &progress)
{
    return writePdf(pdfPath, error, [&](PrintSurface &surface) {
        const PrintReport done = PrintAlbum(surface, album, settings, loadPicture, progress);
        if (report)
            *report = done;
        return !done.cancelled;
    });
}

bool exportPagePdf(const QString &pdfPath, const AlbumDocument &album, int page, const PrintSettings &settings,
                   const PrintPictureLoader &loadPicture, PrintReport *report, QString *error)
{
    return writePdf(pdfPath, error, [&](PrintSurface &surface) {
        const PrintReport done = PrintAlbumPage(surface, album, page, settings, loadPicture);
        if (report)
            *report = done;
        return true;
    });
}

} // namespace sorvane
