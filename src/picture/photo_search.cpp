#include "picture/photo_search.h"

#include "picture/shooting_date.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

namespace sorvane {

namespace {

// How often the walk reports: often enough for the cancel button to answer.
constexpr int kReportEvery = 64;

} // namespace

PhotoIdentity photoIdentity(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return {};
    return PhotoIdentity{info.size(), shootingDate(file).when};
}

PhotoSearch searchForPhotos(const QString &folder, const QStringList &photoPaths, const ImportProgress &progress)
{
    PhotoSearch search;
    // The files of each wanted name, by name folded to one case.
    QHash<QString, QStringList> found;
    for (const QString &path : photoPaths) {
        const QString name = photoFileName(path);
        if (!name.isEmpty())
            found.insert(name.toCaseFolded(), {});
    }
    const QString root = QFileInfo(folder).absoluteFilePath();
    if (!found.isEmpty() && QFileInfo(root).isDir()) {
        QDirIterator it(root, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        int seen = 0;
        while (it.hasNext()) {
            const QString file = it.next();
            const auto wanted = found.find(it.fileName().toCaseFolded());
            if (wanted != found.end())
                wanted->append(QDir::cleanPath(file));
            if (progress && ++seen % kReportEvery == 0 && !progress(seen, 0)) {
                search.cancelled = true;
                return search;
            }
        }
        if (progress && !progress(seen, 0)) {
            search.cancelled = true;
            return search;
        }
    }
    // Identities are read once per file, and only for ties.
    QHash<QString, PhotoIdentity> identities;
    const auto identity = [&identities](const QString &file) {
        auto it = identities.find(file);
        if (it == identities.end())
            it = identities.insert(file, photoIdentity(file));
        return *it;
    };
    for (const QString &path : photoPaths)
        search.choices << chooseRelinkCandidate(path, found.value(photoFileName(path).toCaseFolded()), identity);
    return search;
}

} // namespace sorvane
