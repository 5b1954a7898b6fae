#include "text/font_faces.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace sorvane {

namespace {

enum class Design { Mincho, Gothic };

// The IPA fonts, by design and spacing.
struct IpaFamily {
    Design design;
    bool proportional;
    const char16_t *family;
};

constexpr IpaFamily kIpaFamilies[] = {
    {Design::Mincho, false, u"IPAMincho"},
    {Design::Mincho, true, u"IPAPMincho"},
    {Design::Gothic, false, u"IPAGothic"},
    {Design::Gothic, true, u"IPAPGothic"},
};

// The Windows faces the layouts name.
constexpr const char16_t *kLayoutFaces[] = {u"ＭＳ Ｐゴシック", u"ＭＳ 明朝", u"ＭＳ ゴシック"};

QString ipaFamily(Design design, bool proportional)
{
    const auto *found = std::find_if(std::begin(kIpaFamilies), std::end(kIpaFamilies), [&](const IpaFamily &f) {
        return f.design == design && f.proportional == proportional;
    });
    return QString::fromUtf16(found->family);
}

// What a Windows face name says of its design and spacing.
struct FaceName {
    bool mincho = false;
    bool gothic = false;
    bool proportional = false;
};

FaceName readFaceName(const QString &face)
{
    // NFKC turns full-width "ＭＳ Ｐ" and half-width katakana into their
    // ordinary forms, so "ＭＳ Ｐゴシック" reads as "ms pゴシック".
    const QString name = face.normalized(QString::NormalizationForm_KC).toLower();
    FaceName read;
    read.mincho = name.contains(u"明朝") || name.contains(u"mincho");
    read.gothic = name.contains(u"ゴシック") || name.contains(u"gothic");
    read.proportional = name.contains(u"p明朝") || name.contains(u"pゴシック") || name.contains(u"pmincho") ||
                        name.contains(u"pgothic");
    return read;
}

} // namespace

void registerFontSubstitutions()
{
    for (const char16_t *face : kLayoutFaces) {
        const QString windowsFace = QString::fromUtf16(face);
        const FaceName name = readFaceName(windowsFace);
        QFont::insertSubstitution(windowsFace,
                                  ipaFamily(name.mincho ? Design::Mincho : Design::Gothic, name.proportional));
    }
}

FaceChoice chooseFace(const QString &face)
{
    FaceChoice choice;
    const FaceName name = readFaceName(face);
    choice.japanese = name.mincho || name.gothic ||
                      std::any_of(face.cbegin(), face.cend(), [](QChar c) { return c.unicode() > 0x7F; });
    QStringList candidates;
    if (name.mincho || name.gothic) {
        const Design design = name.mincho ? Design::Mincho : Design::Gothic;
        choice.hint = name.mincho ? QFont::Serif : QFont::SansSerif;
        candidates = {ipaFamily(design, false)};
        if (name.proportional)
            candidates.prepend(ipaFamily(design, true));
    } else if (!face.isEmpty()) {
        candidates = {face};
    }
    for (const QString &family : std::as_const(candidates)) {
        if (QFontDatabase::hasFamily(family)) {
            choice.family = family;
            break;
        }
    }
    return choice;
}

} // namespace sorvane
