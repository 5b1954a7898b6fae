// Photo paths read as Windows writes them, on every platform: where they
// start, the names below, and whether one lies below a mapping's prefix.
#include "model/windows_path.h"

#include <QTest>

using namespace sorvane;
using Start = WindowsPath::Start;

Q_DECLARE_METATYPE(WindowsPath::Start)

class TestWindowsPath : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<WindowsPath::Start>("start");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *path, Start start, const char *root, const QStringList &names) {
            QTest::newRow(path) << QString::fromUtf8(path) << start << QString::fromUtf8(root) << names;
        };
        row("C:\\Users\\genba\\Pictures\\工事\\IMG_0001.JPG", Start::Drive,
            "C:", {"Users", "genba", "Pictures", "工事", "IMG_0001.JPG"});
        row("c:/photos/./old/../IMG.jpg", Start::Drive, "C:", {"photos", "IMG.jpg"});
        row("D:IMG.jpg", Start::Drive, "D:", {"IMG.jpg"});
        row("C:\\..\\..\\IMG.jpg", Start::Drive, "C:", {"IMG.jpg"});
        row("\\\\nas01\\share\\写真\\IMG_0002.JPG", Start::Share, "\\\\nas01", {"share", "写真", "IMG_0002.JPG"});
        row("//nas01/share/IMG.JPG", Start::Share, "\\\\nas01", {"share", "IMG.JPG"});
        row("\\\\?\\C:\\long\\IMG.JPG", Start::Drive, "C:", {"long", "IMG.JPG"});
        row("\\\\?\\UNC\\nas01\\share\\IMG.JPG", Start::Share, "\\\\nas01", {"share", "IMG.JPG"});
        row("\\\\.\\D:\\IMG.JPG", Start::Drive, "D:", {"IMG.JPG"});
        row("\\Users\\IMG.JPG", Start::Root, "", {"Users", "IMG.JPG"});
        row("/home/genba/写真/IMG.JPG", Start::Root, "", {"home", "genba", "写真", "IMG.JPG"});
        row("写真\\\\2026\\IMG.JPG", Start::Relative, "", {"写真", "2026", "IMG.JPG"});
        row("..\\..\\shared\\IMG.JPG", Start::Relative, "", {"..", "..", "shared", "IMG.JPG"});
        row("a\\..\\..\\IMG.JPG", Start::Relative, "", {"..", "IMG.JPG"});
        row("photos/IMG.JPG", Start::Relative, "", {"photos", "IMG.JPG"});
        row("", Start::Relative, "", {});
    }
    void parses()
    {
        QFETCH(QString, path);
        QFETCH(WindowsPath::Start, start);
        QFETCH(QString, root);
        QFETCH(QStringList, names);
        const WindowsPath parsed = parseWindowsPath(path);
        QCOMPARE(parsed.start, start);
        QCOMPARE(parsed.root, root);
        QCOMPARE(parsed.names, names);
    }

    void prefixes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("below");
        const auto row = [](const char *name, const char *path, const char *prefix, bool below) {
            QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(prefix) << below;
        };
        row("share", "\\\\nas01\\share\\写真\\IMG.JPG", "\\\\nas01\\share", true);
        row("share, other case and slashes", "\\\\nas01\\share\\IMG.JPG", "//NAS01/Share/", true);
        row("server alone", "\\\\nas01\\share\\IMG.JPG", "\\\\nas01", true);
        row("a longer share name", "\\\\nas01\\shared\\IMG.JPG", "\\\\nas01\\share", false);
        row("another server", "\\\\nas02\\share\\IMG.JPG", "\\\\nas01\\share", false);
        row("drive, other case", "c:\\users\\GENBA\\IMG.JPG", "C:/Users/genba", true);
        row("another drive", "D:\\Users\\genba\\IMG.JPG", "C:\\Users\\genba", false);
        row("drive alone", "C:\\Users\\IMG.JPG", "C:", true);
        row("decomposed kana", "C:\\ガ\\IMG.JPG", "C:\\\u30AB\u3099", true);
        row("root against drive", "\\Users\\IMG.JPG", "C:\\Users", false);
        row("posix", "/media/old/写真/IMG.JPG", "/media/OLD", true);
        row("the prefix is longer", "C:\\Users", "C:\\Users\\genba", false);
    }
    void prefixes()
    {
        QFETCH(QString, path);
        QFETCH(QString, prefix);
        QFETCH(bool, below);
        QCOMPARE(parseWindowsPath(path).startsWith(parseWindowsPath(prefix)), below);
    }
};

QTEST_GUILESS_MAIN(TestWindowsPath)
#include "tst_windows_path.moc"
