// The commands of the main window: photos, insert, cut out and delete, the
// text commands, the zoom view and the version.
#include "ui/dialogs/zoom_view.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace sorvane {

namespace {

const QString kPhotoFilter =
    QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("BMP ファイル (*.bmp)|*.bmp|") +
    QStringLiteral("GIF ファイル (*.gif)|*.gif|") + QStringLiteral("ICO ファイル (*.ico)|*.ico|") +
    QStringLiteral("JPG ファイル (*.jpg)|*.jpg|") + QStringLiteral("JPEG ファイル (*.jpeg)|*.jpeg|") +
    QStringLiteral("WMF ファイル (*.wmf)|*.wmf|");
constexpr int kJpgFilterIndex = 5;
const QString kCrLf = QStringLiteral("\r\n");

} // namespace

void Form1::placePhoto(int slot, const QString &path, const QImage &picture)
{
    image1_[size_t(slot)]->setPicture(picture);
    table_.setText(rowOf(slot), AlbumTable::PhotoPath, path);
    GrowIfLastSlot(slot);
}

void Form1::LoadPhoto(int slot)
{
    FileDialogRequest request;
    request.filter = kPhotoFilter;
    request.filterIndex = kJpgFilterIndex;
    const QString path = services_.openFileName(request);
    if (!path.isEmpty()) {
        QString error;
        const QImage picture = pictureFor(path, &error);
        if (picture.isNull()) {
            message(QStringLiteral("写真ファイル取込に失敗しました."));
            return;
        }
        placePhoto(slot, path, picture);
    }
    text2_[size_t(slot)]->setFocus();
    saved_ = false;
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
    placePhoto(slot, path, picture);
    text2_[size_t(slot)]->setFocus();
    saved_ = false;
}

bool Form1::appendPageWithinLimit()
{
    // An album file holds at most kMaxAlbumEntries entries; growing past that
    // would give an album that could be saved but never opened again.
    if (table_.count() + kSlots > kMaxAlbumEntries) {
        message(QStringLiteral("写真帳の写真は %1 件までです。").arg(kMaxAlbumEntries));
        return false;
    }
    table_.appendPage();
    upDown1_->setMaximum(table_.pageCount());
    return true;
}

void Form1::GrowIfLastSlot(int slot)
{
    if (slot != kSlots - 1 || text4_->text().toInt() != pageCount())
        return;
    appendPageWithinLimit();
}

void Form1::InsertEntry()
{
    // The shift writes over the last row; when that row holds anything, the
    // album first grows by a page so that nothing is lost.
    if (!table_.entry(table_.count()).isEmpty() && !appendPageWithinLimit())
        return; // nothing moves, so nothing is lost
    const int n = table_.count();
    const int s = rowOf(selectedSlot_);
    for (int r = n - 1; r >= s; --r)
        table_.entry(r + 1).copyContentFrom(table_.entry(r));
    table_.entry(s).clearContent();
    ShowPage();
    saved_ = false;
}

void Form1::CutOutEntry()
{
    const int n = table_.count();
    for (int r = rowOf(selectedSlot_); r <= n - 1; ++r)
        table_.entry(r).copyContentFrom(table_.entry(r + 1));
    table_.entry(n).clearContent();
    ShowPage();
    saved_ = false;
}

void Form1::DeletePhoto(int slot)
{
    image1_[size_t(slot)]->setPicture({});
    setTitleBox(slot, {});
    setCommentBox(slot, {});
    table_.entry(rowOf(slot)).clearContent();
    saved_ = false;
}

void Form1::CopyFromPrevious(int slot)
{
    if (currentPage() == 1 && slot == 0)
        return;
    const int r = rowOf(slot) - 1;
    const QString title = table_.text(r, AlbumTable::Title);
    const QString comment = table_.text(r, AlbumTable::Comment);
    services_.clearClipboard();
    services_.setClipboardText(title + kCrLf + comment);
    setTitleBox(slot, title);
    setCommentBox(slot, comment);
    saved_ = false;
}

void Form1::CopyText()
{
    const int r = rowOf(selectedSlot_);
    services_.clearClipboard();
    services_.setClipboardText(table_.text(r, AlbumTable::Title) + kCrLf + table_.text(r, AlbumTable::Comment));
    command3_->setEnabled(true);
}

void Form1::PasteText()
{
    if (!services_.clipboardHasText()) {
        message(QStringLiteral("クリップボード上にテキストがありません。"));
        return;
    }
    const QString text = services_.clipboardText();
    const qsizetype lineEnd = text.indexOf(kCrLf);
    setTitleBox(selectedSlot_, lineEnd < 0 ? text : text.left(lineEnd));
    setCommentBox(selectedSlot_, lineEnd < 0 ? QString() : text.mid(lineEnd + kCrLf.size()));
}

void Form1::zoomPhoto()
{
    if (!form3_)
        form3_ = new ZoomView(services_, this);
    const QString path = table_.text(rowOf(selectedSlot_), AlbumTable::PhotoPath);
    form3_->setPhoto(image1_[size_t(selectedSlot_)]->picture(), resolvePhotoPath(path), path);
    form3_->show();
    form3_->setWindowState(form3_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    form3_->raise();
    form3_->activateWindow();
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
