#pragma once

#include <QFont>
#include <QString>

// The Windows faces Japanese albums and pictures name, and the IPA fonts that
// stand in for them on Linux: the layouts' "ＭＳ Ｐゴシック", "ＭＳ 明朝" and
// "ＭＳ ゴシック" through Qt's font substitution, any face a Windows metafile
// names through chooseFace(). Both take their families from one table, so a
// face is drawn in the same IPA font wherever it is named.
namespace sorvane {

// Registers the IPA fonts as Qt's substitutes for the Windows faces the
// layouts name ("ＭＳ Ｐゴシック" → IPAPGothic, "ＭＳ 明朝" → IPAMincho,
// "ＭＳ ゴシック" → IPAGothic), the metric-compatible faces. Safe to call more
// than once.
void registerFontSubstitutions();

struct FaceChoice {
    QString family; // empty: the default font
    QFont::StyleHint hint = QFont::AnyStyle;
    bool japanese = false; // a Japanese face, whatever its name says of its code page
};

// The font for a face named by a Windows program. Any Mincho face (明朝,
// "Mincho", full- or half-width) is drawn in IPAMincho, any Gothic face in
// IPAGothic, and their proportional "P" variants in IPAPMincho and IPAPGothic
// when those are installed; another face is used as it is when installed,
// else the default font. A Mincho or Gothic face, or one whose name is not
// ASCII, counts as Japanese. Needs a QGuiApplication (it asks the font
// database what is installed).
FaceChoice chooseFace(const QString &face);

} // namespace sorvane
