#pragma once

#include "model/album_document.h"

#include <QUndoCommand>

// The steps of an album's history. Each holds the operation and the texts it
// replaced, never a copy of the album, so a step costs the same on an album of
// ten entries as on one of ten thousand.
namespace sorvane {

class AlbumCommand : public QUndoCommand {
public:
    AlbumCommand(AlbumDocument &document, const QString &name, EditPlace place)
        : QUndoCommand(name), document_(document), place_(place)
    {
    }
    const EditPlace &place() const { return place_; }

protected:
    PhotoEntry &row(int r) { return document_.rowForEdit(r); }
    int rowCount() const { return document_.rowCount(); }
    void announceRows(int first, int last) { document_.announceRows(first, last); }
    void growByPage() { document_.growByPage(); }
    void shrinkByPage() { document_.shrinkByPage(); }
    void applyCover(const CoverData &cover) { document_.applyCover(cover); }
    void announceRelink() { document_.announceRelink(); }

    // Moves the contents of rows first..last one row towards the end (the
    // last row's content comes round to `first`), or towards the start. The
    // numbers stay with their rows.
    void rotate(int first, int last, bool towardsEnd);

private:
    AlbumDocument &document_;
    EditPlace place_;
};

// Title, comment and photo of one row replaced, optionally with a page
// appended after it (a photo in the last slot of the last page).
class EntryCommand : public AlbumCommand {
public:
    EntryCommand(AlbumDocument &document, const QString &name, EditPlace place, int row, PhotoEntry after,
                 bool appendsPage);
    void redo() override;
    void undo() override;

private:
    int row_;
    PhotoEntry before_;
    PhotoEntry after_;
    bool appendsPage_;
};

// Typing into one box: merges with the next keystroke of the same run.
class TypingCommand : public AlbumCommand {
public:
    static constexpr int kId = 1;
    TypingCommand(AlbumDocument &document, EditPlace place, int row, int column, QString after, quint64 run);
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand *other) override;
    void redo() override;
    void undo() override;

private:
    int row_;
    int column_;
    QString before_;
    QString after_;
    quint64 run_;
};

class InsertEntryCommand : public AlbumCommand {
public:
    // With appendsPage when the last row holds something.
    InsertEntryCommand(AlbumDocument &document, EditPlace place, int row, bool appendsPage);
    void redo() override;
    void undo() override;

private:
    int row_;
    bool appendsPage_;
};

class CutOutEntryCommand : public AlbumCommand {
public:
    CutOutEntryCommand(AlbumDocument &document, EditPlace place, int row);
    void redo() override;
    void undo() override;

private:
    int row_;
    PhotoEntry removed_;
};

// Photos placed into consecutive new entries from `row` on: what the rows
// from there held moves back (numbers stay with their rows), pages are
// appended as needed, so that nothing is overwritten and the last entry
// stays empty.
class ImportPhotosCommand : public AlbumCommand {
public:
    // lastUsed: the last row that holds something (0 for none); pagesAdded:
    // how many pages the import appends.
    ImportPhotosCommand(AlbumDocument &document, EditPlace place, int row, QStringList paths, int lastUsed,
                        int pagesAdded);
    void redo() override;
    void undo() override;

private:
    int row_;
    QStringList paths_;
    int lastUsed_;
    int pagesAdded_;
};

// The entries' contents put into a new order: row i + 1 gets what row
// order[i] held (numbers stay with their rows).
class ReorderEntriesCommand : public AlbumCommand {
public:
    ReorderEntriesCommand(AlbumDocument &document, const QString &name, EditPlace place, QList<int> order);
    void redo() override { apply(false); }
    void undo() override { apply(true); }

private:
    void apply(bool inverse);
    QList<int> order_;
};

// Photo paths of some rows replaced (photos found again where they moved).
class RelinkPhotosCommand : public AlbumCommand {
public:
    struct Change {
        int row;
        QString before;
        QString after;
    };
    RelinkPhotosCommand(AlbumDocument &document, EditPlace place, QList<Change> changes);
    void redo() override { apply(false); }
    void undo() override { apply(true); }

private:
    void apply(bool back);
    QList<Change> changes_;
};

class CoverCommand : public AlbumCommand {
public:
    CoverCommand(AlbumDocument &document, CoverData before, CoverData after);
    void redo() override { applyCover(after_); }
    void undo() override { applyCover(before_); }

private:
    CoverData before_;
    CoverData after_;
};

} // namespace sorvane
