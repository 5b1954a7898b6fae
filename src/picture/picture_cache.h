#pragma once

#include "picture/picture_loader.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace sorvane {

// Decoded pictures by path, display size and file state (modification time,
// status change time and size, so a changed file is loaded again), within a
// memory budget; the pictures used least recently leave first. Failures are
// remembered the same way, so a missing photo is not looked for on every
// repaint, yet is loaded as soon as its file appears or changes.
//
// prefetch() prepares pictures on worker threads ahead of their use; it
// changes how fast picture() answers, never what it answers. All functions
// may be called from any thread.
class PictureCache {
public:
    // Where the pictures come from: loadPicture() (when empty), or for tests a function
    // that behaves like it (safe to call from several threads).
    using Loader = std::function<QImage(const QString &path, QSize size, QString *error)>;

    explicit PictureCache(qint64 maxBytes = 64 * 1024 * 1024, Loader loader = {});
    // Drops the pictures still waiting to be prepared and waits for those
    // being prepared.
    ~PictureCache();
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    // The picture as loadPicture() gives it, from the cache when it is there.
    // When the same picture is being prepared on a worker thread, waits for
    // that work rather than decoding the file a second time.
    QImage picture(const QString &path, QSize size, QString *error = nullptr);

    // The pictures of several files at one size, as picture() gives each
    // (errors, when given, receives one entry per path), decoded side by side
    // on the worker threads and the calling one: a page of photos not yet in
    // the cache shows in about half the time that asking one by one takes.
    QList<QImage> pictures(const QStringList &paths, QSize size, QStringList *errors = nullptr);

    // Starts preparing these pictures in the background, in the order given.
    // Requests of an earlier call that have not started yet are dropped: the
    // newest call says what will be needed next. Stops adding pictures once
    // they would fill half the budget, so that what is shown now stays.
    void prefetch(const QStringList &paths, QSize size);

    // Waits until the pictures asked for by prefetch() so far are prepared.
    void waitForPrefetch();

    // Bytes held now: the decoded pictures (QImage::sizeInBytes()) plus a
    // small fixed charge for each remembered failure. Never above the budget;
    // a picture larger than the whole budget is returned but not kept.
    qint64 bytesUsed() const;
    qint64 maxBytes() const;

    // How many times a file was loaded, by any thread, since the cache was
    // made: work the cache did not save. For tests and diagnostics.
    quint64 loadCount() const;

    // Forgets every picture and drops the requests not started yet.
    void clear();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace sorvane
