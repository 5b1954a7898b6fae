#include "text/line_breaks.h"

namespace sorvane {

QString crLfToLf(QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    return text;
}

QString lineBreaksToLf(QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString lfToCrLf(QString text)
{
    text.replace(kCrLf, QStringLiteral("\n"));
    text.replace(u'\n', kCrLf);
    return text;
}

} // namespace sorvane
