#pragma once

#include "platform/services.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace sorvane {

// The zoom view: one photo of the album large, in a resizable window of its
// own, stretched to the whole window. Its caption is the photo's path. It
// shows the photo the slot shows, decoded again at the window's own size so
// it is sharp; what the slot shows stands in until then (and for an empty
// slot or a photo that cannot be loaded).
class ZoomView : public QWidget {
    Q_OBJECT
public:
    ZoomView(PlatformServices &services, QWidget *owner);

    // The slot's picture, the file to load it from and the caption.
    void setPhoto(const QImage &slotPicture, const QString &filePath, const QString &caption);
    const QImage &shownPicture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void loadAtWindowSize();

    PlatformServices &services_;
    QImage slotPicture_;
    QImage picture_;
    QString filePath_;
    QTimer reload_;
};

} // namespace sorvane
