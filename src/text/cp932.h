#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Microsoft code page 932 (Japanese Shift-JIS as Windows writes it).
//
// Encoding is strict: every character the code page holds takes the code
// Windows writes for it, and any other character (including everything
// outside the BMP, a surrogate pair counting as one character, and a lone
// surrogate) becomes exactly one '?' byte. Nothing is mapped by "best fit".
//
// Decoding follows the code page's own table. A byte sequence the table does
// not define is never dropped: it becomes U+30FB KATAKANA MIDDLE DOT, the
// code page's default character, just as Windows decodes it. A lead byte
// swallows the following byte only when that byte is a valid trail byte
// (0x40..0x7E, 0x80..0xFC), so a broken lead byte never eats a CR, an LF or
// an ASCII character.
namespace sorvane::cp932 {

inline constexpr char16_t kDefaultChar = u'\u30FB';
inline constexpr char kSubstituteByte = '?';

// Code of one character: 0x00..0xFF for a single byte, 0x8140.. for a double
// byte, or -1 when the code page cannot hold it. U+0000 is 0x00.
int codeOf(char32_t ch);

// Bytes a character takes: 2 when the code page holds it as a double byte,
// otherwise 1 (a character it cannot hold is written as one '?').
int widthOf(char32_t ch);

// Byte count of the encoded text: the measure used for title warnings and
// comment wrapping.
qsizetype width(QStringView text);

// True when every character of the text has a code in the code page.
bool canEncode(QStringView text);

QByteArray encode(QStringView text);
// Appends the encoded text; returns false when some character had to be
// written as '?'.
bool appendEncoded(QByteArray &out, QStringView text);

// Decodes the bytes. When invalidSequences is given, it receives the number
// of sequences that were replaced by kDefaultChar because the table does not
// define them. The table gives a few pairs (0x8540, 0x8640, 0xEB40, 0xEC40,
// 0xEF40) as the default character itself: they hold no character either
// and count as undefined; only 0x8145 is a genuine "・".
QString decode(QByteArrayView bytes, qsizetype *invalidSequences = nullptr);

// True when encoding the text gives exactly these bytes. Decoding is not
// one to one, so bytes read from a file fail this when they hold a sequence
// the table does not define, or one of the several codes of a character
// other than the one Windows writes for it (the NEC row 13 symbols that
// JIS X 0208 holds too, the NEC-selected copies of the IBM extensions).
bool encodesAs(QStringView text, QByteArrayView bytes);

inline bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

} // namespace sorvane::cp932
