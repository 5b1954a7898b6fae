// Photos put into slots by the file dialog, by double click and by drop.
#include "form_fixture.h"

#include <QBuffer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QString kFilter =
    QStringLiteral("すべてのファイル (*.*)|*.*|BMP ファイル (*.bmp)|*.bmp|GIF ファイル (*.gif)|*.gif|"
                   "ICO ファイル (*.ico)|*.ico|JPG ファイル (*.jpg)|*.jpg|"
                   "JPEG ファイル (*.jpeg)|*.jpeg|WMF ファイル (*.wmf)|*.wmf|");

QImage wide()
{
    QImage image(400, 100, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image;
}

DropData files(const QStringList &paths)
{
    return DropData{true, paths};
}

// A JPEG whose left half is red and right half blue, with an EXIF
// orientation of 6: shown upright, red is on top and blue below.
QByteArray sidewaysJpeg()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixelColor(x, y, Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    const QByteArray exif = QByteArray::fromHex("FFE10022"
                                                "457869660000"
                                                "4D4D002A00000008"
                                                "0001"
                                                "011200030000000100060000"
                                                "00000000");
    return jpeg.left(2) + exif + jpeg.mid(2);
}

} // namespace

class TestForm1Photos : public QObject {
    Q_OBJECT

private slots:
    void loadPhotoThroughTheDialog()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.services.fileAnswers.enqueue("/p/a.jpg");
        f.form->titleBox(0)->setText("kept");
        f.form->LoadPhoto(1);
        QCOMPARE(f.services.fileRequests.size(), 1);
        QCOMPARE(f.services.fileRequests[0].filter, kFilter);
        QCOMPARE(f.services.fileRequests[0].filterIndex, 5);
        QCOMPARE(f.services.fileRequests[0].initialFileName, QString());
        QCOMPARE(f.photo(2), QStringLiteral("/p/a.jpg"));
        QCOMPARE(f.title(1), QStringLiteral("kept"));
        // Any aspect ratio fills the whole box.
        QCOMPARE(f.form->photoBox(1)->picture().size(), f.form->slotPictureSize());
        QCOMPARE(f.form->focusWidget(), f.form->titleBox(1));
        QVERIFY(!f.form->isSaved());
        QCOMPARE(f.form->pageCount(), 1); // slot 1 never grows the album
    }

    void thirdSlotOfTheLastPageGrowsTheAlbum()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.services.fileAnswers.enqueue("/p/a.jpg");
        f.form->LoadPhoto(2);
        QCOMPARE(f.form->pageCount(), 2);
        QCOMPARE(f.form->currentPage(), 1);
        QCOMPARE(f.form->table().count(), 6);
        for (int r = 4; r <= 6; ++r) {
            QCOMPARE(f.form->table().text(r, AlbumTable::Number), QStringLiteral(" %1").arg(r));
            QVERIFY(f.form->table().entry(r).isEmpty());
        }
        // Again into the same slot: page 1 is no longer the last page.
        f.services.fileAnswers.enqueue("/p/a.jpg");
        f.form->LoadPhoto(2);
        QCOMPARE(f.form->pageCount(), 2);
    }

    void cancelAndFailure()
    {
        FormFixture f;
        f.form->table().setText(1, AlbumTable::PhotoPath, "/old.jpg");
        f.services.fileAnswers.enqueue(QString());
        f.form->LoadPhoto(0);
        QCOMPARE(f.photo(1), QStringLiteral("/old.jpg"));
        QVERIFY(!f.form->isSaved()); // cancelling marks the album changed too
        QVERIFY(f.services.messages.isEmpty());

        FormFixture g;
        g.services.fileAnswers.enqueue("/not/a/picture.txt");
        g.form->LoadPhoto(2);
        QCOMPARE(g.services.takeMessageTexts(), QStringList{"写真ファイル取込に失敗しました."});
        QCOMPARE(g.photo(3), QString());
        QCOMPARE(g.form->pageCount(), 1);
        QVERIFY(g.form->isSaved());
    }

    void doubleClickLoadsIntoThatSlot()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.services.fileAnswers.enqueue("/p/a.jpg");
        QTest::mouseDClick(f.form->photoBox(1), Qt::LeftButton);
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.photo(2), QStringLiteral("/p/a.jpg"));
    }

    void dropOneFile()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.form->DropPhoto(1, files({"/p/a.jpg"}));
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.form->slotFrame(1)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(f.photo(2), QStringLiteral("/p/a.jpg"));
        QVERIFY(!f.form->photoBox(1)->picture().isNull());
        QCOMPARE(f.form->focusWidget(), f.form->titleBox(1));
        QVERIFY(!f.form->isSaved());
    }

    void dropTwoFilesChangesNothing()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.form->DropPhoto(2, files({"/p/a.jpg", "/p/a.jpg"}));
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].text,
                 QStringLiteral("複数のファイルがドロップされました.\r\nドラッグをやり直してください."));
        QCOMPARE(f.services.messages[0].caption, QString());
        QCOMPARE(f.form->selectedSlot(), 0);
        QCOMPARE(f.photo(3), QString());
        QVERIFY(f.form->isSaved());
    }

    void dropAnUnreadableFile()
    {
        FormFixture f;
        f.form->table().setText(2, AlbumTable::PhotoPath, "/old.jpg");
        f.form->DropPhoto(1, files({"/p/notes.txt"}));
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(
            f.services.messages[0].text,
            QStringLiteral("ドロップファイルによるエラーが発生しました.\r\n\r\n対応ファイル以外の可能性があります."));
        QCOMPARE(f.services.messages[0].caption, QStringLiteral("ドロップファイルエラー"));
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.form->slotFrame(1)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(f.photo(2), QStringLiteral("/old.jpg"));
        QVERIFY(f.form->isSaved());

        f.form->DropPhoto(0, DropData{}); // dragged text: nothing at all
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.services.messages.size(), 1);
    }

    void realPicturesLoadUpright()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        QTemporaryDir dir;
        // A JPEG under a .bmp name: the content decides.
        const QString jpeg = dir.filePath("sideways.bmp");
        QFile file(jpeg);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sidewaysJpeg());
        file.close();
        f.form->DropPhoto(0, files({jpeg}));
        const QImage shown = f.form->photoBox(0)->picture();
        QCOMPARE(shown.size(), f.form->slotPictureSize());
        const QColor top = shown.pixelColor(shown.width() / 2, shown.height() / 8);
        const QColor bottom = shown.pixelColor(shown.width() / 2, shown.height() * 7 / 8);
        QVERIFY2(top.red() > 200 && top.blue() < 80, qPrintable(top.name()));
        QVERIFY2(bottom.blue() > 200 && bottom.red() < 80, qPrintable(bottom.name()));

        // A Windows Metafile with shapes, Shift-JIS text and a bitmap.
        f.form->DropPhoto(1, files({QStringLiteral(SORVANE_TEST_DATA "/wmf/sample.wmf")}));
        QCOMPARE(f.photo(2), QStringLiteral(SORVANE_TEST_DATA "/wmf/sample.wmf"));
        const QImage wmf = f.form->photoBox(1)->picture();
        QCOMPARE(wmf.size(), f.form->slotPictureSize());
        int inked = 0;
        for (int y = 0; y < wmf.height(); y += 4)
            for (int x = 0; x < wmf.width(); x += 4)
                inked += qAlpha(wmf.pixel(x, y)) > 0 && wmf.pixelColor(x, y) != QColor(Qt::white);
        QVERIFY2(inked > 100, qPrintable(QString::number(inked)));
        QVERIFY(f.services.messages.isEmpty());
    }

    void dropEventsReachTheSlot()
    {
        FormFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("dropped.png");
        QVERIFY(wide().save(path));
        f.services.useRealLoader = true;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        PhotoBox *box = f.form->photoBox(2);
        QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &drop);
        QCOMPARE(f.photo(3), path);
        QCOMPARE(f.form->pageCount(), 2);
    }
};

QTEST_MAIN(TestForm1Photos)
#include "tst_form1_photos.moc"
