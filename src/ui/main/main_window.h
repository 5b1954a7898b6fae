#pragma once

#include <QMainWindow>

namespace sorvane {

// The program's main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace sorvane
