// The codec against Microsoft's own tables, for every byte sequence and every
// BMP code point, read from the reference files rather than from the
// generated table.
#include "text/cp932.h"

#include <QFile>
#include <QMap>
#include <QTest>

using namespace sorvane;

namespace {

struct Reference {
    QMap<int, int> single;  // byte -> character (MBTABLE); the 60 bytes it lacks are lead bytes
    QMap<int, int> dbcs;    // 0xLLTT -> character (DBCSTABLE)
    QMap<int, int> wctable; // character -> code, best-fit entries included
};

QList<QByteArray> readLines(const char *name)
{
    QFile f(QStringLiteral(SORVANE_TEST_DATA "/cp932/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return f.readAll().split('\n');
}

int hex(const QByteArray &word)
{
    bool ok = false;
    const int v = word.toInt(&ok, 16);
    if (!ok)
        qFatal("bad number %s", word.constData());
    return v;
}

Reference loadReference()
{
    Reference ref;
    QMap<int, int> *section = nullptr;
    int lead = 0;
    for (const QByteArray &line : readLines("bestfit932.txt")) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words[0] == "MBTABLE" || words[0] == "DBCSTABLE" || words[0] == "WCTABLE") {
            section = words[0] == "MBTABLE" ? &ref.single : words[0] == "WCTABLE" ? &ref.wctable : &ref.dbcs;
            lead = words[0] == "DBCSTABLE" ? hex(words.last()) << 8 : 0; // "DBCSTABLE n ;LeadByte = 0x81"
        } else if (words[0].startsWith("0x") && section && !line.contains("Lead Byte Range")) {
            section->insert(lead | hex(words[0]), hex(words[1]));
        }
    }
    return ref;
}

QByteArray codeBytes(int code)
{
    QByteArray b;
    if (code > 0xFF)
        b += char(code >> 8);
    return b += char(code);
}

bool isTrail(int b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

} // namespace

class TestCp932 : public QObject {
    Q_OBJECT

    Reference ref;

    // True when the bytes decode as the tables say: a lead byte takes a trail
    // byte with it, and whatever the tables lack is one default character.
    // A pair the tables give as the default character, other than 0x8145
    // (the character itself), holds none and counts as undefined.
    bool decodesAsTables(QByteArrayView bytes) const
    {
        QString expected;
        qsizetype expectedInvalid = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const int b = uchar(bytes[i]);
            int ch = ref.single.value(b, -1);
            if (ch < 0 && i + 1 < bytes.size() && isTrail(uchar(bytes[i + 1]))) {
                const int code = b << 8 | uchar(bytes[++i]);
                ch = ref.dbcs.value(code, -1);
                expectedInvalid += ch == 0x30FB && code != 0x8145;
            }
            expectedInvalid += ch < 0;
            expected += QChar(ch < 0 ? 0x30FB : ch);
        }
        qsizetype invalid = -1;
        return cp932::decode(bytes, &invalid) == expected && invalid == expectedInvalid;
    }

private slots:
    void initTestCase()
    {
        ref = loadReference();
        QCOMPARE(ref.single.size(), 196);
        QVERIFY(ref.dbcs.size() > 9000);
        QVERIFY(ref.wctable.size() > 9000);
    }

    void decodesEveryByteAndEveryPairAsTheTablesSay()
    {
        // Undefined pairs, broken and truncated lead bytes included: a broken
        // lead byte never swallows the CR, LF or ASCII character after it.
        for (int code = 0; code <= 0xFFFF; ++code) {
            const QByteArray pair = QByteArray(1, char(code >> 8)) + char(code);
            QVERIFY2(decodesAsTables(pair) && (code > 0xFF || decodesAsTables(pair.sliced(1))),
                     pair.toHex().constData());
        }
        QCOMPARE(cp932::decode("\x88\r\n"), QStringLiteral("\u30FB\r\n"));
    }

    void agreesWithThePublishedUnicodeTable()
    {
        int checked = 0;
        for (const QByteArray &line : readLines("CP932.TXT")) {
            const QList<QByteArray> cols = line.split('\t');
            if (line.startsWith('#') || cols.size() < 2 || !cols[1].startsWith("0x"))
                continue;
            QVERIFY2(cp932::decode(codeBytes(hex(cols[0]))) == QChar(hex(cols[1])), cols[0].constData());
            ++checked;
        }
        QVERIFY(checked > 7000);
    }

    void encodesEveryBmpCodePointStrictly()
    {
        int mapped = 0;
        for (int u = 0; u <= 0xFFFF; ++u) {
            if (QChar::isSurrogate(char32_t(u)))
                continue;
            // A WCTABLE entry counts only when its code decodes back to the
            // character; the others are best-fit guesses.
            const int code = ref.wctable.value(u, -1);
            const bool strict = code >= 0 && ref.single.value(code, ref.dbcs.value(code, -1)) == u;
            const QByteArray expected = strict ? codeBytes(code) : QByteArray("?");
            const QString text{QChar(char16_t(u))};
            QVERIFY2(cp932::encode(text) == expected, qPrintable(QString::number(u, 16)));
            QCOMPARE(cp932::width(text), expected.size());
            QCOMPARE(cp932::canEncode(text), strict);
            mapped += strict;
        }
        QVERIFY(mapped > 9000);
    }

    void bytesEncodeBackOnlyAsWindowsWritesThem()
    {
        // Every single byte and every pair after a lead byte: its text
        // encodes back to it exactly when the tables define it and Windows
        // writes that character with these very bytes. Whatever it decodes
        // to can be encoded, so a file read never has to be written as UTF-8.
        int others = 0;
        for (int code = 0; code <= 0xFFFF; ++code) {
            if (code > 0xFF && !cp932::isLeadByte(uchar(code >> 8)))
                continue;
            const QByteArray bytes = codeBytes(code);
            const QString text = cp932::decode(bytes);
            const int ch = code > 0xFF ? ref.dbcs.value(code, -1) : ref.single.value(code, -1);
            const bool back = ch >= 0 && ref.wctable.value(ch, -1) == code;
            QVERIFY2(cp932::encodesAs(text, bytes) == back, bytes.toHex().constData());
            QVERIFY(cp932::canEncode(text));
            others += ch >= 0 && !back;
        }
        // The NEC and IBM duplicates and the pairs that stand for nothing.
        QCOMPARE(others, 403);

        struct Case {
            const char *bytes;
            const char16_t *text;
            bool back;
        };
        const Case cases[] = {
            {"\x81\xE0", u"≒", true},      {"\x87\x90", u"≒", false},
            {"\x81\xE6", u"∵", true},      {"\x87\x9A", u"∵", false},
            {"\xFA\x5B", u"∵", false},     {"\x81\xCA", u"￢", true},
            {"\xEE\xF9", u"￢", false},    {"\xFA\x54", u"￢", false},
            {"\xFA\x40", u"ⅰ", true},      {"\xEE\xEF", u"ⅰ", false},
            {"\xFB\xFC", u"髙", true},     {"\xEE\xE0", u"髙", false},
            {"\xFA\xB1", u"﨑", true},     {"\x87\x40", u"①", true},
            {"\x87\x8A", u"㈱", true},     {"\xF0\x40", u"\uE000", true},
            {"\xF9\xFC", u"\uE757", true}, {"\x81\x45", u"・", true},
            {"\x85\x40", u"・", false},    {"\x85\x41", u"・", false},
            {"\x88", u"・", false},        {"\x8E\xCA\x90\x5E ", u"写真 ", true},
        };
        for (const Case &c : cases) {
            const QString text = QString::fromUtf16(c.text);
            QCOMPARE(cp932::decode(c.bytes), text);
            QVERIFY2(cp932::encodesAs(text, c.bytes) == c.back, c.bytes);
        }
        // Bytes that stop short or run on are not the text's.
        QVERIFY(!cp932::encodesAs(u"写真", "\x8E\xCA"));
        QVERIFY(!cp932::encodesAs(u"写真", "\x8E\xCA\x90"));
        QVERIFY(!cp932::encodesAs(u"写", "\x8E\xCA\x90\x5E"));
        QVERIFY(!cp932::encodesAs(u"a\U0001F44D", "a?"));
        QVERIFY(cp932::encodesAs(u"", ""));
    }

    void undefinedPairsAreCounted()
    {
        // 0x8540 is "・" in the tables, yet holds no character; 0x8145 is one.
        qsizetype invalid = -1;
        QCOMPARE(cp932::decode("\x81\x45\x85\x40\x85\x41\xEF\x40\x88\r\n", &invalid), QStringLiteral("・・・・・\r\n"));
        QCOMPARE(invalid, 4);
    }

    void surrogatesTakeOneQuestionMarkEach()
    {
        // A pair is one character, a lone surrogate is one as well; U+25199
        // is not U+5199 写 cut to 16 bits.
        const QString text = QString::fromUcs4(U"写\U00025199真");
        QCOMPARE(cp932::encode(text), QByteArray("\x8E\xCA?\x90\x5E"));
        QCOMPARE(cp932::width(text), 5);
        QVERIFY(!cp932::canEncode(text));
        QString lone;
        lone.append(QChar(char16_t(0xD83D))).append(u'x').append(QChar(char16_t(0xDCF7)));
        QCOMPARE(cp932::encode(lone), QByteArray("?x?"));
        QVERIFY(!cp932::canEncode(lone));

        QByteArray out("a");
        QVERIFY(cp932::appendEncoded(out, u"ｶ工"));
        QVERIFY(!cp932::appendEncoded(out, text));
        QCOMPARE(out, QByteArray("a\xB6\x8D\x48\x8E\xCA?\x90\x5E"));
    }
};

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
