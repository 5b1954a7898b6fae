// Picture loader, through the entry point of the slots, print and the PDF:
// any file gives a picture of exactly the size asked for, or no picture and
// a reason; never a crash, a leak, a hang or an allocation beyond its limits.
#include "fuzz_app.h"
#include "fuzz_check.h"
#include "picture/picture_loader.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

const QString &inputPath()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("sorvane-picture-fuzz-%1.input").arg(qint64(getpid())));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace sorvane;
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    // A slot of the main window, then print size for what loads at all
    // (which may still fail there: a larger decode needs more memory, a
    // larger drawing more time).
    QString error;
    const QImage slot = loadPicture(inputPath(), QSize(257, 169), &error);
    FUZZ_CHECK(slot.isNull() != error.isEmpty());
    FUZZ_CHECK(slot.isNull() || slot.size() == QSize(257, 169));
    if (!slot.isNull()) {
        DrawingBudget job(3000); // under the fuzzer's time limit per input
        const QImage print = loadPicture(inputPath(), QSize(1323, 959), &error, job);
        FUZZ_CHECK(print.isNull() != error.isEmpty());
        FUZZ_CHECK(print.isNull() || print.size() == QSize(1323, 959));
    }
    return 0;
}
