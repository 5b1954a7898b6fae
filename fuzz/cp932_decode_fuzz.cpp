// Code page 932 decoder: every decoded text can be encoded exactly, encoding
// it gives bytes that decode to the same text, and the width is the byte count.
#include "fuzz_check.h"
#include "text/cp932.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace sorvane;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype invalid = -1;
    const QString text = cp932::decode(bytes, &invalid);
    FUZZ_CHECK(invalid >= 0 && invalid <= bytes.size());
    FUZZ_CHECK(text.size() <= bytes.size());
    FUZZ_CHECK(cp932::canEncode(text));

    const QByteArray encoded = cp932::encode(text);
    FUZZ_CHECK(cp932::width(text) == encoded.size());
    qsizetype invalidAgain = -1;
    FUZZ_CHECK(cp932::decode(encoded, &invalidAgain) == text);
    FUZZ_CHECK(invalidAgain == 0);
    return 0;
}
