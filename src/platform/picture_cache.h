#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

namespace sorvane {

// Decoded pictures by path, display size and file state (modification time
// and size, so a changed file is loaded again), within a memory budget; the
// pictures used least recently leave first. prefetch() prepares pictures on
// worker threads ahead of their use; it changes how fast picture() answers,
// never what it answers.
class PictureCache {
public:
    explicit PictureCache(qint64 maxBytes = 64 * 1024 * 1024);
    ~PictureCache();
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    // The picture as loadPicture() gives it, from the cache when it is there.
    QImage picture(const QString &path, QSize size, QString *error = nullptr);

    // Starts preparing these pictures in the background.
    void prefetch(const QStringList &paths, QSize size);

    // Bytes of decoded pictures held now.
    qint64 bytesUsed() const;

    void clear();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace sorvane
