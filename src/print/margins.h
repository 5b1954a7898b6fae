#pragma once

#include <QString>
#include <QtGlobal>

namespace sorvane {

// A margin as typed: the number at the start of the text ("12abc" is 12,
// text without a leading number is 0), rounded to the nearest whole
// millimetre with halves to the even one (7.5 is 8, 6.5 is 6), kept within
// the 16-bit signed range.
qint16 marginFromText(const QString &text);

} // namespace sorvane
