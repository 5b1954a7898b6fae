#include "ui/dialogs/list_window.h"

#include "ui/main/twips.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvane {

// The album's entries as a five-column list model, read from the document
// whenever the view asks, and told of every change as the document reports
// it: changed rows, rows added or taken at the end, a new album. The model
// keeps the row count the view knows, so the view hears of each change in
// the order it expects.
class AlbumTableModel : public QAbstractTableModel {
public:
    AlbumTableModel(const AlbumDocument &album, QObject *parent)
        : QAbstractTableModel(parent), album_(album), rows_(album.rowCount())
    {
        connect(&album, &AlbumDocument::rowsChanged, this, [this](int first, int last) {
            last = std::min(last, rows_);
            if (first <= last)
                emit dataChanged(index(first - 1, 0), index(last - 1, columnCount() - 1), {Qt::DisplayRole});
        });
        connect(&album, &AlbumDocument::rowsAppended, this, [this] { followRowCount(); });
        connect(&album, &AlbumDocument::rowsRemoved, this, [this] { followRowCount(); });
        connect(&album, &AlbumDocument::albumReplaced, this, [this] {
            beginResetModel();
            rows_ = album_.rowCount();
            endResetModel();
        });
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 5; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= album_.rowCount())
            return QVariant();
        // Column 0 is the list's blank first column.
        if (index.column() == AlbumTable::Blank)
            return QString();
        return album_.text(index.row() + 1, index.column());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        switch (section) {
        case AlbumTable::Blank:
            return QString();
        case AlbumTable::Number:
            return QStringLiteral("No.");
        case AlbumTable::Title:
            return QStringLiteral("タイトル");
        case AlbumTable::Comment:
            return QStringLiteral("テキスト");
        case AlbumTable::PhotoPath:
            return QStringLiteral("画像ファイル");
        default:
            return QVariant();
        }
    }

private:
    void followRowCount()
    {
        const int now = album_.rowCount();
        if (now > rows_) {
            beginInsertRows(QModelIndex(), rows_, now - 1);
            rows_ = now;
            endInsertRows();
        } else if (now < rows_) {
            beginRemoveRows(QModelIndex(), now, rows_ - 1);
            rows_ = now;
            endRemoveRows();
        }
    }

    const AlbumDocument &album_;
    int rows_ = 0;
};

ListWindow::ListWindow(const AlbumDocument &album, QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Data Table"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(px(10200), px(5400));

    model_ = new AlbumTableModel(album, this);

    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("ListView1"));
    view_->setModel(model_);
    view_->setSortingEnabled(false);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    // Every line is one text line high; a fixed height also keeps long
    // tables quick, as no row is ever measured.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view_->horizontalHeader()->setHighlightSections(false);

    const int widths[] = {0, 500, 3000, 3000, 3000};
    for (int column = 0; column < 5; ++column)
        view_->setColumnWidth(column, px(widths[column]));
    view_->setColumnHidden(AlbumTable::Blank, true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
}

void ListWindow::closeEvent(QCloseEvent *event)
{
    // The owner keeps the window for the next time it is asked for; closing
    // it only takes it off the screen.
    event->accept();
    hide();
}

} // namespace sorvane
