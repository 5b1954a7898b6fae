// Looking for moved photos in a folder tree, and what makes a photo of an
// album missing or unreadable.
#include "exif_photos.h"
#include "picture/photo_search.h"
#include "picture/photo_status.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::testing;

Q_DECLARE_METATYPE(RelinkOutcome)
Q_DECLARE_METATYPE(PhotoState)

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString photo(const QString &path, const char *shot, QColor colour = Qt::darkGreen)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return exifPhoto(path, {{"Exif.Photo.DateTimeOriginal", shot}}, QSize(64, 48), colour);
}

} // namespace

class TestPhotoSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // the folder searched

    QString at(const QString &name) const { return m_root + "/" + name; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath("moved");
        photo(at("写真/2026/床掘/IMG_0001.JPG"), "2026:10:05 09:00:00");
        photo(at("写真/床掘/img_0001.jpg"), "2026:10:05 09:30:00"); // a shorter tail of the same name
        // Two copies of one photo, equal in folders below the moved root.
        const QString copy = photo(at("A/基礎/IMG_0002.JPG"), "2026:10:06 10:00:00");
        QDir().mkpath(at("B/基礎"));
        QVERIFY(QFile::copy(copy, at("B/基礎/IMG_0002.JPG")));
        // Two different photos of one name in equal folders.
        photo(at("A/配筋/IMG_0003.JPG"), "2026:10:07 10:00:00", Qt::red);
        photo(at("B/配筋/IMG_0003.JPG"), "2026:10:07 11:00:00", Qt::blue);
        // Hidden folders and files, and a link to a folder outside, are
        // not searched.
        photo(at(".trash/IMG_0004.JPG"), "2026:10:08 10:00:00");
        photo(at("写真/.IMG_0005.JPG"), "2026:10:08 11:00:00");
        photo(m_dir.filePath("outside/IMG_0006.JPG"), "2026:10:08 12:00:00");
        QVERIFY(QFile::link(m_dir.filePath("outside"), at("link")));
        // A link back up would loop for ever if it were followed.
        QVERIFY(QFile::link(m_root, at("写真/loop")));
    }

    void searchFindsByNameAndFolders_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<RelinkOutcome>("outcome");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("candidates");
        QTest::newRow("longest tail, name in other case") << R"(\\nas01\share\写真\2026\床掘\img_0001.JPG)"
                                                          << RelinkOutcome::Found << "写真/2026/床掘/IMG_0001.JPG" << 0;
        QTest::newRow("copies of one photo")
            << R"(D:\現場\基礎\IMG_0002.JPG)" << RelinkOutcome::Found << "A/基礎/IMG_0002.JPG" << 0;
        QTest::newRow("two photos of one name")
            << R"(D:\現場\配筋\IMG_0003.JPG)" << RelinkOutcome::Ambiguous << "" << 2;
        QTest::newRow("in a hidden folder") << "C:/IMG_0004.JPG" << RelinkOutcome::NotFound << "" << 0;
        QTest::newRow("hidden file") << "C:/写真/.IMG_0005.JPG" << RelinkOutcome::NotFound << "" << 0;
        QTest::newRow("behind a folder link") << "/old/IMG_0006.JPG" << RelinkOutcome::NotFound << "" << 0;
        QTest::newRow("nowhere") << "/old/IMG_9999.JPG" << RelinkOutcome::NotFound << "" << 0;
    }
    void searchFindsByNameAndFolders()
    {
        QFETCH(QString, written);
        QFETCH(RelinkOutcome, outcome);
        QFETCH(QString, file);
        QFETCH(int, candidates);
        // Asked together with another path: each gets its own answer.
        const PhotoSearch search = searchForPhotos(m_root, {written, "/old/IMG_0002.JPG"});
        QVERIFY(!search.cancelled);
        QCOMPARE(search.choices.size(), 2);
        QCOMPARE(search.choices[0].outcome, outcome);
        QCOMPARE(search.choices[0].file, file.isEmpty() ? QString() : at(file));
        QCOMPARE(search.choices[0].candidates.size(), candidates);
        QCOMPARE(search.choices[1].outcome, RelinkOutcome::Found);
    }

    void searchCancels()
    {
        QList<QPair<int, int>> told;
        const PhotoSearch search = searchForPhotos(m_root, {"/old/IMG_0002.JPG"}, [&](int done, int total) {
            told.append({done, total});
            return false;
        });
        QVERIFY(search.cancelled);
        QVERIFY(search.choices.isEmpty());
        QCOMPARE(told.size(), 1);
        // The six files outside hidden folders and links were looked at,
        // of a total the walk cannot know.
        QCOMPARE(told[0], qMakePair(6, 0));
    }

    void statusOfAnAlbumsPhotos_data()
    {
        QTest::addColumn<QString>("photoPath");
        QTest::addColumn<PhotoState>("state");
        QTest::addColumn<QString>("reason");
        QTest::newRow("none") << "" << PhotoState::Fine << "";
        QTest::newRow("a photo") << "moved/A/基礎/IMG_0002.JPG" << PhotoState::Fine << "";
        QTest::newRow("missing") << "gone/IMG_9999.JPG" << PhotoState::Missing << "";
        // Found by name in the album's folder, but more than once.
        QTest::newRow("same name") << "gone/IMG_0001.JPG" << PhotoState::SameName << "";
        QTest::newRow("not a picture") << "notes.txt" << PhotoState::Unreadable << "not a picture";
        QTest::newRow("empty") << "empty.jpg" << PhotoState::Unreadable << "empty file";
        QTest::newRow("a folder") << "moved" << PhotoState::Unreadable << "not a regular file";
    }
    void statusOfAnAlbumsPhotos()
    {
        QFETCH(QString, photoPath);
        QFETCH(PhotoState, state);
        QFETCH(QString, reason);
        writeBytes(m_dir.filePath("notes.txt"), "site notes\n");
        writeBytes(m_dir.filePath("empty.jpg"), {});
        const PhotoLocator locator;
        // Relative paths are taken from the album's folder.
        const PhotoStatus status = photoStatus(locator, m_dir.filePath("album.svd"), photoPath);
        QCOMPARE(status.state, state);
        QCOMPARE(status.reason, reason);
        QCOMPARE(status.isProblem(), state != PhotoState::Fine);
        if (!photoPath.isEmpty())
            QCOMPARE(status.file, m_dir.filePath(photoPath));
    }
};

QTEST_GUILESS_MAIN(TestPhotoSearch)
#include "tst_photo_search.moc"
