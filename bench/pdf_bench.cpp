// PDF export of a long album: 100 pages, 300 different 12-megapixel camera
// photos. Our export decodes each photo for its 120 x 87 mm box at about
// 300 dpi; the naive way embeds each photo at full resolution (measured on
// fewer pages, per photo). Run with:
//   build/bench/sorvane_pdf_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include "io/album_file.h"
#include "picture/picture_loader.h"
#include "print/pdf_export.h"
#include "text/font_faces.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using namespace sorvane;

constexpr int kPages = 100;
constexpr int kPhotos = kPages * 3;
constexpr QSize kPhotoSize(4000, 3000); // 12 megapixels

// A photo with gradients, texture and noise, different for every seed.
QImage cameraPhoto(int seed)
{
    QImage image(kPhotoSize, QImage::Format_RGB32);
    quint32 state = 0x9E3779B9u * quint32(seed + 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = int(state & 31) - 16;
            const int r = (x / 7 + seed * 13 + noise) & 255;
            const int g = (y / 5 + (x ^ y) / 64 + noise) & 255;
            const int b = (200 - y / 20 + seed + noise) & 255;
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

struct Album {
    QTemporaryDir dir;
    AlbumTable table;
    CoverData cover;

    Album()
    {
        table.clear();
        for (int i = 1; i <= kPhotos; ++i) {
            const QString path = dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0')));
            if (!cameraPhoto(i).save(path, "JPEG", 90))
                qFatal("cannot write %s", qPrintable(path));
            table.appendEntry(QStringLiteral(" %1").arg(i), QStringLiteral("第%1工区 配筋状況").arg(i),
                              QStringLiteral("鉄筋径 D13 @200\r\nかぶり厚さ 60mm を確認"), path);
        }
        table.setPageCount(kPages);
        cover.constructionName = QStringLiteral("市道１号線道路改良工事");
    }
};

const Album &album()
{
    static const Album made;
    return made;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void exportPdf(benchmark::State &state, int pages, const PrintPictureLoader &loader)
{
    const Album &a = album();
    const QString out = a.dir.filePath(QStringLiteral("out.pdf"));
    // The first `pages` pages of the album.
    AlbumTable table;
    table.clear();
    for (int row = 1; row <= pages * 3; ++row)
        table.appendEntry(a.table.entry(row));
    table.setPageCount(pages);
    AlbumDocument document;
    document.replace(AlbumContents{a.cover, table}, {});
    qint64 bytes = 0;
    QElapsedTimer clock;
    qint64 elapsedMs = 0;
    for (auto _ : state) {
        clock.start();
        QString error;
        if (!exportAlbumPdf(out, document, PrintSettings{}, loader, nullptr, &error))
            state.SkipWithError(qPrintable(error));
        elapsedMs += clock.elapsed();
        bytes = QFileInfo(out).size();
    }
    const double photos = pages * 3.0 * double(state.iterations());
    state.counters["ms_per_photo"] = double(elapsedMs) / photos;
    state.counters["KB_per_photo"] = double(bytes) / 1024.0 / (pages * 3.0);
    state.counters["peak_RSS_MB"] = peakRssMb();
}

// The program's way: photos decoded for the print box.
void BM_PdfExport(benchmark::State &state)
{
    exportPdf(state, int(state.range(0)),
              [](const QString &path, QString *error) { return loadPicture(path, kPrintPhotoPixels, error); });
}
BENCHMARK(BM_PdfExport)->Arg(kPages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The naive way: every photo embedded at its full resolution.
void BM_PdfExportNaive(benchmark::State &state)
{
    exportPdf(state, int(state.range(0)), [](const QString &path, QString *error) {
        QImageReader reader(path);
        QImage image = reader.read();
        if (image.isNull() && error)
            *error = reader.errorString();
        return image;
    });
}
BENCHMARK(BM_PdfExportNaive)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerFontSubstitutions();
    album(); // the photos are made before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
