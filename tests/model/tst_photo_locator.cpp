// Finding the photos of albums written elsewhere: Windows albums copied
// with their photos, albums whose folder moved, shares reached through the
// user's path mappings, and the bounds of the search in the album's folder.
#include "model/album_document.h"
#include "model/photo_locator.h"
#include "model/photo_path.h"
#include "model/windows_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace sorvane;

Q_DECLARE_METATYPE(sorvane::PhotoFound)

namespace {

struct Mappings {
    QList<PathMapping> list;
};

} // namespace

Q_DECLARE_METATYPE(Mappings)

class TestPhotoLocator : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_case = 0;
    QString m_root; // the folder of the current case

    // A fresh folder for each case, so that the files of one do not
    // answer another.
    void newCase() { m_root = m_dir.filePath(QString::number(++m_case)); }
    QString at(const QString &relative) const { return relative.isEmpty() ? QString() : m_root + u'/' + relative; }
    // '@' stands for the case's folder.
    QString expand(QString text) const { return text.replace(u'@', m_root + u'/'); }

    void makeFile(const QString &relative)
    {
        const QString file = at(relative);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(file));
        f.write("photo");
    }

    void makeFiles(const QStringList &files)
    {
        for (const QString &file : files)
            makeFile(file);
    }

    static void compareLocation(const PhotoLocation &got, const QString &file, PhotoFound found, int sameName = 0)
    {
        QCOMPARE(got.file, file);
        QCOMPARE(got.found, found);
        QCOMPARE(got.isFound(), found != PhotoFound::Missing);
        QCOMPARE(got.sameNameCount, sameName);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The album lies in "site" of each case's folder; its files are made
    // there first. An expected file of "" is a missing photo, which names
    // the path as written (made absolute when relative).
    void findsThePhoto_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<PhotoFound>("found");
        QTest::addColumn<int>("sameName");
        const auto row = [](const char *name, const QStringList &files, const char *photo, const char *expected,
                            PhotoFound found, int sameName = 0) {
            QTest::newRow(name) << files << QString::fromUtf8(photo) << QString::fromUtf8(expected) << found
                                << sameName;
        };
        using F = PhotoFound;
        row("absolute, as written", {"site/p/1.jpg"}, "@site/p/1.jpg", "site/p/1.jpg", F::AsWritten);
        row("relative, as written", {"site/p/1.jpg"}, "p/1.jpg", "site/p/1.jpg", F::AsWritten);
        row("relative with backslashes", {"site/写真/IMG_0001.JPG"}, "写真\\IMG_0001.JPG", "site/写真/IMG_0001.JPG",
            F::WindowsForm);
        row("relative, names in another case", {"site/写真/img_0001.jpg"}, "写真\\IMG_0001.JPG",
            "site/写真/img_0001.jpg", F::WindowsForm);
        row("a folder in another case", {"site/Photos/a.jpg"}, "photos/a.jpg", "site/Photos/a.jpg", F::WindowsForm);
        row("the exact name before another case", {"site/p/IMG.JPG", "site/p/img.jpg"}, "p\\img.jpg", "site/p/img.jpg",
            F::WindowsForm);
        row("climbing out of the album's folder", {"shared/写真/b.jpg"}, "..\\shared\\写真\\B.JPG", "shared/写真/b.jpg",
            F::WindowsForm);
        row("absolute, in another case", {"x/Dir/f.jpg"}, "@x/dir/F.JPG", "x/Dir/f.jpg", F::WindowsForm);
        row("drive letter, tail below the album", {"site/工事/IMG_0001.JPG"},
            "C:\\Users\\genba\\Pictures\\工事\\IMG_0001.JPG", "site/工事/IMG_0001.JPG", F::AlbumFolderTail);
        row("drive letter with slashes, beside the album", {"site/IMG_0001.JPG"}, "C:/Users/genba/IMG_0001.JPG",
            "site/IMG_0001.JPG", F::AlbumFolderTail);
        row("the longest tail first", {"site/工事/IMG_0001.JPG", "site/IMG_0001.JPG"},
            "C:\\Users\\genba\\工事\\IMG_0001.JPG", "site/工事/IMG_0001.JPG", F::AlbumFolderTail);
        row("share, tail in another case", {"site/写真/img_0002.jpg"}, "\\\\nas01\\share\\写真\\IMG_0002.JPG",
            "site/写真/img_0002.jpg", F::AlbumFolderTail);
        row("share, long-path form", {"site/写真/IMG_0002.JPG"}, "\\\\?\\UNC\\nas01\\share\\写真\\IMG_0002.JPG",
            "site/写真/IMG_0002.JPG", F::AlbumFolderTail);
        row("the album's folder moved", {"site/写真/IMG_0008.JPG"}, "@gone/old/site/写真/IMG_0008.JPG",
            "site/写真/IMG_0008.JPG", F::AlbumFolderTail);
        row("by name in the album's tree", {"site/2026/11/03/IMG_0003.JPG"}, "D:\\camera\\DCIM\\IMG_0003.JPG",
            "site/2026/11/03/IMG_0003.JPG", F::AlbumFolderName);
        row("by name, in another case", {"site/sub/img_0003.jpg"}, "D:\\x\\IMG_0003.JPG", "site/sub/img_0003.jpg",
            F::AlbumFolderName);
        row("by name, hidden folders left out", {"site/.thumbs/IMG_0006.JPG", "site/photos/IMG_0006.JPG"},
            "C:\\p\\IMG_0006.JPG", "site/photos/IMG_0006.JPG", F::AlbumFolderName);
        row("only in a hidden folder", {"site/.thumbs/IMG_0005.JPG"}, "C:\\p\\IMG_0005.JPG", "", F::Missing);
        row("two of the name", {"site/a/IMG_0004.JPG", "site/b/img_0004.jpg"}, "E:\\dc\\IMG_0004.JPG", "", F::Missing,
            2);
        row("two of the name, the tail tells", {"site/a/IMG_0004.JPG", "site/b/IMG_0004.JPG"},
            "E:\\dc\\b\\IMG_0004.JPG", "site/b/IMG_0004.JPG", F::AlbumFolderTail);
        row("a folder of the name is no photo", {"site/x/IMG_0007.JPG/readme.txt"}, "C:\\IMG_0007.JPG", "", F::Missing);
        row("relative, nowhere", {"site/other.jpg"}, "写真\\nothing.jpg", "", F::Missing);
    }
    void findsThePhoto()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, photo);
        QFETCH(QString, expected);
        QFETCH(PhotoFound, found);
        QFETCH(int, sameName);
        newCase();
        makeFiles(files);
        QVERIFY(QDir().mkpath(at("site")));
        const QString album = at("site/album.svd");
        photo = expand(photo);
        const PhotoLocator locator;
        const PhotoLocation location = locator.locate(album, photo);
        // A missing photo names the path as written: absolute when it is
        // relative, a drive or share path untouched.
        const QString missing = parseWindowsPath(photo).isWindowsAbsolute() ? photo : resolvePhotoPath(album, photo);
        compareLocation(location, expected.isEmpty() ? missing : at(expected), found, sameName);
        // Asked again, from what it learnt, the same answer.
        compareLocation(locator.locate(album, photo), location.file, found, sameName);
    }

    // The user's mappings, in the order given; the album lies in "site".
    void findsThePhotoThroughMappings_data()
    {
        QTest::addColumn<Mappings>("mappings");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("prefix");
        const auto row = [](const char *name, const QList<PathMapping> &mappings, const QStringList &files,
                            const char *photo, const char *expected, const char *prefix) {
            QTest::newRow(name) << Mappings{mappings} << files << QString::fromUtf8(photo)
                                << QString::fromUtf8(expected) << QString::fromUtf8(prefix);
        };
        const QList<PathMapping> nas{{"\\\\nas01\\share", "@mnt/nas01/share"}};
        row("share", nas, {"mnt/nas01/share/写真/IMG_0002.JPG"}, "\\\\nas01\\share\\写真\\IMG_0002.JPG",
            "mnt/nas01/share/写真/IMG_0002.JPG", "\\\\nas01\\share");
        row("prefix in other case and slashes", {{"//NAS01/Share/", "@mnt/s"}}, {"mnt/s/写真/img_0002.jpg"},
            "\\\\nas01\\share\\写真\\IMG_0002.JPG", "mnt/s/写真/img_0002.jpg", "//NAS01/Share/");
        const QList<PathMapping> users{{"C:\\Users", "@mnt/users"}, {"C:\\Users\\genba\\Pictures", "@mnt/pics"}};
        row("the longest prefix first", users, {"mnt/users/genba/Pictures/a.jpg", "mnt/pics/a.jpg"},
            "C:\\Users\\genba\\Pictures\\a.jpg", "mnt/pics/a.jpg", "C:\\Users\\genba\\Pictures");
        row("a shorter prefix when the longer has nothing", users, {"mnt/users/genba/Pictures/b.jpg"},
            "C:\\Users\\genba\\Pictures\\b.jpg", "mnt/users/genba/Pictures/b.jpg", "C:\\Users");
        row("before the album's folder", nas, {"mnt/nas01/share/写真/c.jpg", "site/写真/c.jpg"},
            "\\\\nas01\\share\\写真\\c.jpg", "mnt/nas01/share/写真/c.jpg", "\\\\nas01\\share");
        row("prefixes end at a name", nas, {"mnt/nas01/share/d/x.jpg"}, "\\\\nas01\\shared\\d\\x.jpg", "", "");
        row("a mapping to nowhere, then the album's folder", {{"C:\\", "@nowhere"}}, {"site/e.jpg"}, "C:\\dc\\e.jpg",
            "site/e.jpg", "");
        row("a posix prefix", {{"/media/old-disk", "@mnt/new"}}, {"mnt/new/写真/f.jpg"}, "/media/old-disk/写真/f.jpg",
            "mnt/new/写真/f.jpg", "/media/old-disk");
        row("empty mappings are left out", {{"", "@mnt"}, {"C:\\", ""}}, {"mnt/g.jpg"}, "C:\\g2\\g.jpg", "", "");
    }
    void findsThePhotoThroughMappings()
    {
        QFETCH(Mappings, mappings);
        QFETCH(QStringList, files);
        QFETCH(QString, photo);
        QFETCH(QString, expected);
        QFETCH(QString, prefix);
        newCase();
        makeFiles(files);
        QVERIFY(QDir().mkpath(at("site")));
        for (PathMapping &mapping : mappings.list)
            mapping.folder = expand(mapping.folder);
        const PhotoLocator locator(mappings.list);
        QCOMPARE(locator.mappings(), mappings.list);
        const PhotoLocation location = locator.locate(at("site/album.svd"), photo);
        if (expected.isEmpty()) {
            QVERIFY2(!location.isFound(), qPrintable(location.file));
        } else {
            QCOMPARE(location.file, at(expected));
            QCOMPARE(location.found, prefix.isEmpty() ? PhotoFound::AlbumFolderTail : PhotoFound::Mapping);
        }
        QCOMPARE(location.mappingPrefix, prefix);
    }

    // Mappings changed on a locator in use take effect at the next call.
    void mappingsCanChange()
    {
        newCase();
        makeFile("mnt/IMG.JPG");
        PhotoLocator locator;
        const QString photo = QStringLiteral("\\\\nas01\\share\\IMG.JPG");
        QVERIFY(!locator.locate(at("site/a.svd"), photo).isFound());
        locator.setMappings({{"\\\\nas01\\share", at("mnt")}});
        compareLocation(locator.locate(at("site/a.svd"), photo), at("mnt/IMG.JPG"), PhotoFound::Mapping);
    }

    // An album never saved has no folder: only what stands on its own.
    void anUnsavedAlbumHasNoFolder()
    {
        newCase();
        makeFile("mnt/IMG.JPG");
        const PhotoLocator locator({{"C:\\dc", at("mnt")}});
        compareLocation(locator.locate({}, "C:\\DC\\img.jpg"), at("mnt/IMG.JPG"), PhotoFound::Mapping);
        compareLocation(locator.locate({}, "C:\\other\\IMG.JPG"), "C:\\other\\IMG.JPG", PhotoFound::Missing);
        compareLocation(locator.locate({}, "写真\\IMG.JPG"), "写真\\IMG.JPG", PhotoFound::Missing);
        compareLocation(locator.locate({}, {}), {}, PhotoFound::Missing);
    }

    // The search by name goes kMaxTreeDepth folders deep, not deeper.
    void theNameSearchIsBoundedInDepth()
    {
        newCase();
        QString deepest = QStringLiteral("site");
        for (int depth = 1; depth <= PhotoLocator::kMaxTreeDepth; ++depth)
            deepest += QStringLiteral("/d%1").arg(depth);
        makeFile(deepest + "/DEEP_OK.JPG");
        makeFile(deepest + "/below/TOO_DEEP.JPG");
        const PhotoLocator locator;
        compareLocation(locator.locate(at("site/a.svd"), "C:\\x\\DEEP_OK.JPG"), at(deepest + "/DEEP_OK.JPG"),
                        PhotoFound::AlbumFolderName);
        compareLocation(locator.locate(at("site/a.svd"), "C:\\x\\TOO_DEEP.JPG"), "C:\\x\\TOO_DEEP.JPG",
                        PhotoFound::Missing);
    }

    // The search by name looks at kMaxTreeEntries entries at most, the
    // album's own folder first: a folder of many files hides a deeper one.
    void theNameSearchIsBoundedInCount()
    {
        newCase();
        makeFile("site/many/0.jpg");
        makeFile("site/other/deeper/IMG_9.JPG");
        const QString photo = QStringLiteral("C:\\dc\\IMG_9.JPG");
        PhotoLocator locator;
        compareLocation(locator.locate(at("site/a.svd"), photo), at("site/other/deeper/IMG_9.JPG"),
                        PhotoFound::AlbumFolderName);
        for (int i = 1; i < PhotoLocator::kMaxTreeEntries; ++i) {
            QFile f(at(QStringLiteral("site/many/%1.jpg").arg(i)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        locator.refresh();
        compareLocation(locator.locate(at("site/a.svd"), photo), photo, PhotoFound::Missing);
        QVERIFY(QDir(at("site/many")).removeRecursively());
    }

    // Links to folders are not followed: a loop ends nothing, and a link to
    // a folder outside brings no second file of the name.
    void linksToFoldersAreNotFollowed()
    {
        newCase();
        makeFile("site/sub/IMG_L.JPG");
        makeFile("elsewhere/IMG_L.JPG");
        makeFile("elsewhere/IMG_OUT.JPG");
        QVERIFY(QFile::link(at("site"), at("site/sub/loop")));
        QVERIFY(QFile::link(at("elsewhere"), at("site/outside")));
        QVERIFY(QFile::link(at("elsewhere/IMG_L.JPG"), at("site/sub/link-to-a-file.jpg")));
        const PhotoLocator locator;
        compareLocation(locator.locate(at("site/a.svd"), "C:\\x\\IMG_L.JPG"), at("site/sub/IMG_L.JPG"),
                        PhotoFound::AlbumFolderName);
        compareLocation(locator.locate(at("site/a.svd"), "C:\\x\\IMG_OUT.JPG"), "C:\\x\\IMG_OUT.JPG",
                        PhotoFound::Missing);
        // A link to a file is a file of its own name.
        compareLocation(locator.locate(at("site/a.svd"), "C:\\x\\LINK-TO-A-FILE.JPG"),
                        at("site/sub/link-to-a-file.jpg"), PhotoFound::AlbumFolderName);
    }

    // Folders are looked at once until refresh(); opening an album refreshes
    // the document's locator.
    void refreshSeesFilesThatAppeared()
    {
        newCase();
        QVERIFY(QDir().mkpath(at("site/写真")));
        auto locator = std::make_shared<PhotoLocator>();
        const QString album = at("site/album.svd");
        const QString photo = QStringLiteral("C:\\genba\\写真\\IMG_0010.JPG");
        QVERIFY(!locator->locate(album, photo).isFound());
        makeFile("site/写真/IMG_0010.JPG");
        QVERIFY(!locator->locate(album, photo).isFound()); // the listing is kept
        locator->refresh();
        compareLocation(locator->locate(album, photo), at("site/写真/IMG_0010.JPG"), PhotoFound::AlbumFolderTail);

        // Only by name, and through the document.
        AlbumDocument document;
        document.setPhotoLocator(locator);
        QCOMPARE(&document.photoLocator(), locator.get());
        const QString named = QStringLiteral("C:\\genba\\IMG_0011.JPG");
        QVERIFY(!document.locatePhoto(named).isFound());
        document.replace(AlbumContents{}, album);
        QVERIFY(!document.locatePhoto(named).isFound());
        makeFile("site/写真/IMG_0011.JPG");
        QVERIFY(!document.locatePhoto(named).isFound());
        document.replace(AlbumContents{}, album);
        compareLocation(document.locatePhoto(named), at("site/写真/IMG_0011.JPG"), PhotoFound::AlbumFolderName);
        QCOMPARE(document.resolvePhotoPath(named), at("site/写真/IMG_0011.JPG"));
        // A photo found as written is looked at each time: once gone, it is
        // not reported as there.
        QVERIFY(QFile::remove(at("site/写真/IMG_0010.JPG")));
        QCOMPARE(document.locatePhoto(at("site/写真/IMG_0010.JPG")).found, PhotoFound::Missing);
    }

    // Worker threads ask at the same time, the first of them reading the
    // folders: every one gets what a single caller gets.
    void threadsGetTheSameAnswers()
    {
        newCase();
        QStringList photos;
        for (int i = 0; i < 60; ++i) {
            makeFile(QStringLiteral("site/%1/IMG_%2.JPG").arg(i % 7).arg(i));
            photos << QStringLiteral("C:\\dc\\%1\\IMG_%2.JPG").arg(i % 5).arg(i)
                   << QStringLiteral("\\\\nas\\s\\%1\\img_%2.jpg").arg(i % 7).arg(i);
        }
        const QString album = at("site/a.svd");
        QStringList expected;
        {
            const PhotoLocator single;
            for (const QString &photo : std::as_const(photos))
                expected << single.locate(album, photo).file;
        }
        const PhotoLocator shared;
        std::vector<QStringList> got(4);
        std::vector<std::thread> threads;
        for (size_t t = 0; t < got.size(); ++t) {
            threads.emplace_back([&, t] {
                for (const QString &photo : std::as_const(photos))
                    got[t] << shared.locate(album, photo).file;
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        for (const QStringList &answers : got)
            QCOMPARE(answers, expected);
        QVERIFY(expected.filter(QStringLiteral("/site/")).size() == photos.size());
    }
};

QTEST_GUILESS_MAIN(TestPhotoLocator)
#include "tst_photo_locator.moc"
