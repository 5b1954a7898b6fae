#include "ui/main/recovery_keeper.h"

namespace sorvane {

RecoveryKeeper::RecoveryKeeper(AlbumDocument &document, const QString &folder, QObject *parent)
    : QObject(parent), document_(document), writer_(folder), enabled_(!folder.isEmpty())
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::write);
    connect(&document_, &AlbumDocument::rowsChanged, this, &RecoveryKeeper::changed);
    connect(&document_, &AlbumDocument::rowsAppended, this, &RecoveryKeeper::changed);
    connect(&document_, &AlbumDocument::rowsRemoved, this, &RecoveryKeeper::changed);
    connect(&document_, &AlbumDocument::pageCountChanged, this, &RecoveryKeeper::changed);
    connect(&document_, &AlbumDocument::coverChanged, this, &RecoveryKeeper::changed);
    // Only a change of content calls for a copy: the saved flag also drops
    // when boxes are merely refilled with what the album holds, and an
    // album just opened is no work to lose.
    connect(&document_, &AlbumDocument::savedChanged, this, [this](bool saved) {
        if (saved)
            discard();
    });
    // New or Open: the album the copy was of is gone.
    connect(&document_, &AlbumDocument::albumReplaced, this, &RecoveryKeeper::discard);
}

void RecoveryKeeper::changed()
{
    if (!enabled_ || document_.isSaved())
        return;
    lastChange_ = QDateTime::currentDateTimeUtc();
    // Not restarted by further changes: continuous typing still gets a copy
    // every kDelayMs.
    if (!timer_.isActive())
        timer_.start();
}

void RecoveryKeeper::flush()
{
    timer_.stop();
    if (!enabled_ || document_.isSaved())
        return;
    if (!lastChange_.isValid())
        lastChange_ = QDateTime::currentDateTimeUtc();
    write();
}

void RecoveryKeeper::discard()
{
    timer_.stop();
    writer_.remove();
}

void RecoveryKeeper::write()
{
    if (document_.isSaved()) {
        writer_.remove();
        return;
    }
    // A copy that cannot be written (a full disk) costs the user nothing
    // now; the next change tries again.
    writer_.write(document_.cover(), document_.table(), document_.filePath(), lastChange_);
}

} // namespace sorvane
