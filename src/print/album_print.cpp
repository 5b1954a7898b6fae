#include "print/album_print.h"

#include "print/cover_page.h"

namespace sorvane {

PrintReport PrintAlbum(PrintSurface &surface, const CoverData &cover, const AlbumTable &table, int pageCount,
                       const PrintSettings &settings, const PrintPictureLoader &loadPicture,
                       const PrintProgress &progress)
{
    PrintReport report;
    DrawCoverPage(surface, cover, settings.topMargin, settings.leftMargin);
    surface.newPage();
    for (int page = 1; page <= pageCount; ++page) {
        if (progress && !progress(page, pageCount)) {
            report.cancelled = true;
            break;
        }
        std::array<PhotoSlot, 3> pageSlots;
        bool anyPhotoPath = false;
        for (int k = 0; k < 3; ++k) {
            const int row = AlbumTable::RowOf(page, k);
            if (row > table.count())
                continue;
            const PhotoEntry &entry = table.entry(row);
            pageSlots[size_t(k)] =
                PhotoSlot{QStringLiteral("No.") + entry.number, entry.title, entry.comment, {}, false};
            anyPhotoPath = anyPhotoPath || !entry.photoPath.isEmpty();
        }
        if (page > 1)
            surface.newPage();
        if (!anyPhotoPath)
            continue;
        // Photos are loaded only for pages that are drawn; a photo that cannot
        // be loaded leaves its slot without a picture and is reported.
        for (int k = 0; k < 3; ++k) {
            const int row = AlbumTable::RowOf(page, k);
            if (row > table.count() || table.entry(row).photoPath.isEmpty())
                continue;
            const QString &path = table.entry(row).photoPath;
            QString error;
            QImage picture = loadPicture ? loadPicture(path, &error) : QImage();
            if (picture.isNull()) {
                report.missingPhotos.append(path);
                continue;
            }
            pageSlots[size_t(k)].picture = std::move(picture);
            pageSlots[size_t(k)].hasPhoto = true;
        }
        DrawPhotoPage(surface, pageSlots, settings.topMargin, settings.leftMargin, settings.printNumbers);
    }
    surface.endDocument();
    return report;
}

void PrintCurrentPage(PrintSurface &surface, const std::array<PhotoSlot, 3> &pageSlots, const PrintSettings &settings)
{
    DrawPhotoPage(surface, pageSlots, settings.topMargin, settings.leftMargin, settings.printNumbers);
    surface.endDocument();
}

} // namespace sorvane
