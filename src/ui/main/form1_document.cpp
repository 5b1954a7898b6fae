// The album's life in the main window: New, Open, Save, Exit, and the cover
// and options dialogs that hold part of the album's state.
//
// The album in hand holds the lock of its file (io/album_lock.h) while it is
// open, so that a second Sorvane opening it asks first. Its answers:
// - 読み取り専用で開く: the album opens without a lock and a Save onto that
//   file is refused; saved under another name it belongs to the new file.
// - それでも開く: the album opens without a lock and may be saved. The other
//   holder's lock is left alone: that Sorvane is alive and still has the
//   album, and it removes its lock itself when it lets go of the album. Each
//   save onto the file tries again to take the lock, so the album gets its
//   lock back once the other holder has gone.
#include "io/album_file.h"
#include "io/album_versions.h"
#include "io/file_state.h"
#include "io/fresh_cover.h"
#include "io/settings_files.h"
#include "ui/main/album_messages.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include <sys/stat.h>

namespace sorvane {

namespace {

const QString kAlbumFilter =
    QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("SORVANE ファイル (*.svd)|*.svd");
constexpr int kAlbumFilterIndex = 2;

// Whether two paths name one album (they share one lock file).
bool sameAlbum(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && lockFilePath(a) == lockFilePath(b);
}

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

bool Form1::mayDiscardChanges()
{
    if (document_.isSaved())
        return true;
    MessageRequest question;
    question.text = QStringLiteral("保存されていない変更があります。破棄して続けますか？");
    question.buttons = MessageButtons::YesNo;
    question.defaultNo = true;
    return services_.showMessage(question) == MessageResult::Yes;
}

void Form1::New()
{
    if (!mayDiscardChanges())
        return;
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
    adoptLock({});
    pageSpinner_->setValue(1);
    updateSlotNames();
    if (listWindow_)
        listWindow_->hide();
    showCoverDialog(false);
}

void Form1::Open()
{
    openAlbum(albumDialog({}, false));
}

void Form1::openPreviousVersion()
{
    FileDialogRequest dialog = albumDialog({}, false);
    const QString state = services_.stateDirectory();
    if (!state.isEmpty())
        dialog.initialDirectory = albumVersionsDirectory(state);
    openAlbum(dialog);
}

void Form1::openAlbum(const FileDialogRequest &dialog)
{
    QString source;
    if (commandLineOpen_) {
        source = albumPath_;
        commandLineOpen_ = false;
    } else {
        if (!mayDiscardChanges())
            return;
        source = services_.openFileName(dialog);
        if (source.isEmpty())
            return; // cancelled: the album in hand stays as it is
    }
    // The lock is taken before the file is read: nobody can start on the
    // album between our look at it and our reading it.
    AlbumLock lock;
    LockChoice choice = CancelOpen;
    if (!askForLock(source, &lock, &choice))
        return; // the album in hand and its lock stay as they are
    AlbumReadResult read = readAlbumFile(source);
    if (read.error.isError()) {
        message(openFailureMessage(source, read.error));
        return; // a lock taken above goes with `lock`
    }
    // Temporary files of saves that were killed are of no use to anyone.
    removeStaleSaveFiles(source);
    document_.replace(std::move(read.album), source);
    holdAlbum(source, std::move(lock), choice);
    noteFileState();
    pageSpinner_->setValue(1);
    updatePagePosition();
    ShowPage();
    titleBoxes_[0]->setFocus();
    if (document_.undecodableCount() > 0) {
        services_.showMessage(MessageRequest{
            undecodableTextMessage(document_.undecodableCount()), MessageButtons::Ok, MessageIcon::Information, {}});
    }
}

bool Form1::askForLock(const QString &path, AlbumLock *lock, LockChoice *choice)
{
    *choice = CancelOpen; // no question asked
    if (lock_.holds(path) || lock->take(path) != AlbumLock::Result::HeldByOther)
        return true;
    ChoiceRequest question;
    question.text = albumInUseText(lock->owner());
    question.choices = albumInUseChoices();
    question.defaultChoice = OpenReadOnly;
    question.escapeChoice = CancelOpen;
    *choice = LockChoice(services_.askChoice(question));
    return *choice == OpenReadOnly || *choice == OpenAnyway;
}

void Form1::holdAlbum(const QString &path, AlbumLock lock, LockChoice choice)
{
    if (lock_.holds(path))
        lock = std::move(lock_); // the album it already held, opened again
    adoptLock(std::move(lock));
    if (choice == OpenReadOnly)
        readOnlyFile_ = path;
    else if (choice == OpenAnyway)
        openedDespiteLock_ = path;
}

void Form1::Save()
{
    const QString destination = services_.saveFileName(albumDialog(albumPath_, true));
    if (destination.isEmpty())
        return;
    if (sameAlbum(destination, readOnlyFile_)) {
        message(readOnlySaveMessage());
        return;
    }
    // A file another Sorvane has open is written only when the user opened
    // it despite that; otherwise its lock comes before the writing.
    AlbumLock lock;
    const bool lockedAlready = lock_.holds(destination);
    if (!lockedAlready && lock.take(destination) == AlbumLock::Result::HeldByOther &&
        !sameAlbum(destination, openedDespiteLock_)) {
        message(saveOntoAlbumInUseMessage(lock.owner()));
        return;
    }
    // Someone else changed the file since this album was read from it (or
    // last saved to it): their work would go.
    if (fileChangedSinceRead(destination)) {
        MessageRequest question;
        question.text =
            QFileInfo(destination).fileName() + QStringLiteral("は開いた後にほかで変更されています。上書きしますか？");
        question.buttons = MessageButtons::YesNo;
        question.defaultNo = true;
        if (services_.showMessage(question) != MessageResult::Yes)
            return;
    }
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
        return; // a lock taken above goes with `lock`; the album keeps its own
    }
    document_.markSaved(destination);
    noteFileState();
    if (!kept)
        message(versionNotKeptMessage(destination, versionError));
    if (lockedAlready)
        return;
    // The album now belongs to the file written (read-only no more).
    const bool despite = !lock.isHeld() && sameAlbum(destination, openedDespiteLock_);
    adoptLock(std::move(lock));
    if (despite)
        openedDespiteLock_ = destination;
}

void Form1::adoptLock(AlbumLock lock)
{
    lock_ = std::move(lock); // gives back the lock of the album before
    readOnlyFile_.clear();
    openedDespiteLock_.clear();
}

void Form1::noteFileState()
{
    diskState_ = fileState(document_.filePath());
    recovery_->setOriginalState(diskState_);
}

bool Form1::fileChangedSinceRead(const QString &path) const
{
    if (document_.filePath().isEmpty() || diskState_.isEmpty())
        return false;
    if (QFileInfo(path).canonicalFilePath() != QFileInfo(document_.filePath()).canonicalFilePath())
        return false;
    const QString now = fileState(path);
    // A file deleted meanwhile is simply written again.
    return !now.isEmpty() && now != diskState_;
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
    adoptLock({});
    // The default printer is left as it was when the program started.
    services_.setDefaultPrinter(session_.startupPrinter());
    // Closed with the user's consent: the changes are given up.
    recovery_->discard();
    event->accept();
}

} // namespace sorvane
