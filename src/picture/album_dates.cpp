#include "picture/album_dates.h"

#include "model/entry_order.h"

namespace sorvane {

QList<ShootingDate> photoDates(const AlbumDocument &album)
{
    QList<ShootingDate> dates;
    dates.reserve(album.rowCount());
    for (int r = 1; r <= album.rowCount(); ++r) {
        const QString &photo = album.entry(r).photoPath;
        dates << (photo.isEmpty() ? ShootingDate{} : shootingDate(album.resolvePhotoPath(photo)));
    }
    return dates;
}

bool sortByShootingDate(AlbumDocument &album, EditPlace place)
{
    QList<QDateTime> when;
    for (const ShootingDate &d : photoDates(album))
        when << d.when;
    return album.reorderEntries(dateSortOrder(album.table(), when), kSortByDateStep, place);
}

} // namespace sorvane
