#pragma once

#include <QString>

namespace sorvane {

// Width limit of a printed comment line, in code page 932 bytes: 12
// full-width or 24 half-width characters.
inline constexpr int kCommentLineBytes = 24;

// Wraps a comment for print. The user's CR LF line breaks are kept, empty
// lines and a trailing break included; a lone CR or LF stays in its line and
// counts one byte. Each line wider than 24 bytes is broken after its longest
// prefix of at most 24 bytes, anywhere (also inside a word), never inside a
// surrogate pair. The result joins the lines with CR LF.
QString WrapComment(const QString &comment);

} // namespace sorvane
