#include "text/cp1252.h"

#include <QTest>

using namespace sorvane;

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    // Windows' own characters in 0x80..0x9F; its five unassigned codes
    // stay the C1 controls of the same number.
    void decodesTheWindowsRange_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("character");
        const QList<std::pair<int, int>> codes{
            {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
            {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039},
            {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018},
            {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014},
            {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9D, 0x009D},
            {0x9E, 0x017E}, {0x9F, 0x0178},
        };
        for (const auto &[byte, character] : codes)
            QTest::addRow("0x%02X", byte) << byte << character;
    }
    void decodesTheWindowsRange()
    {
        QFETCH(int, byte);
        QFETCH(int, character);
        const char c = char(byte);
        QCOMPARE(cp1252::decode(QByteArrayView(&c, 1)), QString(QChar(character)));
    }

    // Everything else reads as Latin-1: ASCII, NUL included, and 0xA0..0xFF.
    void keepsAsciiAndLatin1()
    {
        QByteArray bytes;
        for (int b = 0; b < 0x100; ++b) {
            if (b < 0x80 || b >= 0xA0)
                bytes.append(char(b));
        }
        QCOMPARE(cp1252::decode(bytes), QString::fromLatin1(bytes));
    }

    // One character for every byte, in order, within a longer text.
    void decodesText()
    {
        QCOMPARE(cp1252::decode("\x93"
                                "Caf\xE9\x94 \x80 5\x85"),
                 QString::fromUtf16(u"\u201CCaf\u00E9\u201D \u20AC 5\u2026"));
        QCOMPARE(cp1252::decode(QByteArray("a\0\x9F", 3)), QStringLiteral("a") + QChar(0) + QChar(0x0178));
        QVERIFY(cp1252::decode({}).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
