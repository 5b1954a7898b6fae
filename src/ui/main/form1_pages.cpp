// Start-up, page display, page navigation, slot selection and the slot boxes'
// change steps of the main window.
#include "io/settings_files.h"
#include "model/number_text.h"
#include "text/cp932.h"
#include "text/line_breaks.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QToolButton>

namespace sorvane {

namespace {

const QColor kSelectedFrame(80, 80, 192);
const QColor kOtherFrame(192, 192, 192);

// What a slot shows for a photo that cannot be loaded: the entry keeps its
// path, the page stays whole, and the user sees which file is missing.
QImage missingPhotoPicture(QSize size, const QString &path)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(245, 240, 240));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(176, 48, 48), 2, Qt::DashLine));
    painter.drawRect(QRectF(image.rect()).adjusted(1, 1, -1, -1));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(std::max(10, image.height() / 12));
    painter.setFont(font);
    painter.setPen(QColor(96, 32, 32));
    const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    painter.drawText(image.rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWrapAnywhere,
                     QStringLiteral("写真を表示できません\n%1").arg(name));
    return image;
}

} // namespace

void Form1::startUp()
{
    session_.setStartupPrinter(services_.defaultPrinterName());
    session_.setCurrentPrinter(session_.startupPrinter());
    // CUPS may have printers but no default; print on the first one then
    // (the system default itself stays unset: the exit restores "").
    if (session_.currentPrinter().isEmpty()) {
        const QStringList printers = services_.printerNames();
        if (!printers.isEmpty())
            session_.setCurrentPrinter(printers.constFirst());
    }
    startupComplete_ = false;
    setWindowTitle(QStringLiteral("Sorvane"));
    for (int k = 0; k < kSlots; ++k) {
        numberBoxes_[size_t(k)]->setText(QStringLiteral("No."));
        titleBoxes_[size_t(k)]->clear();
        commentBoxes_[size_t(k)]->clear();
    }
    selectedSlot_ = 0;
    HighlightSlot(0);
    pageBox_->setText(QStringLiteral("1"));

    // The print settings as print.ini gives them; the options dialog shows
    // these texts until the user first closes it.
    session_.loadIni(readPrintIni(locateSettingsFile(services_.programDirectory(), services_.settingsDirectory(),
                                                     QString::fromLatin1(kPrintIniName))));
    startupComplete_ = true;

    if (!listWindow_)
        listWindow_ = new ListWindow(document_, this);
    loadPathMappings();
    document_.startNew(freshCoverNow());
    pageSpinner_->setValue(1);

    albumPath_ = services_.commandLine().remove(u'"');
    commandLineOpen_ = false;
    // Work left unsaved by a run that ended comes first; an album restored
    // from it is the album in hand, instead of the one named on the command
    // line or a fresh cover.
    if (offerRecoveryCopies()) {
        titleBoxes_[0]->setFocus();
        return;
    }
    if (!albumPath_.isEmpty()) {
        commandLineOpen_ = true;
        Open();
    } else {
        showCoverDialog(false);
    }
    titleBoxes_[0]->setFocus();
}

int Form1::currentPage() const
{
    return pageSpinner_->value();
}

int Form1::pageCount() const
{
    return document_.pageCount();
}

QSize Form1::slotPictureSize() const
{
    return photoBoxes_[0]->size() * photoBoxes_[0]->devicePixelRatioF();
}

void Form1::HighlightSlot(int slot)
{
    for (SlotFrame *frame : slotFrames_)
        frame->setBorderColor(kOtherFrame);
    slotFrames_[size_t(slot)]->setBorderColor(kSelectedFrame);
}

void Form1::ShowPage()
{
    // The page's photos start decoding side by side; each slot below then
    // takes its own picture in turn, as soon as it is ready.
    QStringList pagePhotos;
    for (int k = 0; k < kSlots; ++k) {
        const QString path = document_.text(rowOf(k), AlbumTable::PhotoPath);
        if (!path.isEmpty())
            pagePhotos.append(document_.resolvePhotoPath(path));
    }
    if (pagePhotos.size() > 1)
        services_.preparePictures(pagePhotos, slotPictureSize());

    for (int k = 0; k < kSlots; ++k) {
        const int r = rowOf(k);
        numberBoxes_[size_t(k)]->setText(QStringLiteral("No.") + document_.text(r, AlbumTable::Number));
        setTitleBox(k, document_.text(r, AlbumTable::Title));
        setCommentBox(k, document_.text(r, AlbumTable::Comment));
        showSlotPicture(k);
    }
    updateSlotNames();
    prepareNeighbourPages();
}

void Form1::refreshRows(int first, int last)
{
    // The boxes show what the document holds now; their change steps must
    // not write back into it while it is in the middle of an edit.
    const QScopedValueRollback<bool> refreshing(refreshing_, true);
    for (int k = 0; k < kSlots; ++k) {
        const int r = rowOf(k);
        if (r < first || r > last || r > document_.rowCount())
            continue;
        setTitleBox(k, document_.text(r, AlbumTable::Title));
        setCommentBox(k, document_.text(r, AlbumTable::Comment));
        if (shownPhoto_[size_t(k)] != document_.text(r, AlbumTable::PhotoPath))
            showSlotPicture(k);
    }
}

void Form1::updatePagePosition()
{
    const int page = currentPage();
    const int pages = std::max(1, pageCount());
    progressBar_->setValue(int(qint64(page) * progressBar_->maximum() / pages));
    // Hundredths of a percent, cut (not rounded): page 1 of 3 is 33.33%.
    const qint64 hundredths = qint64(page) * 10000 / pages;
    positionPanel_->setText(u' ' + QString::number(double(hundredths) / 100.0, 'g', 15) + u'%');
    updatePanelNames();
}

void Form1::updateNumberLabelsFromPageBox()
{
    // The leading digits of the page box; 0 when there are none.
    const QString text = pageBox_->text().trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit())
        ++digits;
    const qint64 v = digits == 0 ? 0 : text.left(digits).toLongLong();
    for (int k = 0; k < kSlots; ++k)
        numberBoxes_[size_t(k)]->setText(QStringLiteral("No.") + numberText((v - 1) * kSlots + k + 1));
}

void Form1::afterPageRelease()
{
    // A new page ends the typing step of the page before.
    document_.endTyping();
    ShowPage();
    copyFromPreviousButtons_[0]->setEnabled(currentPage() != 1);
    updatePagePosition();
}

void Form1::showStep(const std::optional<EditPlace> &place)
{
    if (!place || !place->isOnPage())
        return;
    if (place->page != currentPage() && place->page <= pageCount()) {
        pageSpinner_->setValue(place->page);
        ShowPage();
        copyFromPreviousButtons_[0]->setEnabled(currentPage() != 1);
        updatePagePosition();
    }
    selectedSlot_ = place->slot;
    HighlightSlot(place->slot);
    if (place->column == AlbumTable::Comment)
        commentBoxes_[size_t(place->slot)]->setFocus();
    else
        titleBoxes_[size_t(place->slot)]->setFocus();
}

void Form1::undoStep()
{
    refilling_ = true;
    showStep(document_.undo());
    refilling_ = false;
}

void Form1::redoStep()
{
    refilling_ = true;
    showStep(document_.redo());
    refilling_ = false;
}

QString Form1::commentForBox(const QString &tableText)
{
    // Exactly what the box will hand back for this text: every kind of line
    // break as LF (a lone CR from a file included), everything else as is.
    return lineBreaksToLf(tableText);
}

QString Form1::commentFromBox(const QString &boxText)
{
    return lfToCrLf(boxText);
}

QString Form1::commentBoxText(int slot) const
{
    // The raw text keeps non-breaking spaces (the plain text would make
    // them blanks); its paragraph and line separators are line breaks.
    QString text = commentBoxes_[size_t(slot)]->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void Form1::setTitleBox(int slot, const QString &text)
{
    // Only a different text is set, so the cursor of a box being typed in
    // stays where it is; QLineEdit reports a change only then, as the change
    // step expects.
    if (titleBoxes_[size_t(slot)]->text() != text)
        titleBoxes_[size_t(slot)]->setText(text);
}

void Form1::setCommentBox(int slot, const QString &text)
{
    const QString shown = commentForBox(text);
    if (commentBoxText(slot) != shown)
        commentBoxes_[size_t(slot)]->setPlainText(shown);
}

void Form1::StoreTitle(int slot)
{
    if (!startupComplete_)
        return;
    const QString title = titleBoxes_[size_t(slot)]->text();
    if (refreshing_)
        document_.markChanged();
    else
        document_.typeText(rowOf(slot), AlbumTable::Title, title, placeOf(slot, AlbumTable::Title));
    if (!refilling_ && cp932::width(title) >= kTitleWarningBytes)
        message(QStringLiteral("「") + title + QStringLiteral("」は印刷範囲を超えています"));
}

void Form1::StoreComment(int slot)
{
    if (!startupComplete_)
        return;
    const int r = rowOf(slot);
    const QString shown = commentBoxText(slot);
    // A text the box shows unchanged keeps its exact form (a lone CR or LF read
    // from a file stays as it was); an edited one takes CR LF line breaks.
    if (!refreshing_ && commentForBox(document_.text(r, AlbumTable::Comment)) != shown)
        document_.typeText(r, AlbumTable::Comment, commentFromBox(shown), placeOf(slot, AlbumTable::Comment));
    else
        document_.markChanged();
}

QImage Form1::pictureFor(const QString &photoPath, QString *error)
{
    return services_.loadPicture(document_.resolvePhotoPath(photoPath), slotPictureSize(), error);
}

void Form1::showSlotPicture(int slot)
{
    const QString path = document_.text(rowOf(slot), AlbumTable::PhotoPath);
    shownPhoto_[size_t(slot)] = path;
    shownError_[size_t(slot)].clear();
    if (path.isEmpty()) {
        photoBoxes_[size_t(slot)]->setPicture({});
        return;
    }
    QString &error = shownError_[size_t(slot)];
    const QImage picture = pictureFor(path, &error);
    photoBoxes_[size_t(slot)]->setPicture(picture.isNull() ? missingPhotoPicture(slotPictureSize(), path) : picture);
}

void Form1::prepareNeighbourPages()
{
    QStringList paths;
    for (const int page : {currentPage() + 1, currentPage() - 1}) {
        if (page < 1 || page > pageCount())
            continue;
        for (int k = 0; k < kSlots; ++k) {
            const int r = AlbumTable::RowOf(page, k);
            if (r <= document_.rowCount()) {
                const QString path = document_.text(r, AlbumTable::PhotoPath);
                if (!path.isEmpty())
                    paths.append(document_.resolvePhotoPath(path));
            }
        }
    }
    if (!paths.isEmpty())
        services_.preparePictures(paths, slotPictureSize());
}

void Form1::connectDocument()
{
    connect(&document_, &AlbumDocument::rowsChanged, this, &Form1::refreshRows);
    connect(&document_, &AlbumDocument::pageCountChanged, this, [this](int pages) { pageSpinner_->setMaximum(pages); });
    const QUndoStack *history = &document_.history();
    connect(history, &QUndoStack::indexChanged, this, &Form1::updateHistoryActions);
    connect(history, &QUndoStack::cleanChanged, this, &Form1::updateHistoryActions);
}

void Form1::updateHistoryActions()
{
    // The step's name in full-width brackets: "元に戻す（抜取）".
    const auto label = [](const QString &base, const QString &step) {
        return step.isEmpty() ? base : base + u'（' + step + u'）';
    };
    const QUndoStack &history = document_.history();
    undoAction_->setEnabled(history.canUndo());
    undoAction_->setText(label(QStringLiteral("元に戻す"), history.canUndo() ? history.undoText() : QString()));
    redoAction_->setEnabled(history.canRedo());
    redoAction_->setText(label(QStringLiteral("やり直し"), history.canRedo() ? history.redoText() : QString()));
}

} // namespace sorvane
