#include "ui/main/text_boxes.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include <limits>
#include <memory>

namespace sorvane {

namespace {

const QString kJapanese = QStringLiteral("ja_JP");

template <typename Box> void showMenu(Box *box, const HistoryActions &history, QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    history.useAlbumHistory(menu.get());
    menu->exec(event->globalPos());
}

} // namespace

bool HistoryActions::isHistoryKey(QKeyEvent *event)
{
    const QKeySequence pressed(event->keyCombination());
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
           pressed == QKeySequence(Qt::CTRL | Qt::Key_Y) || pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

void HistoryActions::useAlbumHistory(QMenu *menu) const
{
    // The box's own undo and redo are the items Qt names so (in the line
    // edit's words or the text edit's, translated as Qt translates them).
    const auto swap = [menu](const char *label, QAction *album) {
        const QString own[] = {QCoreApplication::translate("QLineEdit", label),
                               QCoreApplication::translate("QWidgetTextControl", label)};
        for (QAction *item : menu->actions()) {
            const QString text = item->text().section(u'\t', 0, 0);
            if (item->isSeparator() || (text != own[0] && text != own[1]))
                continue;
            if (album)
                menu->insertAction(item, album);
            menu->removeAction(item);
            return;
        }
    };
    swap("&Undo", undo_);
    swap("&Redo", redo_);
}

TitleBox::TitleBox(QWidget *parent) : QLineEdit(parent)
{
    // A title read from a file is shown whole, however long.
    setMaxLength(std::numeric_limits<int>::max());
}

QVariant TitleBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return query == Qt::ImPreferredLanguage ? QVariant(kJapanese) : QLineEdit::inputMethodQuery(query);
}

void TitleBox::keyPressEvent(QKeyEvent *event)
{
    if (isHistoryKey(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TitleBox::contextMenuEvent(QContextMenuEvent *event)
{
    showMenu(this, *this, event);
}

CommentBox::CommentBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
}

QVariant CommentBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return query == Qt::ImPreferredLanguage ? QVariant(kJapanese) : QPlainTextEdit::inputMethodQuery(query);
}

void CommentBox::keyPressEvent(QKeyEvent *event)
{
    if (isHistoryKey(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CommentBox::contextMenuEvent(QContextMenuEvent *event)
{
    showMenu(this, *this, event);
}

} // namespace sorvane
