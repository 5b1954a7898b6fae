#pragma once

#include "model/album_document.h"
#include "picture/photo_status.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

namespace sorvane {

// Which photos of the album in hand cannot be found or read. Finding a
// photo (on a file server, through the path mappings) and reading its
// header take time, so both run on a worker thread, a batch of paths at a
// time; the window goes on meanwhile and hears of the findings through
// changed(). Each distinct path is looked at once until recheck().
class PhotoChecker : public QObject {
    Q_OBJECT
public:
    explicit PhotoChecker(const AlbumDocument &document, QObject *parent = nullptr);
    ~PhotoChecker() override;

    // Forgets what was found and looks at every photo of the album again
    // (a new album, a relink, new path mappings).
    void recheck();
    bool isChecking() const { return running_.has_value(); }
    // Waits for the work under way and takes its findings (before printing;
    // in tests).
    void waitUntilDone();

    // What was found for a photo path; Fine for one not looked at yet.
    PhotoStatus status(const QString &photoPath) const { return known_.value(photoPath); }
    // The rows from `first` to `last` (-1: the last row) whose photo is
    // missing or unreadable, as far as found yet.
    QList<int> problemRows(int first = 1, int last = -1) const;

signals:
    // New findings came in, or rows of the album changed.
    void changed();

private:
    void noteRows(int first, int last);
    void startBatch();
    void collect(quint64 batch);

    struct Batch {
        quint64 id = 0;
        QStringList paths;
        QFuture<QList<PhotoStatus>> future;
        std::shared_ptr<std::atomic_bool> cancel;
    };

    const AlbumDocument &document_;
    QHash<QString, PhotoStatus> known_;
    // Paths waiting for the next batch, and every path waiting or under way.
    QStringList waiting_;
    QSet<QString> pending_;
    std::optional<Batch> running_;
    quint64 lastBatch_ = 0;
};

} // namespace sorvane
