#include "ui/main/album_messages.h"
#include "text/line_breaks.h"

namespace sorvane {

namespace {

QString reason(const AlbumFileError &error)
{
    switch (error.kind) {
    case AlbumFileError::None:
        return {};
    case AlbumFileError::OpenFailed:
        return QStringLiteral("ファイルを開けません（%1）。").arg(error.detail);
    case AlbumFileError::ReadFailed:
        return QStringLiteral("ファイルを読み込めません（%1）。").arg(error.detail);
    case AlbumFileError::TooLarge:
        return QStringLiteral("写真帳ファイルとしては大きすぎます（%1 MB まで）。")
            .arg(kMaxAlbumFileBytes / (1024 * 1024));
    case AlbumFileError::NotText:
        return QStringLiteral("写真帳ファイルではありません（テキストファイルではありません）。");
    case AlbumFileError::EndsInCover:
        return QStringLiteral("ファイルが表紙データの途中（%1 行目）で終わっています。").arg(error.line);
    case AlbumFileError::EndsInEntry:
        return QStringLiteral("ファイルが写真 %1 件目の途中（%2 行目）で終わっています。")
            .arg(error.entry)
            .arg(error.line);
    case AlbumFileError::TooManyEntries:
        return QStringLiteral("写真が多すぎます（%1 件まで）。").arg(kMaxAlbumEntries);
    case AlbumFileError::WriteFailed:
        return QStringLiteral("書き込めません（%1）。元のファイルは変更されていません。").arg(error.detail);
    case AlbumFileError::WriteDamaged:
        return QStringLiteral("書き込めません（%1）。ファイルが途中まで書き換えられている可能性があります。"
                              "保存前の内容は前の版として残してあります。")
            .arg(error.detail);
    }
    return {};
}

} // namespace

QString openFailureMessage(const QString &path, const AlbumFileError &error)
{
    return QStringLiteral("写真帳ファイルを開けませんでした。") + kCrLf + kCrLf + path + kCrLf + kCrLf + reason(error);
}

QString saveFailureMessage(const QString &path, const AlbumFileError &error)
{
    return QStringLiteral("写真帳ファイルを保存できませんでした。") + kCrLf + kCrLf + path + kCrLf + kCrLf +
           reason(error);
}

QString versionNotKeptMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("写真帳ファイルを保存しましたが、保存前の内容を前の版として残せませんでした。") + kCrLf +
           kCrLf + path + kCrLf + kCrLf + reason;
}

QString albumInUseText(const LockOwner &owner)
{
    return QStringLiteral("この写真帳は%1さん（%2）が開いています。").arg(owner.user, owner.host);
}

QStringList albumInUseChoices()
{
    return {QStringLiteral("読み取り専用で開く"), QStringLiteral("それでも開く"), QStringLiteral("キャンセル")};
}

QString readOnlySaveMessage()
{
    return QStringLiteral("この写真帳は読み取り専用で開いています。別の名前で保存してください。");
}

QString saveOntoAlbumInUseMessage(const LockOwner &owner)
{
    return albumInUseText(owner) + kCrLf + QStringLiteral("上書きできません。別の名前で保存してください。");
}

QString undecodableTextMessage(qsizetype count)
{
    return QStringLiteral("読み取れない文字が %1 か所あります。編集しない限り、保存してもそのまま残ります。")
        .arg(count);
}

} // namespace sorvane
