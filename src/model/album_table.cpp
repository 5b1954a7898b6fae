#include "model/album_table.h"

#include "model/number_text.h"

#include <QtGlobal>

#include <algorithm>

namespace sorvane {

AlbumTable::AlbumTable()
{
    reset();
}

const PhotoEntry &AlbumTable::entry(int row) const
{
    Q_ASSERT(row >= 1 && row <= count());
    return rows_[size_t(row - 1)];
}

PhotoEntry &AlbumTable::entry(int row)
{
    Q_ASSERT(row >= 1 && row <= count());
    return rows_[size_t(row - 1)];
}

QString AlbumTable::text(int row, int column) const
{
    const PhotoEntry &e = entry(row);
    switch (column) {
    case Number:
        return e.number;
    case Title:
        return e.title;
    case Comment:
        return e.comment;
    case PhotoPath:
        return e.photoPath;
    default:
        return {};
    }
}

void AlbumTable::setText(int row, int column, const QString &text)
{
    PhotoEntry &e = entry(row);
    switch (column) {
    case Number:
        e.number = text;
        break;
    case Title:
        e.title = text;
        break;
    case Comment:
        e.comment = text;
        break;
    case PhotoPath:
        e.photoPath = text;
        break;
    default:
        break;
    }
}

void AlbumTable::reset()
{
    rows_.clear();
    pageCount_ = 0;
    appendPage();
}

void AlbumTable::clear()
{
    rows_.clear();
}

void AlbumTable::appendEntry(const QString &number, const QString &title, const QString &comment,
                             const QString &photoPath)
{
    rows_.push_back(PhotoEntry{number, title, comment, photoPath});
}

void AlbumTable::appendEntry(PhotoEntry entry)
{
    rows_.push_back(std::move(entry));
}

void AlbumTable::completeFirstPage()
{
    while (count() < kSlotsPerPage)
        appendEmptyEntry(count() + 1);
    pageCount_ = std::max(1, pageCount_);
}

void AlbumTable::appendPage()
{
    ++pageCount_;
    const int first = kSlotsPerPage * (pageCount_ - 1) + 1;
    for (int k = 0; k < kSlotsPerPage; ++k)
        appendEmptyEntry(first + k);
}

void AlbumTable::removeLastPage()
{
    Q_ASSERT(pageCount_ > 0 && count() >= kSlotsPerPage);
    --pageCount_;
    rows_.resize(rows_.size() - kSlotsPerPage);
}

void AlbumTable::appendEmptyEntry(int number)
{
    rows_.push_back(PhotoEntry{numberText(number), {}, {}, {}});
}

} // namespace sorvane
