// Photos that cannot be found or read: the bar above the slots that counts
// them, the 写真の確認 window that lists them and finds them again, and the
// question before a print or an export that would leave them out.
#include "ui/dialogs/photo_review_window.h"
#include "ui/main/form1.h"
#include "ui/main/missing_photo_texts.h"
#include "ui/main/missing_photos_bar.h"
#include "ui/main/photo_checker.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// How many of the rows' photos are missing (rather than unreadable).
int missingAmong(const PhotoChecker &checker, const AlbumDocument &document, const QList<int> &rows)
{
    return int(std::count_if(rows.begin(), rows.end(),
                             [&](int r) { return checker.status(document.entry(r).photoPath).isMissing(); }));
}

} // namespace

QWidget *Form1::withMissingPhotosBar(QWidget *surface)
{
    // The bar pushes the whole client area down while it is shown, so every
    // control keeps its place relative to the others.
    auto *client = new QWidget(this);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    missingPhotosBar_ = new MissingPhotosBar(client);
    missingPhotosBar_->hide();
    column->addWidget(missingPhotosBar_);
    surface->setParent(client);
    column->addWidget(surface);
    return client;
}

void Form1::connectPhotoCheck()
{
    photoChecker_ = new PhotoChecker(document_, this);
    connect(photoChecker_, &PhotoChecker::changed, this, &Form1::updateMissingPhotosBar);
    // A new album or a relink (made, undone or redone) shows the bar again
    // when photos are still missing.
    const auto reopen = [this] { missingPhotosBarClosed_ = false; };
    connect(&document_, &AlbumDocument::albumReplaced, this, reopen);
    connect(&document_, &AlbumDocument::photosRelinked, this, reopen);
    connect(missingPhotosBar_, &MissingPhotosBar::reviewRequested, this, &Form1::ReviewPhotos);
    connect(missingPhotosBar_, &MissingPhotosBar::closeRequested, this, [this] {
        missingPhotosBarClosed_ = true;
        updateMissingPhotosBar();
    });
}

void Form1::updateMissingPhotosBar()
{
    const QList<int> rows = photoChecker_->problemRows();
    const int missing = missingAmong(*photoChecker_, document_, rows);
    if (!rows.isEmpty())
        missingPhotosBar_->setText(photoProblemsText(missing, int(rows.size()) - missing));
    const bool show = !rows.isEmpty() && !missingPhotosBarClosed_;
    if (show == !missingPhotosBar_->isHidden())
        return;
    missingPhotosBar_->setVisible(show);
    // The window is of fixed size; it grows by the bar while the bar shows.
    const int bar = show ? missingPhotosBar_->sizeHint().height() : 0;
    setFixedSize(surface_->width(), menuBar()->sizeHint().height() + bar + surface_->height());
}

void Form1::ReviewPhotos()
{
    if (!photoReviewWindow_) {
        photoReviewWindow_ = new PhotoReviewWindow(services_, document_, *photoChecker_, this);
        connect(photoReviewWindow_, &PhotoReviewWindow::entryActivated, this, &Form1::showEntry);
        connect(photoReviewWindow_, &PhotoReviewWindow::locatorReplaced, this, [this] {
            photoChecker_->recheck();
            ShowPage();
        });
    }
    photoReviewWindow_->show();
    photoReviewWindow_->raise();
    photoReviewWindow_->activateWindow();
}

void Form1::showEntry(int row)
{
    if (row < 1 || row > document_.rowCount())
        return;
    document_.endTyping();
    showStep(EditPlace{(row - 1) / kSlots + 1, (row - 1) % kSlots, 0});
    activateWindow();
}

bool Form1::mayGoOnWithProblemPhotos(int first, int last, const QString &question)
{
    // What the check on a worker has not found yet is needed now.
    if (photoChecker_->isChecking()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        photoChecker_->waitUntilDone();
        QGuiApplication::restoreOverrideCursor();
    }
    const QList<int> rows = photoChecker_->problemRows(first, last);
    if (rows.isEmpty())
        return true;
    const int missing = missingAmong(*photoChecker_, document_, rows);
    MessageRequest request;
    request.text = photoProblemsText(missing, int(rows.size()) - missing) + QStringLiteral("。") + question;
    request.buttons = MessageButtons::YesNo;
    return services_.showMessage(request) == MessageResult::Yes;
}

} // namespace sorvane
