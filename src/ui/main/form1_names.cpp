// Names of the main window's controls for assistive technology: the visible
// label where there is one, the hint text for the icon-only buttons, and for
// the slot boxes the entry they show.
#include "ui/main/form1.h"
#include "ui/main/hint_texts.h"
#include "ui/main/page_spinner.h"
#include "ui/main/page_spinner_accessible.h"
#include "ui/main/photo_box.h"
#include "ui/main/text_boxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>

namespace sorvane {

void Form1::nameControls()
{
    installPageSpinnerAccessibility();
    pageBox_->setAccessibleName(QStringLiteral("ページ番号"));
    pageSpinner_->setAccessibleName(QStringLiteral("ページ送り"));
    copyButton_->setAccessibleName(hints::kCopyText);
    pasteButton_->setAccessibleName(hints::kPasteText);
    for (QToolButton *button : copyFromPreviousButtons_)
        button->setAccessibleName(hints::kCopyFromPrevious);
    // The status bar's panels are named with what they show.
    updatePanelNames();
    progressBar_->setAccessibleName(QStringLiteral("ページ位置"));
    // Qt's own button for toolbar buttons that do not fit.
    if (auto *more = toolbar_->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のボタン"));
    for (int k = 0; k < kSlots; ++k) {
        static_cast<TitleBox *>(titleBoxes_[size_t(k)])->setHistoryActions(undoAction_, redoAction_);
        static_cast<CommentBox *>(commentBoxes_[size_t(k)])->setHistoryActions(undoAction_, redoAction_);
    }
    updateSlotNames();
}

void Form1::updatePanelNames()
{
    hintPanel_->setAccessibleName((QStringLiteral("ヒント ") + hintPanel_->text()).trimmed());
    positionPanel_->setAccessibleName((QStringLiteral("ページ位置 ") + positionPanel_->text().trimmed()).trimmed());
}

void Form1::updateSlotNames()
{
    for (int k = 0; k < kSlots; ++k) {
        const int r = rowOf(k);
        // "No. 4": the entry the slot shows, as its number box reads.
        const QString entry =
            r <= document_.rowCount() ? QStringLiteral("No.") + document_.text(r, AlbumTable::Number) : QString();
        numberBoxes_[size_t(k)]->setAccessibleName(QStringLiteral("写真番号"));
        titleBoxes_[size_t(k)]->setAccessibleName(entry + QStringLiteral(" タイトル"));
        commentBoxes_[size_t(k)]->setAccessibleName(entry + QStringLiteral(" コメント"));
        photoBoxes_[size_t(k)]->setAccessibleName(entry + QStringLiteral(" 写真"));
        photoBoxes_[size_t(k)]->setAccessibleDescription(
            r <= document_.rowCount() ? document_.text(r, AlbumTable::PhotoPath) : QString());
    }
}

} // namespace sorvane
