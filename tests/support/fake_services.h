#pragma once

#include "platform/services.h"

#include <QHash>
#include <QList>
#include <QQueue>
#include <functional>
#include <memory>

namespace sorvane::testing {

// Desktop services for tests: dialogs and message boxes answer at once from
// scripted queues and are recorded, the clipboard is a string, and pictures
// come from a map of path to image (or, optionally, from the real loader).
class FakeServices : public PlatformServices {
public:
    // Answers of the next file dialogs ("" = cancel) and message boxes.
    QQueue<QString> fileAnswers;
    QQueue<MessageResult> messageAnswers;
    // What was asked.
    QList<FileDialogRequest> fileRequests;
    QList<MessageRequest> messages;
    // Questions with buttons of their own, and the answers to the next ones
    // (an index into the choices; none queued = the escape choice).
    QList<ChoiceRequest> choiceRequests;
    QQueue<int> choiceAnswers;
    // Answers of the next many-files-or-a-folder dialogs (none queued =
    // cancel); their requests go to fileRequests.
    QQueue<QStringList> filesOrFolderAnswers;
    // Answers of the next folder dialogs ("" or none queued = cancel);
    // their requests go to fileRequests.
    QQueue<QString> folderAnswers;
    // Progress windows: the text of each one begun, every step reported
    // (done, total), and the step at which the "user" cancels (-1: never).
    QStringList progressTexts;
    QList<QPair<int, int>> progressSteps;
    int cancelProgressAt = -1;

    // Pictures by path; a path not in the map fails, unless useRealLoader.
    QHash<QString, QImage> pictures;
    bool useRealLoader = false;
    QStringList loadedPaths;
    QList<QSize> loadedSizes;
    QStringList preparedPaths;

    // Modal dialogs shown (by class name), and what the "user" does in each
    // before it returns (it may fill fields, press OK, or do nothing).
    QStringList modalDialogs;
    std::function<void(QObject &)> onModal;

    bool clipboardHoldsText = false;
    QString clipboard;

    QString arguments;
    QString programDir;
    QString settingsDir;
    QString stateDir;
    QDate today{2026, 12, 6};
    ProgramVersion programVersion{1, 2, 3};

    // Installed printers in the platform's order (names may repeat) and the
    // user's default printer ("" = none).
    QStringList printers;
    QString defaultPrinter;
    // One print document: where it went, its name, and every drawing call
    // made on its surface, kept after the surface is gone.
    struct PrintJob {
        QString printerName;
        QString documentName;
        QStringList calls;
    };
    QList<PrintJob> printJobs;
    // Printer calls, in order, as readable lines: "properties Name",
    // "printer setup", "system print dialog Name", "set default Name",
    // "begin job Name" (also for a
    // printer that does not exist, which gets no job).
    QStringList printerCalls;

    QStringList printerNames() override { return printers; }
    QString defaultPrinterName() override { return defaultPrinter; }
    std::unique_ptr<PrintSurface> beginPrintJob(const QString &printerName, const QString &documentName) override;
    void showPrinterProperties(const QString &printerName) override;
    void showPrinterSetup() override;
    // Answers of the next system print dialogs (nullopt = cancelled; none
    // queued = cancelled).
    QQueue<std::optional<SystemPrintChoice>> systemPrintAnswers;
    // Print previews shown: on which printer, named how, and what the
    // document drew; whether the "user" prints from the next ones.
    struct Preview {
        QString printerName;
        QString documentName;
        QStringList calls;
    };
    QList<Preview> previews;
    bool previewPrints = false;
    bool showPrintPreview(const QString &printerName, const QString &documentName, const DrawDocument &draw) override;
    std::optional<SystemPrintChoice> showSystemPrintDialog(const QString &printerName) override;
    // Sets the default only to a listed printer, as the platform does.
    void setDefaultPrinter(const QString &name) override;

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
    bool clipboardHasText() override { return clipboardHoldsText; }
    QString clipboardText() override { return clipboard; }
    QString commandLine() override { return arguments; }
    QString programDirectory() override { return programDir; }
    QString settingsDirectory() override { return settingsDir; }
    QString stateDirectory() override { return stateDir; }
    QDate localDate() override { return today; }
    ProgramVersion version() override { return programVersion; }

    // The texts of the messages shown so far, and forgets them.
    QStringList takeMessageTexts();
};

} // namespace sorvane::testing
