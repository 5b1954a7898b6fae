#include "picture/picture_cache.h"
#include "picture/picture_loader.h"

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

// A JPEG of its own colour for every seed, padded after the end marker to a
// round length, so that photos can replace each other without changing the
// file size.
QByteArray photoBytes(int seed)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 29 % 360, 255, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes + QByteArray(16384 - bytes.size() % 16384, '\0');
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

// The picture from the cache, or from loadPicture() without one.
Loaded load(const QString &path, QSize size, PictureCache *cache = nullptr)
{
    Loaded loaded;
    loaded.image = cache ? cache->picture(path, size, &loaded.error) : loadPicture(path, size, &loaded.error);
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

const QSize kSlot(257, 169);

} // namespace

class TestPictureCache : public QObject {
    Q_OBJECT
private slots:
    // Pictures and failures as loadPicture() gives them, one by one or a page
    // at once, each loaded once; every empty size means the picture's own.
    void sameAsLoader()
    {
        Album album(3);
        const QStringList page = album.paths + QStringList{album.paths.first(), QString()};
        PictureCache cache;
        for (const QSize &size : {kSlot, QSize(514, 338), QSize(), QSize(0, 30)}) {
            QCOMPARE(load(page.at(1), size, &cache), load(page.at(1), size));
            QStringList errors;
            const QList<QImage> images = cache.pictures(page, size, &errors);
            QCOMPARE(images.size(), page.size());
            QCOMPARE(errors.size(), page.size());
            for (int i = 0; i < page.size(); ++i) {
                const Loaded expected = load(page.at(i), size);
                QCOMPARE((Loaded{images.at(i), errors.at(i)}), expected);
                QCOMPARE(load(page.at(i), size, &cache), expected); // now from the cache
            }
        }
        QCOMPARE(cache.loadCount(), quint64(3 * album.paths.size()));
        QString error = QStringLiteral("stale");
        QVERIFY(cache.picture(QString(), kSlot, &error).isNull());
        QVERIFY(error.isEmpty());

        // Too large to keep, yet each loaded once, also when the workers finish
        // before this thread comes to their pictures.
        QSemaphore done;
        PictureCache small(1000, [&](const QString &path, QSize size, QString *error) {
            if (path == album.paths.at(2))
                done.tryAcquire(2, 10000);
            const QImage image = loadPicture(path, size, error);
            done.release();
            return image;
        });
        const QList<QImage> large = small.pictures(album.paths.mid(0, 3), kSlot);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(large.at(i), loadPicture(album.paths.at(i), kSlot));
        QCOMPARE(small.loadCount(), quint64(3));
    }

    // A file that is replaced, touched, appears or changes is loaded again;
    // failures are remembered until then, and count against the budget.
    void changedFilesLoadAgain()
    {
        Album album(2);
        const QString path = album.paths.first(), missing = album.paths.at(2), notes = album.paths.at(3);
        PictureCache cache;
        QCOMPARE(load(path, kSlot, &cache), load(path, kSlot));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(load(missing, kSlot, &cache).error, QStringLiteral("file not found"));
            QVERIFY(!load(notes, kSlot, &cache).error.isEmpty());
        }
        QCOMPARE(cache.loadCount(), quint64(3));
        QVERIFY(cache.bytesUsed() > load(path, kSlot).image.sizeInBytes());

        // Another photo of the same size under the old modification time.
        QTest::qSleep(20);
        const QDateTime modified = QFileInfo(path).lastModified();
        QFile::remove(path);
        QVERIFY(QFile::copy(album.paths.at(1), path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.setFileTime(modified, QFileDevice::FileModificationTime));
        QCOMPARE(QFileInfo(path).size(), QFileInfo(album.paths.at(1)).size());
        QCOMPARE(load(path, kSlot, &cache), load(album.paths.at(1), kSlot));
        // Touched only.
        QVERIFY(file.setFileTime(modified.addSecs(60), QFileDevice::FileModificationTime));
        QCOMPARE(load(path, kSlot, &cache), load(path, kSlot));
        QCOMPARE(load(path, kSlot, &cache), load(path, kSlot));
        // Appeared, and changed into a picture.
        writeFile(missing, photoBytes(7));
        writeFile(notes, photoBytes(8));
        for (const QString &changed : {missing, notes}) {
            QVERIFY(!load(changed, kSlot, &cache).image.isNull());
            QCOMPARE(load(changed, kSlot, &cache), load(changed, kSlot));
        }
        QCOMPARE(cache.loadCount(), quint64(7));
    }

    void budgetAndLeastRecentlyUsed()
    {
        Album album(5);
        const QSize size(100, 100); // 40000 bytes decoded
        PictureCache cache(3 * 40000 + 500);
        const QStringList &p = album.paths;
        for (int i : {0, 1, 2, 0, 3}) // 1 is now the least recently used
            cache.picture(p.at(i), size);
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
        cache.picture(p.at(1), size);
        QCOMPARE(cache.loadCount(), quint64(8));

        // Prefetching stops before it fills half the budget: with 1 kept,
        // one more picture.
        cache.prefetch(p, size);
        cache.waitForPrefetch();
        QCOMPARE(cache.loadCount(), quint64(9));
    }

    // A picture asked for or prefetched again while a worker prepares it is
    // waited for, not loaded again; a newer prefetch drops the requests not
    // yet started. Prefetched pictures come from the cache afterwards.
    void prefetchWhileWorkersAreBusy()
    {
        Album album(10);
        // Loads as loadPicture() does, but each call first reports that it
        // started and waits until the test opens the gate.
        QSemaphore started, gate;
        std::mutex mutex;
        QStringList calls; // file names
        PictureCache cache(64 * 1024 * 1024, [&](const QString &path, QSize size, QString *error) {
            {
                std::lock_guard lock(mutex);
                calls.append(QFileInfo(path).fileName());
            }
            started.release();
            gate.acquire();
            gate.release(); // open for good
            return loadPicture(path, size, error);
        });
        cache.prefetch(album.paths.mid(0, 6), kSlot);
        QVERIFY(started.tryAcquire(2, 10000)); // both workers are busy
        Loaded answer;
        std::thread asker([&] { answer = load(album.paths.at(1), kSlot, &cache); });
        QTest::qSleep(20); // time to start waiting
        cache.prefetch({album.paths.at(0), album.paths.at(8), album.paths.at(9)}, kSlot);
        gate.release();
        asker.join();
        cache.waitForPrefetch();
        QCOMPARE(answer, load(album.paths.at(1), kSlot));
        calls.sort();
        QCOMPARE(calls, QStringList({"IMG_0.JPG", "IMG_1.JPG", "IMG_8.JPG", "IMG_9.JPG"}));
        for (const QString &path : album.paths.mid(8, 2))
            QCOMPARE(load(path, kSlot, &cache), load(path, kSlot));
        QCOMPARE(cache.loadCount(), quint64(4));
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
                expected.insert(path + QString::number(size.width()), load(path, size));
        }
        std::atomic<int> wrong = 0;
        auto cache = std::make_unique<PictureCache>(budget);
        auto ask = [&](int seed) {
            for (int i = 0; i < 200; ++i) {
                const QString &path = album.paths.at((i * 7 + seed) % album.paths.size());
                const QSize size = sizes.at((i + seed) % 2);
                if (!(load(path, size, cache.get()) == expected.value(path + QString::number(size.width()))))
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
