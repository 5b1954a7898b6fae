#include "ui/main/photo_texts.h"

#include "picture/picture_loader.h"
#include "picture/shooting_date.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace sorvane {

namespace {

struct Reason {
    const char *start; // what the reason starts with
    const char16_t *text;
};

// Longer starts before the shorter ones they begin with.
const Reason kReasons[] = {
    {"file not found", u"ファイルが見つかりません"},
    {"not found", u"ファイルが見つかりません"},
    {"not a regular file", u"通常のファイルではありません"},
    {"file too small for a picture", u"写真のデータが途中で切れているか壊れています"},
    {"JPEG data", u"写真のデータが途中で切れているか壊れています"},
    {"GIF data", u"写真のデータが途中で切れているか壊れています"},
    {"BMP data", u"写真のデータが途中で切れているか壊れています"},
    {"file too large", u"ファイルが大きすぎます"},
    {"cannot be read", u"ファイルを読み取れません"},
    {"empty file", u"空のファイルです"},
    {"not a picture", u"写真のファイルではありません"},
    {"picture too large", u"写真が大きすぎます"},
    {"metafile too large", u"メタファイルが大きすぎます"},
    {"drawing the metafile took too long", u"メタファイルの描画に時間がかかりすぎます"},
    {"not enough memory", u"写真を読み込むためのメモリが足りません"},
    {"unreadable", u"写真のデータを読み取れません"},
    {"picture size unreadable", u"写真のデータを読み取れません"},
};

QString dateSourceText(DateSource source)
{
    switch (source) {
    case DateSource::Original:
        return QStringLiteral("EXIF の撮影日時");
    case DateSource::ExifDate:
        return QStringLiteral("EXIF の日時");
    case DateSource::FileModified:
        return QStringLiteral("ファイルの更新日時");
    case DateSource::None:
        break;
    }
    return {};
}

QString dateText(const ShootingDate &date)
{
    if (date.source == DateSource::None || !date.when.isValid())
        return QStringLiteral("撮影日時: 不明");
    QString when = date.when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (date.when.timeSpec() == Qt::OffsetFromUTC)
        when += u' ' + date.when.timeZoneAbbreviation().remove(QStringLiteral("UTC"));
    return QStringLiteral("撮影日時: %1（%2）").arg(when, dateSourceText(date.source));
}

} // namespace

QString photoFileFilter()
{
    return QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("BMP ファイル (*.bmp)|*.bmp|") +
           QStringLiteral("GIF ファイル (*.gif)|*.gif|") + QStringLiteral("ICO ファイル (*.ico)|*.ico|") +
           QStringLiteral("JPG ファイル (*.jpg)|*.jpg|") + QStringLiteral("JPEG ファイル (*.jpeg)|*.jpeg|") +
           QStringLiteral("WMF ファイル (*.wmf)|*.wmf|");
}

QString photoProblemText(const QString &reason)
{
    for (const Reason &r : kReasons) {
        if (reason.startsWith(QLatin1String(r.start))) {
            // A detail after a colon ("picture too large: 30000 × 20000
            // pixels") is kept.
            const qsizetype colon = reason.indexOf(QLatin1String(": "));
            const QString text = QString::fromUtf16(r.text);
            return colon < 0 ? text : text + QStringLiteral("（") + reason.mid(colon + 2) + QStringLiteral("）");
        }
    }
    return reason;
}

QString photoToolTip(const QString &file, const QString &loadError)
{
    const QFileInfo info(file);
    QStringList lines{info.fileName(), QStringLiteral("フォルダ: ") + QDir::toNativeSeparators(info.absolutePath())};
    if (!loadError.isEmpty()) {
        lines << QStringLiteral("表示できません: ") + photoProblemText(loadError);
        return lines.join(u'\n');
    }
    lines << dateText(shootingDate(file));
    const QSize size = pictureSize(file);
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    if (size.isValid())
        lines << QStringLiteral("大きさ: %1 × %2 ピクセル").arg(size.width()).arg(size.height());
    lines << QStringLiteral("ファイルの大きさ: %1（%2 バイト）")
                 .arg(locale.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat),
                      locale.toString(info.size()));
    return lines.join(u'\n');
}

} // namespace sorvane
