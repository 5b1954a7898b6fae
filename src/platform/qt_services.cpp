#include "platform/qt_services.h"

#include "platform/app_paths.h"
#include "platform/filter_text.h"
#include "print/painter_print_surface.h"
#include "text/line_breaks.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include <cstring>
#include <cups/cups.h>

namespace sorvane {

QtServices::QtServices() = default;

QImage QtServices::loadPicture(const QString &path, QSize size, QString *error)
{
    return pictures_.picture(path, size, error);
}

void QtServices::preparePictures(const QStringList &paths, QSize size)
{
    pictures_.prefetch(paths, size);
}

QString QtServices::fileDialog(const FileDialogRequest &request, bool save)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = nameFiltersFromFilterText(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialFileName.isEmpty())
        dialog.selectFile(request.initialFileName);
    else if (!request.initialDirectory.isEmpty())
        dialog.setDirectory(request.initialDirectory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtServices::openFileName(const FileDialogRequest &request)
{
    return fileDialog(request, false);
}

QString QtServices::saveFileName(const FileDialogRequest &request)
{
    return fileDialog(request, true);
}

MessageResult QtServices::showMessage(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.caption.isEmpty() ? QApplication::applicationName() : request.caption);
    box.setText(crLfToLf(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(request.icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon);
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultNo ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageResult::Ok;
}

int QtServices::askChoice(const ChoiceRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.caption.isEmpty() ? QApplication::applicationName() : request.caption);
    box.setText(crLfToLf(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : request.choices)
        buttons.append(box.addButton(choice, QMessageBox::ActionRole));
    if (buttons.isEmpty())
        return -1;
    const int escape = request.escapeChoice >= 0 && request.escapeChoice < buttons.size() ? request.escapeChoice
                                                                                          : int(buttons.size()) - 1;
    if (request.defaultChoice >= 0 && request.defaultChoice < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons[request.defaultChoice]));
    box.setEscapeButton(buttons[escape]);
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : escape;
}

void QtServices::runModal(QObject &dialog)
{
    if (auto *modal = qobject_cast<QDialog *>(&dialog))
        modal->exec();
}

void QtServices::clearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

void QtServices::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(crLfToLf(text));
}

bool QtServices::clipboardHasText()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    return mime && mime->hasText();
}

QString QtServices::clipboardText()
{
    return lfToCrLf(QGuiApplication::clipboard()->text());
}

QString QtServices::commandLine()
{
    return QCoreApplication::arguments().mid(1).join(u' ');
}

QString QtServices::programDirectory()
{
    return sorvane::programDirectory();
}

QString QtServices::settingsDirectory()
{
    return userConfigDirectory();
}

QString QtServices::stateDirectory()
{
    return userStateDirectory();
}

QDate QtServices::localDate()
{
    return QDate::currentDate();
}

ProgramVersion QtServices::version()
{
    return {SORVANE_VERSION_MAJOR, SORVANE_VERSION_MINOR, SORVANE_VERSION_PATCH};
}

namespace {

// The printer comes first among the bases, so it is made before the surface
// that paints on it and outlives it: the surface ends the document in its
// destructor.
struct OwnedPrinter {
    QPrinter printer{QPrinter::HighResolution};
};

class PrinterJobSurface : private OwnedPrinter, public QPainterPrintSurface {
public:
    PrinterJobSurface() : QPainterPrintSurface(printer) {}
    QPrinter &device() { return printer; }
};

} // namespace

QStringList QtServices::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtServices::defaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

bool printerAcceptsJobs(const QString &printerName)
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printerName.toUtf8().constData(), nullptr);
    if (!dest)
        return true; // not a CUPS destination: nothing to ask
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && std::strcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    return !refuses;
}

void QtServices::aimAt(QPrinter &printer, const QString &printerName) const
{
    printer.setPrinterName(printerName);
    const QPageLayout layout = pageLayoutFor(printerName);
    if (layout.isValid())
        printer.setPageLayout(layout);
}

std::unique_ptr<PrintSurface> QtServices::beginPrintJob(const QString &printerName, const QString &documentName)
{
    if (printerName.isEmpty() || !QPrinterInfo::availablePrinterNames().contains(printerName) ||
        !printerAcceptsJobs(printerName))
        return nullptr;
    auto job = std::make_unique<PrinterJobSurface>();
    QPrinter &printer = job->device();
    aimAt(printer, printerName);
    printer.setDocName(documentName);
    return job;
}

void QtServices::showPrinterProperties(const QString &printerName)
{
    if (printerName.isEmpty() || !QPrinterInfo::availablePrinterNames().contains(printerName))
        return;
    QPrinter printer(QPrinter::HighResolution);
    aimAt(printer, printerName);
    QPageSetupDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() == QDialog::Accepted)
        setPageLayoutFor(printerName, printer.pageLayout());
}

bool QtServices::showPrintPreview(const QString &printerName, const QString &documentName, const DrawDocument &draw)
{
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinterNames().contains(printerName))
        aimAt(printer, printerName);
    printer.setDocName(documentName);
    QPrintPreviewDialog preview(&printer, QApplication::activeWindow());
    preview.setWindowTitle(QStringLiteral("印刷プレビュー"));
    // Large enough to read a whole sheet.
    if (const QScreen *screen = preview.screen())
        preview.resize(screen->availableGeometry().size() * 0.8);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&draw](QPrinter *target) {
        QPainterPrintSurface surface(*target);
        draw(surface);
    });
    runModal(preview);
    // The preview dialog is accepted when its pages were printed.
    return preview.result() == QDialog::Accepted;
}

void QtServices::showPrinterSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("プリンタ設定"));
    // Qt has no set-up form of its print dialog; this one prints nothing,
    // so its confirming button must not say that it prints.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
    dialog.exec();
}

std::optional<SystemPrintChoice> QtServices::showSystemPrintDialog(const QString &printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinterNames().contains(printerName))
        aimAt(printer, printerName);
    printer.setFromTo(1, 1);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setMinMax(1, 10);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return SystemPrintChoice{printer.printerName(), printer.copyCount()};
}

void QtServices::setDefaultPrinter(const QString &name)
{
    if (name.isEmpty())
        return;
    // The user's default lives in ~/.cups/lpoptions, which every CUPS client
    // reads; only a destination the scheduler (or lpoptions) knows is set.
    const QByteArray destName = name.toUtf8();
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cupsGetDest(destName.constData(), nullptr, count, dests)) {
        cupsSetDefaultDest(destName.constData(), nullptr, count, dests);
        cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
    }
    cupsFreeDests(count, dests);
}

} // namespace sorvane
