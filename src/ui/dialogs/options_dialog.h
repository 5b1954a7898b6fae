#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace sorvane {

class PrintSession;

// The options dialog: the print settings of the session on its first tab,
// the list window's button on its second. Constructing it shows the session's
// margin texts and number printing state; every edit goes into the session at
// once. Closing it by any means runs the session's closing step (margins
// converted to whole millimetres) and then emits closed(), after which the
// owner discards it.
//
// The dialog sees every key press before its controls do: Ctrl+Tab selects
// the next tab wherever the focus is.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(PrintSession &session, QWidget *parent);

    QLineEdit *topMarginBox() const { return topMarginBox_; }
    QLineEdit *leftMarginBox() const { return leftMarginBox_; }
    QCheckBox *numberCheck() const { return numberCheck_; }
    QTabBar *tabs() const { return tabs_; }
    // The page panel of tab index 0 or 1.
    QWidget *page(int index) const { return pages_[index == 0 ? 0 : 1]; }
    QPushButton *listButton() const { return listButton_; }
    QPushButton *okButton() const { return okButton_; }

    // Sets the check box's state (0, 1 or 2) as a program step; the session
    // follows at once (numbers print only for 1). 2 shows the box grey; any
    // other value clears it.
    void setNumberPrintState(int state);
    // The check box's state as 0 (clear), 1 (ticked) or 2 (grey).
    int numberPrintState() const;

    void done(int result) override;

signals:
    void listWindowRequested();
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildPrintPage(QWidget *page);
    void buildBehaviourPage(QWidget *page);
    void load();
    void selectPage(int index);
    bool previewKey(QKeyEvent *event);
    void finishClosing();

    PrintSession &session_;
    QTabBar *tabs_ = nullptr;
    QWidget *pages_[2] = {};
    QCheckBox *numberCheck_ = nullptr;
    QLineEdit *topMarginBox_ = nullptr;
    QLineEdit *leftMarginBox_ = nullptr;
    QLabel *listWarning_ = nullptr;
    QLabel *printSettingsHelp_ = nullptr;
    QPushButton *listButton_ = nullptr;
    QPushButton *okButton_ = nullptr;
    // Set once the closing step has run, so a close that passes through both
    // closeEvent() and done() reports closed() only once; cleared on show.
    bool closingDone_ = false;
};

} // namespace sorvane
