#include "io/ini_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void profileReaderRules_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        auto row = [](const char *name, const QByteArray &ini, const QString &section, const QString &key,
                      const QString &value) { QTest::newRow(name) << ini << section << key << value; };
        row("names ignore case, CR LF", "[Print]\r\nTop=10\r\nLeft = 15 \r\n", "PRINT", "left", "15");
        row("blanks and tabs trimmed", "  [ Print ]  \n\t Top \t=\t 1 2 \t\n", " Print\t", "Top ", "1 2");
        row("double quotes", "[s]\nk=\"  a b  \"\n", "s", "k", "  a b  ");
        row("single quotes", "[s]\nk='x'\n", "s", "k", "x");
        row("unmatched quotes stay", "[s]\nk=\"x'\n", "s", "k", "\"x'");
        row("lone quote stays", "[s]\nk=\"\n", "s", "k", "\"");
        row("value with equals sign", "[s]\nk=a=b\n", "s", "k", "a=b");
        row("comment line", "[s]\n  ;k=commented\n", "s", ";k", "");
        row("first key wins", "[s]\nk=1\nk=2\n", "s", "k", "1");
        row("first section wins", "[s]\na=1\n[t]\nk=x\n[s]\nk=2\n", "s", "k", "");
        row("key before any section", "k=1\n[s]\n", "s", "k", "");
        row("line without equals sign", "[s]\nk\nk=v\n", "s", "k", "v");
        row("no final line end", "[s]\nk=v", "s", "k", "v");
        row("ideographic space is not a blank", "[s]\nk=\x81\x40x\x81\x40\n", "s", "k",
            QStringLiteral("\u3000x\u3000"));
        row("code page 932", "[\x88\xF3\x8D\xFC\x90\xDD\x92\xE8]\r\n\x8F\xE3\x83\x7D\x81\x5B\x83\x57\x83\x93=10\r\n",
            QStringLiteral("印刷設定"), QStringLiteral("上マージン"), "10");
        row("UTF-8 with BOM", "\xEF\xBB\xBF[工事名]\n名称 = 市道１号線\n", QStringLiteral("工事名"),
            QStringLiteral("名称"), QStringLiteral("市道１号線"));
        // Values are cut to 1023 bytes in code page 932, never inside a
        // character; a character outside it takes one byte.
        const QByteArray wide = QByteArray("\x8E\xCA").repeated(700); // 写
        row("cut before a character passing 1023 bytes", "[s]\nk=" + wide, "s", "k", QString(511, u'写'));
        row("cut at exactly 1023 bytes", "[s]\nk=x" + wide, "s", "k", "x" + QString(511, u'写'));
        row("character outside the code page",
            "\xEF\xBB\xBF[s]\nk=" + QByteArray(1021, 'a') + "\xF0\x9F\x93\xB7" + "bc", "s", "k",
            QString(1021, u'a') + QString::fromUcs4(U"\U0001F4F7b"));
    }
    void profileReaderRules()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(iniValue(QByteArrayView(ini), section, key), value);
    }

    void readsFilesAndTreatsMissingOnesAsEmpty()
    {
        QTemporaryDir dir;
        const auto read = [](const QString &path) {
            return ReadIniValue(path, QStringLiteral("s"), QStringLiteral("k"));
        };
        QFile f(dir.filePath(QStringLiteral("a.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[s]\r\nk=value\r\n") > 0);
        f.close();
        QCOMPARE(read(f.fileName()), QStringLiteral("value"));
        QCOMPARE(read(dir.filePath(QStringLiteral("none.ini"))), QString());
        QCOMPARE(read(QString()), QString());
        QCOMPARE(read(dir.path()), QString());
        // A huge file is not read at all (sparse, so it takes no disk space).
        QVERIFY(f.resize(200LL * 1024 * 1024));
        QCOMPARE(read(f.fileName()), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
