// Start-up, page display and navigation, slot selection and the zoom view.
#include "form_fixture.h"
#include "io/album_file.h"
#include "model/number_text.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

QStringList numberLabels(const Form1 &f)
{
    return {f.numberBox(0)->text(), f.numberBox(1)->text(), f.numberBox(2)->text()};
}

// The slots whose frame is not the plain grey one.
QList<int> highlighted(const Form1 &f)
{
    QList<int> list;
    for (int k = 0; k < 3; ++k)
        if (f.slotFrame(k)->borderColor() != QColor(192, 192, 192))
            list.append(k);
    return list;
}

QImage solid(QColor c)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

QColor shownColour(const Form1 &f, int slot)
{
    return f.photoBox(slot)->picture().pixelColor(5, 5);
}

} // namespace

class TestForm1Pages : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsOneEmptyPageOfFixedLayout()
    {
        FormFixture f;
        Form1 &form = *f.form;
        QCOMPARE(numberLabels(form), QStringList({"No. 1", "No. 2", "No. 3"}));
        QCOMPARE(form.selectedSlot(), 0);
        QCOMPARE(highlighted(form), QList<int>{0});
        QVERIFY(!form.copyFromPreviousButton(0)->isEnabled());
        QVERIFY(f.services.messages.isEmpty() && f.services.fileRequests.isEmpty());
        // A new album starts with the cover data.
        QCOMPARE(f.services.modalDialogs, QStringList{"sorvane::CoverDialog"});
        QVERIFY(!form.session().printsNumbers()); // no print.ini: state 0

        // One page: paging stays on it; the same texts shown again change nothing.
        f.page(false);
        f.page(true);
        QCOMPARE(form.currentPage(), 1);
        QCOMPARE(form.positionPanel()->text(), QStringLiteral(" 100%"));
        QVERIFY(form.isSaved());
        // Showing other texts marks the album changed (a new album is not
        // shown until the page is).
        AlbumContents other;
        other.table.setText(1, AlbumTable::Comment, QStringLiteral("x"));
        form.document().replace(other, {});
        QVERIFY(form.isSaved());
        f.page(false);
        QCOMPARE(form.commentBox(0)->toPlainText(), QStringLiteral("x"));
        QVERIFY(!form.isSaved());

        // The window keeps its size: 8265 x 8865 twips of client area at 15
        // twips a pixel, below the menus. Title and comment boxes ask for
        // Japanese input.
        form.resize(800, 800);
        QCOMPARE(form.size(), QSize(551, form.menuBar()->height() + 591));
        QCOMPARE(form.titleBox(0)->inputMethodQuery(Qt::ImPreferredLanguage).toString(), QStringLiteral("ja_JP"));
        QCOMPARE(form.commentBox(0)->inputMethodQuery(Qt::ImPreferredLanguage).toString(), QStringLiteral("ja_JP"));
    }

    void printSettingsAreReadAtStartUp()
    {
        QTemporaryDir dir;
        QFile ini(dir.filePath("print.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("\xEF\xBB\xBF[印刷設定]\n上マージン=12\n左マージン=7mm\n番号印刷=1\n");
        ini.close();
        FakeServices services;
        services.programDir = dir.path();
        Form1 form(services);
        form.startUp();
        // Read into the options dialog as the texts stand.
        QCOMPARE(form.optionsDialog()->topMarginBox()->text(), QStringLiteral("12"));
        QCOMPARE(form.optionsDialog()->leftMarginBox()->text(), QStringLiteral("7mm"));
        QVERIFY(form.session().printsNumbers());
    }

    void pagingShowsPagesAndPosition()
    {
        FormFixture f;
        AlbumContents album;
        album.table.clear();
        for (int i = 1; i <= 9; ++i)
            album.table.appendEntry(i == 4 ? QStringLiteral(" 40") : numberText(i), QString(QChar(u'a' + i - 1)), {},
                                    {});
        album.table.setPageCount(3);
        Form1 &form = *f.form;
        form.document().replace(album, {});
        form.ShowPage();
        // While pressed, the labels follow the page box; released, the page
        // shows with its stored numbers.
        const QPoint right(form.pageSpinner()->width() - 5, form.pageSpinner()->height() / 2);
        QTest::mousePress(form.pageSpinner(), Qt::LeftButton, {}, right);
        QCOMPARE(numberLabels(form), QStringList({"No. 4", "No. 5", "No. 6"}));
        QCOMPARE(form.titleBox(0)->text(), QStringLiteral("a"));
        QTest::mouseRelease(form.pageSpinner(), Qt::LeftButton, {}, right);
        QCOMPARE(form.currentPage(), 2);
        QCOMPARE(form.titleBox(0)->text(), QStringLiteral("d"));
        QCOMPARE(numberLabels(form), QStringList({"No. 40", "No. 5", "No. 6"}));
        QCOMPARE(form.positionPanel()->text(), QStringLiteral(" 66.66%"));
        QCOMPARE(form.progressBar()->value(), form.progressBar()->maximum() * 2 / 3);
        QVERIFY(form.copyFromPreviousButton(0)->isEnabled());
        f.page(true);
        f.page(true); // stays on the last page
        QCOMPARE(form.currentPage(), 3);
        QCOMPARE(form.positionPanel()->text(), QStringLiteral(" 100%"));
        f.goToPage(1);
        QCOMPARE(form.positionPanel()->text(), QStringLiteral(" 33.33%"));
        QVERIFY(!form.copyFromPreviousButton(0)->isEnabled());
        QCOMPARE(form.titleBox(2)->text(), QStringLiteral("c"));
    }

    void selectingSlotsAndZooming()
    {
        FormFixture f;
        Form1 &form = *f.form;
        f.services.pictures.insert("/p/one.jpg", solid(Qt::green));
        f.fill({"", "", "", "", "", "", "", "", ""}, {}, {{9, "/p/one.jpg"}});
        f.goToPage(3);
        QTest::mouseClick(form.photoBox(2), Qt::LeftButton);
        QCOMPARE(form.selectedSlot(), 2);
        QCOMPARE(highlighted(form), QList<int>{2});
        QCOMPARE(form.focusWidget(), form.titleBox(2));
        // A click only hands picture and caption to the zoom view.
        ZoomView *zoom = form.zoomView();
        QVERIFY(zoom && !zoom->isVisible());
        QCOMPARE(zoom->windowTitle(), QStringLiteral("/p/one.jpg"));
        zoom->showMinimized();
        form.zoomPhoto();
        QVERIFY(zoom->isVisible() && !(zoom->windowState() & Qt::WindowMinimized));
        // Decoded again at the zoom window's size, not the slot's.
        QCOMPARE(zoom->shownPicture().size(), zoom->size() * zoom->devicePixelRatioF());
        QCOMPARE(zoom->shownPicture().pixelColor(3, 3), QColor(Qt::green));

        // The right button opens the edit menu; the title box gets the focus
        // when it closes.
        bool menuShown = false;
        QTimer::singleShot(0, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuShown = popup == form.editMenu();
                popup->close();
            }
        });
        QTest::mouseClick(form.photoBox(1), Qt::RightButton);
        QVERIFY(menuShown);
        QCOMPARE(form.selectedSlot(), 1);
        QCOMPARE(highlighted(form), QList<int>{1});
        QCOMPARE(form.focusWidget(), form.titleBox(1));
        form.zoomPhoto(); // an empty slot: no picture, no caption
        QVERIFY(zoom->shownPicture().isNull());
        QCOMPARE(zoom->windowTitle(), QString());
    }

    void photosAreShownAndNeighboursPrepared()
    {
        QTemporaryDir albums, other;
        const QString album = albums.filePath("job.svd");
        AlbumTable t;
        t.appendPage();
        t.appendPage();
        t.setText(1, AlbumTable::PhotoPath, "photos/a.jpg"); // relative to the album's folder
        t.setText(4, AlbumTable::PhotoPath, "/abs/b.jpg");
        t.setText(5, AlbumTable::PhotoPath, "/abs/e.jpg");
        t.setText(7, AlbumTable::PhotoPath, "/gone/c.jpg");
        QVERIFY(!writeAlbumFile(album, CoverData{}, t).isError());
        FormFixture f(album);
        const QString relative = albums.filePath("photos/a.jpg");
        f.services.pictures.insert(relative, solid(Qt::red));
        f.services.pictures.insert("/abs/b.jpg", solid(Qt::blue));
        f.services.pictures.insert(other.filePath("photos/a.jpg"), solid(Qt::green));
        f.services.preparedPaths.clear();
        f.page(true);
        QCOMPARE(shownColour(*f.form, 0), QColor(Qt::blue));
        QCOMPARE(f.form->photoBox(0)->picture().size(), f.form->slotPictureSize());
        // The page's photos and the neighbour pages' are prepared.
        QVERIFY(f.services.preparedPaths.contains("/abs/e.jpg"));
        QVERIFY(f.services.preparedPaths.contains("/gone/c.jpg"));
        QVERIFY(f.services.preparedPaths.contains(relative));

        // A photo that cannot be loaded: a placeholder, the path kept.
        f.page(true);
        QCOMPARE(f.form->photoBox(0)->picture().size(), f.form->slotPictureSize());
        QCOMPARE(f.photo(7), QStringLiteral("/gone/c.jpg"));
        QVERIFY(f.services.messages.isEmpty());

        // Relative photos are found beside the file last opened or saved: not
        // the command line's, and not one a save failed to write.
        f.goToPage(1);
        QCOMPARE(shownColour(*f.form, 0), QColor(Qt::red));
        const auto showAfter = [&](void (Form1::*command)(), const QString &file) {
            f.services.fileAnswers.enqueue(file);
            (f.form.get()->*command)();
            f.form->ShowPage();
            return shownColour(*f.form, 0);
        };
        QCOMPARE(showAfter(&Form1::Save, other.filePath("no/folder/x.svd")), QColor(Qt::red));
        QCOMPARE(showAfter(&Form1::Save, other.filePath("x.svd")), QColor(Qt::green));
        QCOMPARE(showAfter(&Form1::Open, album), QColor(Qt::red));
    }
};

QTEST_MAIN(TestForm1Pages)
#include "tst_form1_pages.moc"
