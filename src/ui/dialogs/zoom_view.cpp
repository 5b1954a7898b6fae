#include "ui/dialogs/zoom_view.h"

#include "ui/dialogs/window_title.h"

#include <QPainter>

namespace sorvane {

namespace {
// Client area when the window first opens: 8370 x 5625 twips.
constexpr QSize kInitialSize(558, 375);
// While the user drags the window's border, the photo is decoded again only
// once the size has settled.
constexpr int kReloadDelayMs = 150;
} // namespace

ZoomView::ZoomView(PlatformServices &services, QWidget *owner) : QWidget(owner, Qt::Window), services_(services)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // An empty slot's view has an empty caption, not the program's name.
    keepEmptyWindowTitle(this);
    resize(kInitialSize);
    reload_.setSingleShot(true);
    reload_.setInterval(kReloadDelayMs);
    connect(&reload_, &QTimer::timeout, this, [this] { loadAtWindowSize(); });
}

void ZoomView::setPhoto(const QImage &slotPicture, const QString &filePath, const QString &caption)
{
    slotPicture_ = slotPicture;
    filePath_ = filePath;
    setWindowTitle(caption);
    // A hidden view only keeps the photo; it is decoded when the view shows.
    picture_ = slotPicture_;
    if (isVisible())
        loadAtWindowSize();
}

void ZoomView::showEvent(QShowEvent *)
{
    loadAtWindowSize();
}

void ZoomView::loadAtWindowSize()
{
    picture_ = slotPicture_;
    if (!filePath_.isEmpty() && !slotPicture_.isNull()) {
        QString error;
        const QImage large = services_.loadPicture(filePath_, size() * devicePixelRatioF(), &error);
        if (!large.isNull())
            picture_ = large;
    }
    update();
}

void ZoomView::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

void ZoomView::resizeEvent(QResizeEvent *)
{
    if (!filePath_.isEmpty())
        reload_.start();
}

} // namespace sorvane
