#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace sorvane {

class PlatformServices;
class PrintSession;

// A vertical pair of arrow buttons that steps a whole number within a range.
// It has no text of its own; its owner shows the value where it likes.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    UpDownControl(int minimum, int maximum, int value, QWidget *parent);

    int value() const { return value_; }
    // Clamped to the range; valueChanged() only when the value moves.
    void setValue(int value);
    void stepUp() { setValue(value_ + 1); }
    void stepDown() { setValue(value_ - 1); }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    void valueChanged(int value);

private:
    int minimum_;
    int maximum_;
    int value_;
    QToolButton *up_ = nullptr;
    QToolButton *down_ = nullptr;
};

// The print dialog: the printer to print on and the number of copies.
//
// Constructing it runs its load step: the copies box shows the spin's value
// (1), the printer list is filled from the services and the printer box shows
// the session's current printer. Whenever the printer box's text is exactly
// the name of an installed printer, that printer becomes the session's
// current printer; any other text leaves it alone. The system default printer
// is never touched here.
//
// "印刷" (disabled while no printer is installed) reads the copies and, when
// there is anything to print, emits printRequested(copies) so that the owner
// prints that many documents; then the dialog hides and keeps its state for
// the next showing. The close box and Escape emit closed() instead, after
// which the owner discards the dialog and makes a fresh one next time.
class PrintDialog : public QDialog {
    Q_OBJECT
public:
    PrintDialog(PlatformServices &services, PrintSession &session, QWidget *parent);

    QComboBox *printerBox() const { return printerBox_; }
    QPushButton *propertiesButton() const { return propertiesButton_; }
    QLineEdit *copiesBox() const { return copiesBox_; }
    UpDownControl *copiesSpin() const { return copiesSpin_; }
    QPushButton *printButton() const { return printButton_; }
    // Shown in place of the printer box when no printer is installed.
    QLabel *noPrinterLabel() const { return noPrinterLabel_; }

    // The printers listed at load, in the platform's order.
    QStringList listedPrinters() const { return printers_; }

    void done(int result) override;

signals:
    // copies is at least 1, and a printer is installed.
    void printRequested(int copies);
    void closed();

private:
    void load();
    void selectPrinter(const QString &text);
    void print();

    PlatformServices &services_;
    PrintSession &session_;
    QStringList printers_;
    QComboBox *printerBox_ = nullptr;
    QLabel *noPrinterLabel_ = nullptr;
    QPushButton *propertiesButton_ = nullptr;
    QLabel *copiesLabel_ = nullptr;
    QLineEdit *copiesBox_ = nullptr;
    UpDownControl *copiesSpin_ = nullptr;
    QPushButton *printButton_ = nullptr;
};

} // namespace sorvane
