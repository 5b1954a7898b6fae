#include "model/photo_relink.h"

#include <algorithm>

namespace sorvane {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

bool hasDrive(const QString &path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// A path cut into its root ("\\", "C:\", "/" or "" for a relative path) and
// its names, with where each name ends in the text.
struct SplitPath {
    QString root;
    QStringList names;
    QList<qsizetype> ends;
};

SplitPath splitPath(const QString &path)
{
    SplitPath split;
    qsizetype i = hasDrive(path) ? 2 : 0;
    while (i < path.size() && isSeparator(path[i]))
        ++i;
    split.root = path.left(i);
    while (i < path.size()) {
        const qsizetype start = i;
        while (i < path.size() && !isSeparator(path[i]))
            ++i;
        split.names << path.mid(start, i - start);
        split.ends << i;
        while (i < path.size() && isSeparator(path[i]))
            ++i;
    }
    return split;
}

// Roots compare with either separator, a drive by its letter in any case
// ("C:\" and "C:" alike); "\\" (a share) and "\" stay apart.
QString rootKey(const QString &root)
{
    if (hasDrive(root))
        return root.left(2).toUpper();
    QString key = root;
    key.replace(u'/', u'\\');
    return key;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool startsWithNames(const QStringList &names, const QStringList &start)
{
    if (start.size() > names.size())
        return false;
    for (qsizetype i = 0; i < start.size(); ++i) {
        if (!sameName(names[i], start[i]))
            return false;
    }
    return true;
}

// The text of the path up to and including its `count` first names; for 0
// the root alone, a drive without its separator ("C:").
QString leading(const QString &path, const SplitPath &split, qsizetype count)
{
    if (count > 0)
        return path.left(split.ends[count - 1]);
    return hasDrive(split.root) ? split.root.left(2) : split.root;
}

} // namespace

QString photoFileName(const QString &photoPath)
{
    qsizetype i = photoPath.size();
    while (i > 0 && !isSeparator(photoPath[i - 1]))
        --i;
    return photoPath.mid(i);
}

int sharedTail(const QString &photoPath, const QString &file)
{
    const QStringList a = splitPath(photoPath).names, b = splitPath(file).names;
    int n = 0;
    while (n < a.size() && n < b.size() && sameName(a[a.size() - 1 - n], b[b.size() - 1 - n]))
        ++n;
    return n;
}

RelinkChoice chooseRelinkCandidate(const QString &photoPath, const QStringList &candidates,
                                   const std::function<PhotoIdentity(const QString &)> &identity)
{
    const QString name = photoFileName(photoPath);
    QStringList best;
    int bestTail = 0;
    for (const QString &file : candidates) {
        if (name.isEmpty() || !sameName(photoFileName(file), name))
            continue;
        const int tail = sharedTail(photoPath, file);
        if (tail > bestTail) {
            bestTail = tail;
            best.clear();
        }
        if (tail == bestTail && !best.contains(file))
            best << file;
    }
    RelinkChoice choice;
    if (best.isEmpty())
        return choice;
    std::sort(best.begin(), best.end());
    if (best.size() > 1 && identity) {
        const PhotoIdentity first = identity(best.first());
        const bool copies =
            first.size >= 0 && first.shot.isValid() &&
            std::all_of(best.begin() + 1, best.end(), [&](const QString &file) { return identity(file) == first; });
        if (copies)
            best = QStringList{best.first()};
    }
    if (best.size() == 1) {
        choice.outcome = RelinkOutcome::Found;
        choice.file = best.first();
    } else {
        choice.outcome = RelinkOutcome::Ambiguous;
        choice.candidates = best;
    }
    return choice;
}

std::optional<PathMapping> relinkMapping(const QString &photoPath, const QString &file)
{
    const SplitPath written = splitPath(photoPath), found = splitPath(file);
    const int tail = sharedTail(photoPath, file);
    if (tail == 0 || written.root.isEmpty() || found.root.isEmpty())
        return std::nullopt;
    const qsizetype kept = written.names.size() - tail;
    // A bare "/" or "\\" would stand for every path; a drive ("C:") is a
    // place of its own.
    if (kept == 0 && !hasDrive(written.root))
        return std::nullopt;
    PathMapping mapping{leading(photoPath, written, kept), leading(file, found, found.names.size() - tail)};
    if (samePrefix(mapping.prefix, mapping.folder))
        return std::nullopt;
    return mapping;
}

bool mappingExplains(const PathMapping &mapping, const QString &photoPath, const QString &file)
{
    const SplitPath written = splitPath(photoPath), prefix = splitPath(mapping.prefix);
    const SplitPath found = splitPath(file), folder = splitPath(mapping.folder);
    if (rootKey(prefix.root) != rootKey(written.root) || rootKey(folder.root) != rootKey(found.root))
        return false;
    if (!startsWithNames(written.names, prefix.names) || !startsWithNames(found.names, folder.names))
        return false;
    const QStringList rest = written.names.mid(prefix.names.size());
    const QStringList foundRest = found.names.mid(folder.names.size());
    return !rest.isEmpty() && rest.size() == foundRest.size() && startsWithNames(foundRest, rest);
}

std::optional<PathMapping> commonRelinkMapping(const QList<QPair<QString, QString>> &relinked)
{
    // The mapping derived from a pair is the shortest that explains it, so
    // one that explains every pair is the only one that can.
    for (const auto &[photoPath, file] : relinked) {
        const std::optional<PathMapping> mapping = relinkMapping(photoPath, file);
        if (mapping && std::all_of(relinked.begin(), relinked.end(), [&](const QPair<QString, QString> &pair) {
                return mappingExplains(*mapping, pair.first, pair.second);
            }))
            return mapping;
    }
    return std::nullopt;
}

bool samePrefix(const QString &a, const QString &b)
{
    const SplitPath x = splitPath(a), y = splitPath(b);
    if (rootKey(x.root) != rootKey(y.root) || x.names.size() != y.names.size())
        return false;
    const bool windows = a.contains(u'\\') || b.contains(u'\\') || hasDrive(a) || hasDrive(b);
    for (qsizetype i = 0; i < x.names.size(); ++i) {
        if (x.names[i].compare(y.names[i], windows ? Qt::CaseInsensitive : Qt::CaseSensitive) != 0)
            return false;
    }
    return true;
}

QList<PathMapping> withMapping(QList<PathMapping> mappings, const PathMapping &mapping)
{
    for (PathMapping &m : mappings) {
        if (samePrefix(m.prefix, mapping.prefix)) {
            m = mapping;
            return mappings;
        }
    }
    mappings.append(mapping);
    return mappings;
}

} // namespace sorvane
