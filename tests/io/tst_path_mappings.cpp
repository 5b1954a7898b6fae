// The user's path mappings in sorvane.ini: written and read back as given,
// beside the file's other settings, refused with a reason where the file
// cannot be written, and odd contents of the file read as no mapping.
#include "io/path_mappings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

class TestPathMappings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString iniIn(const QString &folder) const { return QDir(folder).filePath(QStringLiteral("sorvane.ini")); }

    void writeIni(const QString &folder, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(folder));
        QFile file(iniIn(folder));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Backslashes, Japanese names, blanks, an equals sign and a semicolon
    // come back as they went in, in order; the folder is made when needed.
    void roundTrip()
    {
        const QString folder = m_dir.filePath("config/sorvane");
        const QList<PathMapping> mappings{
            {"\\\\nas01\\share", "/mnt/nas01/share"},
            {"C:\\Users\\genba\\Pictures\\工事 写真", "/home/genba/写真"},
            {"D:/a=b;c", "/media/usb disk/#1"},
        };
        QString error;
        QVERIFY2(writePathMappings(folder, mappings, &error), qPrintable(error));
        QCOMPARE(readPathMappings(folder), mappings);
        // Fewer replace more.
        QVERIFY(writePathMappings(folder, mappings.mid(1, 1)));
        QCOMPARE(readPathMappings(folder), mappings.mid(1, 1));
        QVERIFY(writePathMappings(folder, {}));
        QCOMPARE(readPathMappings(folder), QList<PathMapping>());
    }

    void otherSettingsAreKept()
    {
        const QString folder = m_dir.filePath("kept");
        {
            QSettings settings(iniIn(folder), QSettings::IniFormat);
            settings.setValue("Window/geometry", "10,20,300,400");
            settings.setValue("recentAlbums", QStringList{"/a.svd", "/b.svd"});
        }
        QVERIFY(writePathMappings(folder, {{"C:\\dc", "/mnt/dc"}}));
        QVERIFY(writePathMappings(folder, {{"E:\\", "/mnt/e"}}));
        QSettings settings(iniIn(folder), QSettings::IniFormat);
        QCOMPARE(settings.value("Window/geometry").toString(), QStringLiteral("10,20,300,400"));
        QCOMPARE(settings.value("recentAlbums").toStringList(), QStringList({"/a.svd", "/b.svd"}));
        QCOMPARE(readPathMappings(folder), QList<PathMapping>({{"E:\\", "/mnt/e"}}));
    }

    // A folder that cannot be made (a file stands in its way), and a
    // settings file that cannot be written (a folder of its name): false,
    // with a reason naming it, and what was there stays.
    void unwritablePlacesFailWithAReason()
    {
        QFile blocker(m_dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!writePathMappings(m_dir.filePath("blocker/sorvane"), {{"C:\\", "/mnt/c"}}, &error));
        QVERIFY2(error.contains(m_dir.filePath("blocker/sorvane")), qPrintable(error));
        QCOMPARE(QFileInfo(blocker.fileName()).size(), 0);

        const QString folder = m_dir.filePath("ini-is-a-folder");
        QVERIFY(QDir().mkpath(iniIn(folder)));
        error.clear();
        QVERIFY(!writePathMappings(folder, {{"C:\\", "/mnt/c"}}, &error));
        QVERIFY2(error.contains(iniIn(folder)), qPrintable(error));
        QVERIFY(QFileInfo(iniIn(folder)).isDir());
        QCOMPARE(readPathMappings(folder), QList<PathMapping>());
        QVERIFY(!writePathMappings(QString(), {}, &error));
    }

    // What a hand or another program may leave: only whole pairs count.
    void oddContentsAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("count");
        QTest::newRow("no file") << QByteArray() << 0;
        QTest::newRow("not an ini file") << QByteArray("\x00\xff\xfe garbage\n[[[\n=\n", 17) << 0;
        QTest::newRow("a size beyond the entries")
            << QByteArray("[PathMappings]\nsize=5\n1\\prefix=C:\\\\dc\n1\\folder=/mnt/dc\n") << 1;
        QTest::newRow("a pair without its folder")
            << QByteArray("[PathMappings]\nsize=2\n1\\prefix=C:\\\\dc\n2\\prefix=D:\\\\x\n2\\folder=/mnt/x\n") << 1;
        QTest::newRow("a size that is no number") << QByteArray("[PathMappings]\nsize=many\n1\\prefix=C:\n") << 0;
        QTest::newRow("a negative size") << QByteArray("[PathMappings]\nsize=-3\n") << 0;
    }
    void oddContentsAreIgnored()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, count);
        const QString folder = m_dir.filePath(QStringLiteral("odd/%1").arg(QTest::currentDataTag()));
        if (!ini.isNull())
            writeIni(folder, ini);
        const QList<PathMapping> mappings = readPathMappings(folder);
        QCOMPARE(mappings.size(), count);
        for (const PathMapping &mapping : mappings)
            QVERIFY(!mapping.prefix.isEmpty() && !mapping.folder.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPathMappings)
#include "tst_path_mappings.moc"
