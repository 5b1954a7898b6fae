#pragma once

#include "platform/services.h"

#include <QImage>
#include <QWidget>

class QMimeData;

namespace sorvane {

// The files of a drop (local files only; other URLs do not count as files).
DropData dropDataFrom(const QMimeData *mime);

// The photo of a slot: the picture stretched to the whole box (aspect ratio
// not kept), a pointing hand over it, and files dropped onto it.
class PhotoBox : public QWidget {
    Q_OBJECT
public:
    explicit PhotoBox(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return picture_; }

signals:
    // A mouse button went up over the box (globalPos: where, for a menu).
    void released(Qt::MouseButton button, QPoint globalPos);
    // A left click, which a double click does not repeat.
    void clicked();
    void doubleClicked();
    void dropped(const sorvane::DropData &data);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QImage picture_;
    bool afterDoubleClick_ = false;
};

// The frame of a slot, on the outline of its photo box; its colour marks the
// selected slot. It takes no mouse events.
class SlotFrame : public QWidget {
    Q_OBJECT
public:
    explicit SlotFrame(QWidget *parent = nullptr);
    void setBorderColor(const QColor &color);
    QColor borderColor() const { return color_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor color_;
};

} // namespace sorvane
