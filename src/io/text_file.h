#pragma once

#include "text/text_encoding.h"

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

// Decodes a piece of a text file that follows its byte-order mark (a line of
// it); the sequences that could not be decoded are added to
// *invalidSequences.
QString decodePiece(QByteArrayView bytes, TextEncoding encoding, qsizetype *invalidSequences = nullptr);
// True when encoding the text gives exactly these bytes: false for bytes
// that decodePiece() could not decode whole, and, in code page 932, for
// other codes of a character than the one Windows writes.
bool encodesAs(QStringView text, QByteArrayView bytes, TextEncoding encoding);

} // namespace sorvane
