#pragma once

#include "model/album_document.h"

#include <QWidget>

class QTableView;

namespace sorvane {

class AlbumTableModel;

// The list window: the album's entries as a list, one line per row, with
// the five columns "", "No.", "タイトル", "テキスト" and "画像ファイル". It follows
// the document as it changes, row by row. Closing it only hides it.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    ListWindow(const AlbumDocument &album, QWidget *owner);

    QTableView *listView() const { return view_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AlbumTableModel *model_ = nullptr;
    QTableView *view_ = nullptr;
};

} // namespace sorvane
