// INI reader: any bytes give a value or "", a value never holds a line break
// and never passes the 1023-byte limit.
#include "fuzz_check.h"
#include "io/ini_file.h"
#include "text/cp932.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

void checkValue(const QString &value)
{
    FUZZ_CHECK(sorvane::cp932::width(value) <= sorvane::kMaxIniValueBytes);
    FUZZ_CHECK(!value.contains(u'\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace sorvane;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkValue(iniValue(bytes, u"印刷設定", u"上マージン"));
    checkValue(iniValue(bytes, u"工事名", u"名称"));
    checkValue(iniValue(bytes, u"a", u"b"));
    // Names taken from the input itself, so that present sections and keys
    // are found too: the first line names the section, the second the key.
    const QString text = QString::fromLatin1(bytes.first(qMin<qsizetype>(bytes.size(), 64)));
    const QStringList names = text.split(u'\n');
    if (names.size() >= 2)
        checkValue(iniValue(bytes, names[0], names[1]));
    return 0;
}
