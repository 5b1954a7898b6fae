#include "picture/drawing_budget.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace sorvane {

namespace {

// Enough for every metafile of an album; past it the memory starts afresh,
// so it cannot grow without end in a long session.
constexpr qsizetype kMaxRemembered = 1024;

struct Remembered {
    QMutex mutex;
    QHash<QString, qint64> budgets; // key() -> the largest budget that ran out
};

Remembered &remembered()
{
    static Remembered instance;
    return instance;
}

// The file as it is now; empty when it is gone.
QString key(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return QStringLiteral("%1\n%2\n%3")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

bool ranOutOfTimeBefore(const QString &path, qint64 budgetMs)
{
    const QString file = key(path);
    if (file.isEmpty())
        return false;
    Remembered &r = remembered();
    const QMutexLocker lock(&r.mutex);
    const auto found = r.budgets.constFind(file);
    return found != r.budgets.cend() && budgetMs <= *found;
}

void noteRanOutOfTime(const QString &path, qint64 budgetMs)
{
    const QString file = key(path);
    if (file.isEmpty())
        return;
    Remembered &r = remembered();
    const QMutexLocker lock(&r.mutex);
    if (r.budgets.size() >= kMaxRemembered && !r.budgets.contains(file))
        r.budgets.clear();
    qint64 &budget = r.budgets[file];
    budget = qMax(budget, budgetMs);
}

} // namespace sorvane
