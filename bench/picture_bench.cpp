// Picture loading benchmarks: camera photos shown in the page slots, decoded
// whole, through a new cache, from the cache and after a prefetch. Run with:
//   build/bench/sorvane_picture_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The photos are written once to a temporary folder (this takes some
// seconds) and are read from the system's file cache, as when the user pages
// back and forth; the first look at a photo straight from a disk is slower.
#include "picture/picture_cache.h"
#include "picture/picture_loader.h"
#include "platform/qt_services.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace sorvane;

constexpr QSize kPhotoSize(6000, 4000); // a 24 megapixel camera

// A camera-like photo: soft gradients and shapes, fine texture and sensor
// noise, so that it compresses like one (about 10 MB at quality 90).
QImage cameraPhoto(int seed)
{
    QImage image(kPhotoSize, QImage::Format_RGB32);
    quint32 state = 0x9E3779B9u * quint32(seed + 1);
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double sky = double(y) / h;
        for (int x = 0; x < w; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = int(state & 63) - 32;
            // Texture like gravel or foliage: a few overlapping waves.
            const double texture = 40.0 * std::sin(x * 0.11 + seed) * std::sin(y * 0.07) +
                                   25.0 * std::sin((x + 2 * y) * 0.031 + seed * 0.5);
            const double shade = 60.0 * std::sin(x * 0.0011 + seed) + 80.0 * sky;
            const int base = int(90 + shade + texture);
            line[x] = qRgb(qBound(0, base + noise + seed * 10, 255), qBound(0, base + noise / 2 + 15, 255),
                           qBound(0, int(200 - 120 * sky) + noise + int(texture / 2), 255));
        }
    }
    return image;
}

// Two pages of three photos; the second page holds copies under other names,
// which the cache treats as other photos.
struct Photos {
    QTemporaryDir dir;
    QStringList pages[2];
    qint64 fileBytes = 0;

    Photos()
    {
        for (int i = 0; i < 3; ++i) {
            const QString first = dir.filePath(QStringLiteral("DSC_%1.JPG").arg(i));
            if (!cameraPhoto(i).save(first, "JPEG", 90))
                qFatal("cannot write %s", qPrintable(first));
            const QString second = dir.filePath(QStringLiteral("DSC_%1.JPG").arg(i + 3));
            QFile::copy(first, second);
            pages[0].append(first);
            pages[1].append(second);
            fileBytes += QFile(first).size();
        }
    }
};

const Photos &photos()
{
    static const Photos made;
    return made;
}

QSize slotSize(const benchmark::State &state)
{
    return QSize(int(state.range(0)), int(state.range(1)));
}

void showPage(PictureCache &cache, const QStringList &page, QSize size, benchmark::State &state)
{
    const QList<QImage> images = cache.pictures(page, size);
    for (const QImage &image : images) {
        if (image.size() != size)
            state.SkipWithError("a photo did not load");
    }
    benchmark::DoNotOptimize(images.constData());
}

void reportCache(benchmark::State &state, const PictureCache &cache)
{
    state.counters["cache_MB"] = double(cache.bytesUsed()) / (1024 * 1024);
}

// One photo decoded whole, as without any of this: the cost of a slot.
void BM_FullDecodeBaseline(benchmark::State &state)
{
    const QString path = photos().pages[0].first();
    for (auto _ : state) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.size() != kPhotoSize)
            state.SkipWithError(qPrintable(reader.errorString()));
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["photo_MB"] = double(photos().fileBytes) / 3 / (1024 * 1024);
}
BENCHMARK(BM_FullDecodeBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// A page shown for the first time: a new cache, three photos decoded for
// their slots side by side.
void BM_ColdPage(benchmark::State &state)
{
    const QSize size = slotSize(state);
    const QStringList &page = photos().pages[0];
    for (auto _ : state) {
        state.PauseTiming();
        auto cache = std::make_unique<PictureCache>();
        state.ResumeTiming();
        showPage(*cache, page, size, state);
        state.PauseTiming();
        reportCache(state, *cache);
        cache.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ColdPage)->Args({514, 338})->Args({257, 169})->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the three photos asked for one after the other.
void BM_ColdPageOneByOne(benchmark::State &state)
{
    const QSize size = slotSize(state);
    const QStringList &page = photos().pages[0];
    for (auto _ : state) {
        state.PauseTiming();
        auto cache = std::make_unique<PictureCache>();
        state.ResumeTiming();
        for (const QString &path : page)
            benchmark::DoNotOptimize(cache->picture(path, size).constBits());
        state.PauseTiming();
        cache.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ColdPageOneByOne)->Args({514, 338})->Unit(benchmark::kMillisecond)->UseRealTime();

// A page shown, the next page shown, then the first page again: only that
// last showing is timed.
void BM_RevisitedPage(benchmark::State &state)
{
    const QSize size = slotSize(state);
    PictureCache cache;
    showPage(cache, photos().pages[0], size, state);
    for (auto _ : state) {
        state.PauseTiming();
        showPage(cache, photos().pages[1], size, state);
        state.ResumeTiming();
        showPage(cache, photos().pages[0], size, state);
    }
    if (cache.loadCount() != 6)
        state.SkipWithError("photos were loaded again");
    reportCache(state, cache);
}
BENCHMARK(BM_RevisitedPage)->Args({514, 338})->Args({257, 169})->Unit(benchmark::kMillisecond)->UseRealTime();

// While a page is shown, the next is prefetched; once that has finished,
// the next page is shown: only that is timed.
void BM_PrefetchedPage(benchmark::State &state)
{
    const QSize size = slotSize(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto cache = std::make_unique<PictureCache>();
        showPage(*cache, photos().pages[0], size, state);
        cache->prefetch(photos().pages[1], size);
        cache->waitForPrefetch();
        state.ResumeTiming();
        showPage(*cache, photos().pages[1], size, state);
        state.PauseTiming();
        if (cache->loadCount() != 6)
            state.SkipWithError("the prefetched photos were loaded again");
        reportCache(state, *cache);
        cache.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrefetchedPage)
    ->Args({514, 338})
    ->Args({257, 169})
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole path the user waits on: the main window showing a page through
// the desktop services (cache, loader and prefetch of the neighbouring
// pages), slots at the window's own size.
struct Window {
    QtServices services;
    Form1 form{services};

    Window()
    {
        form.startUp();
        form.show();
        AlbumContents album;
        album.table.appendPage();
        for (int page = 0; page < 2; ++page)
            for (int k = 0; k < 3; ++k)
                album.table.setText(AlbumTable::RowOf(page + 1, k), AlbumTable::PhotoPath, photos().pages[page][k]);
        form.document().replace(std::move(album), {});
    }

    void show(int page)
    {
        form.pageSpinner()->setValue(page);
        form.ShowPage();
    }
};

void BM_WindowColdPage(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        state.ResumeTiming();
        window->show(1);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowColdPage)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// Page 1, then page 2, then page 1 again: only the return is timed.
void BM_WindowRevisitedPage(benchmark::State &state)
{
    Window window;
    window.show(1);
    for (auto _ : state) {
        state.PauseTiming();
        window.show(2);
        window.services.pictureCache().waitForPrefetch();
        state.ResumeTiming();
        window.show(1);
    }
    state.counters["cache_MB"] = double(window.services.pictureCache().bytesUsed()) / (1024 * 1024);
}
BENCHMARK(BM_WindowRevisitedPage)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// Page 1 shown for the first time; while the user looks at it, page 2 is
// prepared; then the user pages forward: only that is timed.
void BM_WindowNextPagePrepared(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        window->show(1);
        window->services.pictureCache().waitForPrefetch();
        state.ResumeTiming();
        window->show(2);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
// Each round decodes two pages untimed, so the round count is fixed.
BENCHMARK(BM_WindowNextPagePrepared)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // Qt's image format plugins, and the main window
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
