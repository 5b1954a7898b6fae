#include "io/settings_files.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestSettingsFiles : public QObject {
    Q_OBJECT

    QTemporaryDir root;

    // Writes text as code page 932, the form the Windows version wrote.
    static void writeCp932(const QString &path, const QString &text)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        const QByteArray bytes = cp932::encode(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

private slots:
    void printIniValues()
    {
        const QString path = root.filePath(QStringLiteral("p1/print.ini"));
        writeCp932(path, QStringLiteral("[印刷設定]\r\n上マージン=10\r\n左マージン=15\r\n番号印刷=1\r\n"));
        const PrintIni ini = readPrintIni(path);
        QCOMPARE(ini.topMargin, QStringLiteral("10"));
        QCOMPARE(ini.leftMargin, QStringLiteral("15"));
        QCOMPARE(ini.numberPrintState, 1);
    }

    void printIniWithoutMargins()
    {
        const QString path = root.filePath(QStringLiteral("p2/print.ini"));
        writeCp932(path, QStringLiteral("[印刷設定]\r\n番号印刷=0\r\n"));
        const PrintIni ini = readPrintIni(path);
        QCOMPARE(ini.topMargin, QString());
        QCOMPARE(ini.leftMargin, QString());
        QCOMPARE(ini.numberPrintState, 0);

        const PrintIni none = readPrintIni(root.filePath(QStringLiteral("p2/none.ini")));
        QCOMPARE(none.topMargin, QString());
        QCOMPARE(none.numberPrintState, 0);
    }

    void numberPrintingState_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("2 is grey") << "2" << 2;
        QTest::newRow("blanks") << " 1 " << 1;
        QTest::newRow("fraction rounds") << "1.4" << 1;
        QTest::newRow("half to even up") << "1.5" << 2;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to zero") << "0.5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("not a number") << "yes" << 0;
        QTest::newRow("trailing text") << "1x" << 0;
        QTest::newRow("above range") << "3" << 0;
        QTest::newRow("below range") << "-1" << 0;
        QTest::newRow("infinite") << "inf" << 0;
        QTest::newRow("huge") << "1e300" << 0;
    }
    void numberPrintingState()
    {
        QFETCH(QString, text);
        QFETCH(int, state);
        QCOMPARE(checkStateFromIniText(text), state);
    }

    void corpIniValues()
    {
        const QString path = root.filePath(QStringLiteral("c1/corp.ini"));
        writeCp932(path, QStringLiteral("[工事番号]\r\n工第=第12-3\r\n[工事名]\r\n名称=市道１号線改良工事\r\n"
                                        "[工事場所]\r\n所在=山田町\r\n[工事施工者]\r\n会社名=株式会社　山田建設\r\n"));
        const CorpIni ini = readCorpIni(path);
        QCOMPARE(ini.constructionNumber, QStringLiteral("第12-3"));
        QCOMPARE(ini.constructionName, QStringLiteral("市道１号線改良工事"));
        QCOMPARE(ini.site, QStringLiteral("山田町"));
        QCOMPARE(ini.contractor, QStringLiteral("株式会社　山田建設"));

        const CorpIni none = readCorpIni(root.filePath(QStringLiteral("c1/none.ini")));
        QVERIFY(none.constructionNumber.isEmpty() && none.constructionName.isEmpty() && none.site.isEmpty() &&
                none.contractor.isEmpty());
    }

    void shippedExamplesRead()
    {
        const PrintIni print = readPrintIni(QStringLiteral(SORVANE_EXAMPLES "/print.ini"));
        QCOMPARE(print.topMargin, QStringLiteral("10"));
        QCOMPARE(print.leftMargin, QStringLiteral("15"));
        QCOMPARE(print.numberPrintState, 1);
        const CorpIni corp = readCorpIni(QStringLiteral(SORVANE_EXAMPLES "/corp.ini"));
        QCOMPARE(corp.constructionNumber, QStringLiteral("12"));
        QCOMPARE(corp.contractor, QStringLiteral("株式会社　山田建設"));
    }

    void programDirectoryComesFirst()
    {
        const QString program = root.filePath(QStringLiteral("l/bin"));
        const QString config = root.filePath(QStringLiteral("l/config"));
        QDir().mkpath(program);
        QDir().mkpath(config);
        // Neither has it: the program directory's path, which reads as empty.
        QCOMPARE(locateSettingsFile(program, config, QStringLiteral("print.ini")), program + "/print.ini");
        writeCp932(config + "/print.ini", {});
        QCOMPARE(locateSettingsFile(program, config, QStringLiteral("print.ini")), config + "/print.ini");
        writeCp932(program + "/print.ini", {});
        QCOMPARE(locateSettingsFile(program, config, QStringLiteral("print.ini")), program + "/print.ini");
        // A folder of that name is not a settings file.
        QDir().mkpath(program + "/corp.ini");
        writeCp932(config + "/corp.ini", {});
        QCOMPARE(locateSettingsFile(program, config, QStringLiteral("corp.ini")), config + "/corp.ini");
        QCOMPARE(locateSettingsFile(program, QString(), QStringLiteral("corp.ini")), program + "/corp.ini");
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settings_files.moc"
