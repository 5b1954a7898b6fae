#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace sorvane {

// A prefix of photo paths as albums write them ("\\nas01\share",
// "C:\Users\genba") and the folder on this machine it stands for.
struct PathMapping {
    QString prefix;
    QString folder;
    friend bool operator==(const PathMapping &, const PathMapping &) = default;
};

// How the file of a photo path was found.
enum class PhotoFound {
    Missing,         // nowhere
    AsWritten,       // the path as written; a relative one against the album's folder
    WindowsForm,     // read as a Windows path (backslashes, a drive letter, a
                     // share), or with names matched regardless of case
    Mapping,         // through one of the user's path mappings
    AlbumFolderTail, // the path's tail found below the album's folder
    AlbumFolderName, // the file name found, once, in the album's folder tree
};

struct PhotoLocation {
    // The file found. For a missing photo, the path as written, made
    // absolute against the album's folder when it is relative.
    QString file;
    PhotoFound found = PhotoFound::Missing;
    QString mappingPrefix; // the prefix of the mapping used, for Mapping
    // For a missing photo: how many files in the album's folder tree share
    // its name when more than one does (none is taken then).
    int sameNameCount = 0;
    bool isFound() const { return found != PhotoFound::Missing; }
};

// Finds the file a photo path of an album names, the same way for the
// editor, printing, the PDF and the command line:
//  1. the path as written (relative paths against the album's folder);
//  2. as a Windows path on any platform: "C:\..." and "C:/...", "\\server\share\...",
//     backslashes as separators, and each name matched regardless of case
//     where its folder holds no exact match;
//  3. through the path mappings, the longest matching prefix first;
//  4. in the album's own folder: the path's tail below it (longest first),
//     then the file name anywhere in the album's folder tree (bounded in
//     depth and count), when exactly one file there has it.
// What it learns of folders is kept until refresh(). Safe to use from
// several threads at once.
class PhotoLocator {
public:
    PhotoLocator();
    explicit PhotoLocator(QList<PathMapping> mappings);
    ~PhotoLocator();
    PhotoLocator(const PhotoLocator &) = delete;
    PhotoLocator &operator=(const PhotoLocator &) = delete;

    QList<PathMapping> mappings() const;
    void setMappings(QList<PathMapping> mappings);

    // The empty photo path gives an empty, missing location.
    PhotoLocation locate(const QString &albumPath, const QString &photoPath) const;

    // Forgets the folders looked at, so that the next locate looks again
    // (after a relink, a mounted share, a folder copied in).
    void refresh();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace sorvane
