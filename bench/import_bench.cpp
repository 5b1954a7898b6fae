// Benchmark of the bulk import: 500 camera photos of 24 megapixels (6000 ×
// 4000 JPEGs with EXIF dates) found in a folder, checked, dated and placed
// into an album as one step. Only headers and metadata are read; the photos
// are decoded when their page is shown.
// Run with: build/bench/sorvane_import_bench --benchmark_repetitions=5
#include "model/album_document.h"
#include "picture/photo_import.h"

#include <benchmark/benchmark.h>
#include <exiv2/exiv2.hpp>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

using namespace sorvane;

constexpr int kPhotos = 500;

// One 24 MP photo with a shooting date, linked under 500 names (each a photo
// of its own to the import; the disk holds it once).
const QString &cardFolder()
{
    static QTemporaryDir dir;
    static const QString folder = [] {
        QImage picture(6000, 4000, QImage::Format_RGB32);
        QPainter p(&picture);
        for (int y = 0; y < picture.height(); y += 40)
            p.fillRect(0, y, picture.width(), 40, QColor::fromHsv(y % 360, 120, 200));
        p.end();
        const QString first = dir.filePath("DSC00000.JPG");
        picture.save(first, "JPEG", 90);
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(first).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Photo.DateTimeOriginal"] = "2026:11:03 10:00:00";
        exif["Exif.Photo.OffsetTimeOriginal"] = "+09:00";
        image->setExifData(exif);
        image->writeMetadata();
        for (int i = 1; i < kPhotos; ++i) {
            const QString name = dir.filePath(QStringLiteral("DSC%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
            if (::link(QFile::encodeName(first).constData(), QFile::encodeName(name).constData()) != 0)
                QFile::copy(first, name);
        }
        return dir.path();
    }();
    return folder;
}

void BM_Import500Photos24MP(benchmark::State &state)
{
    const QString folder = cardFolder();
    for (auto _ : state) {
        AlbumDocument album;
        const PhotoImport found = collectPhotos({folder});
        if (found.photos.size() != kPhotos || !album.importPhotos(1, found.photos, {}))
            state.SkipWithError("the import did not place every photo");
        benchmark::DoNotOptimize(album.rowCount());
    }
}
BENCHMARK(BM_Import500Photos24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
