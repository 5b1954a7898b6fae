// Windows Metafile renderer: any bytes give a picture of exactly the size
// asked for, or no picture and a reason; never a crash, a leak or a hang.
#include "fuzz_app.h"
#include "fuzz_check.h"
#include "picture/wmf_image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace sorvane;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)isWmf(bytes);
    const QSize frame = wmfFrameSize(bytes);
    FUZZ_CHECK(!frame.isValid() || (frame.width() > 0 && frame.height() > 0));
    // A slot's size; a job's deadline keeps a heavy metafile from stalling.
    for (const QSize target : {QSize(64, 42), QSize(3, 2)}) {
        QString error;
        bool timedOut = true;
        const QImage picture = renderWmf(bytes, target, &error, QDeadlineTimer(2000), &timedOut);
        FUZZ_CHECK(picture.isNull() != error.isEmpty());
        FUZZ_CHECK(picture.isNull() || picture.size() == target);
        FUZZ_CHECK(!timedOut || picture.isNull());
    }
    return 0;
}
