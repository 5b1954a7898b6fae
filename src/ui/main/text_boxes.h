#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

class QAction;
class QMenu;

namespace sorvane {

// The album's history is the only one: the title and comment boxes keep no
// undo history of their own. Their undo and redo keys are left to the
// window's commands, and their context menus offer the album's undo and redo.
class HistoryActions {
public:
    void setHistoryActions(QAction *undo, QAction *redo)
    {
        undo_ = undo;
        redo_ = redo;
    }

    static bool isHistoryKey(QKeyEvent *event);
    // The box's own menu with its undo and redo replaced by the album's.
    void useAlbumHistory(QMenu *menu) const;

private:
    QPointer<QAction> undo_;
    QPointer<QAction> redo_;
};

// Title and comment boxes ask the platform's input method for Japanese input
// when they have the focus (input methods that honour the preferred language
// of the focused field switch to it).
class TitleBox : public QLineEdit, public HistoryActions {
    Q_OBJECT
public:
    explicit TitleBox(QWidget *parent = nullptr);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};

class CommentBox : public QPlainTextEdit, public HistoryActions {
    Q_OBJECT
public:
    explicit CommentBox(QWidget *parent = nullptr);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};

} // namespace sorvane
