#include "print/album_print.h"

#include "print/cover_page.h"

#include <algorithm>

namespace sorvane {

std::array<PhotoSlot, 3> pageSlots(const AlbumTable &table, int page)
{
    std::array<PhotoSlot, 3> sheet;
    for (int k = 0; k < 3; ++k) {
        const int row = AlbumTable::RowOf(page, k);
        if (row < 1 || row > table.count())
            continue;
        const PhotoEntry &entry = table.entry(row);
        sheet[size_t(k)] =
            PhotoSlot{QStringLiteral("No.") + entry.number, entry.title, entry.comment, {}, false, entry.photoPath};
    }
    return sheet;
}

void loadSlotPictures(std::array<PhotoSlot, 3> &sheet, const PrintPictureLoader &loadPicture, QStringList *missing)
{
    for (PhotoSlot &slot : sheet) {
        if (slot.photoPath.isEmpty())
            continue;
        QString error;
        slot.picture = loadPicture ? loadPicture(slot.photoPath, &error) : QImage();
        slot.hasPhoto = !slot.picture.isNull();
        if (!slot.hasPhoto && missing)
            missing->append(slot.photoPath);
    }
}

PrintReport PrintAlbum(PrintSurface &surface, const AlbumDocument &album, const PrintSettings &settings,
                       const PrintPictureLoader &loadPicture, const PrintProgress &progress)
{
    PrintReport report;
    const int pageCount = album.pageCount();
    DrawCoverPage(surface, album.cover(), settings.topMargin, settings.leftMargin);
    surface.newPage();
    for (int page = 1; page <= pageCount; ++page) {
        if (progress && !progress(page, pageCount)) {
            report.cancelled = true;
            break;
        }
        std::array<PhotoSlot, 3> sheet = pageSlots(album.table(), page);
        if (page > 1)
            surface.newPage();
        const bool anyPhotoPath =
            std::any_of(sheet.begin(), sheet.end(), [](const PhotoSlot &s) { return !s.photoPath.isEmpty(); });
        if (!anyPhotoPath)
            continue;
        // Photos are loaded only for pages that are drawn.
        loadSlotPictures(sheet, loadPicture, &report.missingPhotos);
        DrawPhotoPage(surface, sheet, settings.topMargin, settings.leftMargin, settings.printNumbers);
    }
    surface.endDocument();
    return report;
}

PrintReport PrintAlbumPage(PrintSurface &surface, const AlbumDocument &album, int page, const PrintSettings &settings,
                           const PrintPictureLoader &loadPicture)
{
    PrintReport report;
    std::array<PhotoSlot, 3> sheet = pageSlots(album.table(), page);
    loadSlotPictures(sheet, loadPicture, &report.missingPhotos);
    PrintCurrentPage(surface, sheet, settings);
    return report;
}

void PrintCurrentPage(PrintSurface &surface, const std::array<PhotoSlot, 3> &pageSlots, const PrintSettings &settings)
{
    DrawPhotoPage(surface, pageSlots, settings.topMargin, settings.leftMargin, settings.printNumbers);
    surface.endDocument();
}

} // namespace sorvane
