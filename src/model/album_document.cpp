#include "model/album_document.h"

#include "model/album_commands.h"

#include <algorithm>
#include <vector>

namespace sorvane {

namespace {

// Whether rows first..last are all empty entries, so that moving them
// round changes nothing.
bool allEmpty(const AlbumTable &table, int first, int last)
{
    for (int r = first; r <= last; ++r) {
        if (!table.entry(r).isEmpty())
            return false;
    }
    return true;
}

} // namespace

AlbumDocument::AlbumDocument(QObject *parent) : QObject(parent), locator_(std::make_shared<PhotoLocator>())
{
    history_.setUndoLimit(kHistoryLimit);
}

AlbumDocument::~AlbumDocument() = default;

PhotoLocation AlbumDocument::locatePhoto(const QString &photoPath) const
{
    return locator_->locate(filePath_, photoPath);
}

void AlbumDocument::setPhotoLocator(std::shared_ptr<PhotoLocator> locator)
{
    locator_ = locator ? std::move(locator) : std::make_shared<PhotoLocator>();
}

void AlbumDocument::markChanged()
{
    if (!saved_)
        return;
    saved_ = false;
    emit savedChanged(false);
}

void AlbumDocument::markSaved(const QString &filePath)
{
    filePath_ = filePath;
    endTyping();
    if (saved_)
        return;
    saved_ = true;
    emit savedChanged(true);
}

void AlbumDocument::resetHistory()
{
    endTyping();
    history_.clear();
}

void AlbumDocument::startNew(const CoverData &cover)
{
    resetHistory();
    table_.reset();
    cover_ = cover;
    origin_ = {};
    filePath_.clear();
    emit albumReplaced();
    emit pageCountChanged(pageCount());
}

void AlbumDocument::replace(AlbumContents album, const QString &filePath)
{
    resetHistory();
    table_ = std::move(album.table);
    table_.completeFirstPage();
    cover_ = std::move(album.cover);
    origin_ = std::move(album.origin);
    filePath_ = filePath;
    // An album opened looks at its photos' folders afresh: they may have
    // been copied in or mounted since the last one was opened.
    locator_->refresh();
    emit albumReplaced();
    emit pageCountChanged(pageCount());
}

bool AlbumDocument::canAppendPage() const
{
    return table_.count() + AlbumTable::kSlotsPerPage <= kMaxAlbumEntries;
}

void AlbumDocument::push(AlbumCommand *command)
{
    endTyping();
    history_.push(command);
    markChanged();
}

void AlbumDocument::setPhoto(int row, const QString &photoPath, bool appendPage, const QString &name, EditPlace place)
{
    // Any edit ends a typing step, also one that changes nothing.
    endTyping();
    appendPage = appendPage && canAppendPage();
    if (!appendPage && entry(row).photoPath == photoPath) {
        markChanged();
        return;
    }
    PhotoEntry after = entry(row);
    after.photoPath = photoPath;
    push(new EntryCommand(*this, name, place, row, std::move(after), appendPage));
}

void AlbumDocument::setTexts(int row, const QString &title, const QString &comment, const QString &name,
                             EditPlace place)
{
    endTyping();
    const PhotoEntry &now = entry(row);
    if (now.title == title && now.comment == comment) {
        markChanged();
        return;
    }
    PhotoEntry after = now;
    after.title = title;
    after.comment = comment;
    push(new EntryCommand(*this, name, place, row, std::move(after), false));
}

void AlbumDocument::clearEntry(int row, EditPlace place)
{
    endTyping();
    if (entry(row).isEmpty()) {
        markChanged();
        return;
    }
    push(new EntryCommand(*this, QStringLiteral("削除"), place, row, PhotoEntry{entry(row).number, {}, {}, {}}, false));
}

bool AlbumDocument::insertEntry(int row, EditPlace place)
{
    endTyping();
    const bool grow = !entry(rowCount()).isEmpty();
    if (grow && !canAppendPage())
        return false;
    if (!grow && allEmpty(table_, row, rowCount())) {
        markChanged();
        return true;
    }
    push(new InsertEntryCommand(*this, place, row, grow));
    return true;
}

bool AlbumDocument::importPhotos(int row, const QStringList &paths, EditPlace place)
{
    endTyping();
    if (paths.isEmpty() || row < 1 || row > rowCount() + 1)
        return false;
    int lastUsed = rowCount();
    while (lastUsed >= row && entry(lastUsed).isEmpty())
        --lastUsed;
    if (lastUsed < row)
        lastUsed = 0; // nothing from `row` on moves
    const qint64 n = paths.size();
    // The last row that will hold something, plus the empty one after it.
    const qint64 needed = (lastUsed ? lastUsed + n : row + n - 1) + 1;
    qint64 rows = rowCount();
    int pages = 0;
    while (rows < needed) {
        rows += AlbumTable::kSlotsPerPage;
        ++pages;
    }
    if (rows > kMaxAlbumEntries)
        return false;
    push(new ImportPhotosCommand(*this, place, row, paths, lastUsed, pages));
    return true;
}

bool AlbumDocument::reorderEntries(const QList<int> &order, const QString &name, EditPlace place)
{
    endTyping();
    if (order.size() != rowCount())
        return false;
    std::vector<bool> used(size_t(rowCount()) + 1, false);
    bool moves = false;
    for (int i = 0; i < order.size(); ++i) {
        const int r = order[i];
        if (r < 1 || r > rowCount() || used[size_t(r)])
            return false;
        used[size_t(r)] = true;
        // A row that gets a content equal to its own moves nothing visible
        // (two empty entries trading places).
        moves = moves || !(entry(r).title == entry(i + 1).title && entry(r).comment == entry(i + 1).comment &&
                           entry(r).photoPath == entry(i + 1).photoPath);
    }
    if (!moves)
        return false;
    push(new ReorderEntriesCommand(*this, name, place, order));
    return true;
}

bool AlbumDocument::relinkPhotos(const QMap<int, QString> &paths, EditPlace place)
{
    endTyping();
    QList<RelinkPhotosCommand::Change> changes;
    for (auto it = paths.begin(); it != paths.end(); ++it) {
        if (it.key() < 1 || it.key() > rowCount())
            return false;
        if (entry(it.key()).photoPath != it.value())
            changes.append({it.key(), entry(it.key()).photoPath, it.value()});
    }
    if (changes.isEmpty())
        return false;
    push(new RelinkPhotosCommand(*this, place, std::move(changes)));
    return true;
}

void AlbumDocument::cutOutEntry(int row, EditPlace place)
{
    endTyping();
    if (allEmpty(table_, row, rowCount())) {
        markChanged();
        return;
    }
    push(new CutOutEntryCommand(*this, place, row));
}

void AlbumDocument::setCover(const CoverData &cover, bool marksChanged)
{
    endTyping();
    if (cover != cover_) {
        // The dialog hands back texts only: each field keeps the bytes it
        // was read with, which are written again while its text is as read.
        CoverData after = cover;
        for (int n = 1; n <= kCoverFieldCount; ++n) {
            if (after.fieldBytes(n).isEmpty())
                after.fieldBytes(n) = cover_.fieldBytes(n);
        }
        history_.push(new CoverCommand(*this, cover_, std::move(after)));
    }
    if (marksChanged)
        markChanged();
}

void AlbumDocument::typeText(int row, int column, const QString &text, EditPlace place)
{
    Q_ASSERT(column == AlbumTable::Title || column == AlbumTable::Comment);
    if (this->text(row, column) == text) {
        markChanged();
        return;
    }
    history_.push(new TypingCommand(*this, place, row, column, text, typingRun_));
    markChanged();
}

void AlbumDocument::endTyping()
{
    ++typingRun_;
}

std::optional<EditPlace> AlbumDocument::undo()
{
    endTyping();
    if (!history_.canUndo())
        return std::nullopt;
    const auto *step = dynamic_cast<const AlbumCommand *>(history_.command(history_.index() - 1));
    const EditPlace place = step ? step->place() : EditPlace{};
    history_.undo();
    markChanged();
    return place;
}

std::optional<EditPlace> AlbumDocument::redo()
{
    endTyping();
    if (!history_.canRedo())
        return std::nullopt;
    const auto *step = dynamic_cast<const AlbumCommand *>(history_.command(history_.index()));
    const EditPlace place = step ? step->place() : EditPlace{};
    history_.redo();
    markChanged();
    return place;
}

void AlbumDocument::growByPage()
{
    table_.appendPage();
    emit rowsAppended(rowCount() - AlbumTable::kSlotsPerPage + 1, rowCount());
    emit pageCountChanged(pageCount());
}

void AlbumDocument::shrinkByPage()
{
    const int last = rowCount();
    table_.removeLastPage();
    emit rowsRemoved(last - AlbumTable::kSlotsPerPage + 1, last);
    emit pageCountChanged(pageCount());
}

void AlbumDocument::applyCover(const CoverData &cover)
{
    cover_ = cover;
    emit coverChanged();
}

} // namespace sorvane
