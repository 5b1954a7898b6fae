// Earlier versions of albums in the state folder: kept before a save
// replaces the file, named so that a file dialog tells them apart, the last
// ten of each album, albums of the same name apart.
#include "io/album_versions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

const QDateTime kSaveTime(QDate(2026, 12, 7), QTime(21, 30, 15));

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArrayList contentsOf(const QStringList &paths)
{
    QByteArrayList contents;
    for (const QString &p : paths)
        contents.append(bytesOf(p));
    return contents;
}

// Saves n times in the same second, the album holding "<tag>1", "<tag>2", ...
// before each save; true when every version was kept.
bool saveTimes(const QString &album, const QString &versions, const QByteArray &tag, int from, int to,
               const QDateTime &when)
{
    for (int i = from; i <= to; ++i) {
        put(album, tag + QByteArray::number(i));
        QString error;
        if (!keepPreviousVersion(album, versions, &error, when)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
    }
    return true;
}

QByteArrayList numbered(const QByteArray &tag, int from, int to)
{
    QByteArrayList list;
    for (int i = from; i <= to; ++i)
        list.append(tag + QByteArray::number(i));
    return list;
}

} // namespace

class TestAlbumVersions : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void theFolderIsInTheStateFolder()
    {
        QCOMPARE(albumVersionsDirectory("/home/u/.local/state/sorvane"),
                 QStringLiteral("/home/u/.local/state/sorvane/versions"));
        QCOMPARE(albumVersionsDirectory(QString()), QString());
    }

    void aNewAlbumHasNothingToKeep()
    {
        const QString versions = path("new/versions");
        QString error;
        QVERIFY(keepPreviousVersion(path("new/none.svd"), versions, &error, kSaveTime));
        QVERIFY(!QFileInfo::exists(versions));
        QVERIFY(albumVersions(path("new/none.svd"), versions).isEmpty());
    }

    void thePreviousFileIsKeptUnderANameThatTellsIt()
    {
        const QString album = path("one/現場A.svd");
        const QString versions = path("one/state/versions");
        put(album, "before");
        QString error;
        QVERIFY2(keepPreviousVersion(album, versions, &error, kSaveTime), qPrintable(error));
        QVERIFY2(keepPreviousVersion(album, versions, &error, kSaveTime.addSecs(1)), qPrintable(error));
        const QStringList kept = albumVersions(album, versions);
        QCOMPARE(kept.size(), 2);
        const QString hash = albumPathHash(album);
        QVERIFY(QRegularExpression("^[0-9a-f]{8}$").match(hash).hasMatch());
        QCOMPARE(QFileInfo(kept[0]).fileName(), QStringLiteral("現場A.%1.2026-12-07_213015.svd").arg(hash));
        QCOMPARE(QFileInfo(kept[1]).fileName(), QStringLiteral("現場A.%1.2026-12-07_213016.svd").arg(hash));
        QCOMPARE(bytesOf(kept[0]), QByteArray("before"));
        QCOMPARE(bytesOf(album), QByteArray("before")); // the album itself is not touched
        // Nothing beside the album; the folder is the user's alone.
        QCOMPARE(QDir(path("one")).entryList(QDir::Files | QDir::Hidden), QStringList{"現場A.svd"});
        QCOMPARE(QFileInfo(versions).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void theLastTenAreKept()
    {
        const QString album = path("ten/site.svd");
        const QString versions = path("ten/versions");
        // Twelve saves in one second, then one a minute later.
        QVERIFY(saveTimes(album, versions, "s", 1, 12, kSaveTime));
        QStringList kept = albumVersions(album, versions);
        QCOMPARE(contentsOf(kept), numbered("s", 3, 12));
        QCOMPARE(QFileInfo(kept.last()).fileName(),
                 QStringLiteral("site.%1.2026-12-07_213015-12.svd").arg(albumPathHash(album)));
        QVERIFY(saveTimes(album, versions, "s", 13, 13, kSaveTime.addSecs(60)));
        kept = albumVersions(album, versions);
        QCOMPARE(contentsOf(kept), numbered("s", 4, 13));
        QCOMPARE(QDir(versions).entryList(QDir::Files).size(), kKeptAlbumVersions);
    }

    void albumsOfTheSameNameKeepApart()
    {
        const QString a = path("same/a/site.svd");
        const QString b = path("same/b/site.svd");
        const QString versions = path("same/versions");
        QVERIFY(saveTimes(b, versions, "b", 1, 2, kSaveTime));
        QVERIFY(saveTimes(a, versions, "a", 1, 12, kSaveTime));
        QVERIFY(albumPathHash(a) != albumPathHash(b));
        QCOMPARE(contentsOf(albumVersions(b, versions)), numbered("b", 1, 2));
        QCOMPARE(contentsOf(albumVersions(a, versions)), numbered("a", 3, 12));
        // Another spelling of the same file, or a link to it, is the same album.
        const QString link = path("same/link.svd");
        QVERIFY(QFile::link(a, link));
        QCOMPARE(albumPathHash(path("same/a/../a/site.svd")), albumPathHash(a));
        QCOMPARE(albumPathHash(link), albumPathHash(a));
        QCOMPARE(albumVersions(link, versions).size(), kKeptAlbumVersions);
    }

    void aVersionThatCannotBeKeptIsReported()
    {
        const QString album = path("fail/site.svd");
        put(album, "keep me");
        put(path("fail/state"), "a file where the folder should be");
        QString error;
        QVERIFY(!keepPreviousVersion(album, path("fail/state/versions"), &error, kSaveTime));
        QCOMPARE(error, QStringLiteral("the folder %1 cannot be made").arg(path("fail/state/versions")));
        QVERIFY(!keepPreviousVersion(album, QString(), &error, kSaveTime));
        QCOMPARE(error, QStringLiteral("there is no folder for earlier versions"));
        QCOMPARE(bytesOf(album), QByteArray("keep me"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumVersions)
#include "tst_album_versions.moc"
