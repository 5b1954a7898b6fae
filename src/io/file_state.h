#pragma once

#include <QString>

namespace sorvane {

// What tells a file from a changed or replaced one: its device and inode
// (another program's save replaces the file), modification time (to the
// nanosecond where the file system keeps it) and size. "" for no file.
// Two states compare equal only for the same unchanged file.
QString fileState(const QString &path);

} // namespace sorvane
