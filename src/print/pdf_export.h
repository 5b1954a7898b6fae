#pragma once

#include "print/album_print.h"

#include <QString>

class QIODevice;

namespace sorvane {

// Where a PDF goes: a file (`path`), or a device the caller has opened
// (`device`, for standard output), which gets the bytes as they are made.
struct PdfOutput {
    QString path;
    QIODevice *device = nullptr;
    PdfOutput(const QString &file) : path(file) {}
    PdfOutput(QIODevice *stream) : device(stream) {}
};

// Writes the whole album as a PDF, exactly as PrintAlbum prints it (cover
// first), on A4 portrait with the given margins; line widths in device pixels
// are taken at 600 dpi. Returns false, with the reason, when the file cannot
// be written or the progress callback cancelled the job (report->cancelled);
// nothing is left behind then, and a file that was there stays as it was. A
// path that names a folder, a device, a named pipe, a socket or the album's
// own file is refused before anything is written.
bool exportAlbumPdf(const PdfOutput &output, const AlbumDocument &album, const PrintSettings &settings,
                    const PrintPictureLoader &loadPicture, PrintReport *report, QString *error,
                    const PrintProgress &progress = {});

// One page of the album alone, as the single-page print draws it (photos
// loaded from their files).
bool exportPagePdf(const PdfOutput &output, const AlbumDocument &album, int page, const PrintSettings &settings,
                   const PrintPictureLoader &loadPicture, PrintReport *report, QString *error);

} // namespace sorvane
