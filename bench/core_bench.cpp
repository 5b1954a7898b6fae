// Benchmarks of the core: album open and save, comment wrapping and the code
// page 932 width. Run with: build/bench/sorvane_bench --benchmark_repetitions=9
#include "io/album_file.h"
#include "model/number_text.h"
#include "print/wrap_comment.h"
#include "text/cp932.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace sorvane;

constexpr int kEntries = 10000;

QString sampleComment(int i)
{
    return QStringLiteral("基礎配筋検査 No.%1\r\n鉄筋径 D13 @200 かぶり厚さ 60mm を確認した。\r\n"
                          "立会者：現場代理人　ｶﾝﾄｸｲﾝ")
        .arg(i);
}

AlbumContents sampleAlbum()
{
    AlbumContents album;
    for (int i = 0; i < kCoverFieldCount; ++i)
        album.cover.field(i + 1) = QStringLiteral("表紙の項目 %1").arg(i + 1);
    album.table.clear();
    for (int i = 1; i <= kEntries; ++i)
        album.table.appendEntry(numberText(i), QStringLiteral("第%1工区 基礎工事 配筋状況").arg(i), sampleComment(i),
                                QStringLiteral("/home/user/写真/2026-12-06/IMG_%1.JPG").arg(i, 5, 10, QChar(u'0')));
    album.table.setPageCount(kEntries / 3);
    return album;
}

void BM_SaveAlbum(benchmark::State &state)
{
    const AlbumContents album = sampleAlbum();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("album.svd"));
    for (auto _ : state) {
        const AlbumFileError error = writeAlbumFile(path, album.cover, album.table);
        if (error.isError())
            state.SkipWithError(qPrintable(error.message()));
    }
}
BENCHMARK(BM_SaveAlbum)->Unit(benchmark::kMillisecond);

void BM_OpenAlbum(benchmark::State &state)
{
    const AlbumContents album = sampleAlbum();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("album.svd"));
    writeAlbumFile(path, album.cover, album.table);
    for (auto _ : state) {
        AlbumReadResult result = readAlbumFile(path);
        if (result.album.table.count() != kEntries)
            state.SkipWithError("wrong entry count");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_OpenAlbum)->Unit(benchmark::kMillisecond);

void BM_WrapComments(benchmark::State &state)
{
    std::vector<QString> comments;
    for (int i = 0; i < kEntries; ++i)
        comments.push_back(sampleComment(i));
    for (auto _ : state) {
        qsizetype total = 0;
        for (const QString &c : comments)
            total += WrapComment(c).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_WrapComments)->Unit(benchmark::kMillisecond);

void BM_WidthOfMixedText(benchmark::State &state)
{
    // About 1 MB of code page 932 text: kanji, kana, ASCII and half-width kana.
    const QString piece = QStringLiteral("工事写真帳 Construction photo ｶﾀｶﾅ 123 ");
    const QString text = piece.repeated(int(1024 * 1024 / cp932::width(piece)) + 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(cp932::width(text));
    state.SetBytesProcessed(state.iterations() * cp932::width(text));
}
BENCHMARK(BM_WidthOfMixedText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
