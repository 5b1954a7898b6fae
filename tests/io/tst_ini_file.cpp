#include "io/ini_file.h"
#include "text/cp932.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void profileReaderRules_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QByteArray basic = "[Print]\r\nTop=10\r\nLeft = 15 \r\n";
        QTest::newRow("plain") << basic << "Print"
                               << "Top"
                               << "10";
        QTest::newRow("names ignore case") << basic << "PRINT"
                                           << "left"
                                           << "15";
        QTest::newRow("blanks and tabs trimmed") << QByteArray("  [ Print ]  \n\t Top \t=\t 1 2 \t\n") << "Print"
                                                 << "Top"
                                                 << "1 2";
        QTest::newRow("asked names trimmed") << basic << " Print "
                                             << " Top"
                                             << "10";
        QTest::newRow("double quotes") << QByteArray("[s]\nk=\"  a b  \"\n") << "s"
                                       << "k"
                                       << "  a b  ";
        QTest::newRow("single quotes") << QByteArray("[s]\nk='x'\n") << "s"
                                       << "k"
                                       << "x";
        QTest::newRow("unmatched quotes stay") << QByteArray("[s]\nk=\"x'\n") << "s"
                                               << "k"
                                               << "\"x'";
        QTest::newRow("lone quote stays") << QByteArray("[s]\nk=\"\n") << "s"
                                          << "k"
                                          << "\"";
        QTest::newRow("value with equals sign") << QByteArray("[s]\nk=a=b\n") << "s"
                                                << "k"
                                                << "a=b";
        QTest::newRow("comment line") << QByteArray("[s]\n;k=commented\nk=real\n") << "s"
                                      << "k"
                                      << "real";
        QTest::newRow("comment line only") << QByteArray("[s]\n  ; k=commented\n") << "s"
                                           << "k"
                                           << "";
        QTest::newRow("first key wins") << QByteArray("[s]\nk=1\nk=2\n") << "s"
                                        << "k"
                                        << "1";
        QTest::newRow("first section wins") << QByteArray("[s]\na=1\n[t]\nk=x\n[s]\nk=2\n") << "s"
                                            << "k"
                                            << "";
        QTest::newRow("key of another section") << QByteArray("[a]\nk=1\n[b]\nj=2\n") << "b"
                                                << "k"
                                                << "";
        QTest::newRow("key before any section") << QByteArray("k=1\n[s]\n") << "s"
                                                << "k"
                                                << "";
        QTest::newRow("missing section") << basic << "Other"
                                         << "Top"
                                         << "";
        QTest::newRow("missing key") << basic << "Print"
                                     << "Bottom"
                                     << "";
        QTest::newRow("line without equals sign") << QByteArray("[s]\nk\nk=v\n") << "s"
                                                  << "k"
                                                  << "v";
        QTest::newRow("empty value") << QByteArray("[s]\nk=\n") << "s"
                                     << "k"
                                     << "";
        QTest::newRow("no final line end") << QByteArray("[s]\nk=v") << "s"
                                           << "k"
                                           << "v";
        QTest::newRow("ideographic space is not a blank") << QByteArray("[s]\nk=\x81\x40x\x81\x40\n") << "s"
                                                          << "k" << QStringLiteral("\u3000x\u3000");
        QTest::newRow("code page 932") << QByteArray("[\x88\xF3\x8D\xFC\x90\xDD\x92\xE8]\r\n"
                                                     "\x8F\xE3\x83\x7D\x81\x5B\x83\x57\x83\x93=10\r\n")
                                       << QStringLiteral("印刷設定") << QStringLiteral("上マージン")
                                       << QStringLiteral("10");
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF[工事名]\n名称 = 市道１号線改良工事\n")
                                        << QStringLiteral("工事名") << QStringLiteral("名称")
                                        << QStringLiteral("市道１号線改良工事");
    }
    void profileReaderRules()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(iniValue(QByteArrayView(ini), section, key), value);
    }

    void longValuesAreCutAt1023Bytes()
    {
        const QByteArray ascii(1500, 'a');
        QCOMPARE(iniValue(QByteArrayView("[s]\nk=" + ascii + "\n"), u"s", u"k"), QString(1023, u'a'));

        // 511 full-width characters take 1022 bytes; the next one would pass
        // the limit and is left out whole.
        QByteArray wide;
        for (int i = 0; i < 700; ++i)
            wide += "\x8E\xCA"; // 写
        const QString cut = iniValue(QByteArrayView("[s]\nk=" + wide + "\n"), u"s", u"k");
        QCOMPARE(cut, QString(511, u'写'));

        // One ASCII character first: 1 + 511 * 2 = 1023 bytes exactly.
        const QString mixed = iniValue(QByteArrayView("[s]\nk=x" + wide + "\n"), u"s", u"k");
        QCOMPARE(cp932::width(mixed), 1023);
        QVERIFY(mixed.endsWith(u'写'));
    }

    void readsFilesAndTreatsMissingOnesAsEmpty()
    {
        const QString path = writeFile(QStringLiteral("a.ini"), "[s]\r\nk=value\r\n");
        QCOMPARE(ReadIniValue(path, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("value"));
        QCOMPARE(ReadIniValue(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("s"), QStringLiteral("k")),
                 QString());
        QCOMPARE(ReadIniValue(QString(), QStringLiteral("s"), QStringLiteral("k")), QString());
        QCOMPARE(ReadIniValue(dir.path(), QStringLiteral("s"), QStringLiteral("k")), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
