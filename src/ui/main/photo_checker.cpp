#include "ui/main/photo_checker.h"

#include <QFutureWatcher>
#include <QtConcurrent>

namespace sorvane {

namespace {

QList<PhotoStatus> checkPhotos(const std::shared_ptr<const PhotoLocator> &locator, const QString &albumPath,
                               const QStringList &paths, const std::shared_ptr<std::atomic_bool> &cancel)
{
    QList<PhotoStatus> found;
    found.reserve(paths.size());
    for (const QString &path : paths) {
        if (*cancel)
            break;
        found << photoStatus(*locator, albumPath, path);
    }
    return found;
}

} // namespace

PhotoChecker::PhotoChecker(const AlbumDocument &document, QObject *parent) : QObject(parent), document_(document)
{
    connect(&document_, &AlbumDocument::albumReplaced, this, &PhotoChecker::recheck);
    connect(&document_, &AlbumDocument::photosRelinked, this, &PhotoChecker::recheck);
    connect(&document_, &AlbumDocument::rowsChanged, this, &PhotoChecker::noteRows);
    connect(&document_, &AlbumDocument::rowsAppended, this, &PhotoChecker::changed);
    connect(&document_, &AlbumDocument::rowsRemoved, this, &PhotoChecker::changed);
}

PhotoChecker::~PhotoChecker()
{
    if (running_)
        *running_->cancel = true;
}

void PhotoChecker::recheck()
{
    if (running_) {
        // The worker stops at its next path; what it finds is not taken.
        *running_->cancel = true;
        running_.reset();
    }
    known_.clear();
    waiting_.clear();
    pending_.clear();
    noteRows(1, document_.rowCount());
}

void PhotoChecker::noteRows(int first, int last)
{
    for (int r = std::max(1, first); r <= last && r <= document_.rowCount(); ++r) {
        const QString &path = document_.entry(r).photoPath;
        if (path.isEmpty() || known_.contains(path) || pending_.contains(path))
            continue;
        pending_.insert(path);
        waiting_ << path;
    }
    if (!running_ && !waiting_.isEmpty())
        startBatch();
    emit changed();
}

void PhotoChecker::startBatch()
{
    Batch batch;
    batch.id = ++lastBatch_;
    batch.paths = std::exchange(waiting_, {});
    batch.cancel = std::make_shared<std::atomic_bool>(false);
    // The worker holds the locator and its own copies of everything: a new
    // album or locator meanwhile leaves it nothing to trip over.
    batch.future =
        QtConcurrent::run(checkPhotos, document_.sharedPhotoLocator(), document_.filePath(), batch.paths, batch.cancel);
    auto *watcher = new QFutureWatcher<QList<PhotoStatus>>(this);
    const quint64 id = batch.id;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, id] {
        watcher->deleteLater();
        collect(id);
    });
    watcher->setFuture(batch.future);
    running_ = std::move(batch);
}

void PhotoChecker::collect(quint64 batch)
{
    if (!running_ || running_->id != batch)
        return; // cancelled, or taken already by waitUntilDone
    const Batch done = std::move(*running_);
    running_.reset();
    const QList<PhotoStatus> found = done.future.result();
    for (qsizetype i = 0; i < done.paths.size() && i < found.size(); ++i) {
        known_.insert(done.paths[i], found[i]);
        pending_.remove(done.paths[i]);
    }
    if (!waiting_.isEmpty())
        startBatch();
    emit changed();
}

void PhotoChecker::waitUntilDone()
{
    while (running_) {
        running_->future.waitForFinished();
        collect(running_->id);
    }
}

QList<int> PhotoChecker::problemRows(int first, int last) const
{
    if (last < 0 || last > document_.rowCount())
        last = document_.rowCount();
    QList<int> rows;
    for (int r = std::max(1, first); r <= last; ++r) {
        const auto it = known_.constFind(document_.entry(r).photoPath);
        if (it != known_.constEnd() && it->isProblem())
            rows << r;
    }
    return rows;
}

} // namespace sorvane
