#pragma once

#include "io/settings_files.h"
#include "print/album_print.h"

#include <QString>

namespace sorvane {

// What printing needs of the running program rather than of the album: the
// margins as the options dialog holds them, whether photo numbers print, and
// the printers. The options dialog shows and edits it; print.ini fills it at
// start-up; it lives until the program ends and is never written back.
class PrintSession {
public:
    // print.ini as read: the margin texts unchanged, the check state as given.
    void loadIni(const PrintIni &ini);

    // The margin texts as typed; a job converts them when it starts.
    const QString &topMarginText() const { return topMarginText_; }
    const QString &leftMarginText() const { return leftMarginText_; }
    void setTopMarginText(const QString &text) { topMarginText_ = text; }
    void setLeftMarginText(const QString &text) { leftMarginText_ = text; }

    // The number printing check box: 0 clear, 1 ticked, 2 grey (only from
    // print.ini). Photo numbers print only when it is ticked.
    int numberPrintState() const { return numberPrintState_; }
    void setNumberPrintState(int state) { numberPrintState_ = state; }
    bool printsNumbers() const { return numberPrintState_ == 1; }

    // The options dialog's closing step: the margins become whole
    // millimetres, their texts the numbers; a grey check box becomes clear.
    void closeOptions();

    // The settings a print job starts with (the margin texts converted).
    PrintSettings settingsForJob() const;

    // The system default printer when the program started (restored at
    // exit) and the printer this program prints on.
    const QString &startupPrinter() const { return startupPrinter_; }
    void setStartupPrinter(const QString &name) { startupPrinter_ = name; }
    const QString &currentPrinter() const { return currentPrinter_; }
    void setCurrentPrinter(const QString &name) { currentPrinter_ = name; }

private:
    QString topMarginText_ = QStringLiteral("0");
    QString leftMarginText_ = QStringLiteral("0");
    int numberPrintState_ = 1;
    QString startupPrinter_;
    QString currentPrinter_;
};

} // namespace sorvane
