#pragma once

#include "model/album_document.h"
#include "print/photo_page.h"
#include "print/print_surface.h"

#include <QSize>
#include <QStringList>

#include <functional>

namespace sorvane {

// What a print job reads from the options when it starts.
struct PrintSettings {
    int topMargin = 0;  // whole millimetres; moves the pages to the right
    int leftMargin = 0; // whole millimetres; moves the pages down
    bool printNumbers = true;
};

// Photos print from their files at print quality, never at full camera
// resolution: 280 dpi for the 120 x 87 mm photo box. Qt stores pictures in
// PDFs (and in the PDF jobs it sends to CUPS) as JPEG at a fixed quality of
// 94; at 300 dpi a detailed 12-megapixel photo then takes about 430 KB, at
// 280 dpi about 370 KB, and the difference does not show on paper.
inline constexpr QSize kPrintPhotoPixels(1323, 959);

// Loads a photo for print; a null image (with the reason) when it cannot.
using PrintPictureLoader = std::function<QImage(const QString &path, QString *error)>;
// Told before each page is drawn (page 1..pages); returning false cancels
// the job, which then ends its document cleanly.
using PrintProgress = std::function<bool(int page, int pages)>;

struct PrintReport {
    QStringList missingPhotos; // photo paths that could not be loaded (printed without the photo)
    bool cancelled = false;
};

// The three slots of page `page` as print draws them: number label, title,
// comment and photo path of each entry (a slot beyond the last row stays
// empty). Pictures are not loaded.
std::array<PhotoSlot, 3> pageSlots(const AlbumTable &table, int page);
// Loads the picture of every slot of the sheet with a photo path. A photo that cannot be
// loaded leaves its slot without a picture; its path goes to `missing`.
void loadSlotPictures(std::array<PhotoSlot, 3> &sheet, const PrintPictureLoader &loadPicture, QStringList *missing);

// One copy of the whole album as one document: the cover, then every page.
// A page none of whose entries has a photo path is not drawn, but the page
// break before it is still requested.
PrintReport PrintAlbum(PrintSurface &surface, const AlbumDocument &album, const PrintSettings &settings,
                       const PrintPictureLoader &loadPicture, const PrintProgress &progress = {});

// One page alone, as one document of one sheet, drawn whether or not any
// slot has a photo path.
PrintReport PrintAlbumPage(PrintSurface &surface, const AlbumDocument &album, int page, const PrintSettings &settings,
                           const PrintPictureLoader &loadPicture);
void PrintCurrentPage(PrintSurface &surface, const std::array<PhotoSlot, 3> &pageSlots, const PrintSettings &settings);

} // namespace sorvane
