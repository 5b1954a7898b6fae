#include "io/text_file.h"

#include "text/cp932.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringDecoder>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {

BoundedRead readBoundedFile(const QString &path, qint64 maxBytes)
{
    BoundedRead result;
    const auto fail = [&result](BoundedRead::Status status, const QString &reason) {
        result.status = status;
        result.errorString = reason;
        result.bytes.clear();
        return std::move(result);
    };
    if (path.isEmpty())
        return fail(BoundedRead::OpenFailed, QStringLiteral("no file name given"));
    // Opened without waiting, so that a named pipe without a writer returns
    // at once; what was opened is then asked what it is, so that nothing can
    // be swapped in between a look at the name and the read.
    int fd = -1;
    do
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(BoundedRead::OpenFailed, qt_error_string(errno));
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return fail(BoundedRead::OpenFailed, qt_error_string(errno));
    // Only regular files: a device can stream without end.
    if (!S_ISREG(info.st_mode))
        return fail(BoundedRead::OpenFailed, QStringLiteral("not a file"));
    if (info.st_size > maxBytes)
        return fail(BoundedRead::TooLarge, {});

    // Memory for what the file holds now, plus the byte that tells a file
    // that grew meanwhile from one that fits; more only as more arrives, in
    // steps of at most kChunk, never past the cap. Some files (those in
    // /proc) say they are empty and yet hold data.
    constexpr qint64 kChunk = 4 * 1024 * 1024;
    const qint64 limit = maxBytes + 1;
    qint64 filled = 0;
    result.bytes.resize(qsizetype(qMin<qint64>(info.st_size + 1, limit)));
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled == limit)
                return fail(BoundedRead::TooLarge, {});
            result.bytes.resize(qsizetype(qMin(limit, filled + qMin(kChunk, qMax<qint64>(filled, 4096)))));
        }
        const ssize_t got = ::read(fd, result.bytes.data() + filled, size_t(result.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(BoundedRead::ReadFailed, qt_error_string(errno));
        if (got == 0)
            break;
        filled += got;
    }
    result.bytes.resize(qsizetype(filled));
    if (result.bytes.capacity() - filled > 4096)
        result.bytes.squeeze();
    return result;
}

DecodedText decodeText(QByteArrayView bytes)
{
    DecodedText result;
    if (hasUtf8Bom(bytes)) {
        result.encoding = TextEncoding::Utf8;
        result.text = decodePiece(bytes.sliced(3), TextEncoding::Utf8, &result.invalidSequences);
    } else {
        result.text = decodePiece(bytes, TextEncoding::Cp932, &result.invalidSequences);
    }
    return result;
}

QString decodePiece(QByteArrayView bytes, TextEncoding encoding, qsizetype *invalidSequences)
{
    qsizetype invalid = 0;
    QString text;
    if (encoding == TextEncoding::Utf8) {
        // Our own byte-order mark is cut off by the caller; a U+FEFF that
        // follows it belongs to the text (a field that starts with one) and
        // is kept.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        text = decoder(bytes);
        // Malformed UTF-8 becomes U+FFFD; count those that were not in the file.
        const qsizetype replaced = text.count(QChar::ReplacementCharacter);
        const qsizetype genuine = replaced ? bytes.count("\xEF\xBF\xBD") : 0;
        invalid = replaced > genuine ? replaced - genuine : 0;
    } else {
        text = cp932::decode(bytes, &invalid);
    }
    if (invalidSequences)
        *invalidSequences += invalid;
    return text;
}

bool encodesAs(QStringView text, QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return cp932::encodesAs(text, bytes);
    // Well-formed UTF-8 decodes one to one; only a replaced sequence (or a
    // U+FFFD the file held) needs a look.
    return !text.contains(QChar::ReplacementCharacter) || text.toUtf8() == bytes;
}

} // namespace sorvane
