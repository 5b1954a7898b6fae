#include "fake_services.h"

#include "picture/picture_loader.h"
#include "recording_surface.h"

#include <QObject>

namespace sorvane::testing {

QImage FakeServices::loadPicture(const QString &path, QSize size, QString *error)
{
    if (path.isEmpty())
        return {};
    loadedPaths.append(path);
    loadedSizes.append(size);
    if (useRealLoader)
        return sorvane::loadPicture(path, size, error);
    const auto it = pictures.constFind(path);
    if (it == pictures.constEnd()) {
        if (error)
            *error = QStringLiteral("no such picture");
        return {};
    }
    return size.isValid() ? it->scaled(size) : *it;
}

void FakeServices::preparePictures(const QStringList &paths, QSize)
{
    preparedPaths += paths;
}

QString FakeServices::openFileName(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString FakeServices::saveFileName(const FileDialogRequest &request)
{
    return openFileName(request);
}

QStringList FakeServices::openFilesOrFolder(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return filesOrFolderAnswers.isEmpty() ? QStringList() : filesOrFolderAnswers.dequeue();
}

QString FakeServices::chooseFolder(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

namespace {

class FakeProgressWindow : public ProgressWindow {
public:
    explicit FakeProgressWindow(FakeServices &services) : services_(services) {}
    bool advance(int done, int total) override
    {
        services_.progressSteps.append({done, total});
        return services_.cancelProgressAt < 0 || done < services_.cancelProgressAt;
    }

private:
    FakeServices &services_;
};

} // namespace

std::unique_ptr<ProgressWindow> FakeServices::beginProgress(const QString &text)
{
    progressTexts.append(text);
    return std::make_unique<FakeProgressWindow>(*this);
}

MessageResult FakeServices::showMessage(const MessageRequest &request)
{
    messages.append(request);
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    if (request.buttons != MessageButtons::YesNo)
        return MessageResult::Ok;
    return request.defaultNo ? MessageResult::No : MessageResult::Yes;
}

int FakeServices::askChoice(const ChoiceRequest &request)
{
    choiceRequests.append(request);
    if (!choiceAnswers.isEmpty())
        return choiceAnswers.dequeue();
    return request.escapeChoice >= 0 ? request.escapeChoice : int(request.choices.size()) - 1;
}

void FakeServices::runModal(QObject &dialog)
{
    modalDialogs.append(QString::fromLatin1(dialog.metaObject()->className()));
    if (onModal)
        onModal(dialog);
}

void FakeServices::clearClipboard()
{
    clipboard.clear();
    clipboardHoldsText = false;
}

void FakeServices::setClipboardText(const QString &text)
{
    clipboard = text;
    clipboardHoldsText = true;
}

namespace {

// A recording surface that hands its calls to the job record as they come,
// so the record is complete whenever the surface is dropped.
class JobSurface : public RecordingSurface {
public:
    JobSurface(QList<FakeServices::PrintJob> &jobs, qsizetype index) : jobs_(jobs), index_(index) {}

    void setMillimetres() override
    {
        record([&] { RecordingSurface::setMillimetres(); });
    }
    void setOrigin(double dx, double dy) override
    {
        record([&] { RecordingSurface::setOrigin(dx, dy); });
    }
    void setFontName(const QString &name) override
    {
        record([&] { RecordingSurface::setFontName(name); });
    }
    void setFontSize(double points) override
    {
        record([&] { RecordingSurface::setFontSize(points); });
    }
    void setFontBold(bool bold) override
    {
        record([&] { RecordingSurface::setFontBold(bold); });
    }
    void setLineWidth(int pixels) override
    {
        record([&] { RecordingSurface::setLineWidth(pixels); });
    }
    void drawText(double x, double y, const QString &text) override
    {
        record([&] { RecordingSurface::drawText(x, y, text); });
    }
    void drawLine(double x1, double y1, double x2, double y2) override
    {
        record([&] { RecordingSurface::drawLine(x1, y1, x2, y2); });
    }
    void drawBox(double x1, double y1, double x2, double y2) override
    {
        record([&] { RecordingSurface::drawBox(x1, y1, x2, y2); });
    }
    void drawPicture(const QImage &picture, double x, double y, double w, double h) override
    {
        record([&] { RecordingSurface::drawPicture(picture, x, y, w, h); });
    }
    void newPage() override
    {
        record([&] { RecordingSurface::newPage(); });
    }
    void endDocument() override
    {
        record([&] { RecordingSurface::endDocument(); });
    }

private:
    template <typename Call> void record(Call call)
    {
        call();
        if (index_ < jobs_.size()) // a test may have forgotten the jobs meanwhile
            jobs_[index_].calls = calls;
    }

    QList<FakeServices::PrintJob> &jobs_;
    qsizetype index_;
};

} // namespace

std::unique_ptr<PrintSurface> FakeServices::beginPrintJob(const QString &printerName, const QString &documentName)
{
    printerCalls.append(QStringLiteral("begin job ") + printerName);
    if (printerName.isEmpty() || !printers.contains(printerName))
        return nullptr;
    printJobs.append({printerName, documentName, {}});
    return std::make_unique<JobSurface>(printJobs, printJobs.size() - 1);
}

void FakeServices::showPrinterProperties(const QString &printerName)
{
    printerCalls.append(QStringLiteral("properties ") + printerName);
}

bool FakeServices::showPrintPreview(const QString &printerName, const QString &documentName, const DrawDocument &draw)
{
    printerCalls.append(QStringLiteral("preview ") + printerName);
    RecordingSurface surface;
    draw(surface);
    previews.append({printerName, documentName, surface.calls});
    return previewPrints;
}

void FakeServices::showPrinterSetup()
{
    printerCalls.append(QStringLiteral("printer setup"));
}

std::optional<SystemPrintChoice> FakeServices::showSystemPrintDialog(const QString &printerName)
{
    printerCalls.append(QStringLiteral("system print dialog ") + printerName);
    return systemPrintAnswers.isEmpty() ? std::nullopt : systemPrintAnswers.dequeue();
}

void FakeServices::setDefaultPrinter(const QString &name)
{
    printerCalls.append(QStringLiteral("set default ") + name);
    if (!name.isEmpty() && printers.contains(name))
        defaultPrinter = name;
}

QStringList FakeServices::takeMessageTexts()
{
    QStringList texts;
    for (const MessageRequest &m : messages)
        texts.append(m.text);
    messages.clear();
    return texts;
}

} // namespace sorvane::testing
