#include "picture/picture_cache.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>

namespace sorvane {

namespace {

// Decoding threads for prefetch() and pictures(). Decoding a photo keeps a
// core busy; more threads than this would only slow down the one the user
// waits for on a small machine.
constexpr int kWorkerThreads = 2;

// What a remembered failure counts against the budget: about what its entry
// holds (path, reason, bookkeeping).
constexpr qint64 kFailureCost = 1024;

// A picture as asked for: the file by its absolute path and its state when
// asked (a file that changes, or appears, gets another key), and the size,
// every size that means "own size" written as QSize().
struct Key {
    QString path;
    QSize size;
    qint64 modified = -1;
    qint64 statusChanged = -1;
    qint64 fileSize = -1;

    bool operator==(const Key &other) const = default;
};

size_t qHash(const Key &key, size_t seed = 0)
{
    return qHashMulti(seed, key.path, key.size.width(), key.size.height(), key.modified, key.statusChanged,
                      key.fileSize);
}

Key keyFor(const QString &path, QSize size)
{
    const QFileInfo info(path);
    Key key;
    key.path = info.absoluteFilePath();
    key.size = size.isEmpty() ? QSize() : size;
    if (info.exists()) {
        // The status change time also moves when a file is replaced by one
        // with the same size and modification time, or its permissions change
        // (a photo that could not be read may be readable now).
        key.modified = info.lastModified().toMSecsSinceEpoch();
        key.statusChanged = info.metadataChangeTime().toMSecsSinceEpoch();
        key.fileSize = info.size();
    }
    return key;
}

struct Result {
    QImage image;
    QString error;
};

// One load of a file, by a worker or by a caller of picture(). Queued jobs sit
// in the queue; a caller that needs one takes it over. Running jobs are
// waited for.
struct Job {
    enum class State { Queued, Running, Done };
    Key key;
    State state = State::Queued;
    quint64 generation = 0; // clear() count when made: older results are not kept
    Result result;
};
using JobPtr = std::shared_ptr<Job>;

struct Entry {
    Key key;
    Result result;
    qint64 cost = 0;
};

} // namespace

struct PictureCache::Private {
    // Standard mutex and condition variables, which thread sanitizers
    // understand, unlike Qt's own.
    mutable std::mutex mutex;
    std::condition_variable jobDone;
    std::condition_variable workerDone;
    qint64 maxBytes = 0;
    Loader loader;
    qint64 used = 0;
    quint64 loads = 0;
    quint64 generation = 0;
    bool stopping = false;

    // Most recently used first.
    std::list<Entry> entries;
    QHash<Key, std::list<Entry>::iterator> index;

    // Loads queued or running, by key, and the queued ones in order.
    QHash<Key, JobPtr> jobs;
    std::deque<JobPtr> queue;
    int workers = 0;
    QThreadPool pool;

    // All below with the mutex held.

    const Result *cached(const Key &key)
    {
        const auto found = index.constFind(key);
        if (found == index.constEnd())
            return nullptr;
        entries.splice(entries.begin(), entries, found.value());
        return &found.value()->result;
    }

    void keep(const Key &key, const Result &result)
    {
        const qint64 cost = result.image.isNull() ? kFailureCost : result.image.sizeInBytes();
        if (const auto found = index.constFind(key); found != index.constEnd()) {
            used -= found.value()->cost;
            entries.erase(found.value());
            index.erase(found);
        }
        if (cost > maxBytes)
            return;
        entries.push_front(Entry{key, result, cost});
        index.insert(key, entries.begin());
        used += cost;
        while (used > maxBytes) {
            used -= entries.back().cost;
            index.remove(entries.back().key);
            entries.pop_back();
        }
    }

    // Loads the job's file without the lock held, then files the result.
    void run(const JobPtr &job, std::unique_lock<std::mutex> &lock)
    {
        job->state = Job::State::Running;
        lock.unlock();
        Result result;
        result.image = loader(job->key.path, job->key.size, &result.error);
        lock.lock();
        ++loads;
        job->result = std::move(result);
        job->state = Job::State::Done;
        if (const auto found = jobs.constFind(job->key); found != jobs.constEnd() && found.value() == job)
            jobs.erase(found);
        if (job->generation == generation)
            keep(job->key, job->result);
        jobDone.notify_all();
    }

    JobPtr addJob(const Key &key)
    {
        auto job = std::make_shared<Job>();
        job->key = key;
        job->generation = generation;
        jobs.insert(key, job);
        return job;
    }

    void dropQueue()
    {
        for (const JobPtr &job : queue)
            jobs.remove(job->key);
        queue.clear();
    }

    void unqueue(const JobPtr &job)
    {
        const auto found = std::find(queue.begin(), queue.end(), job);
        if (found != queue.end())
            queue.erase(found);
    }

    void startWorkers()
    {
        while (!stopping && workers < pool.maxThreadCount() && qsizetype(workers) < qsizetype(queue.size())) {
            ++workers;
            pool.start([this] { work(); });
        }
    }

    void work()
    {
        std::unique_lock lock(mutex);
        while (!stopping && !queue.empty()) {
            JobPtr job = queue.front();
            queue.pop_front();
            run(job, lock);
        }
        --workers;
        workerDone.notify_all();
    }

    // The job's result: loaded here when no worker has started it, else
    // waited for.
    Result finish(const JobPtr &job, std::unique_lock<std::mutex> &lock)
    {
        if (job->state == Job::State::Queued) {
            unqueue(job);
            run(job, lock);
        } else {
            jobDone.wait(lock, [&] { return job->state == Job::State::Done; });
        }
        return job->result;
    }

    // The result for a key: from the cache, from a job already queued or
    // running, or loaded here.
    Result fetch(const Key &key, std::unique_lock<std::mutex> &lock)
    {
        if (const Result *result = cached(key))
            return *result;
        JobPtr job = jobs.value(key);
        if (!job)
            job = addJob(key);
        return finish(job, lock);
    }
};

PictureCache::PictureCache(qint64 maxBytes, Loader loader) : d(std::make_unique<Private>())
{
    d->maxBytes = std::max<qint64>(0, maxBytes);
    d->loader =
        loader ? std::move(loader)
               : Loader([](const QString &path, QSize size, QString *error) { return loadPicture(path, size, error); });
    d->pool.setMaxThreadCount(kWorkerThreads);
}

PictureCache::~PictureCache()
{
    {
        std::unique_lock lock(d->mutex);
        d->stopping = true;
        d->dropQueue();
    }
    d->pool.waitForDone();
}

QImage PictureCache::picture(const QString &path, QSize size, QString *error)
{
    if (error)
        error->clear();
    if (path.isEmpty())
        return {};
    const Key key = keyFor(path, size);
    std::unique_lock lock(d->mutex);
    Result result = d->fetch(key, lock);
    if (error)
        *error = result.error;
    return result.image;
}

QList<QImage> PictureCache::pictures(const QStringList &paths, QSize size, QStringList *errors)
{
    QList<Key> keys;
    keys.reserve(paths.size());
    for (const QString &path : paths)
        keys.append(path.isEmpty() ? Key{} : keyFor(path, size));

    QList<QImage> images(paths.size());
    if (errors)
        *errors = QStringList(paths.size(), QString());
    std::unique_lock lock(d->mutex);
    // Every picture not in the cache gets a job at the front of the queue, in
    // order, for the workers; this thread takes jobs from the back, so each
    // file is loaded once. The results come from the jobs themselves: a
    // picture too large to keep is not in the cache afterwards.
    QList<JobPtr> pending(keys.size());
    std::deque<JobPtr> front;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const Key &key = keys.at(i);
        if (key.path.isEmpty() || d->index.contains(key))
            continue;
        JobPtr job = d->jobs.value(key);
        if (!job) {
            job = d->addJob(key);
            front.push_back(job);
        } else if (job->state == Job::State::Queued && std::find(front.begin(), front.end(), job) == front.end()) {
            d->unqueue(job);
            front.push_back(job);
        }
        pending[i] = job;
    }
    d->queue.insert(d->queue.begin(), front.begin(), front.end());
    d->startWorkers();
    for (qsizetype i = keys.size() - 1; i >= 0; --i) {
        if (keys.at(i).path.isEmpty())
            continue;
        const Result result = pending.at(i) ? d->finish(pending.at(i), lock) : d->fetch(keys.at(i), lock);
        images[i] = result.image;
        if (errors)
            (*errors)[i] = result.error;
    }
    return images;
}

void PictureCache::prefetch(const QStringList &paths, QSize size)
{
    QList<Key> keys;
    keys.reserve(paths.size());
    for (const QString &path : paths) {
        if (!path.isEmpty())
            keys.append(keyFor(path, size));
    }

    std::unique_lock lock(d->mutex);
    if (d->stopping)
        return;
    d->dropQueue();
    // Decoded pictures are four bytes a pixel (or less); the size of a
    // picture at its own size is not known before it is read.
    const qint64 estimate = size.isEmpty() ? 0 : qint64(size.width()) * size.height() * 4;
    const qint64 allowance = d->maxBytes / 2;
    qint64 planned = 0;
    for (const Key &key : std::as_const(keys)) {
        if (const auto found = d->index.constFind(key); found != d->index.constEnd()) {
            planned += found.value()->cost;
            // Soon needed: keep it longer than what was used before.
            d->entries.splice(d->entries.begin(), d->entries, found.value());
            continue;
        }
        planned += estimate;
        if (planned > allowance)
            break;
        if (d->jobs.contains(key))
            continue;
        d->queue.push_back(d->addJob(key));
    }
    d->startWorkers();
}

void PictureCache::waitForPrefetch()
{
    std::unique_lock lock(d->mutex);
    d->workerDone.wait(lock, [this] { return d->workers == 0; });
}

qint64 PictureCache::bytesUsed() const
{
    std::unique_lock lock(d->mutex);
    return d->used;
}

qint64 PictureCache::maxBytes() const
{
    return d->maxBytes;
}

quint64 PictureCache::loadCount() const
{
    std::unique_lock lock(d->mutex);
    return d->loads;
}

void PictureCache::clear()
{
    std::unique_lock lock(d->mutex);
    d->dropQueue();
    ++d->generation;
    d->entries.clear();
    d->index.clear();
    d->used = 0;
}

} // namespace sorvane
