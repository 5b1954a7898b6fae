#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QTabBar;

namespace sorvane {

// The print settings that outlive the options dialog: the margins as whole
// millimetres and whether photo numbers are printed.
struct PrintOptions {
    qint16 topMargin = 0;
    qint16 leftMargin = 0;
    bool numberPrinting = true;
};

// The options dialog: print settings on its first tab, the list window's
// button on its second. Constructing it runs its load step (fields from the
// options); closing it by any means runs its closing step (margin texts
// converted into the options) and then emits closed(), after which the owner
// discards it.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(PrintOptions &options, QWidget *parent);

    QLineEdit *topMarginBox() const { return text1_; }
    QLineEdit *leftMarginBox() const { return text2_; }
    QCheckBox *numberCheck() const { return check1_; }
    QTabBar *tabs() const { return tabs_; }

    // Sets the check box's state (0, 1 or 2) as a program step; the number
    // printing flag follows at once (true only for 1).
    void setNumberPrintState(int state);

signals:
    void listWindowRequested();
    void closed();

private:
    PrintOptions &options_;
    QLineEdit *text1_ = nullptr;
    QLineEdit *text2_ = nullptr;
    QCheckBox *check1_ = nullptr;
    QTabBar *tabs_ = nullptr;
};

} // namespace sorvane
