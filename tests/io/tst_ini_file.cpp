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
        auto row = [](const char *name, const QByteArray &ini, const QString &section, const QString &key,
                      const QString &value) { QTest::newRow(name) << ini << section << key << value; };
        const QByteArray basic = "[Print]\r\nTop=10\r\nLeft = 15 \r\n";
        row("plain", basic, "Print", "Top", "10");
        row("names ignore case", basic, "PRINT", "left", "15");
        row("blanks and tabs trimmed", "  [ Print ]  \n\t Top \t=\t 1 2 \t\n", "Print", "Top", "1 2");
        row("asked names trimmed", basic, " Print ", " Top", "10");
        row("double quotes", "[s]\nk=\"  a b  \"\n", "s", "k", "  a b  ");
        row("single quotes", "[s]\nk='x'\n", "s", "k", "x");
        row("unmatched quotes stay", "[s]\nk=\"x'\n", "s", "k", "\"x'");
        row("lone quote stays", "[s]\nk=\"\n", "s", "k", "\"");
        row("value with equals sign", "[s]\nk=a=b\n", "s", "k", "a=b");
        row("comment line", "[s]\n;k=commented\nk=real\n", "s", "k", "real");
        row("comment line only", "[s]\n  ; k=commented\n", "s", "k", "");
        row("first key wins", "[s]\nk=1\nk=2\n", "s", "k", "1");
        row("first section wins", "[s]\na=1\n[t]\nk=x\n[s]\nk=2\n", "s", "k", "");
        row("key of another section", "[a]\nk=1\n[b]\nj=2\n", "b", "k", "");
        row("key before any section", "k=1\n[s]\n", "s", "k", "");
        row("missing section", basic, "Other", "Top", "");
        row("missing key", basic, "Print", "Bottom", "");
        row("line without equals sign", "[s]\nk\nk=v\n", "s", "k", "v");
        row("empty value", "[s]\nk=\n", "s", "k", "");
        row("no final line end", "[s]\nk=v", "s", "k", "v");
        row("ideographic space is not a blank", "[s]\nk=\x81\x40x\x81\x40\n", "s", "k",
            QStringLiteral("\u3000x\u3000"));
        row("code page 932", "[\x88\xF3\x8D\xFC\x90\xDD\x92\xE8]\r\n\x8F\xE3\x83\x7D\x81\x5B\x83\x57\x83\x93=10\r\n",
            QStringLiteral("印刷設定"), QStringLiteral("上マージン"), "10");
        row("UTF-8 with BOM", "\xEF\xBB\xBF[工事名]\n名称 = 市道１号線改良工事\n", QStringLiteral("工事名"),
            QStringLiteral("名称"), QStringLiteral("市道１号線改良工事"));
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

        // A huge file is not read at all (sparse, so it takes no disk space).
        QFile big(writeFile(QStringLiteral("big.ini"), "[s]\nk=v\n"));
        QVERIFY(big.resize(200LL * 1024 * 1024));
        QCOMPARE(ReadIniValue(big.fileName(), QStringLiteral("s"), QStringLiteral("k")), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
