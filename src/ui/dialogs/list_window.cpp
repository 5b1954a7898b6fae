#include "ui/dialogs/list_window.h"

#include <QTableView>

namespace sorvane {

ListWindow::ListWindow(const AlbumTable &table, QWidget *owner) : QWidget(owner, Qt::Window), table_(table)
{
    setWindowTitle(QStringLiteral("Data Table"));
    view_ = new QTableView(this);
}

void ListWindow::refresh() {}

} // namespace sorvane
