// Start-up, page display and navigation, slot selection and the zoom view.
#include "form_fixture.h"
#include "io/album_file.h"
#include "ui/main/photo_box.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
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

QImage solid(QColor c)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

} // namespace

class TestForm1Pages : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsOneEmptyPage()
    {
        FormFixture f;
        Form1 &form = *f.form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Sorvane"));
        QCOMPARE(numberLabels(form), QStringList({"No. 1", "No. 2", "No. 3"}));
        QCOMPARE(form.pageBox()->text(), QStringLiteral("1"));
        QCOMPARE(form.table().count(), 3);
        QCOMPARE(form.pageCount(), 1);
        QCOMPARE(form.selectedSlot(), 0);
        QVERIFY(form.isSaved());
        QCOMPARE(form.slotFrame(0)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(form.slotFrame(1)->borderColor(), QColor(192, 192, 192));
        QCOMPARE(form.slotFrame(2)->borderColor(), QColor(192, 192, 192));
        QVERIFY(!form.copyFromPreviousButton(0)->isEnabled());
        QVERIFY(form.copyFromPreviousButton(1)->isEnabled());
        QVERIFY(!form.pasteButton()->isEnabled());
        QVERIFY(f.services.messages.isEmpty());
        QVERIFY(f.services.fileRequests.isEmpty());
        QVERIFY(form.albumPath().isEmpty());
        QVERIFY(!form.commandLineOpenPending());
        // A new album starts with the cover data.
        QCOMPARE(f.services.modalDialogs, QStringList{"sorvane::CoverDialog"});
        QVERIFY(!form.printOptions().numberPrinting); // no print.ini: state 0
    }

    void layoutFollowsTheTwipGrid()
    {
        FormFixture f;
        Form1 &form = *f.form;
        // 8265 x 8865 twips of client area at 15 twips a pixel, below the menus.
        QCOMPARE(form.surface()->size(), QSize(551, 591));
        QCOMPARE(form.size(), QSize(551, form.menuBar()->height() + 591));
        QCOMPARE(form.photoBox(1)->geometry(), QRect(8, 216, 257, 169));
        QCOMPARE(form.slotFrame(1)->geometry(), form.photoBox(1)->geometry());
        QCOMPARE(form.titleBox(2)->geometry(), QRect(272, 424, 273, 25));
        QCOMPARE(form.commentBox(0)->geometry(), QRect(272, 104, 273, 105));
        QCOMPARE(form.pageSpinner()->geometry(), QRect(304, 6, 56, 18));
        QCOMPARE(form.photoBox(0)->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(form.photoBox(0)->acceptDrops());
        // The slot boxes use the IPA face that stands in for MS P Gothic.
        const QFontInfo info(form.titleBox(0)->font());
        QCOMPARE(info.family(), QStringLiteral("IPAPGothic"));
        QVERIFY(info.bold());
        // Title and comment boxes ask for Japanese input; number boxes for Latin.
        QCOMPARE(form.titleBox(0)->inputMethodQuery(Qt::ImPreferredLanguage).toString(), QStringLiteral("ja_JP"));
        QCOMPARE(form.commentBox(0)->inputMethodQuery(Qt::ImPreferredLanguage).toString(), QStringLiteral("ja_JP"));
        QVERIFY(form.numberBox(0)->inputMethodHints() & Qt::ImhLatinOnly);
        // A resize leaves the window as it was.
        form.resize(800, 800);
        QCOMPARE(form.size(), QSize(551, form.menuBar()->height() + 591));
    }

    void menusCarryTheirCaptionsAndShortcuts()
    {
        FormFixture f;
        const QList<QAction *> edit = f.form->editMenu()->actions();
        QStringList captions;
        for (QAction *a : edit)
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, QStringList({"写真を開く (&L)", "削除 (&D)", "-", "挿入", "抜取", "-", "テキストコピー(C)",
                                        "テキスト貼り付け(P)", "-", "拡大表示"}));
        QCOMPARE(f.form->action("input_line")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
        QCOMPARE(f.form->action("text_past")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
        QCOMPARE(f.form->action("file_save")->text(), QStringLiteral("名前を付けて保存(&S)..."));
        QVERIFY(!f.form->action("print_menu")->isVisible());
        QVERIFY(!f.form->action("print_menu")->isEnabled());
        QCOMPARE(f.form->action("toolbar_cutout")->toolTip(), QStringLiteral("抜取"));
    }

    void printSettingsAreReadAtStartUp()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("config"));
        QFile ini(dir.filePath("config/print.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("\xEF\xBB\xBF[印刷設定]\n上マージン=12\n番号印刷=0\n");
        ini.close();
        FakeServices services;
        services.programDir = dir.filePath("bin");
        services.settingsDir = dir.filePath("config");
        Form1 form(services);
        form.startUp();
        // Read into the options dialog, loaded hidden, as the texts stand.
        QVERIFY(form.isOptionsDialogLoaded());
        QVERIFY(!form.optionsDialog()->isVisible());
        QCOMPARE(form.optionsDialog()->topMarginBox()->text(), QStringLiteral("12"));
        QCOMPARE(form.optionsDialog()->leftMarginBox()->text(), QString());
        QVERIFY(!form.printOptions().numberPrinting);
    }

    void pagingShowsPagesAndPosition()
    {
        FormFixture f;
        f.fill({"a", "b", "c", "d", "e", "f", "g", "h", "i"});
        Form1 &form = *f.form;
        QCOMPARE(form.pageCount(), 3);
        f.page(true);
        QCOMPARE(form.currentPage(), 2);
        QCOMPARE(form.titleBox(0)->text(), QStringLiteral("d"));
        QCOMPARE(numberLabels(form), QStringList({"No. 4", "No. 5", "No. 6"}));
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

    void onePageStaysAndShowsFullPosition()
    {
        FormFixture f;
        f.page(false);
        f.page(true);
        QCOMPARE(f.form->currentPage(), 1);
        QCOMPARE(f.form->positionPanel()->text(), QStringLiteral(" 100%"));
        QVERIFY(f.form->isSaved());
    }

    void numberLabelsFollowThePageBoxThenTheStoredNumbers()
    {
        FormFixture f;
        f.fill({"a", "b", "c", "d", "e", "f"});
        f.form->table().setText(4, AlbumTable::Number, QStringLiteral(" 40"));
        PageSpinner *s = f.form->pageSpinner();
        const QPoint right(s->width() - 5, s->height() / 2);
        QTest::mousePress(s, Qt::LeftButton, {}, right);
        QCOMPARE(numberLabels(*f.form), QStringList({"No. 4", "No. 5", "No. 6"}));
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("a")); // not shown before the release
        QTest::mouseRelease(s, Qt::LeftButton, {}, right);
        QCOMPARE(numberLabels(*f.form), QStringList({"No. 40", "No. 5", "No. 6"}));
    }

    void showingOtherTextsMarksTheAlbumChanged()
    {
        FormFixture f;
        f.form->table().appendPage();
        f.form->pageSpinner()->setMaximum(2);
        f.page(true); // both pages empty: nothing changes
        QVERIFY(f.form->isSaved());
        f.form->table().setText(1, AlbumTable::Comment, QStringLiteral("x"));
        f.page(false);
        QVERIFY(!f.form->isSaved());
        QCOMPARE(f.form->commentBox(0)->toPlainText(), QStringLiteral("x"));
    }

    void selectingSlotsWithTheMouse()
    {
        FormFixture f;
        Form1 &form = *f.form;
        QTest::mouseClick(form.photoBox(2), Qt::LeftButton);
        QCOMPARE(form.selectedSlot(), 2);
        QCOMPARE(form.slotFrame(2)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(form.slotFrame(0)->borderColor(), QColor(192, 192, 192));
        QCOMPARE(form.focusWidget(), form.titleBox(2));

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
        QCOMPARE(form.slotFrame(1)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(form.focusWidget(), form.titleBox(1));
        QVERIFY(f.services.fileRequests.isEmpty());
    }

    void photosAreShownAndNeighboursPrepared()
    {
        QTemporaryDir albums;
        const QString album = albums.filePath("job.svd");
        QVERIFY(!writeAlbumFile(album, CoverData{}, AlbumTable()).isError());
        const QString relative = albums.filePath("photos/a.jpg");
        FormFixture f(album);
        f.services.pictures.insert(relative, solid(Qt::red));
        f.services.pictures.insert("/abs/b.jpg", solid(Qt::blue));
        f.fill({"", "", "", "", "", "", "", "", ""});
        AlbumTable &t = f.form->table();
        t.setText(1, AlbumTable::PhotoPath, "photos/a.jpg"); // relative to the album's folder
        t.setText(4, AlbumTable::PhotoPath, "/abs/b.jpg");
        t.setText(7, AlbumTable::PhotoPath, "/gone/c.jpg");
        f.services.preparedPaths.clear();
        f.page(true);
        QCOMPARE(f.form->photoBox(0)->picture().pixelColor(5, 5), QColor(Qt::blue));
        QCOMPARE(f.form->photoBox(0)->picture().size(), f.form->slotPictureSize());
        QVERIFY(f.services.preparedPaths.contains("/gone/c.jpg"));
        QVERIFY(f.services.preparedPaths.contains(relative));
        f.page(false);
        QCOMPARE(f.form->photoBox(0)->picture().pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(f.services.loadedPaths.contains(relative));

        // A photo that cannot be loaded: a placeholder, the path kept.
        f.goToPage(3);
        const QImage placeholder = f.form->photoBox(0)->picture();
        QVERIFY(!placeholder.isNull());
        QCOMPARE(placeholder.size(), f.form->slotPictureSize());
        QCOMPARE(f.photo(7), QStringLiteral("/gone/c.jpg"));
        QVERIFY(f.services.messages.isEmpty());

        // An album opened through the dialog from another folder finds its
        // relative photos there, not beside the command line's file.
        QTemporaryDir other;
        AlbumTable moved;
        moved.reset();
        moved.setText(1, AlbumTable::PhotoPath, "photos/a.jpg");
        QVERIFY(!writeAlbumFile(other.filePath("moved.svd"), CoverData{}, moved).isError());
        f.services.pictures.insert(other.filePath("photos/a.jpg"), solid(Qt::green));
        f.services.fileAnswers.enqueue(other.filePath("moved.svd"));
        f.form->Open();
        QCOMPARE(f.form->photoBox(0)->picture().pixelColor(5, 5), QColor(Qt::green));
        QCOMPARE(f.form->albumPath(), album); // the command line's file stays the one Save proposes
    }

    void zoomViewShowsTheSelectedPhoto()
    {
        FormFixture f;
        f.services.pictures.insert("/p/one.jpg", solid(Qt::green));
        f.fill({"", "", "", "", "", "", "", "", ""});
        f.form->table().setText(9, AlbumTable::PhotoPath, "/p/one.jpg");
        f.goToPage(3);
        QTest::mouseClick(f.form->photoBox(2), Qt::LeftButton);
        ZoomView *zoom = f.form->zoomView();
        QVERIFY(zoom);
        QVERIFY(!zoom->isVisible()); // a click only hands over picture and caption
        QCOMPARE(zoom->windowTitle(), QStringLiteral("/p/one.jpg"));

        zoom->showMinimized();
        f.form->zoomPhoto();
        QVERIFY(zoom->isVisible());
        QVERIFY(!(zoom->windowState() & Qt::WindowMinimized));
        QCOMPARE(zoom->size(), QSize(558, 375));
        // Decoded again at the zoom window's size, not the slot's.
        QCOMPARE(zoom->shownPicture().size(), zoom->size() * zoom->devicePixelRatioF());
        QCOMPARE(zoom->shownPicture().pixelColor(3, 3), QColor(Qt::green));

        // An empty slot: no picture, empty caption.
        QTest::mouseClick(f.form->photoBox(0), Qt::LeftButton);
        f.form->zoomPhoto();
        QVERIFY(zoom->shownPicture().isNull());
        QCOMPARE(zoom->windowTitle(), QString());
    }
};

QTEST_MAIN(TestForm1Pages)
#include "tst_form1_pages.moc"
