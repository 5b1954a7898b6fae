#include "model/entry_order.h"

#include <algorithm>

namespace sorvane {

namespace {

// A photo entry and the text-only entries that follow it.
struct Group {
    QDateTime when;
    QList<int> rows;
};

bool earlier(const Group &a, const Group &b)
{
    if (a.when.isValid() != b.when.isValid())
        return a.when.isValid();
    return a.when.isValid() && a.when < b.when;
}

} // namespace

QList<int> dateSortOrder(const AlbumTable &table, const QList<QDateTime> &dates)
{
    QList<int> leading; // text-only entries before the first photo
    QList<int> empty;
    QList<Group> groups;
    for (int r = 1; r <= table.count(); ++r) {
        const PhotoEntry &e = table.entry(r);
        if (e.isEmpty()) {
            empty << r;
        } else if (!e.photoPath.isEmpty()) {
            groups.append(Group{r - 1 < dates.size() ? dates[r - 1] : QDateTime(), {r}});
        } else if (groups.isEmpty()) {
            leading << r;
        } else {
            groups.last().rows << r;
        }
    }
    std::stable_sort(groups.begin(), groups.end(), earlier);
    QList<int> order = leading;
    order.reserve(table.count());
    for (const Group &g : groups)
        order += g.rows;
    order += empty;
    return order;
}

} // namespace sorvane
