#pragma once

#include "model/photo_locator.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Finding moved photos again: which of the files found under a folder is
// the one an album's photo path meant, and which path mapping explains the
// move. Photo paths are taken as albums write them: Windows paths with
// backslashes ("\\nas01\share\写真\A.JPG", "C:\写真\A.JPG") or paths of this
// machine, names compared regardless of case.
namespace sorvane {

// The file name of a photo path: what follows its last '\' or '/'.
QString photoFileName(const QString &photoPath);

// How many names at the end of both paths agree, the file name included
// ("\\nas01\share\写真\A.JPG" and "/mnt/x/写真/a.jpg": 2).
int sharedTail(const QString &photoPath, const QString &file);

// What tells two copies of one photo apart from two different photos of
// the same name: the file's size and its shooting date.
struct PhotoIdentity {
    qint64 size = -1; // -1: unknown
    QDateTime shot;
    friend bool operator==(const PhotoIdentity &, const PhotoIdentity &) = default;
};

enum class RelinkOutcome {
    Found,     // one file, or several copies of one photo
    Ambiguous, // different photos share the name and the folders
    NotFound,  // no file of that name
};

struct RelinkChoice {
    RelinkOutcome outcome = RelinkOutcome::NotFound;
    QString file;           // for Found
    QStringList candidates; // for Ambiguous: the files left to choose from
};

// Picks the file a photo path means among the files of its name. The files
// whose folders agree with the path's folders furthest up win; when several
// remain and all have the same identity (copies of one photo), the first of
// them in name order is taken, otherwise the choice is ambiguous.
// `identity` is asked only in that last case.
RelinkChoice chooseRelinkCandidate(const QString &photoPath, const QStringList &candidates,
                                   const std::function<PhotoIdentity(const QString &)> &identity);

// The mapping that turns the photo path into the file found: the part of
// the path before the names both share, standing for the folder the file
// lies in ("\\nas01\share\写真\A.JPG" found as "/mnt/x/写真/A.JPG":
// "\\nas01\share" → "/mnt/x"). None when the path is relative, when
// nothing but the root would be left of it, or when the file's name is not
// the path's.
std::optional<PathMapping> relinkMapping(const QString &photoPath, const QString &file);

// Whether the mapping turns the photo path into the file (names compared
// regardless of case).
bool mappingExplains(const PathMapping &mapping, const QString &photoPath, const QString &file);

// The one mapping that explains every pair of photo path and file found;
// none when the pairs moved in different ways (or none can be derived).
std::optional<PathMapping> commonRelinkMapping(const QList<QPair<QString, QString>> &relinked);

// Whether two prefixes name the same place (separators and, for Windows
// paths, case aside).
bool samePrefix(const QString &a, const QString &b);

// The mappings with `mapping` added, replacing one of the same prefix in
// its place.
QList<PathMapping> withMapping(QList<PathMapping> mappings, const PathMapping &mapping);

} // namespace sorvane
