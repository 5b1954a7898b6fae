#include "model/album_commands.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace sorvane {

void AlbumCommand::rotate(int first, int last, bool towardsEnd)
{
    if (first >= last)
        return;
    if (towardsEnd) {
        for (int r = last; r > first; --r)
            row(r).swapContent(row(r - 1));
    } else {
        for (int r = first; r < last; ++r)
            row(r).swapContent(row(r + 1));
    }
}

EntryCommand::EntryCommand(AlbumDocument &document, const QString &name, EditPlace place, int row, PhotoEntry after,
                           bool appendsPage)
    : AlbumCommand(document, name, place), row_(row), before_(document.entry(row)), after_(std::move(after)),
      appendsPage_(appendsPage)
{
}

void EntryCommand::redo()
{
    row(row_).copyContentFrom(after_);
    announceRows(row_, row_);
    if (appendsPage_)
        growByPage();
}

void EntryCommand::undo()
{
    if (appendsPage_)
        shrinkByPage();
    row(row_).copyContentFrom(before_);
    announceRows(row_, row_);
}

TypingCommand::TypingCommand(AlbumDocument &document, EditPlace place, int row, int column, QString after, quint64 run)
    : AlbumCommand(document,
                   column == AlbumTable::Title ? QStringLiteral("タイトルの入力") : QStringLiteral("コメントの入力"),
                   place),
      row_(row), column_(column), before_(document.text(row, column)), after_(std::move(after)), run_(run)
{
}

bool TypingCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const TypingCommand *>(other);
    if (next->run_ != run_ || next->row_ != row_ || next->column_ != column_)
        return false;
    after_ = next->after_;
    // Typed and rubbed out again: the step changes nothing and goes.
    setObsolete(after_ == before_);
    return true;
}

void TypingCommand::redo()
{
    PhotoEntry &e = row(row_);
    (column_ == AlbumTable::Title ? e.title : e.comment) = after_;
    announceRows(row_, row_);
}

void TypingCommand::undo()
{
    PhotoEntry &e = row(row_);
    (column_ == AlbumTable::Title ? e.title : e.comment) = before_;
    announceRows(row_, row_);
}

InsertEntryCommand::InsertEntryCommand(AlbumDocument &document, EditPlace place, int row, bool appendsPage)
    : AlbumCommand(document, QStringLiteral("挿入"), place), row_(row), appendsPage_(appendsPage)
{
}

void InsertEntryCommand::redo()
{
    if (appendsPage_)
        growByPage();
    // The last row is empty (a page was appended if it was not), so moving
    // it round to the front leaves the new entry empty and loses nothing.
    rotate(row_, rowCount(), true);
    announceRows(row_, rowCount());
}

void InsertEntryCommand::undo()
{
    rotate(row_, rowCount(), false);
    announceRows(row_, rowCount());
    if (appendsPage_)
        shrinkByPage();
}

ImportPhotosCommand::ImportPhotosCommand(AlbumDocument &document, EditPlace place, int row, QStringList paths,
                                         int lastUsed, int pagesAdded)
    : AlbumCommand(document, QStringLiteral("写真の一括取り込み"), place), row_(row), paths_(std::move(paths)),
      lastUsed_(lastUsed), pagesAdded_(pagesAdded)
{
}

void ImportPhotosCommand::redo()
{
    for (int p = 0; p < pagesAdded_; ++p)
        growByPage();
    const int n = int(paths_.size());
    // From the end: each row moved to is empty (beyond the last used row,
    // or already moved on itself).
    for (int r = lastUsed_; r >= row_; --r)
        row(r + n).swapContent(row(r));
    for (int i = 0; i < n; ++i)
        row(row_ + i).photoPath = paths_[i];
    announceRows(row_, std::max(lastUsed_ + n, row_ + n - 1));
}

void ImportPhotosCommand::undo()
{
    const int n = int(paths_.size());
    for (int i = 0; i < n; ++i)
        row(row_ + i).photoPath.clear();
    for (int r = row_; r <= lastUsed_; ++r)
        row(r).swapContent(row(r + n));
    announceRows(row_, std::max(lastUsed_ + n, row_ + n - 1));
    for (int p = 0; p < pagesAdded_; ++p)
        shrinkByPage();
}

CutOutEntryCommand::CutOutEntryCommand(AlbumDocument &document, EditPlace place, int row)
    : AlbumCommand(document, QStringLiteral("抜取"), place), row_(row)
{
}

void CutOutEntryCommand::redo()
{
    const int last = rowCount();
    rotate(row_, last, false);
    removed_ = PhotoEntry{};
    removed_.swapContent(row(last));
    announceRows(row_, last);
}

void CutOutEntryCommand::undo()
{
    const int last = rowCount();
    row(last).swapContent(removed_);
    rotate(row_, last, true);
    announceRows(row_, last);
}

ReorderEntriesCommand::ReorderEntriesCommand(AlbumDocument &document, const QString &name, EditPlace place,
                                             QList<int> order)
    : AlbumCommand(document, name, place), order_(std::move(order))
{
}

void ReorderEntriesCommand::apply(bool inverse)
{
    const int n = int(order_.size());
    // The moved contents are taken out first, then put back in their new
    // rows: each string moves once, none is copied.
    std::vector<PhotoEntry> held(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        held[size_t(i)].swapContent(row(inverse ? i + 1 : order_[i]));
    for (int i = 0; i < n; ++i)
        row(inverse ? order_[i] : i + 1).swapContent(held[size_t(i)]);
    if (n > 0)
        announceRows(1, n);
}

RelinkPhotosCommand::RelinkPhotosCommand(AlbumDocument &document, EditPlace place, QList<Change> changes)
    : AlbumCommand(document, QStringLiteral("写真のパスの書き換え"), place), changes_(std::move(changes))
{
}

void RelinkPhotosCommand::apply(bool back)
{
    for (const Change &c : changes_)
        row(c.row).photoPath = back ? c.before : c.after;
    // The changes are in row order (they come from a map).
    announceRows(changes_.constFirst().row, changes_.constLast().row);
    announceRelink();
}

CoverCommand::CoverCommand(AlbumDocument &document, CoverData before, CoverData after)
    : AlbumCommand(document, QStringLiteral("表紙"), EditPlace{}), before_(std::move(before)), after_(std::move(after))
{
}

} // namespace sorvane
