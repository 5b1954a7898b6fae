// The commands of the main window: photos, insert, cut out and delete, the
// text commands, the zoom view and the version.
#include "text/line_breaks.h"
#include "ui/dialogs/zoom_view.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"
#include "ui/main/photo_texts.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace sorvane {

namespace {

constexpr int kJpgFilterIndex = 5;

} // namespace

void Form1::placePhoto(int slot, const QString &path, const QImage &picture, const QString &stepName)
{
    photoBoxes_[size_t(slot)]->setPicture(picture);
    shownPhoto_[size_t(slot)] = path;
    shownError_[size_t(slot)].clear();
    document_.setPhoto(rowOf(slot), path, growsIfLastSlot(slot), stepName, placeOf(slot));
}

void Form1::LoadPhoto(int slot)
{
    FileDialogRequest request;
    request.filter = photoFileFilter();
    request.filterIndex = kJpgFilterIndex;
    const QString path = services_.openFileName(request);
    if (!path.isEmpty()) {
        QString error;
        const QImage picture = pictureFor(path, &error);
        if (picture.isNull()) {
            message(QStringLiteral("写真ファイル取込に失敗しました."));
            return;
        }
        placePhoto(slot, path, picture, QStringLiteral("写真を開く"));
    }
    titleBoxes_[size_t(slot)]->setFocus();
    document_.markChanged();
}

void Form1::DropPhoto(int slot, const DropData &data)
{
    if (!data.hasFiles || data.paths.isEmpty())
        return;
    if (data.paths.size() > 1) {
        message(QStringLiteral("複数のファイルがドロップされました.") + kCrLf +
                QStringLiteral("ドラッグをやり直してください."));
        return;
    }
    selectedSlot_ = slot;
    HighlightSlot(slot);
    const QString &path = data.paths.constFirst();
    QString error;
    const QImage picture = pictureFor(path, &error);
    if (picture.isNull()) {
        message(QStringLiteral("ドロップファイルによるエラーが発生しました.") + kCrLf + kCrLf +
                    QStringLiteral("対応ファイル以外の可能性があります."),
                QStringLiteral("ドロップファイルエラー"));
        return;
    }
    placePhoto(slot, path, picture, QStringLiteral("写真のドロップ"));
    titleBoxes_[size_t(slot)]->setFocus();
}

void Form1::showAlbumFull()
{
    message(QStringLiteral("写真帳の写真は %1 件までです。").arg(kMaxAlbumEntries));
}

bool Form1::growsIfLastSlot(int slot)
{
    if (slot != kSlots - 1 || pageBox_->text().toInt() != pageCount())
        return false;
    // An album file holds at most kMaxAlbumEntries entries; growing past that
    // would give an album that could be saved but never opened again.
    if (!document_.canAppendPage()) {
        showAlbumFull();
        return false;
    }
    return true;
}

void Form1::InsertEntry()
{
    // When the last entry holds something the album first grows by a page,
    // so that nothing is lost; a full album refuses and nothing moves.
    if (!document_.insertEntry(rowOf(selectedSlot_), placeOf(selectedSlot_))) {
        showAlbumFull();
        return;
    }
    ShowPage();
}

void Form1::CutOutEntry()
{
    document_.cutOutEntry(rowOf(selectedSlot_), placeOf(selectedSlot_));
    ShowPage();
}

void Form1::DeletePhoto(int slot)
{
    photoBoxes_[size_t(slot)]->setPicture({});
    shownPhoto_[size_t(slot)].clear();
    shownError_[size_t(slot)].clear();
    document_.clearEntry(rowOf(slot), placeOf(slot));
}

void Form1::CopyFromPrevious(int slot)
{
    if (currentPage() == 1 && slot == 0)
        return;
    const int r = rowOf(slot) - 1;
    const QString title = document_.text(r, AlbumTable::Title);
    const QString comment = document_.text(r, AlbumTable::Comment);
    services_.clearClipboard();
    services_.setClipboardText(title + kCrLf + comment);
    document_.setTexts(rowOf(slot), title, comment, QStringLiteral("前の写真からコピー"), placeOf(slot));
}

void Form1::CopyText()
{
    const int r = rowOf(selectedSlot_);
    services_.clearClipboard();
    services_.setClipboardText(document_.text(r, AlbumTable::Title) + kCrLf + document_.text(r, AlbumTable::Comment));
    pasteButton_->setEnabled(true);
}

void Form1::PasteText()
{
    if (!services_.clipboardHasText()) {
        message(QStringLiteral("クリップボード上にテキストがありません。"));
        return;
    }
    const QString text = services_.clipboardText();
    const qsizetype lineEnd = text.indexOf(kCrLf);
    const QString title = lineEnd < 0 ? text : text.left(lineEnd);
    const QString comment = lineEnd < 0 ? QString() : text.mid(lineEnd + kCrLf.size());
    document_.setTexts(rowOf(selectedSlot_), title, comment, QStringLiteral("テキスト貼り付け"),
                       placeOf(selectedSlot_));
}

void Form1::zoomPhoto()
{
    if (!zoomView_)
        zoomView_ = new ZoomView(services_, this);
    const QString path = document_.text(rowOf(selectedSlot_), AlbumTable::PhotoPath);
    zoomView_->setPhoto(photoBoxes_[size_t(selectedSlot_)]->picture(), document_.resolvePhotoPath(path), path);
    zoomView_->show();
    zoomView_->setWindowState(zoomView_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    zoomView_->raise();
    zoomView_->activateWindow();
}

void Form1::showVersion()
{
    const ProgramVersion v = services_.version();
    const QString text = QStringLiteral("Version %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision) + kCrLf + kCrLf +
                         QStringLiteral("Sorvane 開発チーム") + kCrLf + kCrLf +
                         QStringLiteral("Copyright (C) 2026 Sorvane developers");
    services_.showMessage(
        MessageRequest{text, MessageButtons::Ok, MessageIcon::Information, QStringLiteral("Sorvane")});
}

} // namespace sorvane
