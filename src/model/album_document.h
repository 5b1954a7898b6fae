#pragma once

#include "model/album_contents.h"
#include "model/photo_locator.h"

#include <QMap>
#include <QObject>
#include <QUndoStack>

#include <memory>
#include <optional>

namespace sorvane {

class AlbumCommand;

// Where an edit was made, as the user saw it: the page and slot, and the
// column it changed (Title or Comment for typing, 0 for the whole entry).
// A change of the cover is on no page (page 0).
struct EditPlace {
    int page = 0;
    int slot = 0;
    int column = 0;
    bool isOnPage() const { return page > 0; }
};

// The album in hand: its entries, its cover, its page count, the file it was
// read from or last written to, whether it changed since (the saved flag),
// and the history of its edits. The editor's windows, printing, the PDF
// export and the command line all work on it.
//
// Every edit of the album goes through one of the edit functions below; each
// is one step of the history (none when it changes nothing) and clears the
// saved flag. The signals tell views exactly what changed.
class AlbumDocument : public QObject {
    Q_OBJECT
public:
    // Steps kept for undo; the oldest go first. A step holds the texts it
    // changed, never a copy of the album.
    static constexpr int kHistoryLimit = 500;

    explicit AlbumDocument(QObject *parent = nullptr);
    ~AlbumDocument() override;

    const AlbumTable &table() const { return table_; }
    const CoverData &cover() const { return cover_; }
    int pageCount() const { return table_.pageCount(); }
    int rowCount() const { return table_.count(); }
    const PhotoEntry &entry(int row) const { return table_.entry(row); }
    QString text(int row, int column) const { return table_.text(row, column); }
    // "" for an album that was never read or written.
    const QString &filePath() const { return filePath_; }
    // What the file the album was read from held beyond its texts; the
    // byte sequences of that file that could not be decoded.
    const AlbumOrigin &origin() const { return origin_; }
    qsizetype undecodableCount() const { return origin_.undecodable; }
    // Where the photo of a path is (see PhotoLocator), and the file it names:
    // the file found, or for a missing photo the path as written (a relative
    // one taken from the folder of the album file).
    PhotoLocation locatePhoto(const QString &photoPath) const;
    QString resolvePhotoPath(const QString &photoPath) const { return locatePhoto(photoPath).file; }
    // The locator photos are found with; by default one without mappings.
    const PhotoLocator &photoLocator() const { return *locator_; }
    // The same locator, for work that may outlive a change of locator (a
    // check running on another thread).
    std::shared_ptr<const PhotoLocator> sharedPhotoLocator() const { return locator_; }
    void setPhotoLocator(std::shared_ptr<PhotoLocator> locator);

    // False after any edit, true after a completed save. The album's own
    // lifecycle (startNew, replace) leaves it alone.
    bool isSaved() const { return saved_; }
    void markChanged();
    void markSaved(const QString &filePath);

    // A fresh album: three empty entries on one page, the given cover, no
    // file and an empty history.
    void startNew(const CoverData &cover);
    // The album read from a file, with an empty history (and the photo
    // locator's knowledge of folders forgotten). An album of fewer
    // than three entries gets a whole first page (numbered on from its
    // entries), so there is always a page to show.
    void replace(AlbumContents album, const QString &filePath);

    // Whether one more page fits: an album file holds at most
    // kMaxAlbumEntries entries.
    bool canAppendPage() const;

    // The edits. `place` is where the user made it, for undo and redo to show.
    // The photo of a row, and a page more when `appendPage` (the photo went
    // into the last slot of the last page). `name` names the step.
    void setPhoto(int row, const QString &photoPath, bool appendPage, const QString &name, EditPlace place);
    // Title and comment of a row at once (paste, copy from the previous photo).
    void setTexts(int row, const QString &title, const QString &comment, const QString &name, EditPlace place);
    // Title, comment and photo of a row emptied (削除).
    void clearEntry(int row, EditPlace place);
    // An empty entry at `row`; it and every entry after it move back one row
    // (挿入). When the last entry holds something the album first grows by a
    // page, so that nothing is pushed out; false (and nothing done) when that
    // page would not fit.
    bool insertEntry(int row, EditPlace place);
    // The entry at `row` taken out; every entry after it moves forward one
    // row and the last row is left empty (抜取).
    void cutOutEntry(int row, EditPlace place);
    // Places the photos into new entries from `row` on, in the order given,
    // as one step: the entries there move back, as insertEntry moves them,
    // and pages are appended until every entry has a row and the last entry
    // is empty again. False, changing nothing, when the album cannot hold
    // them (kMaxAlbumEntries). Row rowCount() + 1 appends after the last.
    bool importPhotos(int row, const QStringList &paths, EditPlace place);
    // The entries' contents in a new order, as one step named `name`: row
    // i + 1 gets what row order[i] held, for every row of the album (see
    // dateSortOrder); numbers stay with their rows. False, changing nothing,
    // when the order is no permutation of the rows or leaves every entry
    // where it is.
    bool reorderEntries(const QList<int> &order, const QString &name, EditPlace place);
    // New photo paths for some rows (photos found again after they moved),
    // as one step. Rows whose path stays as it is are left out; false,
    // changing nothing, when a row does not exist or no path changes.
    bool relinkPhotos(const QMap<int, QString> &paths, EditPlace place);
    // The cover as a whole (one step for each closing of the cover dialog
    // that changed a field). With marksChanged false the saved flag stays.
    void setCover(const CoverData &cover, bool marksChanged = true);

    // Typing into a title or comment box: consecutive calls for one row and
    // column merge into one step until endTyping() or any other edit.
    void typeText(int row, int column, const QString &text, EditPlace place);
    void endTyping();

    // Undo and redo one step; the place of the step, or nothing when there
    // was nothing to do. Both count as edits for the saved flag.
    std::optional<EditPlace> undo();
    std::optional<EditPlace> redo();
    const QUndoStack &history() const { return history_; }

signals:
    // Title, comment or photo of rows first..last changed.
    void rowsChanged(int first, int last);
    // Rows were added at the end, or taken from it (page growth and its undo).
    void rowsAppended(int first, int last);
    void rowsRemoved(int first, int last);
    void pageCountChanged(int pageCount);
    void coverChanged();
    // New or Open: everything is new.
    void albumReplaced();
    void savedChanged(bool saved);
    // A relink of photo paths was made, undone or redone (after its
    // rowsChanged): what is missing should be looked at again.
    void photosRelinked();

private:
    friend class AlbumCommand;

    void push(AlbumCommand *command);
    void resetHistory();

    // The changes the history's steps make, each with its signal.
    PhotoEntry &rowForEdit(int row) { return table_.entry(row); }
    void announceRows(int first, int last) { emit rowsChanged(first, last); }
    void announceRelink() { emit photosRelinked(); }
    void growByPage();
    void shrinkByPage();
    void applyCover(const CoverData &cover);

    AlbumTable table_;
    CoverData cover_;
    AlbumOrigin origin_;
    QString filePath_;
    std::shared_ptr<PhotoLocator> locator_;
    bool saved_ = true;
    // Typing steps merge only within one run; every boundary starts a new one.
    quint64 typingRun_ = 0;
    QUndoStack history_;
};

} // namespace sorvane
