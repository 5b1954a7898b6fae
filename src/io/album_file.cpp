#include "io/album_file.h"

#include "model/album_document.h"
#include "text/cp932.h"
#include "text/line_breaks.h"

namespace sorvane {

namespace {

const QString kBr = QStringLiteral("<BR>");

// Splits text into lines. A text with any CR LF is split only at CR LF, so a
// lone CR or LF stays inside its line; a text without CR LF (written by tools
// that end lines with LF alone) is split at LF. The end of the text ends the
// last line, whether or not a line break precedes it.
class LineReader {
public:
    explicit LineReader(QStringView text)
        : text_(text), separator_(text.contains(kCrLf) ? QStringView(kCrLf) : QStringView(u"\n"))
    {
    }

    bool atEnd() const { return pos_ >= text_.size(); }

    bool next(QStringView &line)
    {
        if (atEnd())
            return false;
        const qsizetype end = text_.indexOf(separator_, pos_);
        if (end < 0) {
            line = text_.sliced(pos_);
            pos_ = text_.size();
        } else {
            line = text_.sliced(pos_, end - pos_);
            pos_ = end + separator_.size();
        }
        return true;
    }

private:
    QStringView text_;
    QStringView separator_;
    qsizetype pos_ = 0;
};

// Calls put(line) for every line of the album file, fields already in their
// written form.
template <typename Put> void forEachAlbumLine(const CoverData &cover, const AlbumTable &table, Put &&put)
{
    QString scratch;
    auto oneLine = [&](const QString &field) {
        if (!field.contains(kCrLf))
            return put(QStringView(field));
        scratch = crLfToLf(field);
        put(QStringView(scratch));
    };
    for (int n = 1; n <= kCoverFieldCount; ++n)
        oneLine(cover.field(n));
    for (const PhotoEntry &e : table.entries()) {
        oneLine(e.number);
        oneLine(e.title);
        if (e.comment.contains(kCrLf)) {
            scratch = e.comment;
            scratch.replace(kCrLf, kBr);
            put(QStringView(scratch));
        } else {
            put(QStringView(e.comment));
        }
        oneLine(e.photoPath);
    }
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

    const DecodedText decoded = decodeText(bytes);
    result.encoding = decoded.encoding;
    result.invalidSequences = decoded.invalidSequences;

    LineReader lines(decoded.text);
    QStringView line;
    qint64 lineNo = 0;
    for (int n = 1; n <= kCoverFieldCount; ++n) {
        QString &field = result.album.cover.field(n);
        if (!lines.next(line)) {
            error.kind = AlbumFileError::EndsInCover;
            error.line = lineNo + 1;
            return result;
        }
        ++lineNo;
        field = line.toString();
    }

    AlbumTable &table = result.album.table;
    table.clear();
    while (!lines.atEnd()) {
        if (table.count() == kMaxAlbumEntries) {
            error.kind = AlbumFileError::TooManyEntries;
            error.line = lineNo + 1;
            return result;
        }
        QStringView fields[kLinesPerEntry];
        for (QStringView &field : fields) {
            if (!lines.next(field)) {
                error.kind = AlbumFileError::EndsInEntry;
                error.entry = table.count() + 1;
                error.line = lineNo + 1;
                return result;
            }
            ++lineNo;
        }
        QString comment = fields[2].toString();
        if (comment.contains(kBr))
            comment.replace(kBr, kCrLf);
        table.appendEntry(fields[0].toString(), fields[1].toString(), comment, fields[3].toString());
    }
    table.setPageCount(table.count() / AlbumTable::kSlotsPerPage);
    return result;
}

AlbumReadResult readAlbumFile(const QString &path)
{
    BoundedRead read = readBoundedFile(path, kMaxAlbumFileBytes);
    if (read.status == BoundedRead::Ok)
        return parseAlbum(read.bytes);
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
    forEachAlbumLine(cover, table, [&](QStringView line) {
        exact = cp932::appendEncoded(out, line) && exact;
        out.append(kCrLfBytes);
    });
    if (!exact) {
        out.clear();
        out.append("\xEF\xBB\xBF");
        forEachAlbumLine(cover, table, [&](QStringView line) {
            out.append(line.toUtf8());
            out.append(kCrLfBytes);
        });
    }
    if (encoding)
        *encoding = exact ? TextEncoding::Cp932 : TextEncoding::Utf8;
    return out;
}

AlbumFileError writeAlbumFile(const QString &path, const CoverData &cover, const AlbumTable &table,
                              InPlaceWrite inPlace)
{
    AlbumFileError error;
    const SafeWriteResult written = replaceFileContents(path, serializeAlbum(cover, table), inPlace);
    if (!written.ok) {
        error.kind = written.damaged ? AlbumFileError::WriteDamaged : AlbumFileError::WriteFailed;
        error.detail = written.error;
    }
    return error;
}

AlbumFileError writeAlbumFile(const QString &path, const AlbumDocument &document, InPlaceWrite inPlace)
{
    return writeAlbumFile(path, document.cover(), document.table(), inPlace);
}

} // namespace sorvane
