#include "platform/picture_cache.h"

#include "platform/picture_loader.h"

namespace sorvane {

struct PictureCache::Private {
    qint64 maxBytes = 0;
};

PictureCache::PictureCache(qint64 maxBytes) : d(std::make_unique<Private>())
{
    d->maxBytes = maxBytes;
}

PictureCache::~PictureCache() = default;

QImage PictureCache::picture(const QString &path, QSize size, QString *error)
{
    return loadPicture(path, size, error);
}

void PictureCache::prefetch(const QStringList &, QSize) {}

qint64 PictureCache::bytesUsed() const
{
    return 0;
}

void PictureCache::clear() {}

} // namespace sorvane
