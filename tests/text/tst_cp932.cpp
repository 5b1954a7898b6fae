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
    QMap<int, int> single;     // byte -> character (MBTABLE)
    QMap<int, int> dbcs;       // 0xLLTT -> character (DBCSTABLE)
    QMap<int, int> wctable;    // character -> code, best-fit entries included
    QMap<int, int> unicodeTxt; // CP932.TXT: code -> character
};

QByteArray readData(const char *name)
{
    QFile f(QStringLiteral(SORVANE_TEST_DATA "/cp932/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return f.readAll();
}

int hex(QByteArrayView word)
{
    bool ok = false;
    const int v = word.toByteArray().toInt(&ok, 16);
    if (!ok)
        qFatal("bad number %s", word.toByteArray().constData());
    return v;
}

Reference loadReference()
{
    Reference ref;
    enum { None, Mb, Db, Wc } section = None;
    int lead = 0;
    for (QByteArray line : readData("bestfit932.txt").split('\n')) {
        QByteArray comment;
        if (const qsizetype semi = line.indexOf(';'); semi >= 0) {
            comment = line.mid(semi);
            line.truncate(semi);
        }
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.first().isEmpty())
            continue;
        const QByteArray &head = words.first();
        if (head == "MBTABLE") {
            section = Mb;
        } else if (head == "DBCSTABLE") {
            section = Db;
            lead = hex(comment.mid(comment.indexOf('=') + 1).trimmed());
        } else if (head == "WCTABLE") {
            section = Wc;
        } else if (head.startsWith("0x") && words.size() >= 2 && !comment.contains("Lead Byte Range")) {
            const int a = hex(words[0]);
            const int b = hex(words[1]);
            if (section == Mb)
                ref.single.insert(a, b);
            else if (section == Db)
                ref.dbcs.insert((lead << 8) | a, b);
            else if (section == Wc)
                ref.wctable.insert(a, b);
        } else if (head != "CODEPAGE" && head != "CPINFO" && head != "DBCSRANGE" && head != "ENDCODEPAGE" &&
                   !comment.contains("Lead Byte Range")) {
            qFatal("unexpected line in bestfit932.txt: %s", line.constData());
        }
    }
    for (const QByteArray &line : readData("CP932.TXT").split('\n')) {
        if (line.startsWith('#'))
            continue;
        const QList<QByteArray> cols = line.split('\t');
        if (cols.size() >= 2 && cols[1].trimmed().startsWith("0x"))
            ref.unicodeTxt.insert(hex(cols[0]), hex(cols[1].trimmed()));
    }
    return ref;
}

QByteArray codeBytes(int code)
{
    QByteArray b;
    if (code > 0xFF)
        b.append(char(code >> 8));
    b.append(char(code & 0xFF));
    return b;
}

QString chars(std::initializer_list<char32_t> list)
{
    QString s;
    for (char32_t c : list)
        s += QString::fromUcs4(&c, 1);
    return s;
}

} // namespace

class TestCp932 : public QObject {
    Q_OBJECT

    Reference ref;

private slots:
    void initTestCase()
    {
        ref = loadReference();
        QCOMPARE(ref.single.size(), 196);
        QVERIFY(ref.dbcs.size() > 9000);
        QVERIFY(ref.wctable.size() > 9000);
        QVERIFY(ref.unicodeTxt.size() > 7000);
    }

    void decodesEveryTableSequence()
    {
        for (auto it = ref.single.cbegin(); it != ref.single.cend(); ++it) {
            qsizetype invalid = -1;
            const QString s = cp932::decode(codeBytes(it.key()), &invalid);
            QVERIFY2(s == QString(QChar(it.value())) && invalid == 0, qPrintable(QString::number(it.key(), 16)));
        }
        for (auto it = ref.dbcs.cbegin(); it != ref.dbcs.cend(); ++it) {
            qsizetype invalid = -1;
            const QString s = cp932::decode(codeBytes(it.key()), &invalid);
            QVERIFY2(s == QString(QChar(it.value())) && invalid == 0, qPrintable(QString::number(it.key(), 16)));
        }
    }

    void agreesWithUnicodeTable()
    {
        // CP932.TXT is the published subset; every code it lists decodes the same.
        for (auto it = ref.unicodeTxt.cbegin(); it != ref.unicodeTxt.cend(); ++it)
            QVERIFY2(cp932::decode(codeBytes(it.key())) == QString(QChar(it.value())),
                     qPrintable(QString::number(it.key(), 16)));
    }

    void undefinedSequencesBecomeTheDefaultCharacter()
    {
        // Every lead byte with every second byte: a defined pair decodes as the
        // table says, an undefined pair with a trail byte is one default
        // character, and a byte that cannot trail is decoded on its own.
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932::isLeadByte(uchar(lead)))
                continue;
            for (int second = 0; second <= 0xFF; ++second) {
                const int code = (lead << 8) | second;
                if (ref.dbcs.contains(code))
                    continue;
                QByteArray bytes;
                bytes.append(char(lead)).append(char(second));
                qsizetype invalid = 0;
                const QString s = cp932::decode(bytes, &invalid);
                const bool trail = (second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFC);
                const QString expected =
                    trail ? QString(QChar(0x30FB)) : QString(QChar(0x30FB)) + cp932::decode(bytes.sliced(1));
                QVERIFY2(s == expected, qPrintable(QString::number(code, 16)));
                QVERIFY(invalid >= 1);
            }
        }
    }

    void truncatedLeadByteIsNotDropped()
    {
        qsizetype invalid = 0;
        QCOMPARE(cp932::decode("AB\x88", &invalid), QStringLiteral("AB\u30FB"));
        QCOMPARE(invalid, 1);
        // A broken lead byte never swallows the line end that follows it.
        QCOMPARE(cp932::decode("\x88\r\n"), QStringLiteral("\u30FB\r\n"));
    }

    void encodesEveryBmpCodePointStrictly()
    {
        QMap<int, int> decodeTable = ref.single;
        decodeTable.insert(ref.dbcs);
        int mapped = 0;
        for (int u = 0; u <= 0xFFFF; ++u) {
            if (QChar::isSurrogate(char32_t(u)))
                continue;
            // A WCTABLE entry counts only when its code decodes back to the
            // character; the others are best-fit guesses.
            const int code = ref.wctable.value(u, -1);
            const bool strict = code >= 0 && decodeTable.value(code, -1) == u;
            const QByteArray expected = strict ? codeBytes(code) : QByteArray("?");
            const QString text{QChar(char16_t(u))};
            QVERIFY2(cp932::encode(text) == expected, qPrintable(QString::number(u, 16)));
            QCOMPARE(cp932::width(text), expected.size());
            QCOMPARE(cp932::canEncode(text), strict);
            mapped += strict;
        }
        QVERIFY(mapped > 9000);
    }

    void duplicatesTakeTheCodeWindowsWrites()
    {
        QCOMPARE(cp932::encode(u"\u2252"), QByteArray("\x81\xE0")); // ≒, also NEC 0x8790
        QCOMPARE(cp932::encode(u"\u2235"), QByteArray("\x81\xE6")); // ∵, also 0x879A and 0xFA5B
        QCOMPARE(cp932::encode(u"\u2170"), QByteArray("\xFA\x40")); // ⅰ, also NEC-selected 0xEEEF
        QCOMPARE(cp932::encode(u"\uFFE2"), QByteArray("\x81\xCA")); // ￢, also 0xEEF9 and 0xFA54
        QCOMPARE(cp932::decode("\x87\x90\xEE\xEF"), QStringLiteral("\u2252\u2170"));
    }

    void charactersOutsideTheCodePageTakeOneQuestionMark()
    {
        // Invisible characters, best-fit candidates and control bytes that other
        // converters drop, map loosely or swap.
        QCOMPARE(cp932::encode(u"a\u00ADb\u200Bc\u200Fd"), QByteArray("a?b?c?d"));
        QCOMPARE(cp932::encode(u"\u00A5\u00E9\u00C0"), QByteArray("???"));
        QCOMPARE(cp932::encode(u"\x1A\x1C\x7F"), QByteArray("\x1A\x1C\x7F"));
        QCOMPARE(cp932::decode("\x1A\x1C\x7F"), QStringLiteral("\x1A\x1C\x7F"));
        // A surrogate pair is one character, a lone surrogate is one as well.
        QCOMPARE(cp932::encode(chars({U'写', U'\U0001F4F7', U'真'})), QByteArray("\x8E\xCA?\x90\x5E"));
        QCOMPARE(cp932::width(chars({U'\U0001F4F7'})), 1);
        QString lone;
        lone.append(QChar(char16_t(0xD83D))).append(u'x').append(QChar(char16_t(0xDCF7)));
        QCOMPARE(cp932::encode(lone), QByteArray("?x?"));
        QVERIFY(!cp932::canEncode(lone));
    }

    void widthCountsBytes()
    {
        QCOMPARE(cp932::width(u""), 0);
        QCOMPARE(cp932::width(u"ABC 123"), 7);
        QCOMPARE(cp932::width(u"ｶﾀｶﾅ"), 4);        // half-width katakana
        QCOMPARE(cp932::width(u"工事写真帳"), 10); // kanji
        QCOMPARE(cp932::width(u"ＡＢ　①"), 8);     // full-width letters, ideographic space, NEC circled digit
        QCOMPARE(cp932::width(u"é"), 1);
    }
};

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
