#include "ui/main/hint_texts.h"

#include <array>

namespace sorvane::hints {

const QString kCopyFromPrevious = QStringLiteral("テキストコピー　：　1つ前の写真からテキストをコピーして貼付ます");
const QString kCopyText = QStringLiteral("テキストコピー　：　カラム位置のテキストをクリップボードにコピーします");
const QString kPasteText = QStringLiteral("テキスト貼り付け　：　カラム位置にクリップボードからテキストを貼付ます");
const QString kPageNumber = QStringLiteral("ページ番号　：　写真帳の編集ページを示します");

namespace {

// Fixed ranges of the toolbar in twips; "above" excludes the lower bound.
struct Range {
    int low;
    bool lowExcluded;
    int high;
    const char16_t *text;
};

const std::array<Range, 14> kToolbarRanges{{
    {0, false, 330, u"新規作成　：　新しい写真帳を作ります"},
    {330, true, 675, u"ファイルを開く　：　写真帳ファイルを開きます"},
    {676, false, 1020, u"保存　：　写真帳をファイルに保存します"},
    {1021, false, 1150, u""},
    {1151, false, 1500, u"表紙　：　表紙に記載する内容を編集します"},
    {1501, false, 1880, u"印刷　：　写真帳を印刷します"},
    {1880, true, 2175, u"単票印刷　：　現在のページのみ印刷します"},
    {2176, false, 2310, u""},
    {2311, false, 2650, u"写真を開く　：　写真を選んで貼り付けます"},
    {2651, false, 2980, u"削除　：　写真とコメントを削除します"},
    {2981, false, 3120, u""},
    {3121, false, 3450, u"挿入　：　写真を後ろにずらして空白を入れます"},
    {3451, false, 3800, u"抜取　：　写真を削除して前にずらします"},
    // Beside the page spinner, clear of the ranges above.
    {5520, false, 5865, u"一括取り込み　：　写真をまとめて撮影日順に取り込みます"},
}};

} // namespace

QString toolbar(int x, int y)
{
    if (y >= 0 && y <= 30)
        return {};
    for (const Range &r : kToolbarRanges) {
        const bool aboveLow = r.lowExcluded ? x > r.low : x >= r.low;
        if (aboveLow && x <= r.high)
            return QString::fromUtf16(r.text);
    }
    return {};
}

QString spinner(int x)
{
    if (x >= 0 && x <= 420)
        return QStringLiteral("前ページ　：　写真帳の編集ページを1つ戻します");
    if (x >= 421 && x <= 840)
        return QStringLiteral("次ページ　：　写真帳の編集ページを1つ進めます");
    return {};
}

} // namespace sorvane::hints
