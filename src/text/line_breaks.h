#pragma once

#include <QString>

// Line breaks: the program's texts (album files, the clipboard, the album's
// comments) break lines with CR LF; widgets and the desktop use LF.
namespace sorvane {

inline const QString kCrLf = QStringLiteral("\r\n");
// The same in the bytes of a file, whatever its encoding.
inline constexpr char kCrLfBytes[] = "\r\n";

// Every CR LF as LF; a lone CR or LF stays.
QString crLfToLf(QString text);
// Every line break as LF: CR LF, a lone CR and the Unicode line and
// paragraph separators. What a text box shows of a text.
QString lineBreaksToLf(QString text);
// Every LF as CR LF; CR LF pairs and a lone CR stay as they are.
QString lfToCrLf(QString text);

} // namespace sorvane
