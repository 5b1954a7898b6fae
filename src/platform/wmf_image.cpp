#include "platform/wmf_image.h"

namespace sorvane {

bool isWmf(QByteArrayView)
{
    return false;
}

QSize wmfFrameSize(QByteArrayView)
{
    return {};
}

QImage renderWmf(QByteArrayView, QSize, QString *error)
{
    if (error)
        *error = QStringLiteral("not implemented yet");
    return {};
}

} // namespace sorvane
