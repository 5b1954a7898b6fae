#pragma once

#include "model/album_document.h"
#include "model/photo_relink.h"
#include "platform/services.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace sorvane {

class PhotoChecker;

// 写真の確認: every entry whose photo cannot be found or read, one line each
// (page, number, title, path as written, why), kept up to date as the
// findings come in. フォルダから探す looks for the missing files in a
// folder the user picks and shows what it found on each line;
// パスを書き換える puts the files found into the album as one step and
// offers to remember the move as a path mapping. Non-modal; closing it only
// hides it.
class PhotoReviewWindow : public QWidget {
    Q_OBJECT
public:
    enum Column { PageColumn, NumberColumn, TitleColumn, PathColumn, ReasonColumn, ResultColumn, NewPathColumn };

    PhotoReviewWindow(PlatformServices &services, AlbumDocument &document, PhotoChecker &checker, QWidget *owner);

    QTreeWidget *list() const { return list_; }
    QLabel *summary() const { return summary_; }
    QPushButton *searchButton() const { return search_; }
    QPushButton *relinkButton() const { return relink_; }
    // The album rows listed, in the order of the lines.
    QList<int> listedRows() const;

    // Lists the entries anew from the checker's findings.
    void refresh();
    // フォルダから探す: asks for a folder and searches it for the missing
    // photos' files.
    void searchFolder();
    // パスを書き換える: the files found become the entries' photo paths.
    void relinkFound();

signals:
    // A line was activated: the main window shows that entry.
    void entryActivated(int row);
    // The document got a new photo locator (new path mappings).
    void locatorReplaced();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Offers the mapping the relinked entries share, and remembers it.
    void offerMapping(const QList<QPair<QString, QString>> &relinked);

    PlatformServices &services_;
    AlbumDocument &document_;
    PhotoChecker &checker_;
    QLabel *summary_ = nullptr;
    QTreeWidget *list_ = nullptr;
    QPushButton *search_ = nullptr;
    QPushButton *relink_ = nullptr;
    // What the last search found, by row, for the path the row had then.
    struct Found {
        QString photoPath;
        RelinkChoice choice;
    };
    QHash<int, Found> found_;
};

} // namespace sorvane
