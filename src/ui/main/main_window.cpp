#include "ui/main/main_window.h"

namespace sorvane {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Sorvane"));
    resize(567, 650);
}

} // namespace sorvane
