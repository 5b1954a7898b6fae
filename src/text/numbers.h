#pragma once

#include <QString>
#include <QtGlobal>

namespace sorvane {

// A whole number as the program reads it from a text a user typed (margins,
// the number of copies, a cover month or day): the number at the start of the
// text ("12abc" is 12, text without a leading number is 0), rounded to the
// nearest whole number with halves to the even one (7.5 is 8, 6.5 is 6), kept
// within the 16-bit signed range.
qint16 wholeNumberFromText(const QString &text);

// The nearest whole number, a half going to the even neighbour (2.5 is 2,
// 3.5 is 4, -2.5 is -2).
double roundHalfToEven(double value);

} // namespace sorvane
