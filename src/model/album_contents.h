#pragma once

#include "model/album_table.h"
#include "model/cover_data.h"

#include <QByteArray>

namespace sorvane {

// What the file an album was read from held beyond the texts of its fields
// (nothing for an album made here).
struct AlbumOrigin {
    // Byte sequences of the file that could not be decoded (shown as "・").
    qsizetype undecodable = 0;
    // The file as it was read, kept only when writing the album as read
    // would not give it back (LF line ends, a last line without its line
    // end, a UTF-8 file whose texts code page 932 could hold, ...), and the
    // SHA-256 of what writing the album as read gives: while the album still
    // writes as it did then, saving it writes the file as it was.
    QByteArray fileBytes;
    QByteArray writtenDigest;
};

// What an album file holds: the cover and the entries.
struct AlbumContents {
    CoverData cover;
    AlbumTable table;
    AlbumOrigin origin{};
};

} // namespace sorvane
