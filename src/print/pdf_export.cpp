#include "print/pdf_export.h"

#include "io/output_path.h"
#include "print/painter_print_surface.h"

#include <QFileDevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace sorvane {

namespace {

constexpr int kPdfDpi = 600;

// Draws the document into the device; false when the job was cancelled.
template <typename Draw> bool drawPdf(QIODevice &device, Draw &&draw)
{
    QPdfWriter writer(&device);
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setCreator(QStringLiteral("Sorvane"));
    QPainterPrintSurface surface(writer);
    return draw(surface);
}

// Draws into a temporary file that replaces the PDF only when the document
// is complete, so a failed or cancelled export never leaves a half-written
// file behind (nor touches one that was there). A path that names a device,
// a named pipe, a socket, a folder or the album file itself is refused
// before anything is written: the rename would put a PDF in its place.
template <typename Draw> bool writePdf(const QString &pdfPath, const AlbumDocument &album, QString *error, Draw &&draw)
{
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (pdfPath.isEmpty())
        return refuse(QStringLiteral("no file name given"));
    if (const OutputRefusal refusal = refuseOutputPath(pdfPath, album.filePath()); refusal != OutputRefusal::None)
        return refuse(outputRefusalText(refusal));
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        return refuse(file.errorString());
    if (!drawPdf(file, draw)) {
        file.cancelWriting();
        return refuse(QStringLiteral("cancelled"));
    }
    if (!file.commit())
        return refuse(file.errorString());
    return true;
}

// Draws onto a device the caller opened (standard output); a write error on
// a file device is reported.
template <typename Draw> bool streamPdf(QIODevice &device, QString *error, Draw &&draw)
{
    const bool drawn = drawPdf(device, draw);
    auto *file = qobject_cast<QFileDevice *>(&device);
    if (file && (!file->flush() || file->error() != QFileDevice::NoError)) {
        if (error)
            *error = file->errorString();
        return false;
    }
    if (!drawn && error)
        *error = QStringLiteral("cancelled");
    return drawn;
}

template <typename Draw> bool exportTo(const PdfOutput &output, const AlbumDocument &album, QString *error, Draw &&draw)
{
    return output.device ? streamPdf(*output.device, error, draw) : writePdf(output.path, album, error, draw);
}

} // namespace

bool exportAlbumPdf(const PdfOutput &output, const AlbumDocument &album, const PrintSettings &settings,
                    const PrintPictureLoader &loadPicture, PrintReport *report, QString *error,
                    const PrintProgress &progress)
{
    return exportTo(output, album, error, [&](PrintSurface &surface) {
        const PrintReport done = PrintAlbum(surface, album, settings, loadPicture, progress);
        if (report)
            *report = done;
        return !done.cancelled;
    });
}

bool exportPagePdf(const PdfOutput &output, const AlbumDocument &album, int page, const PrintSettings &settings,
                   const PrintPictureLoader &loadPicture, PrintReport *report, QString *error)
{
    return exportTo(output, album, error, [&](PrintSurface &surface) {
        const PrintReport done = PrintAlbumPage(surface, album, page, settings, loadPicture);
        if (report)
            *report = done;
        return true;
    });
}

} // namespace sorvane
