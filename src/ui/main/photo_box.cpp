#include "ui/main/photo_box.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace sorvane {

DropData dropDataFrom(const QMimeData *mime)
{
    DropData data;
    if (!mime || !mime->hasUrls())
        return data;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            data.paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    data.hasFiles = !data.paths.isEmpty();
    return data;
}

PhotoBox::PhotoBox(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PhotoBox::setPicture(const QImage &picture)
{
    picture_ = picture;
    update();
}

void PhotoBox::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

void PhotoBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasDoubleClick = afterDoubleClick_;
    afterDoubleClick_ = false;
    emit released(event->button(), event->globalPosition().toPoint());
    if (event->button() == Qt::LeftButton && !wasDoubleClick && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PhotoBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    afterDoubleClick_ = true;
    emit doubleClicked();
}

void PhotoBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void PhotoBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void PhotoBox::dropEvent(QDropEvent *event)
{
    const DropData data = dropDataFrom(event->mimeData());
    event->acceptProposedAction();
    emit dropped(data);
}

SlotFrame::SlotFrame(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SlotFrame::setBorderColor(const QColor &color)
{
    color_ = color;
    update();
}

void SlotFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(color_, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

} // namespace sorvane
