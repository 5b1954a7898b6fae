#pragma once

#include "model/album_table.h"

#include <QWidget>

class QTableView;
class QTimer;

namespace sorvane {

class AlbumTableModel;

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

    // How often a shown window looks at the table's revision.
    static constexpr int kFollowIntervalMs = 250;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void followTable();

    const AlbumTable &table_;
    AlbumTableModel *model_ = nullptr;
    QTableView *view_ = nullptr;
    QTimer *follow_ = nullptr;
    quint64 shownRevision_ = 0;
};

} // namespace sorvane
