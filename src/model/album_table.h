#pragma once

#include "model/field_bytes.h"

#include <QString>

#include <vector>

namespace sorvane {

// The most entries an album may hold, so that every album that can be saved
// can be opened again.
inline constexpr int kMaxAlbumEntries = 100000;

// One photo entry of the album: the columns 1 to 4 of its row. Column 0 of a
// row is always empty and is not stored.
struct PhotoEntry {
    QString number;    // column 1: the number text, " 1", " 12", ...
    QString title;     // column 2: one line
    QString comment;   // column 3: may hold CR LF line breaks
    QString photoPath; // column 4: full path of the photo, "" for none

    // The fields' bytes in the album file they were read from, where
    // encoding the text would not give them back (see FieldBytes). They
    // move with their texts; the number's stay with the row.
    FieldBytes numberBytes{};
    FieldBytes titleBytes{};
    FieldBytes commentBytes{};
    FieldBytes photoPathBytes{};

    bool isEmpty() const { return title.isEmpty() && comment.isEmpty() && photoPath.isEmpty(); }
    // Title, comment and photo path are what moves between rows; the number
    // stays with its row.
    void copyContentFrom(const PhotoEntry &other)
    {
        title = other.title;
        comment = other.comment;
        photoPath = other.photoPath;
        titleBytes = other.titleBytes;
        commentBytes = other.commentBytes;
        photoPathBytes = other.photoPathBytes;
    }
    void clearContent()
    {
        title.clear();
        comment.clear();
        photoPath.clear();
        titleBytes.clear();
        commentBytes.clear();
        photoPathBytes.clear();
    }
    void swapContent(PhotoEntry &other) noexcept
    {
        title.swap(other.title);
        comment.swap(other.comment);
        photoPath.swap(other.photoPath);
        titleBytes.swap(other.titleBytes);
        commentBytes.swap(other.commentBytes);
        photoPathBytes.swap(other.photoPathBytes);
    }
    // Entries are equal by their texts: the bytes a text was read from do
    // not make it another text.
    friend bool operator==(const PhotoEntry &a, const PhotoEntry &b)
    {
        return a.number == b.number && a.title == b.title && a.comment == b.comment && a.photoPath == b.photoPath;
    }
};

// The album data table: the single store of the album's photo entries, by row
// number from 1. Page n holds rows 3(n-1)+1 .. 3n; slot k (0..2) of page n is
// row RowOf(n, k).
//
// The page count is held here rather than derived from the row count: reset
// and appendPage keep it, and after clear and appendEntry the reader of an
// album file sets it (the whole part of the row count divided by three, so
// rows beyond the last whole page stay in the table but on no page).
class AlbumTable {
public:
    enum Column { Blank = 0, Number = 1, Title = 2, Comment = 3, PhotoPath = 4 };
    static constexpr int kSlotsPerPage = 3;

    // A fresh table: three empty entries " 1", " 2", " 3" and one page.
    AlbumTable();

    static int RowOf(int page, int slot) { return kSlotsPerPage * (page - 1) + slot + 1; }

    int count() const { return int(rows_.size()); }
    int pageCount() const { return pageCount_; }
    void setPageCount(int pages) { pageCount_ = pages; }

    // Columns 0..4 of a row (1-based). Column 0 reads as "" and ignores writes.
    // A row outside 1..count() is a caller's error and asserts in debug builds.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);

    const PhotoEntry &entry(int row) const;
    PhotoEntry &entry(int row);
    const std::vector<PhotoEntry> &entries() const { return rows_; }

    // Removes every row, then appends three empty entries; one page.
    void reset();
    // Removes every row; the page count is left for the caller to set.
    void clear();
    void appendEntry(const QString &number, const QString &title, const QString &comment, const QString &photoPath);
    void appendEntry(PhotoEntry entry);
    // One page more, then three empty entries numbered for that page.
    void appendPage();
    // Takes back the last appendPage(): the page count falls by one and the
    // last three rows go. Only an undo of page growth uses it.
    void removeLastPage();

    void reserve(int rows) { rows_.reserve(size_t(rows)); }

    // A table of fewer than three entries gets empty ones, numbered on from
    // its last, up to a whole first page, and at least one page, so that
    // there is always a page to show.
    void completeFirstPage();

    friend bool operator==(const AlbumTable &a, const AlbumTable &b)
    {
        return a.pageCount_ == b.pageCount_ && a.rows_ == b.rows_;
    }

private:
    void appendEmptyEntry(int number);

    std::vector<PhotoEntry> rows_;
    int pageCount_ = 0;
};

} // namespace sorvane
