#pragma once

#include <QByteArrayView>
#include <QString>

// Windows code page 1252, the code page of ANSI_CHARSET fonts. It differs
// from Latin-1 only in 0x80..0x9F; the five codes there that Windows leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the
// same number, as they do in Latin-1.
namespace sorvane::cp1252 {

QString decode(QByteArrayView bytes);

} // namespace sorvane::cp1252
