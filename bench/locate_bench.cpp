// Benchmark of finding the photos of a Windows album copied to this machine:
// 1,000 photo paths as the Windows program wrote them ("C:\Users\...",
// "\\nas01\share\..."), none of them there as written, looked for in an
// album folder tree of 20,000 files, cold: right after refresh(), so every
// folder listing and the tree's index are read again.
// Run with: build/bench/sorvane_locate_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "model/photo_locator.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace sorvane;

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100; // 20,000 files
constexpr int kPhotos = 1000;

struct Site {
    QTemporaryDir dir;
    QString album;
    QStringList photos;
};

// The album's folder: 写真/<day>/IMG_<n>.JPG. Of the album's photos, nine in
// ten lie somewhere in it under another folder than the path says (found by
// name), one in ten are nowhere.
const Site &site()
{
    static Site site;
    static bool made = false;
    if (made)
        return site;
    made = true;
    const QDir root(site.dir.path());
    for (int folder = 0; folder < kFolders; ++folder) {
        const QString day = QStringLiteral("写真/%1").arg(folder, 3, 10, QLatin1Char('0'));
        root.mkpath(day);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            QFile file(root.filePath(
                QStringLiteral("%1/IMG_%2.JPG").arg(day).arg(folder * kFilesPerFolder + i, 5, 10, QLatin1Char('0'))));
            file.open(QIODevice::WriteOnly);
        }
    }
    site.album = root.filePath(QStringLiteral("現場.svd"));
    for (int p = 0; p < kPhotos; ++p) {
        const int n = p * (kFolders * kFilesPerFolder / kPhotos);
        const QString name = p % 10 == 9 ? QStringLiteral("DSC_%1.JPG").arg(p)
                                         : QStringLiteral("IMG_%1.JPG").arg(n, 5, 10, QLatin1Char('0'));
        site.photos << (p % 2 ? QStringLiteral("C:\\Users\\genba\\Pictures\\工事\\%1\\%2").arg(p % 37).arg(name)
                              : QStringLiteral("\\\\nas01\\share\\写真\\現場A\\%1").arg(name));
    }
    return site;
}

void BM_Locate1000MissingPhotosIn20000Files(benchmark::State &state)
{
    const Site &s = site();
    // A mapping to a share that is not mounted, as on a laptop away from
    // the office.
    PhotoLocator locator({{QStringLiteral("\\\\nas01\\share"), QStringLiteral("/mnt/nas01-not-mounted")}});
    int found = 0;
    for (auto _ : state) {
        locator.refresh();
        found = 0;
        for (const QString &photo : s.photos)
            found += locator.locate(s.album, photo).isFound();
    }
    state.counters["found"] = found;
    if (found != kPhotos * 9 / 10)
        state.SkipWithError("the photos were not found as expected");
}
BENCHMARK(BM_Locate1000MissingPhotosIn20000Files)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
