#include "picture/wmf_text.h"

#include "picture/wmf_records.h"
#include "text/cp1252.h"
#include "text/cp932.h"
#include "text/font_faces.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace sorvane::wmf {

bool fontsUsable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

bool FontInfo::decodesCp932() const
{
    return charset == kCharsetShiftJis || charset == kCharsetDefault || charset == kCharsetOem ||
           (charset == kCharsetAnsi && japanese);
}

QString FontInfo::decode(QByteArrayView bytes) const
{
    if (decodesCp932())
        return cp932::decode(bytes);
    if (charset == kCharsetSymbol)
        return QString::fromLatin1(bytes);
    return cp1252::decode(bytes);
}

int FontCache::lookup(QByteArrayView faceBytes, int weight, bool italic, bool underline, bool strikeOut, int charset)
{
    const qsizetype nul = faceBytes.indexOf('\0');
    const QString face =
        cp932::decode(faceBytes.first(std::min<qsizetype>(nul < 0 ? faceBytes.size() : nul, 64))).trimmed();
    weight = weight <= 0 ? 400 : std::clamp(weight, 1, 1000);
    const QString key = QStringLiteral("%1|%2|%3%4%5|%6")
                            .arg(face)
                            .arg(weight)
                            .arg(int(italic))
                            .arg(int(underline))
                            .arg(int(strikeOut))
                            .arg(charset);
    const auto found = m_index.constFind(key);
    if (found != m_index.cend())
        return *found;

    const FaceChoice choice = chooseFace(face);
    QFont font;
    if (!choice.family.isEmpty())
        font.setFamilies({choice.family});
    font.setStyleHint(choice.hint);
    font.setPixelSize(int(kFontPixels));
    font.setWeight(QFont::Weight(weight));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    m_infos.emplace_back(font, charset, choice.japanese);
    const int index = int(m_infos.size()) - 1;
    m_index.insert(key, index);
    return index;
}

const FontInfo &FontCache::forSlot(const void *font)
{
    const auto found = m_slots.find(font);
    return info(found != m_slots.end() ? found->second : lookup({}, 400, false, false, false, kCharsetDefault));
}

} // namespace sorvane::wmf
