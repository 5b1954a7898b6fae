#pragma once

#include "print/album_print.h"

#include <QString>

namespace sorvane {

// Writes the whole album as a PDF, exactly as PrintAlbum prints it (cover
// first), on A4 portrait with the given margins; line widths in device pixels
// are taken at 600 dpi. Returns false, with the reason, when the file cannot
// be written or the progress callback cancelled the job (report->cancelled);
// nothing is left behind then, and a file that was there stays as it was.
bool exportAlbumPdf(const QString &pdfPath, const AlbumDocument &album, const PrintSettings &settings,
                    const PrintPictureLoader &loadPicture, PrintReport *report, QString *error,
                    const PrintProgress &progress = {});

// One page of the album alone, as the single-page print draws it (photos
// loaded from their files).
bool exportPagePdf(const QString &pdfPath, const AlbumDocument &album, int page, const PrintSettings &settings,
                   const PrintPictureLoader &loadPicture, PrintReport *report, QString *error);

} // namespace sorvane
