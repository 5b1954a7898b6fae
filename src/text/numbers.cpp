#include "text/numbers.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace sorvane {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(const QString &text, qsizetype i)
{
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

qsizetype skipDigits(const QString &text, qsizetype i)
{
    while (isDigit(text, i))
        ++i;
    return i;
}

// The number the text starts with after any blanks: an optional sign, digits
// with an optional decimal point (at least one digit in all), and an optional
// exponent that counts only when digits follow its letter. Empty when the
// text does not start with a number.
QString leadingNumber(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;

    qsizetype i = start;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype intStart = i;
    i = skipDigits(text, i);
    bool haveDigits = i > intStart;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fracStart = i + 1;
        const qsizetype fracEnd = skipDigits(text, fracStart);
        if (haveDigits || fracEnd > fracStart) {
            haveDigits = true;
            i = fracEnd;
        }
    }
    if (!haveDigits)
        return QString();

    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (isDigit(text, j))
            i = skipDigits(text, j);
    }
    return text.mid(start, i - start);
}

} // namespace

double roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

qint16 wholeNumberFromText(const QString &text)
{
    const QString number = leadingNumber(text);
    if (number.isEmpty())
        return 0;
    // The C locale reads "." as the decimal point whatever the user's locale
    // is; out of range it still gives an infinity or zero of the right sign,
    // which the clamp below turns into the nearest 16-bit value.
    const double value = QLocale::c().toDouble(number);
    if (std::isnan(value))
        return 0;
    if (std::isinf(value))
        return value > 0 ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint16>::min();
    const double rounded = roundHalfToEven(value);
    constexpr double lowest = std::numeric_limits<qint16>::min();
    constexpr double highest = std::numeric_limits<qint16>::max();
    if (rounded <= lowest)
        return std::numeric_limits<qint16>::min();
    if (rounded >= highest)
        return std::numeric_limits<qint16>::max();
    return qint16(rounded);
}

} // namespace sorvane
