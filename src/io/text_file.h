#pragma once

#include <QByteArray>
#include <QString>

namespace sorvane {

// Reads a regular file of at most maxBytes. Fails for anything else (a folder,
// a device, a named pipe, without waiting for it), for a file that cannot be
// opened or read, and for one that holds more than maxBytes, so a stray huge
// file never fills the memory. The memory taken follows what the file holds,
// not maxBytes: a file that grows while it is read is read on up to the cap.
struct BoundedRead {
    enum Status { Ok, OpenFailed, ReadFailed, TooLarge };
    Status status = Ok;
    QByteArray bytes;
    QString errorString; // the system's reason when opening or reading failed
};
BoundedRead readBoundedFile(const QString &path, qint64 maxBytes);

// Text files of this program are code page 932, unless they start with a
// UTF-8 byte-order mark.
enum class TextEncoding { Cp932, Utf8 };

inline bool hasUtf8Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Cp932;
    qsizetype invalidSequences = 0; // undecodable sequences that were replaced
};
DecodedText decodeText(QByteArrayView bytes);

} // namespace sorvane
