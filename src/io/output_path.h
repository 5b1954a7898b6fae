#pragma once

#include <QString>

namespace sorvane {

// Whether a new file may be written at a path: not where the path names
// (through any symbolic links) a folder, a device, a named pipe or a socket,
// which writing a file there would destroy or block on, nor over the album
// file itself (the same device and inode, however either path is spelled).
// A path that names nothing yet is fine.
enum class OutputRefusal { None, Folder, Device, NamedPipe, Socket, NotRegular, AlbumItself };

// `album` may be empty (an album not saved yet).
OutputRefusal refuseOutputPath(const QString &path, const QString &album = {});

// The reason as a sentence fragment ("it is a device"); "" for None.
QString outputRefusalText(OutputRefusal refusal);

} // namespace sorvane
