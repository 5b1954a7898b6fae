#include "text/cp932.h"

#include "text/cp932_tables.h"

namespace sorvane::cp932 {

namespace {

// Table code of a BMP character, 0 when unmapped (U+0000 is handled by callers).
inline unsigned short tableCode(char16_t ch)
{
    return tables::kEncode[tables::kEncodeBlock[ch >> 8]][ch & 0xFF];
}

inline int leadIndex(unsigned char lead)
{
    return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

// Calls f(ch) for each character of the text; a surrogate pair is one
// character, a lone surrogate stands for itself.
template <typename F> inline void forEachChar(QStringView text, F &&f)
{
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
    while (p < end) {
        const char16_t c = *p++;
        if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            f(QChar::surrogateToUcs4(c, *p++));
        } else {
            f(char32_t(c));
        }
    }
}

} // namespace

int codeOf(char32_t ch)
{
    if (ch == 0)
        return 0;
    if (ch > 0xFFFF || QChar::isSurrogate(ch))
        return -1;
    const unsigned short code = tableCode(char16_t(ch));
    return code == 0 ? -1 : code;
}

int widthOf(char32_t ch)
{
    if (ch < 0x80)
        return 1;
    if (ch > 0xFFFF)
        return 1;
    return tableCode(char16_t(ch)) > 0xFF ? 2 : 1;
}

qsizetype width(QStringView text)
{
    qsizetype n = 0;
    forEachChar(text, [&n](char32_t ch) { n += widthOf(ch); });
    return n;
}

bool canEncode(QStringView text)
{
    bool ok = true;
    forEachChar(text, [&ok](char32_t ch) { ok = ok && codeOf(ch) >= 0; });
    return ok;
}

bool appendEncoded(QByteArray &out, QStringView text)
{
    // Room for the worst case, two bytes per UTF-16 unit, then cut to size.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char *dst = out.data() + start;
    char *const begin = out.data();
    bool exact = true;
    forEachChar(text, [&dst, &exact](char32_t ch) {
        const int code = codeOf(ch);
        if (code < 0) {
            *dst++ = kSubstituteByte;
            exact = false;
        } else if (code > 0xFF) {
            *dst++ = char(code >> 8);
            *dst++ = char(code & 0xFF);
        } else {
            *dst++ = char(code);
        }
    });
    out.truncate(dst - begin);
    return exact;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    appendEncoded(out, text);
    return out;
}

QString decode(QByteArrayView bytes, qsizetype *invalidSequences)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    char16_t *const start = dst;
    qsizetype invalid = 0;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p++;
        if (!isLeadByte(b)) {
            *dst++ = tables::kSingle[b];
            continue;
        }
        if (p < end && isTrailByte(*p)) {
            const unsigned char trail = *p++;
            const char16_t ch = tables::kDouble[leadIndex(b)][trail];
            if (ch == 0 || (ch == kDefaultChar && !(b == 0x81 && trail == 0x45))) {
                *dst++ = kDefaultChar;
                ++invalid;
            } else {
                *dst++ = ch;
            }
        } else {
            *dst++ = kDefaultChar;
            ++invalid;
        }
    }
    out.truncate(dst - start);
    if (invalidSequences)
        *invalidSequences = invalid;
    return out;
}

bool encodesAs(QStringView text, QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    bool same = true;
    forEachChar(text, [&](char32_t ch) {
        if (!same)
            return;
        const int code = codeOf(ch);
        if (code < 0 || p == end) {
            same = false;
        } else if (code > 0xFF) {
            same = end - p >= 2 && p[0] == (code >> 8) && p[1] == (code & 0xFF);
            if (same)
                p += 2;
        } else {
            same = *p++ == code;
        }
    });
    return same && p == end;
}

} // namespace sorvane::cp932
