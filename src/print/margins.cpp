#include "print/margins.h"

namespace sorvane {

qint16 marginFromText(const QString &)
{
    return 0;
}

} // namespace sorvane
