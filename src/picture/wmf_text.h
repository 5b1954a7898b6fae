#pragma once

#include <QByteArrayView>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <algorithm>
#include <deque>
#include <unordered_map>

// Fonts for the metafile's text: the Qt font for each font record, how its
// text is decoded, and the metrics that turn Windows' font sizes into
// libwmf's.
namespace sorvane::wmf {

// Qt fonts need a QGuiApplication; without one no text is drawn.
bool fontsUsable();

// Fonts are laid out at this pixel size and scaled by the painter.
constexpr double kFontPixels = 100.0;

struct FontInfo {
    FontInfo(const QFont &f, int set, bool jp) : font(f), metrics(f), charset(set), japanese(jp) {}
    QFont font;
    QFontMetricsF metrics;
    int charset;
    bool japanese;

    double ascent() const { return metrics.ascent(); }
    double descent() const { return metrics.descent(); }
    // The em size for a character cell one unit high.
    double emPerCell() const { return kFontPixels / std::max(1.0, ascent() + descent()); }
    // Windows' average character width, per em: that of the lower-case
    // letters, half an em for the Japanese fonts.
    double averagePerEm() const
    {
        return std::max(0.05,
                        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyz")) / 26.0 / kFontPixels);
    }
    // Whether the text is taken as code page 932 (Shift-JIS).
    bool decodesCp932() const;
    QString decode(QByteArrayView bytes) const;
};

// The fonts of one metafile, one for every distinct face, weight, style and
// charset, and the one each of libwmf's font objects stands for.
class FontCache {
public:
    // The index of the font for a LOGFONT's face name (code page 932 bytes,
    // up to a NUL), weight and style.
    int lookup(QByteArrayView faceBytes, int weight, bool italic, bool underline, bool strikeOut, int charset);
    const FontInfo &info(int index) const { return m_infos[size_t(index)]; }
    // The font bound to one of libwmf's font objects, or the default font.
    const FontInfo &forSlot(const void *font);
    void bindSlot(const void *font, int index) { m_slots[font] = index; }

private:
    QHash<QString, int> m_index;
    std::deque<FontInfo> m_infos;
    std::unordered_map<const void *, int> m_slots; // libwmf's font objects, by address
};

} // namespace sorvane::wmf
