#include "ui/main/missing_photo_texts.h"

#include "ui/main/photo_texts.h"

namespace sorvane {

QString photoProblemsText(int missing, int unreadable)
{
    const int n = missing + unreadable;
    if (unreadable == 0)
        return QStringLiteral("写真 %1 枚が見つかりません").arg(n);
    if (missing == 0)
        return QStringLiteral("写真 %1 枚が読み取れません").arg(n);
    return QStringLiteral("写真 %1 枚が見つからないか、読み取れません").arg(n);
}

QString photoStatusText(const PhotoStatus &status)
{
    switch (status.state) {
    case PhotoState::Fine:
        break;
    case PhotoState::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case PhotoState::SameName:
        return QStringLiteral("写真帳のフォルダに同じ名前のファイルが %1 個あります").arg(status.sameNameCount);
    case PhotoState::Unreadable:
        return photoProblemText(status.reason);
    }
    return {};
}

QString relinkOutcomeText(RelinkOutcome outcome)
{
    switch (outcome) {
    case RelinkOutcome::Found:
        return QStringLiteral("見つかった");
    case RelinkOutcome::Ambiguous:
        return QStringLiteral("候補が複数");
    case RelinkOutcome::NotFound:
        break;
    }
    return QStringLiteral("見つからない");
}

} // namespace sorvane
