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
    // absolute against the album's folder when it is relative (a drive or
    // share path is absolute on every platform, and stays as written).
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
//     where its folder holds no exact match (a drive or a share stands for a
//     place of its own on Windows only; elsewhere steps 3 and 4 find it);
//  3. through the path mappings, the longest matching prefix first, the
//     names below it matched regardless of case as in 2;
//  4. in the album's own folder: the path's tail below it (longest first),
//     then the file name anywhere in the album's folder tree (at most
//     kMaxTreeDepth folders deep and kMaxTreeEntries entries; hidden files
//     and folders left out, symbolic links to folders not followed), when
//     exactly one file there has it, regardless of case.
// The album keeps its path as written; the locator only reads the disk.
//
// A path found as written is checked on the disk at every call; what the
// other steps learn of folders (their listings, the album folder's tree) is
// kept until refresh(), so that a page of missing photos costs no disk
// access the second time. Safe to use from several threads at once; the
// disk is read without holding the locator's lock.
class PhotoLocator {
public:
    static constexpr int kMaxTreeDepth = 8;
    static constexpr int kMaxTreeEntries = 50000;

    PhotoLocator();
    explicit PhotoLocator(QList<PathMapping> mappings);
    ~PhotoLocator();
    PhotoLocator(const PhotoLocator &) = delete;
    PhotoLocator &operator=(const PhotoLocator &) = delete;

    // As given; those with an empty prefix or folder are never used.
    QList<PathMapping> mappings() const;
    void setMappings(QList<PathMapping> mappings);

    // The empty photo path gives an empty, missing location. `albumPath` is
    // the album file ("" for an album never saved: then neither relative
    // paths nor the album's folder can be looked at).
    PhotoLocation locate(const QString &albumPath, const QString &photoPath) const;

    // Forgets the folders looked at, so that the next locate looks again
    // (after a relink, a mounted share, a folder copied in).
    void refresh();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// How a photo was found, or why not, in a few English words for the command
// line: "Windows path", "path mapping \\nas01\share", "below the album's
// folder", "by name in the album's folder", "as written"; for a missing one
// "not found" or "3 files named IMG_0001.JPG in the album's folder".
QString foundHowText(const PhotoLocation &location);

} // namespace sorvane
