// Photos in bulk: the import from a dialog or a drop onto the window, the
// sort by shooting date, and what the photo boxes tell of their photos.
#include "picture/album_dates.h"
#include "picture/photo_import.h"
#include "text/line_breaks.h"
#include "ui/main/form1.h"
#include "ui/main/photo_box.h"
#include "ui/main/photo_texts.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>

namespace sorvane {

namespace {

// The skipped files named in the message at most; the rest are counted.
constexpr int kSkippedListed = 15;

QString skippedText(const QList<QPair<QString, QString>> &skipped)
{
    QString text = QStringLiteral("取り込めなかったファイル: %1 件").arg(skipped.size()) + kCrLf;
    for (int i = 0; i < skipped.size() && i < kSkippedListed; ++i)
        text += kCrLf + skipped[i].first + QStringLiteral("（") + photoProblemText(skipped[i].second) +
                QStringLiteral("）");
    if (skipped.size() > kSkippedListed)
        text += kCrLf + QStringLiteral("ほか %1 件").arg(skipped.size() - kSkippedListed);
    return text;
}

} // namespace

void Form1::BulkImport()
{
    FileDialogRequest request;
    request.filter = photoFileFilter();
    request.filterIndex = 1; // すべてのファイル: a card holds JPEG and HEIC alike
    const QStringList chosen = services_.openFilesOrFolder(request);
    if (!chosen.isEmpty())
        importPhotos(chosen);
}

void Form1::importPhotos(const QStringList &paths)
{
    PhotoImport found;
    {
        const std::unique_ptr<ProgressWindow> progress =
            services_.beginProgress(QStringLiteral("写真を取り込んでいます..."));
        found = collectPhotos(paths, [&](int done, int total) { return progress->advance(done, total); });
    }
    if (found.cancelled)
        return;
    if (!found.photos.isEmpty()) {
        const int slot = selectedSlot_;
        if (!document_.importPhotos(rowOf(slot), found.photos, placeOf(slot))) {
            showAlbumFull();
            return;
        }
        ShowPage();
        HighlightSlot(slot);
    }
    if (!found.skipped.isEmpty())
        message(skippedText(found.skipped));
}

void Form1::SortByShootingDate()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool sorted = sortByShootingDate(document_, placeOf(selectedSlot_));
    QGuiApplication::restoreOverrideCursor();
    if (sorted)
        ShowPage();
}

QString Form1::photoToolTip(int slot) const
{
    const int r = rowOf(slot);
    if (r > document_.rowCount())
        return {};
    const QString path = document_.text(r, AlbumTable::PhotoPath);
    if (path.isEmpty())
        return {};
    const QString error = shownPhoto_[size_t(slot)] == path ? shownError_[size_t(slot)] : QString();
    return sorvane::photoToolTip(document_.resolvePhotoPath(path), error);
}

bool Form1::takeWindowDrop(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    // A photo box takes its own drops (one file, or the message for
    // several); everything else on the window imports.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || qobject_cast<PhotoBox *>(widget) || (widget != surface_ && !surface_->isAncestorOf(widget)))
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const DropData data = dropDataFrom(drop->mimeData());
    if (!data.hasFiles || data.paths.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        importPhotos(data.paths);
    return true;
}

} // namespace sorvane
