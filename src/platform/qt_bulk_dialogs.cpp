// The dialogs of bulk work: choosing many photos or a folder, a folder to
// search, and the progress window with its cancel button.
#include "platform/filter_text.h"
#include "platform/qt_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QProgressDialog>
#include <QPushButton>

namespace sorvane {

namespace {

class QtProgressWindow : public ProgressWindow {
public:
    explicit QtProgressWindow(const QString &text)
        : dialog_(text, QStringLiteral("キャンセル"), 0, 0, QApplication::activeWindow())
    {
        dialog_.setWindowTitle(QApplication::applicationName());
        dialog_.setWindowModality(Qt::WindowModal);
        // Short work finishes before the window would appear.
        dialog_.setMinimumDuration(400);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
    }

    bool advance(int done, int total) override
    {
        if (dialog_.maximum() != total)
            dialog_.setMaximum(total);
        // A modal progress dialog takes the window's events while it sets
        // its value, so the cancel button answers during the work.
        dialog_.setValue(std::min(done, total));
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

} // namespace

QStringList QtServices::openFilesOrFolder(const FileDialogRequest &request)
{
    // Qt's own dialog, as a platform dialog cannot be given a button that
    // takes the folder shown (or the folder selected in it) as a whole.
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = nameFiltersFromFilterText(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.initialDirectory.isEmpty())
        dialog.setDirectory(request.initialDirectory);

    QString folder;
    auto *takeFolder = new QPushButton(QStringLiteral("フォルダごと取り込む"), &dialog);
    takeFolder->setObjectName(QStringLiteral("take_folder"));
    QObject::connect(takeFolder, &QPushButton::clicked, &dialog, [&] {
        const QStringList selected = dialog.selectedFiles();
        folder = selected.size() == 1 && QFileInfo(selected.first()).isDir() ? selected.first()
                                                                             : dialog.directory().absolutePath();
        static_cast<QDialog &>(dialog).done(QDialog::Accepted);
    });
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(takeFolder, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (!folder.isEmpty())
        return {folder};
    return dialog.selectedFiles();
}

QString QtServices::chooseFolder(const FileDialogRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.initialDirectory.isEmpty())
        dialog.setDirectory(request.initialDirectory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::unique_ptr<ProgressWindow> QtServices::beginProgress(const QString &text)
{
    return std::make_unique<QtProgressWindow>(text);
}

} // namespace sorvane
