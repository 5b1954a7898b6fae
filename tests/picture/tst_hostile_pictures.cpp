// Picture files made to hurt: headers that claim more than the file holds,
// data that stops early, things that are not files, and memory that runs
// out. Each must fail like any unreadable photo, quickly and within a small
// memory budget, and never take the program down.
#include "address_space_limit.h"
#include "crafted_pictures.h"
#include "file_bytes.h"
#include "picture/picture_check.h"
#include "picture/picture_loader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QSize kSlot(320, 240);
const QSize kPrint(1323, 959);
// What a load may take beyond what the test uses already: the goal for a
// hostile picture, and well above what an honest slot-size photo needs.
constexpr qint64 kHeadroom = qint64(300) * 1024 * 1024;

QString hostile(const char *name)
{
    return QStringLiteral(SORVANE_TEST_DATA "/pictures/hostile/") + QString::fromLatin1(name);
}

// The picture in a file, loaded with no more address space than kHeadroom.
QImage loadLimited(const QString &path, QSize size, QString *error)
{
    QImage image;
    withAddressSpaceHeadroom(kHeadroom, [&] { image = loadPicture(path, size, error); });
    return image;
}

// A plain metafile of `rectangles` filled rectangles covering its whole
// frame: quick to read, slow to draw at print size.
QByteArray heavyMetafile(int rectangles)
{
    QList<quint16> words{1, 9, 0x300, 0, 0, 1, 7, 0, 0}; // header; sizes filled in below
    const auto record = [&words](std::initializer_list<quint16> r) { words.append(r); };
    record({5, 0, 0x020B, 0, 0});            // SetWindowOrg
    record({5, 0, 0x020C, 1000, 1000});      // SetWindowExt
    record({7, 0, 0x02FC, 0, 0x00FF, 0, 0}); // a red brush
    record({4, 0, 0x012D, 0});               // SelectObject
    for (int i = 0; i < rectangles; ++i)
        record({7, 0, 0x041B, 1000, 1000, quint16(i % 7), quint16(i % 5)}); // Rectangle
    record({3, 0, 0});                                                      // the end
    words[3] = quint16(words.size() & 0xFFFF);
    words[4] = quint16(words.size() >> 16);
    QByteArray bytes;
    for (const quint16 word : words)
        bytes.append(char(word & 0xFF)).append(char(word >> 8));
    return bytes;
}

} // namespace

class TestHostilePictures : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
private slots:
    // Headers claiming pictures of gigabytes in files of a few hundred
    // bytes: refused from the header, before any memory is taken for them,
    // on screen and at print size.
    void hugeClaimsAreRefusedFromTheHeader_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("progressive 65000²")
            << hostile("progressive-claims-65000x65000.jpg") << "picture too large: 65000 × 65000 pixels";
        QTest::newRow("progressive 20000²")
            << hostile("progressive-claims-20000x20000.jpg") << "picture too large: 20000 × 20000 pixels";
        QTest::newRow("baseline 65000²") << hostile("baseline-claims-65000x65000.jpg")
                                         << "picture too large: 65000 × 65000 pixels";
        QTest::newRow("GIF 16000²") << hostile("gif-claims-16000x16000.gif")
                                    << "picture too large: 16000 × 16000 pixels";
        // A BMP header may claim sizes no other format can.
        QByteArray bmp = runLengthBmp(4, 4);
        qToLittleEndian<qint32>(0x7FFFFFFF, bmp.data() + 18);
        qToLittleEndian<qint32>(-0x7FFFFFFF, bmp.data() + 22);
        QTest::newRow("BMP 2147483647²") << writeFile(m_dir, "huge.bmp", bmp)
                                         << "picture too large: 2147483647 × 2147483647 pixels";
        QTest::newRow("GIF 4000²") << writeFile(m_dir, "gif4000.gif", gifOf(4000, 4000, 64))
                                   << "file too small for a picture of 4000 × 4000 pixels";
    }
    void hugeClaimsAreRefusedFromTheHeader()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        for (const QSize size : {kSlot, kPrint, QSize()}) {
            QString error;
            QVERIFY(loadLimited(path, size, &error).isNull());
            QCOMPARE(error, reason);
        }
    }

    // The budget follows what decoding really takes: a 50 megapixel camera
    // photo loads at print size even when progressive, unless its colour is
    // stored at full resolution, which needs twice the coefficients; a
    // baseline one needs no coefficient buffer at all.
    void budgetAdmitsCameraPhotos()
    {
        const QImage small = textured(64, 64);
        const QByteArray padding(8192, '\0'); // after the end marker, so the file is as big as its claim needs
        const QByteArray progressive = encode(small, "jpeg", 90, true);
        const QByteArray baseline = encode(small, "jpeg", 90, false);
        QCOMPARE(decodeProblem(claimingSize(progressive, 8660, 5773) + padding, kPrint, {}), QString());
        QCOMPARE(decodeProblem(claimingSize(baseline, 8660, 5773, true) + padding, kPrint, {}), QString());
        QCOMPARE(decodeProblem(claimingSize(progressive, 8660, 5773, true) + padding, kPrint, {}),
                 QStringLiteral("picture too large: 8660 × 5773 pixels"));
        // A tiny file is too small for what it claims.
        const QByteArray tiny = claimingSize(encode(textured(8, 8), "jpeg", 50), 8660, 5773);
        QVERIFY(tiny.size() * kMaxPixelsPerFileByte < 8660 * 5773);
        QCOMPARE(decodeProblem(tiny, kPrint, {}), QStringLiteral("file too small for a picture of 8660 × 5773 pixels"));
        // Admitted by its header, the padded file still lacks the data of
        // its claim: the decoder finds that out, within the budget.
        QTemporaryDir dir;
        for (const QByteArray &claim : {claimingSize(progressive, 8660, 5773), claimingSize(baseline, 8660, 5773)}) {
            QString error;
            QVERIFY(loadLimited(writeFile(dir, QStringLiteral("claim.jpg"), claim + padding), kPrint, &error).isNull());
            QCOMPARE(error, QStringLiteral("JPEG data cut off or damaged"));
        }
        // Formats read whole by Qt are held to the same budget through the
        // size their reader gives.
        QCOMPARE(decodeProblem(QByteArray(1 << 20, 'x'), kPrint, [] { return QSize(8000, 8000); }),
                 QStringLiteral("picture too large: 8000 × 8000 pixels"));
        QCOMPARE(decodeProblem(QByteArray(1 << 20, 'x'), kPrint, [] { return QSize(4000, 3000); }), QString());
    }

    // A picture whose data gives only part of it fails: Qt's readers would
    // fill the rest with grey or black and call that a success.
    void partialDataFails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // empty: loads
        const QImage photo = textured(96, 64);
        const QByteArray progressive = encode(photo, "jpeg", 90, true);
        const QByteArray baseline = encode(photo, "jpeg", 90, false);
        const QString cutJpeg = QStringLiteral("JPEG data cut off or damaged");
        const auto file = [](const char *name) {
            QFile f(hostile(name));
            if (!f.open(QIODevice::ReadOnly))
                qFatal("missing %s", name);
            return f.readAll();
        };
        QTest::newRow("progressive, whole") << progressive << QString();
        QTest::newRow("progressive, scans missing, end marker") << file("progressive-missing-scans.jpg") << cutJpeg;
        QTest::newRow("progressive, only the first scan") << withoutScansFrom(progressive, 1) << cutJpeg;
        QTest::newRow("baseline, cut, end marker") << file("baseline-cut-with-end-marker.jpg") << cutJpeg;
        QTest::newRow("baseline, cut") << file("baseline-cut.jpg") << cutJpeg;
        QTest::newRow("baseline, no scan at all") << withoutScansFrom(baseline, 0) << cutJpeg;
        // Damage inside the compressed data, the markers all in place.
        QByteArray scrambled = baseline;
        const qsizetype scan = scrambled.indexOf("\xFF\xDA");
        for (qsizetype i = scan + 40; i < scrambled.size() - 40; i += 3)
            scrambled[i] = char(0xFF);
        QTest::newRow("baseline, scrambled data") << scrambled << cutJpeg;

        const QString cutGif = QStringLiteral("GIF data cut off or damaged");
        QTest::newRow("GIF, whole") << gifOf(40, 30, 40 * 30) << QString();
        QTest::newRow("GIF, pixels missing") << gifOf(40, 30, 40 * 30 - 1) << cutGif;
        QTest::newRow("GIF, cut in its data") << gifOf(40, 30, 40 * 30).chopped(12) << cutGif;

        const QByteArray rle = runLengthBmp(300, 20);
        QTest::newRow("RLE BMP, whole") << rle << QString();
        QTest::newRow("RLE BMP, cut") << rle.chopped(rle.size() / 3) << QStringLiteral("BMP data cut off");
        const QByteArray bmp = encode(photo, "bmp");
        QTest::newRow("BMP, whole") << bmp << QString();
        QTest::newRow("BMP, cut") << bmp.chopped(100) << QStringLiteral("BMP data cut off");
    }
    void partialDataFails()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("photo"), bytes);
        for (const QSize size : {kSlot, QSize()}) {
            QString error;
            const QImage image = loadLimited(path, size, &error);
            QCOMPARE(error, reason);
            QCOMPARE(image.isNull(), !reason.isEmpty());
        }
    }

    // Nothing that is not a regular file is read: a named pipe without a
    // writer would wait for ever, /dev/zero never ends, a folder has no
    // bytes. An empty file is no picture.
    void notFilesAndEmptyFiles()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("pipe.jpg"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));
        const QList<std::pair<QString, QString>> cases{
            {fifo, "not a file"},
            {dir.filePath("folder.jpg"), "not a file"},
            {QStringLiteral("/dev/zero"), "not a file"},
            {hostile("empty.jpg"), "empty file"},
        };
        for (const auto &[path, reason] : cases) {
            QString error;
            QVERIFY2(loadLimited(path, kSlot, &error).isNull(), qPrintable(path));
            QCOMPARE(error, reason);
        }
    }

    // An honest photo loads with the memory it needs, not with the reading
    // cap reserved up front; where even that is not to be had, it fails
    // like an unreadable one instead of ending the program.
    void memoryShortIsAFailure()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("photo.jpg"), encode(textured(5000, 4000), "jpeg", 80));
        QString error;
        QVERIFY2(!loadLimited(path, kSlot, &error).isNull(), qPrintable(error));
        QImage image;
        withAddressSpaceHeadroom(4 * 1024 * 1024, [&] { image = loadPicture(path, QSize(), &error); });
        QVERIFY(image.isNull());
        QVERIFY2(error.contains(QStringLiteral("memory")), qPrintable(error));
        // Afterwards all is as before.
        QVERIFY2(!loadPicture(path, QSize(), &error).isNull(), qPrintable(error));
        QCOMPARE(error, QString());
    }

    // A metafile that cannot be drawn in time fails when its budget is gone,
    // and fails at once afterwards for budgets no larger, until the file
    // changes: the same file named by many entries costs one budget.
    void slowMetafileCostsOneBudget()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("heavy.wmf"), heavyMetafile(60000));
        const QString tooLong = QStringLiteral("drawing the metafile took too long");
        QString error;

        DrawingBudget first(150);
        QVERIFY(loadPicture(path, kPrint, &error, first).isNull());
        QCOMPARE(error, tooLong);
        QCOMPARE(first.remainingMs(), 0);
        // Once spent, a budget draws nothing more, light metafiles included.
        QVERIFY(loadPicture(path, QSize(10, 10), &error, first).isNull());
        QCOMPARE(error, tooLong);

        DrawingBudget again(150);
        QVERIFY(loadPicture(path, kPrint, &error, again).isNull());
        QCOMPARE(error, tooLong);
        QCOMPARE(again.spentMs(), 0);
        // The display's own budget is smaller than the one that ran out.
        DrawingBudget display(100);
        QVERIFY(loadPicture(path, kSlot, &error, display).isNull());
        QCOMPARE(display.spentMs(), 0);

        // More time than before, or a changed file: drawn again.
        DrawingBudget larger(300);
        QVERIFY(loadPicture(path, kPrint, &error, larger).isNull());
        QCOMPARE(error, tooLong);
        QVERIFY(larger.spentMs() >= 300);
        writeFile(dir, QStringLiteral("heavy.wmf"), heavyMetafile(60001));
        DrawingBudget changed(150);
        QVERIFY(loadPicture(path, kPrint, &error, changed).isNull());
        QVERIFY(changed.spentMs() >= 150);
        // A light one draws within any budget left.
        const QString light = writeFile(dir, QStringLiteral("light.wmf"), heavyMetafile(3));
        DrawingBudget job(kJobDrawingMs);
        QVERIFY2(!loadPicture(light, kPrint, &error, job).isNull(), qPrintable(error));
        QVERIFY(job.remainingMs() > 0);
    }
};

QTEST_GUILESS_MAIN(TestHostilePictures)
#include "tst_hostile_pictures.moc"
