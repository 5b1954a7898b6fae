// The album's life in the main window: New, Open, Save, Exit, and the cover
// and options dialogs that hold part of the album's state.
#include "io/album_file.h"
#include "io/album_versions.h"
#include "io/fresh_cover.h"
#include "io/settings_files.h"
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
    if (!coverDialog_)
        coverDialog_ = new CoverDialog(this);
    return coverDialog_;
}

OptionsDialog *Form1::optionsDialog()
{
    if (!optionsDialog_) {
        optionsDialog_ = new OptionsDialog(session_, this);
        // Closing the dialog keeps the converted margins and unloads it.
        connect(optionsDialog_, &OptionsDialog::closed, optionsDialog_, &QObject::deleteLater);
        connect(optionsDialog_, &OptionsDialog::listWindowRequested, this, [this] {
            if (listWindow_)
                listWindow_->show();
        });
    }
    return optionsDialog_;
}

CoverData Form1::freshCoverNow()
{
    // corp.ini is read afresh each time: an edited file shows in the next
    // fresh cover without restarting the program.
    return freshCover(services_.localDate(),
                      readCorpIni(locateSettingsFile(services_.programDirectory(), services_.settingsDirectory(),
                                                     QString::fromLatin1(kCorpIniName))));
}

void Form1::showCoverDialog(bool marksChanged)
{
    CoverDialog *dialog = coverDialog();
    dialog->setFields(document_.cover());
    services_.runModal(*dialog);
    document_.setCover(dialog->fields(), marksChanged);
}

void Form1::editCover()
{
    showCoverDialog(true);
}

void Form1::editOptions()
{
    services_.runModal(*optionsDialog());
}

void Form1::New()
{
    for (int k = 0; k < kSlots; ++k) {
        photoBoxes_[size_t(k)]->setPicture({});
        shownPhoto_[size_t(k)].clear();
        numberBoxes_[size_t(k)]->setText(QStringLiteral("No."));
        setTitleBox(k, {});
        setCommentBox(k, {});
    }
    selectedSlot_ = 0;
    HighlightSlot(0);
    pageBox_->setText(QStringLiteral("1"));
    startupComplete_ = true;
    document_.startNew(freshCoverNow());
    pageSpinner_->setValue(1);
    updateSlotNames();
    if (listWindow_)
        listWindow_->hide();
    showCoverDialog(false);
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
    // Temporary files of saves that were killed are of no use to anyone.
    removeStaleSaveFiles(source);
    document_.replace(std::move(read.album), source);
    pageSpinner_->setValue(1);
    updatePagePosition();
    ShowPage();
    titleBoxes_[0]->setFocus();
}

void Form1::Save()
{
    const QString destination = services_.saveFileName(albumDialog(albumPath_, true));
    if (destination.isEmpty())
        return;
    // The file as it was goes to the versions folder before anything
    // touches it; only then may the writer fall back to rewriting it in
    // place (on shares that refuse temporary files or renames), since a
    // failure there can leave it damaged.
    QString versionError;
    const bool kept =
        keepPreviousVersion(destination, albumVersionsDirectory(services_.stateDirectory()), &versionError);
    const AlbumFileError error =
        writeAlbumFile(destination, document_, kept ? InPlaceWrite::Allowed : InPlaceWrite::Refused);
    if (error.isError()) {
        message(saveFailureMessage(destination, error));
        return;
    }
    document_.markSaved(destination);
    if (!kept)
        message(versionNotKeptMessage(destination, versionError));
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!document_.isSaved()) {
        const MessageResult answer = services_.showMessage(MessageRequest{
            QStringLiteral("終了しますか？"), MessageButtons::YesNo, MessageIcon::None, QStringLiteral("Sorvane")});
        if (answer != MessageResult::Yes) {
            event->ignore();
            return;
        }
    }
    if (zoomView_)
        zoomView_->close();
    if (listWindow_)
        listWindow_->hide();
    if (coverDialog_)
        coverDialog_->hide();
    if (printDialog_)
        printDialog_->hide();
    if (optionsDialog_)
        optionsDialog_->close();
    // The default printer is left as it was when the program started.
    services_.setDefaultPrinter(session_.startupPrinter());
    event->accept();
}

} // namespace sorvane
