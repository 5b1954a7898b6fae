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
    QString writeCp932(const QString &name, const QString &text)
    {
        const QString path = root.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        const QByteArray bytes = cp932::encode(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void readersTakeTheirSectionsAndKeys()
    {
        // The sections of both files in one file.
        const QString path =
            writeCp932(QStringLiteral("s.ini"),
                       QStringLiteral("[印刷設定]\r\n上マージン=10\r\n左マージン=15\r\n番号印刷=1\r\n"
                                      "[工事番号]\r\n工第=第12-3\r\n[工事名]\r\n名称=市道\r\n"
                                      "[工事場所]\r\n所在=山田町\r\n[工事施工者]\r\n会社名=山田建設\r\n"));
        const PrintIni print = readPrintIni(path);
        QCOMPARE((QStringList{print.topMargin, print.leftMargin}), (QStringList{"10", "15"}));
        QCOMPARE(print.numberPrintState, 1);
        const CorpIni corp = readCorpIni(path);
        QCOMPARE((QStringList{corp.constructionNumber, corp.constructionName, corp.site, corp.contractor}),
                 (QStringList{"第12-3", "市道", "山田町", "山田建設"}));

        // A missing file: no margins, no numbers.
        const PrintIni none = readPrintIni(root.filePath(QStringLiteral("none.ini")));
        QVERIFY(none.topMargin.isEmpty() && none.leftMargin.isEmpty() && none.numberPrintState == 0);
    }

    void numberPrintingState_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        // Halves round to the even number; a value that is not a number or is
        // outside 0..2 gives 0.
        const std::pair<const char *, int> cases[] = {{" 1 ", 1}, {"2", 2}, {"1.5", 2}, {"2.5", 2},   {"0.5", 0},
                                                      {"1x", 0},  {"3", 0}, {"-1", 0},  {"1e300", 0}, {"inf", 0}};
        for (const auto &[text, state] : cases)
            QTest::newRow(text) << QString::fromLatin1(text) << state;
    }
    void numberPrintingState()
    {
        QFETCH(QString, text);
        QFETCH(int, state);
        QCOMPARE(checkStateFromIniText(text), state);
    }

    void shippedExamplesRead()
    {
        QCOMPARE(readPrintIni(QStringLiteral(SORVANE_EXAMPLES "/print.ini")).numberPrintState, 1);
        QCOMPARE(readCorpIni(QStringLiteral(SORVANE_EXAMPLES "/corp.ini")).contractor,
                 QStringLiteral("株式会社　山田建設"));
    }

    void programDirectoryComesFirst()
    {
        const QString bin = root.filePath(QStringLiteral("bin")), config = root.filePath(QStringLiteral("config"));
        const QString inBin = bin + "/print.ini", inConfig = config + "/print.ini";
        const auto locate = [&](const QString &dir) {
            return locateSettingsFile(bin, dir, QStringLiteral("print.ini"));
        };
        // Folders of that name are not settings files; when neither directory
        // has the file, the program directory's path, which reads as empty.
        QVERIFY(QDir().mkpath(inBin) && QDir().mkpath(inConfig));
        QCOMPARE(locate(config), inBin);
        QVERIFY(QDir().rmdir(inConfig));
        writeCp932(QStringLiteral("config/print.ini"), {});
        QCOMPARE(locate(config), inConfig);
        // Without a configuration directory, the current one is not searched.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(config);
        QCOMPARE(locate(QString()), inBin);
        QDir::setCurrent(cwd);
        QVERIFY(QDir().rmdir(inBin));
        writeCp932(QStringLiteral("bin/print.ini"), {});
        QCOMPARE(locate(config), inBin);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settings_files.moc"
