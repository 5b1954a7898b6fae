// Which files a bulk import takes as photos: pictures of the formats the
// program reads, by their content, whose headers pass the budgets; broken
// and foreign files are left out with a reason.
#include "crafted_pictures.h"
#include "heif_photos.h"
#include "picture/photo_import.h"
#include "quadrants.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace sorvane;
using namespace sorvane::testing;

class TestPhotoImport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void importProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem"); // the start of the reason; "" for a photo
        const QByteArray heic = encodeHeic(quadrants(), heif_orientation_rotate_90_cw);
        QTest::newRow("HEIC") << "IMG_0001.HEIC" << heic << "";
        QTest::newRow("HEIC without its name") << "photo" << heic << "";
        QTest::newRow("JPEG") << "photo.jpg" << encode(quadrants(), "jpeg") << "";
        QTest::newRow("PNG named .jpg") << "photo.jpg" << encode(quadrants(), "png") << "";
        QTest::newRow("TIFF") << "photo.tif" << encode(quadrants(), "tiff") << "";
        QTest::newRow("WebP") << "photo.webp" << encode(quadrants(), "webp") << "";
        QTest::newRow("text named .heic") << "x.heic" << QByteArray("not a picture\r\n") << "not a picture";
        QTest::newRow("empty") << "x.heic" << QByteArray() << "empty file";
        QTest::newRow("HEIC cut") << "cut.heic" << heic.chopped(heic.size() / 3) << "unreadable HEIF picture";
        QByteArray huge = encodeHeic(quadrants());
        const qsizetype ispe = huge.indexOf("ispe");
        qToBigEndian<quint32>(30000, huge.data() + ispe + 8);
        qToBigEndian<quint32>(30000, huge.data() + ispe + 12);
        QTest::newRow("HEIC claiming too much") << "huge.heic" << huge << "picture too large: 30000 × 30000 pixels";
    }
    void importProblem()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const QString reason = sorvane::importProblem(path);
        if (problem.isEmpty())
            QCOMPARE(reason, QString());
        else
            QVERIFY2(reason.startsWith(problem), qPrintable(reason));
    }
};

QTEST_GUILESS_MAIN(TestPhotoImport)
#include "tst_photo_import.moc"
