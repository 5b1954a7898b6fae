// Album file reader: any bytes give a clean album or a clean error. A clean
// album written back and read again is the same album, and saved as it was
// read it gives back the very bytes.
#include "fuzz_check.h"
#include "io/album_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace sorvane;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const AlbumReadResult first = parseAlbum(bytes);
    if (first.error.isError()) {
        FUZZ_CHECK(!first.error.message().isEmpty());
        return 0;
    }
    const AlbumTable &table = first.album.table;
    FUZZ_CHECK(table.pageCount() == table.count() / 3);

    const QByteArray written = serializeAlbum(first.album.cover, table);
    const AlbumReadResult second = parseAlbum(written);
    FUZZ_CHECK(!second.error.isError());
    FUZZ_CHECK(second.invalidSequences == first.invalidSequences);
    FUZZ_CHECK(second.album.cover == first.album.cover);
    FUZZ_CHECK(second.album.table == table);

    AlbumTable shown = table;
    shown.completeFirstPage();
    FUZZ_CHECK(albumFileBytes(first.album.cover, shown, first.album.origin) == bytes);
    return 0;
}
