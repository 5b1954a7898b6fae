#include "ui/dialogs/list_window.h"

#include "ui/main/twips.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace sorvane {

// The album table as a five-column list model. The cells are read from the
// table itself whenever the view asks; only the row count is kept, so the
// view is told exactly how the number of rows moved on each refresh.
class AlbumTableModel : public QAbstractTableModel {
public:
    explicit AlbumTableModel(const AlbumTable &table, QObject *parent)
        : QAbstractTableModel(parent), table_(table), rows_(table.count())
    {
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 5; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        // Column 0 is the list's blank first column; the table may also have
        // shrunk since the view last heard of its row count.
        if (index.column() == AlbumTable::Blank || index.row() >= table_.count())
            return QString();
        return table_.text(index.row() + 1, index.column());
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

    // Brings the view up to the table: rows added or removed at the end, then
    // every remaining cell reported changed. Scroll position and selection
    // survive, unlike with a model reset.
    void reread()
    {
        const int now = table_.count();
        if (now > rows_) {
            beginInsertRows(QModelIndex(), rows_, now - 1);
            rows_ = now;
            endInsertRows();
        } else if (now < rows_) {
            beginRemoveRows(QModelIndex(), now, rows_ - 1);
            rows_ = now;
            endRemoveRows();
        }
        if (rows_ > 0)
            emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::DisplayRole});
    }

private:
    const AlbumTable &table_;
    int rows_ = 0;
};

ListWindow::ListWindow(const AlbumTable &table, QWidget *owner) : QWidget(owner, Qt::Window), table_(table)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Data Table"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(px(10200), px(5400));

    model_ = new AlbumTableModel(table_, this);
    shownRevision_ = table_.revision();

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

    follow_ = new QTimer(this);
    follow_->setInterval(kFollowIntervalMs);
    connect(follow_, &QTimer::timeout, this, &ListWindow::followTable);
}

void ListWindow::refresh()
{
    shownRevision_ = table_.revision();
    model_->reread();
}

void ListWindow::followTable()
{
    if (table_.revision() != shownRevision_)
        refresh();
}

void ListWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    follow_->start();
}

void ListWindow::hideEvent(QHideEvent *event)
{
    follow_->stop();
    QWidget::hideEvent(event);
}

void ListWindow::closeEvent(QCloseEvent *event)
{
    // The owner keeps the window for the next time it is asked for; closing
    // it only takes it off the screen.
    event->accept();
    hide();
}

} // namespace sorvane
