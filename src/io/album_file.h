#pragma once

#include "io/safe_write.h"
#include "io/text_file.h"
#include "model/album_contents.h"

#include <QByteArray>
#include <QString>

// Album files (*.svd): the fourteen cover fields, then four lines per entry
// (number text, title, comment with each CR LF written as "<BR>", photo path),
// every line ended by CR LF. The file is code page 932; when some text cannot
// be held by that code page the whole file is written as UTF-8 with a
// byte-order mark instead, so that nothing is lost.
namespace sorvane {

class AlbumDocument;

inline constexpr int kCoverLineCount = kCoverFieldCount;
inline constexpr int kLinesPerEntry = 4;

// Bounds that keep a stray file (a disk image, a video picked by mistake)
// from filling the memory. A real album of 10,000 entries is about 2 MB.
inline constexpr qint64 kMaxAlbumFileBytes = 64 * 1024 * 1024;

struct AlbumFileError {
    enum Kind {
        None,
        OpenFailed,     // the file could not be opened (detail: the system's reason)
        ReadFailed,     // reading failed part-way (detail)
        TooLarge,       // more than kMaxAlbumFileBytes
        NotText,        // the file holds NUL bytes: not an album file
        EndsInCover,    // fewer than 14 cover lines (line: the first missing line)
        EndsInEntry,    // an entry lacks lines (entry, line: the first missing line)
        TooManyEntries, // more than kMaxAlbumEntries entries
        WriteFailed,    // the album could not be saved (detail); the old file is intact
        WriteDamaged,   // rewriting the file in place failed part-way (detail): it may be damaged
    };
    Kind kind = None;
    qint64 line = 0;  // 1-based line of the file
    qint64 entry = 0; // 1-based entry
    QString detail;

    bool isError() const { return kind != None; }
    // A sentence telling why, for logs and the command line.
    QString message() const;
};

struct AlbumReadResult {
    AlbumFileError error;
    AlbumContents album; // complete only when !error.isError()
    TextEncoding encoding = TextEncoding::Cp932;
    qsizetype invalidSequences = 0; // byte sequences that could not be decoded
};

// Parses the bytes of an album file. The table gets exactly the file's
// entries and a page count of entries / 3. A field whose text would not
// encode back to the bytes it was read from keeps those bytes beside it
// (FieldBytes), and the album's origin tells what else writing it would not
// give back (AlbumOrigin).
AlbumReadResult parseAlbum(QByteArrayView bytes);
AlbumReadResult readAlbumFile(const QString &path);

// The bytes of the album file. A line break inside a one-line field (cover,
// number, title, photo path) is written as a lone LF so that it cannot break
// the layout of the file. A field is written with the bytes it was read
// with while they still decode to its text in the encoding of the file
// written, otherwise from its text.
QByteArray serializeAlbum(const CoverData &cover, const AlbumTable &table, TextEncoding *encoding = nullptr);
// What saving the album writes: the file as it was read while the album
// still writes as it did when read, otherwise serializeAlbum().
QByteArray albumFileBytes(const CoverData &cover, const AlbumTable &table, const AlbumOrigin &origin);

// Saves the album through replaceFileContents: a complete new file takes the
// place of the old one, with its permission bits, group and (where the saver
// may) owner; a symbolic link stays a link and its target gets the album. On
// failure the previous file is left as it was, except that with
// InPlaceWrite::Allowed (for a caller that has kept a copy of the previous
// file: keepPreviousVersion) a folder that takes no temporary file or refuses
// the rename gets the file rewritten in place, which can fail part-way
// (WriteDamaged). Temporary files that killed saves left beside the album
// are removed first.
AlbumFileError writeAlbumFile(const QString &path, const CoverData &cover, const AlbumTable &table,
                              InPlaceWrite inPlace = InPlaceWrite::Refused);
// The document's album as albumFileBytes() gives it.
AlbumFileError writeAlbumFile(const QString &path, const AlbumDocument &document,
                              InPlaceWrite inPlace = InPlaceWrite::Refused);

} // namespace sorvane
