#include "io/album_file.h"

#include "model/album_document.h"
#include "text/cp932.h"
#include "text/line_breaks.h"

#include <QCryptographicHash>

namespace sorvane {

namespace {

const QString kBr = QStringLiteral("<BR>");

// Splits the bytes of a file into lines. A file with any CR LF is split only
// at CR LF, so a lone CR or LF stays inside its line; a file without CR LF
// (written by tools that end lines with LF alone) is split at LF. The end of
// the file ends the last line, whether or not a line break precedes it.
// Neither code page 932 nor UTF-8 uses the bytes CR and LF inside a
// character, and the decoders never let a broken sequence swallow them, so
// the lines of the bytes are the lines of the text.
class LineReader {
public:
    explicit LineReader(QByteArrayView bytes)
        : bytes_(bytes), separator_(bytes.contains(kCrLfBytes) ? QByteArrayView(kCrLfBytes) : QByteArrayView("\n"))
    {
    }

    bool atEnd() const { return pos_ >= bytes_.size(); }

    bool next(QByteArrayView &line)
    {
        if (atEnd())
            return false;
        const qsizetype end = bytes_.indexOf(separator_, pos_);
        if (end < 0) {
            line = bytes_.sliced(pos_);
            pos_ = bytes_.size();
        } else {
            line = bytes_.sliced(pos_, end - pos_);
            pos_ = end + separator_.size();
        }
        return true;
    }

private:
    QByteArrayView bytes_;
    QByteArrayView separator_;
    qsizetype pos_ = 0;
};

// Calls put(line, bytes) for every line of the album file: the field in its
// written form, and the bytes the field was read with.
template <typename Put> void forEachAlbumLine(const CoverData &cover, const AlbumTable &table, Put &&put)
{
    QString scratch;
    auto oneLine = [&](const QString &field, const FieldBytes &bytes) {
        if (!field.contains(kCrLf))
            return put(QStringView(field), bytes);
        scratch = crLfToLf(field);
        put(QStringView(scratch), bytes);
    };
    for (int n = 1; n <= kCoverFieldCount; ++n)
        oneLine(cover.field(n), cover.fieldBytes(n));
    for (const PhotoEntry &e : table.entries()) {
        oneLine(e.number, e.numberBytes);
        oneLine(e.title, e.titleBytes);
        if (e.comment.contains(kCrLf)) {
            scratch = e.comment;
            scratch.replace(kCrLf, kBr);
            put(QStringView(scratch), e.commentBytes);
        } else {
            put(QStringView(e.comment), e.commentBytes);
        }
        oneLine(e.photoPath, e.photoPathBytes);
    }
}

// Whether the bytes a field was read with still stand for its line, written
// in `encoding`: an edited text no longer decodes from them.
bool bytesHold(const FieldBytes &bytes, QStringView line, TextEncoding encoding)
{
    return !bytes.isEmpty() && bytes.encoding() == encoding && decodePiece(bytes.bytes(), encoding) == line;
}

QByteArray digestOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Decodes one line into a field's text, and keeps the line's bytes beside
// it when encoding the text would not give them back.
void takeLine(QByteArrayView line, TextEncoding encoding, QString &text, FieldBytes &bytes, qsizetype *invalid)
{
    text = decodePiece(line, encoding, invalid);
    if (!encodesAs(text, line, encoding))
        bytes = FieldBytes(line, encoding);
}

// parseAlbum of the bytes; `whole` the same bytes in an array that may be
// shared (nullptr: they are copied when they must be kept).
AlbumReadResult parseAlbumBytes(QByteArrayView bytes, const QByteArray *whole)
{
    AlbumReadResult result;
    AlbumFileError &error = result.error;
    if (bytes.size() > kMaxAlbumFileBytes) {
        error.kind = AlbumFileError::TooLarge;
        return result;
    }
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        error.kind = AlbumFileError::NotText;
        error.detail = QString::number(nul);
        return result;
    }

    const TextEncoding encoding = hasUtf8Bom(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932;
    result.encoding = encoding;
    qsizetype *const invalid = &result.invalidSequences;

    LineReader lines(encoding == TextEncoding::Utf8 ? bytes.sliced(3) : bytes);
    QByteArrayView line;
    qint64 lineNo = 0;
    CoverData &cover = result.album.cover;
    for (int n = 1; n <= kCoverFieldCount; ++n) {
        if (!lines.next(line)) {
            error.kind = AlbumFileError::EndsInCover;
            error.line = lineNo + 1;
            return result;
        }
        ++lineNo;
        takeLine(line, encoding, cover.field(n), cover.fieldBytes(n), invalid);
    }

    AlbumTable &table = result.album.table;
    table.clear();
    while (!lines.atEnd()) {
        if (table.count() == kMaxAlbumEntries) {
            error.kind = AlbumFileError::TooManyEntries;
            error.line = lineNo + 1;
            return result;
        }
        QByteArrayView fields[kLinesPerEntry];
        for (QByteArrayView &field : fields) {
            if (!lines.next(field)) {
                error.kind = AlbumFileError::EndsInEntry;
                error.entry = table.count() + 1;
                error.line = lineNo + 1;
                return result;
            }
            ++lineNo;
        }
        PhotoEntry e;
        takeLine(fields[0], encoding, e.number, e.numberBytes, invalid);
        takeLine(fields[1], encoding, e.title, e.titleBytes, invalid);
        takeLine(fields[2], encoding, e.comment, e.commentBytes, invalid);
        takeLine(fields[3], encoding, e.photoPath, e.photoPathBytes, invalid);
        if (e.comment.contains(kBr))
            e.comment.replace(kBr, kCrLf);
        table.appendEntry(std::move(e));
    }
    table.setPageCount(table.count() / AlbumTable::kSlotsPerPage);

    // What the album writes as it is shown: a table of fewer than three
    // entries is shown (and written) with a whole first page.
    QByteArray written;
    if (table.count() < AlbumTable::kSlotsPerPage) {
        AlbumTable shown = table;
        shown.completeFirstPage();
        written = serializeAlbum(cover, shown);
    } else {
        written = serializeAlbum(cover, table);
    }
    AlbumOrigin &origin = result.album.origin;
    origin.undecodable = result.invalidSequences;
    if (written != bytes) {
        origin.fileBytes = whole ? *whole : bytes.toByteArray();
        origin.writtenDigest = digestOf(written);
    }
    return result;
}

} // namespace

QString AlbumFileError::message() const
{
    switch (kind) {
    case None:
        return {};
    case OpenFailed:
        return QStringLiteral("the file cannot be opened: %1").arg(detail);
    case ReadFailed:
        return QStringLiteral("the file cannot be read: %1").arg(detail);
    case TooLarge:
        return QStringLiteral("the file is larger than %1 MB and cannot be an album")
            .arg(kMaxAlbumFileBytes / (1024 * 1024));
    case NotText:
        return QStringLiteral("the file is not a text file (it holds a NUL byte at offset %1)").arg(detail);
    case EndsInCover:
        return QStringLiteral("the file ends inside the cover data, line %1").arg(line);
    case EndsInEntry:
        return QStringLiteral("the file ends inside entry %1, line %2").arg(entry).arg(line);
    case TooManyEntries:
        return QStringLiteral("the file holds more than %1 entries").arg(kMaxAlbumEntries);
    case WriteFailed:
        return QStringLiteral("the album cannot be saved: %1").arg(detail);
    case WriteDamaged:
        return QStringLiteral("the album cannot be saved and the file may be damaged: %1").arg(detail);
    }
    return {};
}

AlbumReadResult parseAlbum(QByteArrayView bytes)
{
    return parseAlbumBytes(bytes, nullptr);
}

AlbumReadResult readAlbumFile(const QString &path)
{
    BoundedRead read = readBoundedFile(path, kMaxAlbumFileBytes);
    if (read.status == BoundedRead::Ok)
        return parseAlbumBytes(read.bytes, &read.bytes);
    AlbumReadResult result;
    result.error.detail = read.errorString;
    switch (read.status) {
    case BoundedRead::OpenFailed:
        result.error.kind = AlbumFileError::OpenFailed;
        break;
    case BoundedRead::ReadFailed:
        result.error.kind = AlbumFileError::ReadFailed;
        break;
    default:
        result.error.kind = AlbumFileError::TooLarge;
        break;
    }
    return result;
}

QByteArray serializeAlbum(const CoverData &cover, const AlbumTable &table, TextEncoding *encoding)
{
    QByteArray out;
    out.reserve(1024 + qsizetype(table.count()) * 128);
    bool exact = true;
    forEachAlbumLine(cover, table, [&](QStringView line, const FieldBytes &bytes) {
        if (bytesHold(bytes, line, TextEncoding::Cp932))
            out.append(bytes.bytes());
        else
            exact = cp932::appendEncoded(out, line) && exact;
        out.append(kCrLfBytes);
    });
    if (!exact) {
        // Bytes read from a code page 932 file cannot stand in a UTF-8 one:
        // those fields are written from their texts.
        out.clear();
        out.append("\xEF\xBB\xBF");
        forEachAlbumLine(cover, table, [&](QStringView line, const FieldBytes &bytes) {
            if (bytesHold(bytes, line, TextEncoding::Utf8))
                out.append(bytes.bytes());
            else
                out.append(line.toUtf8());
            out.append(kCrLfBytes);
        });
    }
    if (encoding)
        *encoding = exact ? TextEncoding::Cp932 : TextEncoding::Utf8;
    return out;
}

QByteArray albumFileBytes(const CoverData &cover, const AlbumTable &table, const AlbumOrigin &origin)
{
    QByteArray written = serializeAlbum(cover, table);
    if (!origin.fileBytes.isNull() && digestOf(written) == origin.writtenDigest)
        return origin.fileBytes;
    return written;
}

namespace {

AlbumFileError writeBytes(const QString &path, const QByteArray &bytes, InPlaceWrite inPlace)
{
    AlbumFileError error;
    const SafeWriteResult written = replaceFileContents(path, bytes, inPlace);
    if (!written.ok) {
        error.kind = written.damaged ? AlbumFileError::WriteDamaged : AlbumFileError::WriteFailed;
        error.detail = written.error;
    }
    return error;
}

} // namespace

AlbumFileError writeAlbumFile(const QString &path, const CoverData &cover, const AlbumTable &table,
                              InPlaceWrite inPlace)
{
    return writeBytes(path, serializeAlbum(cover, table), inPlace);
}

AlbumFileError writeAlbumFile(const QString &path, const AlbumDocument &document, InPlaceWrite inPlace)
{
    return writeBytes(path, albumFileBytes(document.cover(), document.table(), document.origin()), inPlace);
}

} // namespace sorvane
