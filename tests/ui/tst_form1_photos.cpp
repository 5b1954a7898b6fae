// Photos put into slots by the file dialog, by double click and by drop.
#include "form_fixture.h"
#include "io/album_file.h"
#include "io/path_mappings.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

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

} // namespace

class TestForm1Photos : public QObject {
    Q_OBJECT

private slots:
    // A Windows album opened in the editor shows its photos: one through the
    // user's path mappings, one copied beside the album.
    void windowsAlbumShowsItsPhotos()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath("config");
        QVERIFY(writePathMappings(config, {{"\\\\nas01\\share", dir.filePath("nas")}}));
        AlbumTable table;
        table.setText(1, AlbumTable::PhotoPath, "\\\\nas01\\share\\写真\\IMG_1.JPG");
        table.setText(2, AlbumTable::PhotoPath, "C:\\Users\\genba\\工事\\img_2.jpg");
        const QString album = dir.filePath("site/現場.svd");
        QVERIFY(QDir().mkpath(dir.filePath("site/工事")) && QDir().mkpath(dir.filePath("nas/写真")));
        QVERIFY(!writeAlbumFile(album, CoverData{}, table).isError());
        const QStringList files{dir.filePath("nas/写真/IMG_1.JPG"), dir.filePath("site/工事/IMG_2.JPG")};
        for (const QString &file : files)
            QVERIFY(wide().save(file, "PNG"));
        FormFixture f(album, {}, [&](FakeServices &services) {
            services.settingsDir = config;
            services.useRealLoader = true;
        });
        QCOMPARE(f.album().filePath(), album);
        for (int k = 0; k < 2; ++k) {
            QCOMPARE(f.album().resolvePhotoPath(f.album().text(k + 1, AlbumTable::PhotoPath)), files[k]);
            QVERIFY(f.services.loadedPaths.contains(files[k]));
            QCOMPARE(f.form->photoBox(k)->picture().pixelColor(10, 10), QColor(Qt::darkGreen));
        }
        QCOMPARE(f.album().locatePhoto(f.album().text(1, AlbumTable::PhotoPath)).mappingPrefix,
                 QStringLiteral("\\\\nas01\\share"));
    }

    void loadPhotoThroughTheDialog()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.services.fileAnswers.enqueue("/p/a.jpg");
        f.form->titleBox(0)->setText("kept");
        f.form->LoadPhoto(1);
        // The dialog opens on the JPG filter.
        QCOMPARE(f.services.fileRequests.size(), 1);
        const FileDialogRequest &request = f.services.fileRequests[0];
        QCOMPARE(request.filter.split(u'|').value(2 * request.filterIndex - 1), QStringLiteral("*.jpg"));
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
        QCOMPARE(f.album().rowCount(), 6);
        for (int r = 4; r <= 6; ++r) {
            QCOMPARE(f.album().text(r, AlbumTable::Number), QStringLiteral(" %1").arg(r));
            QVERIFY(f.album().entry(r).isEmpty());
        }
        // Again into the same slot: page 1 is no longer the last page.
        f.services.fileAnswers.enqueue("/p/a.jpg");
        f.form->LoadPhoto(2);
        QCOMPARE(f.form->pageCount(), 2);
    }

    void cancelAndFailure()
    {
        FormFixture f;
        f.fill({""}, {}, {{1, "/old.jpg"}});
        f.form->document().markSaved({});
        f.services.fileAnswers.enqueue(QString());
        f.form->LoadPhoto(0);
        QCOMPARE(f.photo(1), QStringLiteral("/old.jpg"));
        QVERIFY(!f.form->isSaved()); // cancelling marks the album changed too
        QVERIFY(f.services.messages.isEmpty());

        FormFixture g;
        g.services.fileAnswers.enqueue("/not/a/picture.txt");
        g.form->LoadPhoto(2);
        QCOMPARE(g.services.messages.size(), 1);
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

    void drops()
    {
        FormFixture f;
        f.services.pictures.insert("/p/a.jpg", wide());
        f.fill({""}, {}, {{2, "/old.jpg"}});
        const QColor selected = f.form->slotFrame(0)->borderColor();

        // Dragged text does nothing; two files only get a message.
        f.form->DropPhoto(2, DropData{});
        f.form->DropPhoto(2, files({"/p/a.jpg", "/p/a.jpg"}));
        QCOMPARE(f.services.takeMessageTexts().size(), 1);
        QCOMPARE(f.form->selectedSlot(), 0);
        QCOMPARE(f.photo(3), QString());
        QVERIFY(f.form->isSaved());

        // A file that is no picture selects the slot but keeps its photo.
        f.form->DropPhoto(1, files({"/p/notes.txt"}));
        QCOMPARE(f.services.takeMessageTexts().size(), 1);
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.form->slotFrame(1)->borderColor(), selected);
        QVERIFY(f.form->slotFrame(0)->borderColor() != selected);
        QCOMPARE(f.photo(2), QStringLiteral("/old.jpg"));
        QVERIFY(f.form->isSaved());

        f.form->DropPhoto(0, files({"/p/a.jpg"}));
        QCOMPARE(f.form->selectedSlot(), 0);
        QCOMPARE(f.form->slotFrame(0)->borderColor(), selected);
        QCOMPARE(f.photo(1), QStringLiteral("/p/a.jpg"));
        QCOMPARE(f.form->photoBox(0)->picture().size(), f.form->slotPictureSize());
        QCOMPARE(f.form->focusWidget(), f.form->titleBox(0));
        QVERIFY(!f.form->isSaved());
        QVERIFY(f.services.messages.isEmpty());
    }

    // A real file dropped from outside, through the real picture loader.
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
        QCOMPARE(box->picture().size(), f.form->slotPictureSize());
        QCOMPARE(f.form->pageCount(), 2);
    }

    // What a drop onto a photo box carries.
    void droppedFiles()
    {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/tmp/a b.jpg"), QUrl("https://example.invalid/x.jpg")});
        const DropData data = dropDataFrom(&files);
        QVERIFY(data.hasFiles);
        QCOMPARE(data.paths, QStringList{"/tmp/a b.jpg"});

        QMimeData text;
        text.setText("just text");
        QVERIFY(!dropDataFrom(&text).hasFiles);
        QVERIFY(!dropDataFrom(nullptr).hasFiles);
    }
};

QTEST_MAIN(TestForm1Photos)
#include "tst_form1_photos.moc"
