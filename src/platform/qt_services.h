#pragma once

#include "picture/picture_cache.h"
#include "platform/services.h"

#include <QHash>
#include <QPageLayout>

class QPrinter;

namespace sorvane {

// The desktop services of a running program, on Qt.
class QtServices : public PlatformServices {
public:
    QtServices();

    QImage loadPicture(const QString &path, QSize size, QString *error) override;
    void preparePictures(const QStringList &paths, QSize size) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    QStringList openFilesOrFolder(const FileDialogRequest &request) override;
    QString chooseFolder(const FileDialogRequest &request) override;
    std::unique_ptr<ProgressWindow> beginProgress(const QString &text) override;
    MessageResult showMessage(const MessageRequest &request) override;
    int askChoice(const ChoiceRequest &request) override;
    void runModal(QObject &dialog) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    bool clipboardHasText() override;
    QString clipboardText() override;
    QString commandLine() override;
    QString programDirectory() override;
    QString settingsDirectory() override;
    QString stateDirectory() override;
    QDate localDate() override;
    ProgramVersion version() override;
    QStringList printerNames() override;
    QString defaultPrinterName() override;
    std::unique_ptr<PrintSurface> beginPrintJob(const QString &printerName, const QString &documentName) override;
    void showPrinterProperties(const QString &printerName) override;
    bool showPrintPreview(const QString &printerName, const QString &documentName, const DrawDocument &draw) override;
    void showPrinterSetup() override;
    std::optional<SystemPrintChoice> showSystemPrintDialog(const QString &printerName) override;
    void setDefaultPrinter(const QString &name) override;

    // The page layout chosen for a printer in its properties dialog, which
    // this program's jobs on that printer use; invalid when none was chosen.
    QPageLayout pageLayoutFor(const QString &printerName) const { return pageLayouts_.value(printerName); }
    void setPageLayoutFor(const QString &printerName, const QPageLayout &layout)
    {
        pageLayouts_.insert(printerName, layout);
    }

    PictureCache &pictureCache() { return pictures_; }
    // Sends the printer's output to the named printer, on the page layout
    // chosen for it.
    void aimAt(QPrinter &printer, const QString &printerName) const;

private:
    QString fileDialog(const FileDialogRequest &request, bool save);

    PictureCache pictures_;
    QHash<QString, QPageLayout> pageLayouts_;
};

// False when CUPS says the printer refuses new jobs (a rejecting queue):
// such a job would be dropped without a word, so it is not started.
bool printerAcceptsJobs(const QString &printerName);

} // namespace sorvane
