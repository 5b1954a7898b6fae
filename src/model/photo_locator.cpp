#include "model/photo_locator.h"

#include "model/photo_path.h"
#include "model/windows_path.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <deque>

namespace sorvane {

namespace {

// What a folder holds, as listed once.
struct Listing {
    // False for a folder that exists but cannot be listed: its names are
    // then looked at one by one.
    bool listed = true;
    QHash<QString, bool> isFolder;     // each name as it is on the disk
    QHash<QString, QStringList> byKey; // nameKey() to the names, in name order
};

// The files of an album's folder tree by name.
struct TreeIndex {
    QHash<QString, QStringList> files; // nameKey() to the files' paths
};

// One album folder's tree, made by the first thread that needs it while
// the others that need the same tree wait for it.
struct TreeSlot {
    QMutex mutex;
    std::shared_ptr<const TreeIndex> index;
};

struct Mapping {
    WindowsPath prefix;
    QString prefixText; // as the user wrote it
    QString folder;
};

// Listings are small, but a long session can look at many folders.
constexpr qsizetype kMaxListings = 20000;

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

std::shared_ptr<const Listing> readListing(const QString &folder)
{
    auto listing = std::make_shared<Listing>();
    const QFileInfo info(folder);
    if (!info.isDir())
        return listing; // nothing to find in it
    if (!info.isReadable()) {
        listing->listed = false;
        return listing;
    }
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (!entry.exists())
            continue; // a link to nothing
        const QString name = entry.fileName();
        listing->isFolder.insert(name, entry.isDir());
        listing->byKey[nameKey(name)].append(name);
    }
    for (QStringList &names : listing->byKey)
        names.sort();
    return listing;
}

// Breadth first, so that the bounds cut off the deepest folders.
std::shared_ptr<const TreeIndex> readTree(const QString &root)
{
    auto index = std::make_shared<TreeIndex>();
    std::deque<std::pair<QString, int>> folders{{root, 0}};
    int entries = 0;
    while (!folders.empty() && entries < PhotoLocator::kMaxTreeEntries) {
        const auto [folder, depth] = folders.front();
        folders.pop_front();
        // Without QDir::Hidden, names starting with a dot are left out.
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        while (it.hasNext() && entries < PhotoLocator::kMaxTreeEntries) {
            it.next();
            ++entries;
            const QFileInfo entry = it.fileInfo();
            if (entry.isDir()) {
                // A link to a folder may lead back up the tree, or anywhere.
                if (!entry.isSymLink() && depth < PhotoLocator::kMaxTreeDepth)
                    folders.emplace_back(entry.filePath(), depth + 1);
            } else if (entry.exists()) {
                index->files[nameKey(entry.fileName())].append(entry.filePath());
            }
        }
    }
    return index;
}

} // namespace

struct PhotoLocator::State {
    mutable QMutex mutex;
    QList<PathMapping> mappings;
    QList<Mapping> byLength; // the usable ones, longest prefix first
    // Raised by refresh(): what was read before it is not kept after it.
    quint64 generation = 0;
    QHash<QString, std::shared_ptr<const Listing>> listings;
    QHash<QString, std::shared_ptr<TreeSlot>> trees;

    void takeMappings(QList<PathMapping> given)
    {
        mappings = std::move(given);
        byLength.clear();
        for (const PathMapping &mapping : mappings) {
            if (mapping.prefix.isEmpty() || mapping.folder.isEmpty())
                continue;
            byLength.append({parseWindowsPath(mapping.prefix), mapping.prefix, QDir::cleanPath(mapping.folder)});
        }
        std::stable_sort(byLength.begin(), byLength.end(), [](const Mapping &a, const Mapping &b) {
            if (a.prefix.names.size() != b.prefix.names.size())
                return a.prefix.names.size() > b.prefix.names.size();
            return a.prefix.root.size() > b.prefix.root.size();
        });
    }

    std::shared_ptr<const Listing> listing(const QString &folder)
    {
        quint64 seen = 0;
        {
            QMutexLocker lock(&mutex);
            if (const auto it = listings.constFind(folder); it != listings.constEnd())
                return *it;
            seen = generation;
        }
        std::shared_ptr<const Listing> read = readListing(folder);
        QMutexLocker lock(&mutex);
        if (generation != seen)
            return read;
        if (const auto it = listings.constFind(folder); it != listings.constEnd())
            return *it; // another thread was quicker
        if (listings.size() >= kMaxListings)
            listings.clear();
        listings.insert(folder, read);
        return read;
    }

    std::shared_ptr<const TreeIndex> tree(const QString &root)
    {
        std::shared_ptr<TreeSlot> slot;
        {
            QMutexLocker lock(&mutex);
            std::shared_ptr<TreeSlot> &kept = trees[root];
            if (!kept)
                kept = std::make_shared<TreeSlot>();
            slot = kept;
        }
        QMutexLocker building(&slot->mutex);
        if (!slot->index)
            slot->index = readTree(root);
        return slot->index;
    }

    // The name in `folder` that `name` stands for: itself, or else the first
    // that matches it regardless of case; a folder or not, as asked.
    QString match(const QString &folder, const QString &name, bool wantFolder)
    {
        const std::shared_ptr<const Listing> names = listing(folder);
        if (!names->listed) {
            const QFileInfo info(childPath(folder, name));
            return info.exists() && info.isDir() == wantFolder ? name : QString();
        }
        if (const auto it = names->isFolder.constFind(name); it != names->isFolder.constEnd() && *it == wantFolder)
            return name;
        for (const QString &candidate : names->byKey.value(nameKey(name))) {
            if (names->isFolder.value(candidate) == wantFolder)
                return candidate;
        }
        return {};
    }

    // The file the names lead to from `folder`, or "". What the listings
    // kept says where to look; the file itself is looked at on the disk, so
    // that one gone since is not given.
    QString walk(QString folder, const QStringList &names)
    {
        if (folder.isEmpty() || names.isEmpty() || names.last() == u"..")
            return {};
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names[i] == u"..") {
                folder = QFileInfo(folder).path();
                continue;
            }
            const QString found = match(folder, names[i], i + 1 < names.size());
            if (found.isEmpty())
                return {};
            folder = childPath(folder, found);
        }
        return QFileInfo::exists(folder) ? folder : QString();
    }
};

PhotoLocator::PhotoLocator() : state_(std::make_unique<State>()) {}

PhotoLocator::PhotoLocator(QList<PathMapping> mappings) : PhotoLocator()
{
    state_->takeMappings(std::move(mappings));
}

PhotoLocator::~PhotoLocator() = default;

QList<PathMapping> PhotoLocator::mappings() const
{
    QMutexLocker lock(&state_->mutex);
    return state_->mappings;
}

void PhotoLocator::setMappings(QList<PathMapping> mappings)
{
    QMutexLocker lock(&state_->mutex);
    state_->takeMappings(std::move(mappings));
}

namespace {

// Where a path's start lies on this system, for step 2.
QString localStart(const WindowsPath &path, const QString &albumFolder)
{
    switch (path.start) {
    case WindowsPath::Start::Relative:
        return albumFolder;
    case WindowsPath::Start::Root:
        return QDir::rootPath();
#ifdef Q_OS_WIN
    case WindowsPath::Start::Drive:
        return path.root + u'/';
    case WindowsPath::Start::Share:
        return QStringLiteral("//") + path.root.mid(2);
#endif
    default:
        return {};
    }
}

} // namespace

PhotoLocation PhotoLocator::locate(const QString &albumPath, const QString &photoPath) const
{
    PhotoLocation location;
    if (photoPath.isEmpty())
        return location;
    const QString asWritten = resolvePhotoPath(albumPath, photoPath);
    if (QFileInfo::exists(asWritten)) {
        location.file = asWritten;
        location.found = PhotoFound::AsWritten;
        return location;
    }
    const auto found = [&location](const QString &file, PhotoFound how) {
        location.file = file;
        location.found = how;
        return location;
    };

    const WindowsPath path = parseWindowsPath(photoPath);
    const QString albumFolder = albumPath.isEmpty() ? QString() : QFileInfo(albumPath).absolutePath();
    State &state = *state_;
    if (const QString file = state.walk(localStart(path, albumFolder), path.names); !file.isEmpty())
        return found(file, PhotoFound::WindowsForm);

    QList<Mapping> mappings;
    {
        QMutexLocker lock(&state.mutex);
        mappings = state.byLength;
    }
    for (const Mapping &mapping : std::as_const(mappings)) {
        if (!path.startsWith(mapping.prefix))
            continue;
        if (const QString file = state.walk(mapping.folder, path.names.mid(mapping.prefix.names.size()));
            !file.isEmpty()) {
            location.mappingPrefix = mapping.prefixText;
            return found(file, PhotoFound::Mapping);
        }
    }

    if (!albumFolder.isEmpty() && !path.names.isEmpty()) {
        // A relative path climbing out of the album's folder may still have
        // been copied in below it; one that does not was looked for whole in
        // step 2.
        QStringList names = path.names;
        const bool climbs = names.first() == u"..";
        while (!names.isEmpty() && names.first() == u"..")
            names.removeFirst();
        const qsizetype first = path.start == WindowsPath::Start::Relative && !climbs ? 1 : 0;
        for (qsizetype k = first; k < names.size(); ++k) {
            if (const QString file = state.walk(albumFolder, names.mid(k)); !file.isEmpty())
                return found(file, PhotoFound::AlbumFolderTail);
        }
        if (!names.isEmpty()) {
            const QStringList sameName = state.tree(albumFolder)->files.value(nameKey(names.last()));
            if (sameName.size() == 1 && QFileInfo::exists(sameName.first()))
                return found(sameName.first(), PhotoFound::AlbumFolderName);
            if (sameName.size() > 1)
                location.sameNameCount = int(sameName.size());
        }
    }
    location.file = path.isWindowsAbsolute() ? photoPath : asWritten;
    return location;
}

void PhotoLocator::refresh()
{
    QMutexLocker lock(&state_->mutex);
    ++state_->generation;
    state_->listings.clear();
    state_->trees.clear();
}

QString foundHowText(const PhotoLocation &location)
{
    switch (location.found) {
    case PhotoFound::Missing: {
        if (location.sameNameCount < 2)
            return QStringLiteral("not found");
        const QStringList names = parseWindowsPath(location.file).names;
        return QStringLiteral("%1 files named %2 in the album's folder")
            .arg(location.sameNameCount)
            .arg(names.isEmpty() ? location.file : names.last());
    }
    case PhotoFound::AsWritten:
        return QStringLiteral("as written");
    case PhotoFound::WindowsForm:
        return QStringLiteral("Windows path");
    case PhotoFound::Mapping:
        return QStringLiteral("path mapping %1").arg(location.mappingPrefix);
    case PhotoFound::AlbumFolderTail:
        return QStringLiteral("below the album's folder");
    case PhotoFound::AlbumFolderName:
        return QStringLiteral("by name in the album's folder");
    }
    return {};
}

} // namespace sorvane
