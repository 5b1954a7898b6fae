#pragma once

#include "platform/dialog_host.h"

#include <QDate>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The desktop services the editor leans on, behind one interface: the Qt
// implementation serves the real program, a scripted double serves the tests
// (it answers dialogs and message boxes without blocking and records them).

namespace sorvane {

class PrintSurface;

// A file dialog as the editor asks for it. The filter text is a sequence of
// description and pattern pairs separated by '|' ("すべてのファイル (*.*)|*.*|
// JPG ファイル (*.jpg)|*.jpg"); filterIndex counts the pairs from 1.
struct FileDialogRequest {
    QString filter;
    int filterIndex = 1;
    QString defaultExtension;
    QString initialFileName;
    // Where the dialog starts when no initial file name is given.
    QString initialDirectory;
    bool confirmOverwrite = false;
};

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information };
enum class MessageResult { Ok, Yes, No };

// A message box; an empty caption shows the program's title. The text uses
// CR LF line breaks. Yes is the default button of a Yes/No box unless
// defaultNo is set.
struct MessageRequest {
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    QString caption;
    bool defaultNo = false;
    friend bool operator==(const MessageRequest &, const MessageRequest &) = default;
};

// A question with buttons of its own ("復元する", "破棄する", "後で"), in the
// order given; an empty caption shows the program's title. The text uses
// CR LF line breaks.
struct ChoiceRequest {
    QString text;
    QStringList choices;
    int defaultChoice = 0; // the button Enter presses
    int escapeChoice = -1; // what Escape or closing the box answers (-1: the last choice)
    QString caption;
    friend bool operator==(const ChoiceRequest &, const ChoiceRequest &) = default;
};

// What a drop onto a photo box carries: whether it holds a list of files and
// their paths.
struct DropData {
    bool hasFiles = false;
    QStringList paths;
};

// What the user chose in the system print dialog.
struct SystemPrintChoice {
    QString printerName;
    int copies = 1;
};

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The window of a long piece of work: how far it got, and a cancel button.
// It appears only when the work takes long enough to be worth watching, and
// goes when this object is destroyed.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // done of total steps are finished; false once the user cancelled.
    virtual bool advance(int done, int total) = 0;
};

class PlatformServices : public DialogHost {
public:
    virtual ~PlatformServices() = default;

    // Picture loader: the picture of a file decoded for display at `size`
    // device pixels (stretched to exactly that size), or a null image and the
    // reason on failure. The empty path gives a null image and no error.
    virtual QImage loadPicture(const QString &path, QSize size, QString *error) = 0;
    // Prepares pictures that are likely to be asked for next (neighbouring
    // pages); it changes only how fast loadPicture answers.
    virtual void preparePictures(const QStringList &paths, QSize size) = 0;

    // Modal file dialogs: the chosen full path, or "" when cancelled.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
    // Modal: many files chosen at once, or one folder taken as a whole; empty
    // when cancelled.
    virtual QStringList openFilesOrFolder(const FileDialogRequest &request) = 0;
    // Modal: one folder (request.initialDirectory to start in), or "" when
    // cancelled.
    virtual QString chooseFolder(const FileDialogRequest &request) = 0;
    // A progress window for work of `text`, owned by the caller.
    virtual std::unique_ptr<ProgressWindow> beginProgress(const QString &text) = 0;

    virtual MessageResult showMessage(const MessageRequest &request) = 0;
    // Modal; the index in request.choices of the button the user chose.
    virtual int askChoice(const ChoiceRequest &request) = 0;

    // Plain-text clipboard. Texts cross it with CR LF line breaks on the
    // program's side, whatever the desktop uses.
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual bool clipboardHasText() = 0;
    virtual QString clipboardText() = 0;

    // The arguments of the program joined by single blanks.
    virtual QString commandLine() = 0;
    // The directory of the program file, without a trailing separator.
    virtual QString programDirectory() = 0;
    // The user's own settings directory, looked in for the settings files
    // when the program's directory has none ($XDG_CONFIG_HOME/sorvane).
    virtual QString settingsDirectory() = 0;
    // The user's own folder for what the program keeps between runs that is
    // not settings (recovery copies, earlier versions of albums):
    // $XDG_STATE_HOME/sorvane, normally ~/.local/state/sorvane. It may not
    // exist yet.
    virtual QString stateDirectory() = 0;
    virtual QDate localDate() = 0;
    virtual ProgramVersion version() = 0;

    // Printers, named as the platform lists them.
    // Every installed printer once, in the platform's order.
    virtual QStringList printerNames() = 0;
    // The user's default printer, or "" when there is none.
    virtual QString defaultPrinterName() = 0;
    // A surface for one print document on the named printer; the document
    // goes to the printer when the surface ends it (or is destroyed). Null
    // when no printer of that name is installed or it refuses new jobs.
    virtual std::unique_ptr<PrintSurface> beginPrintJob(const QString &printerName, const QString &documentName) = 0;
    // The printer's own settings for this program's documents (paper,
    // orientation, margins), modal; they apply to later jobs on it.
    virtual void showPrinterProperties(const QString &printerName) = 0;
    // The print preview of a document on the named printer (on the paper
    // chosen for it under its properties), modal; `draw` draws the whole
    // document whenever the preview needs its pages. True when the user
    // printed from the preview.
    using DrawDocument = std::function<void(PrintSurface &surface)>;
    virtual bool showPrintPreview(const QString &printerName, const QString &documentName,
                                  const DrawDocument &draw) = 0;
    // The system's printer set-up dialog, modal; nothing is read back.
    virtual void showPrinterSetup() = 0;
    // The system print dialog, modal, opened on the named printer, with page
    // numbers 1 to 10 and no "selection" choice; empty when cancelled.
    virtual std::optional<SystemPrintChoice> showSystemPrintDialog(const QString &printerName) = 0;
    // Makes the named printer the user's default, for other programs too. A
    // name that is empty or names no printer changes nothing.
    virtual void setDefaultPrinter(const QString &name) = 0;
};

} // namespace sorvane
