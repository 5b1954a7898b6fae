// Work left behind by a run that ended without saving: offered at start-up.
#include "io/recovery_copies.h"
#include "text/line_breaks.h"
#include "ui/main/album_messages.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"

#include <QFileInfo>
#include <QLineEdit>

namespace sorvane {

namespace {

enum RecoveryAnswer { Restore, Discard, Later };

QString recoveryQuestion(const RecoveryCopy &copy)
{
    const QString name =
        copy.originalPath.isEmpty() ? QStringLiteral("（名前のない写真帳）") : QFileInfo(copy.originalPath).fileName();
    return QStringLiteral("前回保存されなかった写真帳があります。") + kCrLf + kCrLf + QStringLiteral("写真帳: ") +
           name + kCrLf + QStringLiteral("最後の変更: ") +
           copy.changedAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

bool Form1::offerRecoveryCopies()
{
    const QString state = services_.stateDirectory();
    if (state.isEmpty())
        return false;
    for (const RecoveryCopy &copy : leftBehindCopies(recoveryDirectory(state))) {
        ChoiceRequest question;
        question.text = recoveryQuestion(copy);
        question.choices = {QStringLiteral("復元する"), QStringLiteral("破棄する"), QStringLiteral("後で")};
        question.defaultChoice = Restore;
        question.escapeChoice = Later;
        const int answer = services_.askChoice(question);
        if (answer == Discard) {
            discardRecoveryCopy(copy);
            continue;
        }
        if (answer != Restore)
            continue;
        // Restored, the album is open on its file again, with its lock.
        AlbumLock lock;
        LockChoice choice = CancelOpen;
        if (!copy.originalPath.isEmpty() && !askForLock(copy.originalPath, &lock, &choice))
            continue; // kept for later, like 後で
        AlbumContents album;
        QString error;
        if (!readRecoveryCopy(copy, &album, &error)) {
            // Kept: nothing is thrown away that could not be looked at.
            message(QStringLiteral("写真帳を復元できませんでした。") + kCrLf + kCrLf + error);
            continue;
        }
        // An unsaved album that belongs to its own file: Save proposes it.
        document_.replace(std::move(album), copy.originalPath);
        document_.markChanged();
        albumPath_ = copy.originalPath;
        if (!copy.originalPath.isEmpty())
            holdAlbum(copy.originalPath, std::move(lock), choice);
        // The file as it was when this album was last read or saved from
        // it: a change made meanwhile is asked about before Save.
        diskState_ = copy.originalState;
        recovery_->setOriginalState(diskState_);
        pageSpinner_->setValue(1);
        updatePagePosition();
        ShowPage();
        // This run's own copy first, then the old one goes: the work is in
        // a copy at every moment.
        recovery_->flush();
        discardRecoveryCopy(copy);
        // One album at a time: the others wait for the next start.
        return true;
    }
    return false;
}

} // namespace sorvane
