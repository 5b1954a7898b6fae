// Benchmarks of the album history: undo and redo of 抜取 and 挿入 near the top
// of a long album (every later row moves), the memory one step holds, and
// writing the recovery copy.
// Run with: build/bench/sorvane_document_bench --benchmark_repetitions=5
#include "io/recovery_copies.h"
#include "model/album_document.h"
#include "model/number_text.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <malloc.h>

#include <chrono>

namespace {

using namespace sorvane;

// `entries` entries with a title, a two-line comment and a photo, on whole
// pages as the editor saves them (the last page's free slots stay empty).
AlbumContents sampleAlbum(int entries)
{
    AlbumContents album;
    for (int n = 1; n <= kCoverFieldCount; ++n)
        album.cover.field(n) = QStringLiteral("表紙の項目 %1").arg(n);
    const int pages = (entries + AlbumTable::kSlotsPerPage - 1) / AlbumTable::kSlotsPerPage;
    album.table.clear();
    album.table.reserve(pages * AlbumTable::kSlotsPerPage);
    for (int r = 1; r <= pages * AlbumTable::kSlotsPerPage; ++r) {
        if (r > entries) {
            album.table.appendEntry(numberText(r), {}, {}, {});
            continue;
        }
        album.table.appendEntry(numberText(r), QStringLiteral("第%1工区 基礎工事 配筋状況").arg(r % 40 + 1),
                                QStringLiteral("鉄筋径 D13 @200 かぶり厚さ 60mm を確認 No.%1\r\n"
                                               "立会者：現場代理人　監督員")
                                    .arg(r),
                                QStringLiteral("/home/user/写真/2026-12-06/IMG_%1.JPG").arg(r, 5, 10, QChar(u'0')));
    }
    album.table.setPageCount(pages);
    return album;
}

enum Step { CutOut, Insert };

// One step at row 2 of a 10,000-entry album, then undo and redo in turn; only
// the undo (range(0) == 0) or only the redo (range(0) == 1) is timed.
template <Step kStep> void BM_UndoRedo(benchmark::State &state)
{
    const bool timeRedo = state.range(0) != 0;
    AlbumDocument doc;
    doc.replace(sampleAlbum(10000), {});
    const EditPlace place{1, 1, 0};
    if (kStep == CutOut)
        doc.cutOutEntry(2, place);
    else
        doc.insertEntry(2, place);
    if (doc.history().count() != 1) {
        state.SkipWithError("the step was not recorded");
        return;
    }
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        doc.undo();
        const Clock::time_point between = Clock::now();
        doc.redo();
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(timeRedo ? end - between : between - start).count());
    }
    benchmark::DoNotOptimize(doc.entry(2).title.size());
}

void BM_CutOutUndoRedo(benchmark::State &state)
{
    BM_UndoRedo<CutOut>(state);
}
BENCHMARK(BM_CutOutUndoRedo)->ArgName("redo")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_InsertUndoRedo(benchmark::State &state)
{
    BM_UndoRedo<Insert>(state);
}
BENCHMARK(BM_InsertUndoRedo)->ArgName("redo")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap growth per 抜取 step, over 200 steps at row 2 of an album of range(0)
// entries: the same for 1,000 entries as for 10,000.
void BM_StepMemory(benchmark::State &state)
{
    constexpr int kSteps = 200;
    const int entries = int(state.range(0));
    double bytesPerStep = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<AlbumDocument>();
        doc->replace(sampleAlbum(entries), {});
        state.ResumeTiming();
        const size_t before = heapInUse();
        for (int i = 0; i < kSteps; ++i)
            doc->cutOutEntry(2, EditPlace{1, 1, 0});
        const size_t after = heapInUse();
        if (doc->history().count() != kSteps) {
            state.SkipWithError("a step was not recorded");
            return;
        }
        bytesPerStep = double(qint64(after) - qint64(before)) / kSteps;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_step"] = bytesPerStep;
}
BENCHMARK(BM_StepMemory)->ArgName("entries")->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Writing this run's recovery copy of an album of range(0) entries, as the
// editor does a moment after a change (the album file and its description,
// each written to a new file, flushed to disk and renamed over the old).
void BM_RecoveryCopy(benchmark::State &state)
{
    QTemporaryDir dir;
    const AlbumContents album = sampleAlbum(int(state.range(0)));
    RecoveryCopyWriter writer(dir.filePath(QStringLiteral("recovery")));
    const QDateTime changed = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        if (!writer.write(album.cover, album.table, QStringLiteral("/srv/現場/album.svd"), changed)) {
            state.SkipWithError("the copy was not written");
            return;
        }
    }
    state.counters["bytes"] = double(QFileInfo(writer.albumFile()).size());
}
BENCHMARK(BM_RecoveryCopy)->ArgName("entries")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
