// The album's life in the main window: New, Open, Save, Exit, and the cover
// and options dialogs that hold part of the album's state.
#include "io/album_file.h"
#include "model/number_text.h"
#include "ui/main/album_messages.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QCloseEvent>
#include <QLineEdit>

namespace sorvane {

namespace {

const QString kAlbumFilter =
    QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("SORVANE ファイル (*.svd)|*.svd");
constexpr int kAlbumFilterIndex = 2;

FileDialogRequest albumDialog(const QString &initialFileName, bool save)
{
    FileDialogRequest request;
    request.filter = kAlbumFilter;
    request.filterIndex = kAlbumFilterIndex;
    request.defaultExtension = QStringLiteral("svd");
    request.initialFileName = initialFileName;
    request.confirmOverwrite = save;
    return request;
}

} // namespace

CoverDialog *Form1::coverDialog()
{
    if (!dialog_)
        dialog_ = new CoverDialog(services_, this);
    return dialog_;
}

OptionsDialog *Form1::optionsDialog()
{
    if (!frmOptions_) {
        frmOptions_ = new OptionsDialog(printOptions_, this);
        // Closing the dialog keeps the converted margins and unloads it.
        connect(frmOptions_, &OptionsDialog::closed, frmOptions_, &QObject::deleteLater);
        connect(frmOptions_, &OptionsDialog::listWindowRequested, this, [this] {
            if (form2_) {
                form2_->refresh();
                form2_->show();
            }
        });
    }
    return frmOptions_;
}

void Form1::editCover()
{
    services_.runModal(*coverDialog());
    saved_ = false;
}

void Form1::editOptions()
{
    services_.runModal(*optionsDialog());
}

void Form1::New()
{
    for (int k = 0; k < kSlots; ++k) {
        image1_[size_t(k)]->setPicture({});
        text1_[size_t(k)]->setText(QStringLiteral("No."));
        setTitleBox(k, {});
        setCommentBox(k, {});
    }
    selectedSlot_ = 0;
    HighlightSlot(0);
    text4_->setText(QStringLiteral("1"));
    startupComplete_ = true;
    table_.reset();
    upDown1_->setMaximum(table_.pageCount());
    upDown1_->setValue(1);
    if (form2_)
        form2_->hide();
    delete dialog_;
    services_.runModal(*coverDialog());
}

void Form1::Open()
{
    QString source;
    if (commandLineOpen_) {
        source = albumPath_;
        commandLineOpen_ = false;
    } else {
        source = services_.openFileName(albumDialog({}, false));
        if (source.isEmpty())
            return; // cancelled: the album in hand stays as it is
    }
    AlbumReadResult read = readAlbumFile(source);
    if (read.error.isError()) {
        message(openFailureMessage(source, read.error));
        return;
    }
    albumFile_ = source;
    replaceAlbum(std::move(read.album));
}

void Form1::replaceAlbum(AlbumContents album)
{
    coverDialog()->setFields(album.cover);
    table_ = std::move(album.table);
    // A file with fewer than three entries still gets a whole first page,
    // so the page view always has rows to show.
    while (table_.count() < kSlots)
        table_.appendEntry(numberText(table_.count() + 1), {}, {}, {});
    table_.setPageCount(std::max(1, table_.pageCount()));
    upDown1_->setMaximum(table_.pageCount());
    upDown1_->setValue(1);
    if (form2_)
        form2_->refresh();
    updatePagePosition();
    ShowPage();
}

void Form1::Save()
{
    const QString destination = services_.saveFileName(albumDialog(albumPath_, true));
    if (destination.isEmpty())
        return;
    const AlbumFileError error = writeAlbumFile(destination, coverDialog()->fields(), table_);
    if (error.isError()) {
        message(saveFailureMessage(destination, error));
        return;
    }
    albumFile_ = destination;
    saved_ = true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!saved_) {
        const MessageResult answer = services_.showMessage(MessageRequest{
            QStringLiteral("終了しますか？"), MessageButtons::YesNo, MessageIcon::None, QStringLiteral("Sorvane")});
        if (answer != MessageResult::Yes) {
            event->ignore();
            return;
        }
    }
    if (form3_)
        form3_->close();
    if (form2_)
        form2_->hide();
    if (dialog_)
        dialog_->hide();
    if (dialog1_)
        dialog1_->hide();
    if (frmOptions_)
        frmOptions_->close();
    // The default printer is left as it was when the program started.
    services_.setDefaultPrinter(startupPrinter_);
    event->accept();
}

} // namespace sorvane
