#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

// libwmf's player, drawing a prepared metafile with QPainter underneath. This
// header keeps libwmf's own out of the files that include it.
namespace sorvane::wmf {

struct Prepared;
class FontCache;
class Device;

class Player {
public:
    // Plays the prepared copy, which must outlive the player. Without fonts
    // no text is drawn and libwmf measures it by a rough estimate.
    Player(const Prepared &prepared, FontCache *fonts);
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    // Sets libwmf up to read the copy.
    bool open(QString *error);
    // The extent of the drawing in libwmf's device units; libwmf needs this
    // pass before it plays.
    std::optional<QRectF> scan(QString *error);
    // Draws the metafile so that the frame, in device units, fills the image.
    // Drawing that is not done by the deadline stops and fails with timedOut
    // set.
    bool play(QImage &image, const QRectF &frame, QDeadlineTimer deadline, QString *error, bool *timedOut);

private:
    std::unique_ptr<Device> m_device;
};

} // namespace sorvane::wmf
