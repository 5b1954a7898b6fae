#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace sorvane::testing {

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace sorvane::testing
