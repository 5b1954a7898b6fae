#include "platform/picture_cache.h"
#include "platform/picture_loader.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>

using namespace sorvane;

namespace {

// A JPEG of its own look for every seed: a gradient with a seed-coloured band.
QByteArray photoBytes(int seed)
{
    const QSize size(160, 120);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 255 / size.width() + seed * 37) & 0xFF, y * 255 / size.height(),
                                (y / 8 + seed) % 5 == 0 ? 255 : (seed * 53) & 0xFF));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    // Padded after the end marker to a round length, so that photos can
    // replace each other without changing the file size.
    bytes.append(QByteArray(16384 - bytes.size() % 16384, '\0'));
    return bytes;
}

bool setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

struct Loaded {
    QImage image;
    QString error;
    bool operator==(const Loaded &) const = default;
};

Loaded viaLoader(const QString &path, QSize size)
{
    Loaded loaded;
    loaded.image = loadPicture(path, size, &loaded.error);
    return loaded;
}

Loaded viaCache(PictureCache &cache, const QString &path, QSize size)
{
    Loaded loaded;
    loaded.image = cache.picture(path, size, &loaded.error);
    return loaded;
}

// Photos, a missing one and one that is no picture.
struct Album {
    QTemporaryDir dir;
    QStringList paths;
    explicit Album(int photos)
    {
        for (int i = 0; i < photos; ++i) {
            paths.append(dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i)));
            writeFile(paths.last(), photoBytes(i));
        }
        paths.append(dir.filePath(QStringLiteral("missing.jpg")));
        paths.append(dir.filePath(QStringLiteral("notes.jpg")));
        writeFile(paths.last(), "not a picture");
    }
};

// Loads as loadPicture() does, but each call first reports that it started
// and waits until the test opens the gate.
struct Gate {
    QSemaphore started;
    QSemaphore open;
    std::mutex mutex;
    QStringList calls; // file names

    PictureCache::Loader loader()
    {
        return [this](const QString &path, QSize size, QString *error) {
            {
                std::lock_guard lock(mutex);
                calls.append(QFileInfo(path).fileName());
            }
            started.release();
            open.acquire();
            open.release(); // open for good
            return loadPicture(path, size, error);
        };
    }
    void openUp() { open.release(); }
};

const QSize kSlot(257, 169);

} // namespace

class TestPictureCache : public QObject {
    Q_OBJECT
private slots:
    void sameAsLoader()
    {
        Album album(3);
        PictureCache cache;
        for (const QSize &size : {kSlot, QSize(514, 338), QSize()}) {
            for (const QString &path : album.paths) {
                const Loaded expected = viaLoader(path, size);
                QCOMPARE(viaCache(cache, path, size), expected);
                QCOMPARE(viaCache(cache, path, size), expected); // now from the cache
            }
        }
        QCOMPARE(cache.loadCount(), quint64(3 * album.paths.size()));
        QString error = QStringLiteral("stale");
        QVERIFY(cache.picture(QString(), kSlot, &error).isNull());
        QVERIFY(error.isEmpty());
    }

    void changedFilesLoadAgain()
    {
        Album album(2);
        const QString path = album.paths.first();
        PictureCache cache;
        QCOMPARE(viaCache(cache, path, kSlot), viaLoader(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(1));

        // Another photo of the same size under an old modification time.
        QTest::qSleep(20);
        const QDateTime modified = QFileInfo(path).lastModified();
        QFile::remove(path);
        QVERIFY(QFile::copy(album.paths.at(1), path));
        QVERIFY(setModified(path, modified));
        QCOMPARE(QFileInfo(path).size(), QFileInfo(album.paths.at(1)).size());
        QCOMPARE(viaCache(cache, path, kSlot), viaLoader(album.paths.at(1), kSlot));
        QCOMPARE(cache.loadCount(), quint64(2));

        // Touched only.
        QVERIFY(setModified(path, modified.addSecs(60)));
        QCOMPARE(viaCache(cache, path, kSlot), viaLoader(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(3));
        QCOMPARE(viaCache(cache, path, kSlot), viaLoader(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(3));
    }

    void failuresAreRememberedUntilTheFileChanges()
    {
        Album album(1);
        const QString missing = album.paths.at(1), notes = album.paths.at(2);
        PictureCache cache;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(viaCache(cache, missing, kSlot).error, QStringLiteral("file not found"));
            QVERIFY(!viaCache(cache, notes, kSlot).error.isEmpty());
        }
        QCOMPARE(cache.loadCount(), quint64(2));

        QTest::qSleep(20);
        writeFile(missing, photoBytes(7));
        writeFile(notes, photoBytes(8));
        for (const QString &path : {missing, notes}) {
            const Loaded loaded = viaCache(cache, path, kSlot);
            QVERIFY(!loaded.image.isNull());
            QCOMPARE(loaded, viaLoader(path, kSlot));
        }
        QCOMPARE(cache.loadCount(), quint64(4));
    }

    void budgetAndLeastRecentlyUsed()
    {
        Album album(5);
        const QSize size(100, 100); // 40000 bytes decoded
        PictureCache cache(3 * 40000 + 500);
        const QStringList &p = album.paths;
        for (int i : {0, 1, 2, 0, 3}) { // 1 is now the least recently used
            cache.picture(p.at(i), size);
            QVERIFY(cache.bytesUsed() <= cache.maxBytes());
        }
        QCOMPARE(cache.bytesUsed(), qint64(3 * 40000));
        QCOMPARE(cache.loadCount(), quint64(4));
        for (int i : {0, 2, 3})
            cache.picture(p.at(i), size);
        QCOMPARE(cache.loadCount(), quint64(4));
        cache.picture(p.at(1), size);
        QCOMPARE(cache.loadCount(), quint64(5));

        // Larger than the whole budget: given, not kept, nothing pushed out.
        const qint64 used = cache.bytesUsed();
        QCOMPARE(cache.picture(p.at(4), QSize(400, 400)), loadPicture(p.at(4), QSize(400, 400)));
        QCOMPARE(cache.bytesUsed(), used);
        cache.picture(p.at(4), QSize(400, 400));
        QCOMPARE(cache.loadCount(), quint64(7));

        cache.clear();
        QCOMPARE(cache.bytesUsed(), qint64(0));
        cache.picture(p.at(0), size);
        QCOMPARE(cache.loadCount(), quint64(8));
    }

    // Whether the prepared pictures are finished, still running or not
    // started, every one is loaded once and looks as loadPicture() has it.
    void prefetchChangesNothingButSpeed_data()
    {
        QTest::addColumn<bool>("waitFirst");
        QTest::newRow("after the work") << true;
        QTest::newRow("during the work") << false;
    }
    void prefetchChangesNothingButSpeed()
    {
        QFETCH(bool, waitFirst);
        Album album(6);
        PictureCache cache;
        cache.prefetch(album.paths, kSlot);
        if (waitFirst) {
            cache.waitForPrefetch();
            QCOMPARE(cache.loadCount(), quint64(album.paths.size()));
        }
        for (const QString &path : album.paths)
            QCOMPARE(viaCache(cache, path, kSlot), viaLoader(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(album.paths.size()));
    }

    void waitsForThePictureBeingPrepared()
    {
        Album album(1);
        const QString path = album.paths.first();
        Gate gate;
        PictureCache cache(64 * 1024 * 1024, gate.loader());
        cache.prefetch({path}, kSlot);
        QVERIFY(gate.started.tryAcquire(1, 10000)); // a worker is loading it
        Loaded answer;
        std::thread asker([&] { answer = viaCache(cache, path, kSlot); });
        QTest::qSleep(20); // time to start waiting
        gate.openUp();
        asker.join();
        QCOMPARE(answer, viaLoader(path, kSlot));
        QCOMPARE(gate.calls, QStringList{QStringLiteral("IMG_0.JPG")});
    }

    void newerPrefetchDropsQueuedRequests()
    {
        Album album(10);
        Gate gate;
        PictureCache cache(64 * 1024 * 1024, gate.loader());
        cache.prefetch(album.paths.mid(0, 6), kSlot);
        QVERIFY(gate.started.tryAcquire(2, 10000)); // both workers are busy
        cache.prefetch(album.paths.mid(8, 2), kSlot);
        gate.openUp();
        cache.waitForPrefetch();
        gate.calls.sort();
        QCOMPARE(gate.calls, QStringList({"IMG_0.JPG", "IMG_1.JPG", "IMG_8.JPG", "IMG_9.JPG"}));
        for (const QString &path : album.paths.mid(8, 2))
            QCOMPARE(viaCache(cache, path, kSlot), viaLoader(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(4));
    }

    void pagesAtOnce()
    {
        Album album(4);
        QStringList page = album.paths;
        page << album.paths.first() << QString();
        PictureCache cache;
        cache.picture(album.paths.at(1), kSlot);
        QStringList errors;
        const QList<QImage> images = cache.pictures(page, kSlot, &errors);
        QCOMPARE(images.size(), page.size());
        QCOMPARE(errors.size(), page.size());
        for (int i = 0; i < page.size(); ++i)
            QCOMPARE((Loaded{images.at(i), errors.at(i)}), viaLoader(page.at(i), kSlot));
        QCOMPARE(cache.loadCount(), quint64(album.paths.size()));

        // Too large to keep, yet each loaded once.
        PictureCache small(1000);
        const QList<QImage> large = small.pictures(album.paths.mid(0, 3), kSlot);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(large.at(i), loadPicture(album.paths.at(i), kSlot));
        QCOMPARE(small.loadCount(), quint64(3));
    }

    // Prefetches that overtake each other, the UI thread and two more threads
    // asking at the same time, a budget that forces evictions, and the cache
    // destroyed while it works. The answers must stay right; without
    // evictions no picture may be decoded twice.
    void concurrentUse_data()
    {
        QTest::addColumn<qint64>("budget");
        QTest::newRow("roomy") << qint64(64 * 1024 * 1024);
        QTest::newRow("tight") << qint64(4 * 257 * 169 * 4);
    }
    void concurrentUse()
    {
        QFETCH(qint64, budget);
        Album album(12);
        const QList<QSize> sizes{kSlot, QSize(514, 338)};
        QHash<QString, Loaded> expected;
        for (const QSize &size : sizes) {
            for (const QString &path : album.paths)
                expected.insert(path + QString::number(size.width()), viaLoader(path, size));
        }
        std::atomic<int> wrong = 0;
        auto cache = std::make_unique<PictureCache>(budget);
        auto ask = [&](int seed) {
            for (int i = 0; i < 200; ++i) {
                const QString &path = album.paths.at((i * 7 + seed) % album.paths.size());
                const QSize size = sizes.at((i + seed) % 2);
                if (!(viaCache(*cache, path, size) == expected.value(path + QString::number(size.width()))))
                    ++wrong;
                if (i % 10 == seed)
                    cache->prefetch(album.paths.mid((i + seed) % 10, 4), size);
            }
        };
        std::thread other(ask, 3);
        std::thread third(ask, 5);
        ask(0);
        other.join();
        third.join();
        QCOMPARE(wrong.load(), 0);
        QVERIFY(cache->bytesUsed() <= budget);
        if (budget == 64 * 1024 * 1024)
            QVERIFY(cache->loadCount() <= quint64(expected.size()));
        cache->prefetch(album.paths, QSize());
        cache.reset();
    }
};

QTEST_GUILESS_MAIN(TestPictureCache)
#include "tst_picture_cache.moc"
