#pragma once

#include "model/album_table.h"

#include <QWidget>

class QTableView;

namespace sorvane {

// The list window: the album data table as a list, one line per row, with
// the five columns "", "No.", "タイトル", "テキスト" and "画像ファイル". While it
// is shown it follows the table as it changes. Closing it only hides it.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    ListWindow(const AlbumTable &table, QWidget *owner);

    QTableView *listView() const { return view_; }
    // Reads the table again now.
    void refresh();

private:
    const AlbumTable &table_;
    QTableView *view_ = nullptr;
};

} // namespace sorvane
