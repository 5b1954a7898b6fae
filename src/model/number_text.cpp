#include "model/number_text.h"

namespace sorvane {

QString numberText(qint64 n)
{
    QString s = QString::number(n);
    if (n >= 0)
        s.prepend(u' ');
    return s;
}

} // namespace sorvane
