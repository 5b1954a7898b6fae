#include "io/text_file.h"

#include "text/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace sorvane {

BoundedRead readBoundedFile(const QString &path, qint64 maxBytes)
{
    BoundedRead result;
    // Only regular files: opening a named pipe would wait for a writer, and a
    // device can stream without end.
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isFile())) {
        result.status = BoundedRead::OpenFailed;
        result.errorString = path.isEmpty() ? QStringLiteral("no file name given") : QStringLiteral("not a file");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = BoundedRead::OpenFailed;
        result.errorString = file.errorString();
        return result;
    }
    if (file.size() > maxBytes) {
        result.status = BoundedRead::TooLarge;
        return result;
    }
    // One byte more than allowed tells a file that grew meanwhile from one that fits.
    result.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.status = BoundedRead::ReadFailed;
        result.errorString = file.errorString();
        result.bytes.clear();
    } else if (result.bytes.size() > maxBytes) {
        result.status = BoundedRead::TooLarge;
        result.bytes.clear();
    }
    return result;
}

DecodedText decodeText(QByteArrayView bytes)
{
    DecodedText result;
    if (hasUtf8Bom(bytes)) {
        result.encoding = TextEncoding::Utf8;
        // Our own byte-order mark is cut off above; a U+FEFF that follows it
        // belongs to the text (a field that starts with one) and is kept.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        result.text = decoder(bytes.sliced(3));
        // Malformed UTF-8 becomes U+FFFD; count those that were not in the file.
        const qsizetype replaced = result.text.count(QChar::ReplacementCharacter);
        const qsizetype genuine = bytes.count("\xEF\xBF\xBD");
        result.invalidSequences = replaced > genuine ? replaced - genuine : 0;
    } else {
        result.text = cp932::decode(bytes, &result.invalidSequences);
    }
    return result;
}

} // namespace sorvane
