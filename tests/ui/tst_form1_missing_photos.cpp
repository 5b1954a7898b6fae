// Photos that cannot be found or read, in the main window: the bar above the
// slots, the 写真の確認 window with its lines, the search of a folder and the
// relink with its undo, the path mapping offered and remembered, and the
// question before a print or an export.
#include "exif_photos.h"
#include "form_fixture.h"
#include "io/album_file.h"
#include "io/path_mappings.h"
#include "picture/photo_import.h"
#include "ui/dialogs/photo_review_window.h"
#include "ui/main/missing_photos_bar.h"
#include "ui/main/photo_checker.h"
#include "ui/main/photo_texts.h"

#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

const QString kShare = QStringLiteral(R"(\\nas01\share\写真)");

// The texts of one line of the review list.
QStringList lineTexts(const PhotoReviewWindow &window, int line)
{
    QStringList texts;
    const QTreeWidgetItem *item = window.list()->topLevelItem(line);
    for (int c = 0; c < window.list()->columnCount(); ++c) {
        if (!window.list()->isColumnHidden(c))
            texts << item->text(c);
    }
    return texts;
}

} // namespace

class TestForm1MissingPhotos : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_present, m_broken, m_moved;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // An album file in its own folder with these photo paths by row (three
    // rows a page), and a started window that opened it.
    std::unique_ptr<FormFixture> openAlbum(const QStringList &photos, const QString &settingsDir = {})
    {
        AlbumTable table;
        while (table.count() < photos.size() + 1)
            table.appendPage();
        for (int i = 0; i < photos.size(); ++i) {
            table.setText(i + 1, AlbumTable::Title, QStringLiteral("第%1工区").arg(i + 1));
            table.setText(i + 1, AlbumTable::PhotoPath, photos[i]);
        }
        const QString album = path("albums/現場.svd");
        QFile file(album);
        if (!file.open(QIODevice::WriteOnly) || file.write(serializeAlbum({}, table)) <= 0)
            qFatal("cannot write the album");
        file.close();
        auto f = std::make_unique<FormFixture>(album, QString(), [&](FakeServices &s) { s.settingsDir = settingsDir; });
        f->form->photoChecker().waitUntilDone();
        return f;
    }

    QByteArray albumBytes(const FormFixture &f) const { return serializeAlbum(f.album().cover(), f.album().table()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path("albums")));
        m_present = exifPhoto(path("albums/present.jpg"), {});
        m_broken = path("albums/broken.jpg");
        QFile broken(m_broken);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\xFF\xD8\xFF\xE0 not really");
        broken.close();
        // Where the share's photos went: outside the album's folder.
        m_moved = path("mnt/x");
        for (const char *name : {"写真/2026/A.JPG", "写真/B.JPG"}) {
            QVERIFY(QDir().mkpath(QFileInfo(m_moved + "/" + name).absolutePath()));
            exifPhoto(m_moved + "/" + name, {{"Exif.Photo.DateTimeOriginal", "2026:10:05 09:00:00"}});
        }
        // Two different photos of one name in equal folders.
        for (const char *folder : {"/p/配筋", "/q/配筋"}) {
            QVERIFY(QDir().mkpath(m_moved + folder));
            exifPhoto(
                m_moved + folder + "/C.JPG",
                {{"Exif.Photo.DateTimeOriginal", folder[1] == 'p' ? "2026:10:05 10:00:00" : "2026:10:06 10:00:00"}});
        }
    }

    void barCountsWhatIsMissingOrUnreadable_data()
    {
        QTest::addColumn<QStringList>("photos");
        QTest::addColumn<QString>("text"); // "" for no bar
        QTest::newRow("all there") << QStringList{m_present, "", m_present} << "";
        QTest::newRow("missing") << QStringList{m_present, kShare + R"(\A.JPG)", kShare + R"(\B.JPG)"}
                                 << "写真 2 枚が見つかりません";
        QTest::newRow("unreadable") << QStringList{m_broken, m_present} << "写真 1 枚が読み取れません";
        // Entries count, not files: one missing file in two entries.
        QTest::newRow("both") << QStringList{m_broken, kShare + R"(\A.JPG)", m_present, kShare + R"(\A.JPG)"}
                              << "写真 3 枚が見つからないか、読み取れません";
    }
    void barCountsWhatIsMissingOrUnreadable()
    {
        QFETCH(QStringList, photos);
        QFETCH(QString, text);
        auto f = openAlbum(photos);
        Form1 &form = *f->form;
        MissingPhotosBar *bar = form.missingPhotosBar();
        QCOMPARE(bar->isVisible(), !text.isEmpty());
        const int menu = form.menuBar()->sizeHint().height();
        if (text.isEmpty()) {
            QCOMPARE(form.height(), menu + form.surface()->height());
            return;
        }
        QCOMPARE(bar->text(), text);
        // The bar pushes the whole page down and the window grows by it:
        // every control keeps its place, none lies under the bar.
        QCOMPARE(form.height(), menu + bar->height() + form.surface()->height());
        const QRect barArea(bar->mapTo(&form, QPoint(0, 0)), bar->size());
        QCOMPARE(form.surface()->mapTo(&form, QPoint(0, 0)).y(), barArea.bottom() + 1);
        QVERIFY(!barArea.intersects(QRect(form.toolbar()->mapTo(&form, QPoint(0, 0)), form.toolbar()->size())));

        // Closed, it stays away while the album is edited, and the window
        // is its own size again.
        bar->closeButton()->click();
        QVERIFY(!bar->isVisible());
        QCOMPARE(form.height(), menu + form.surface()->height());
        form.document().setTexts(1, "x", "y", "貼付", {1, 0, 0});
        form.photoChecker().waitUntilDone();
        QVERIFY(!bar->isVisible());
    }

    // A photo put into an entry whose photo was missing lowers the count;
    // the last one gone takes the bar with it.
    void barFollowsTheEntries()
    {
        auto f = openAlbum({kShare + R"(\A.JPG)", m_broken});
        Form1 &form = *f->form;
        QCOMPARE(form.missingPhotosBar()->text(), QStringLiteral("写真 2 枚が見つからないか、読み取れません"));
        form.document().setPhoto(2, m_present, false, "写真", {1, 1, 0});
        form.photoChecker().waitUntilDone();
        QCOMPARE(form.missingPhotosBar()->text(), QStringLiteral("写真 1 枚が見つかりません"));
        form.document().setPhoto(1, "", false, "写真", {1, 0, 0});
        form.photoChecker().waitUntilDone();
        QVERIFY(!form.missingPhotosBar()->isVisible());
        // Undone, both come back.
        form.undoStep();
        form.undoStep();
        form.photoChecker().waitUntilDone();
        QVERIFY(form.missingPhotosBar()->isVisible());
        QCOMPARE(form.missingPhotosBar()->text(), QStringLiteral("写真 2 枚が見つからないか、読み取れません"));
    }

    void reviewListsTheEntriesAndShowsThem()
    {
        auto f = openAlbum({m_present, kShare + R"(\A.JPG)", "", m_present, m_broken});
        Form1 &form = *f->form;
        // The last item of the 編集 menu, after the photo commands.
        const QList<QAction *> items = form.editMenu()->actions();
        QCOMPARE(items.last()->text(), QStringLiteral("写真の確認..."));
        QCOMPARE(items[items.size() - 2], form.action("sort_by_date"));
        items.last()->trigger();
        PhotoReviewWindow *window = form.photoReviewWindow();
        QVERIFY(window && window->isVisible());
        QVERIFY(!window->isModal());
        QVERIFY(f->services.modalDialogs.isEmpty());
        QCOMPARE(window->listedRows(), (QList<int>{2, 5}));
        QCOMPARE(lineTexts(*window, 0),
                 (QStringList{"1", "2", "第2工区", kShare + R"(\A.JPG)", "ファイルが見つかりません"}));
        QCOMPARE(lineTexts(*window, 1),
                 (QStringList{"2", "5", "第5工区", m_broken, photoProblemText(importProblem(m_broken))}));
        QVERIFY(lineTexts(*window, 1).last() != photoProblemText("not found"));
        QCOMPARE(window->summary()->text(), QStringLiteral("写真 2 枚が見つからないか、読み取れません"));
        // Only a missing photo can be looked for.
        QVERIFY(window->searchButton()->isEnabled());
        QVERIFY(!window->relinkButton()->isEnabled());

        // Enter on a line shows its page and selects its slot.
        window->list()->setCurrentItem(window->list()->topLevelItem(1));
        QTest::keyClick(window->list(), Qt::Key_Return);
        QCOMPARE(form.currentPage(), 2);
        QCOMPARE(form.selectedSlot(), 1);
        QCOMPARE(form.titleBox(1)->text(), QStringLiteral("第5工区"));
        emit window->list()->itemActivated(window->list()->topLevelItem(0), 0);
        QCOMPARE(form.currentPage(), 1);
        QCOMPARE(form.selectedSlot(), 1);

        // The bar's button opens the same window.
        window->hide();
        form.missingPhotosBar()->reviewButton()->click();
        QCOMPARE(form.photoReviewWindow(), window);
        QVERIFY(window->isVisible());
    }

    // A search finds one photo deep in its folders, one in a shallow
    // folder, two different photos of one name, and nothing for the last;
    // relinking is one step, and its undo gives every path back.
    void searchAndRelinkAsOneStep()
    {
        const QStringList photos{kShare + R"(\2026\A.JPG)",
                                 kShare + R"(\B.JPG)",
                                 kShare + R"(\配筋\C.JPG)",
                                 kShare + R"(\D.JPG)",
                                 m_broken,
                                 m_present};
        auto f = openAlbum(photos);
        Form1 &form = *f->form;
        FakeServices &services = f->services;
        const QByteArray before = albumBytes(*f);
        form.ReviewPhotos();
        PhotoReviewWindow &window = *form.photoReviewWindow();
        QCOMPARE(window.listedRows(), (QList<int>{1, 2, 3, 4, 5}));

        // Cancelled folder dialog, then a cancelled search: nothing changes.
        window.searchButton()->click();
        QCOMPARE(services.fileRequests.last().initialDirectory, path("albums"));
        services.folderAnswers.enqueue(m_moved);
        services.cancelProgressAt = 0;
        window.searchButton()->click();
        QCOMPARE(services.progressTexts, QStringList{"写真を探しています..."});
        QVERIFY(window.list()->isColumnHidden(PhotoReviewWindow::ResultColumn));
        QVERIFY(!window.relinkButton()->isEnabled());

        services.cancelProgressAt = -1;
        services.folderAnswers.enqueue(m_moved);
        window.searchButton()->click();
        QVERIFY(!window.list()->isColumnHidden(PhotoReviewWindow::ResultColumn));
        const auto result = [&](int line) {
            const QTreeWidgetItem *item = window.list()->topLevelItem(line);
            return QStringList{item->text(PhotoReviewWindow::ResultColumn),
                               item->text(PhotoReviewWindow::NewPathColumn)};
        };
        QCOMPARE(result(0), (QStringList{"見つかった", m_moved + "/写真/2026/A.JPG"}));
        QCOMPARE(result(1), (QStringList{"見つかった", m_moved + "/写真/B.JPG"}));
        QCOMPARE(result(2), (QStringList{"候補が複数", "（2 件）"}));
        QCOMPARE(result(3), (QStringList{"見つからない", ""}));
        QCOMPARE(result(4), (QStringList{"", ""})); // unreadable: not looked for
        QVERIFY(window.relinkButton()->isEnabled());
        // (Showing the page on Open counts as a change; a Save clears it.)
        form.document().markSaved(form.document().filePath());
        QVERIFY(form.isSaved());

        // Relinked; no mapping remembered this time.
        services.messageAnswers.enqueue(MessageResult::No);
        window.relinkButton()->click();
        QCOMPARE(services.messages.size(), 1);
        QCOMPARE(services.messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(f->photo(1), m_moved + "/写真/2026/A.JPG");
        QCOMPARE(f->photo(2), m_moved + "/写真/B.JPG");
        QCOMPARE(f->photo(3), photos[2]);
        QVERIFY(QFileInfo(f->photo(1)).isAbsolute());
        QCOMPARE(form.document().history().count(), 1);
        QCOMPARE(form.action("edit_undo")->text(), QStringLiteral("元に戻す（写真のパスの書き換え）"));
        QVERIFY(!form.isSaved());
        QVERIFY(form.document().photoLocator().mappings().isEmpty());
        form.photoChecker().waitUntilDone();
        QCOMPARE(window.listedRows(), (QList<int>{3, 4, 5}));
        QVERIFY(window.list()->isColumnHidden(PhotoReviewWindow::ResultColumn));
        QCOMPARE(form.missingPhotosBar()->text(), QStringLiteral("写真 3 枚が見つからないか、読み取れません"));

        // One undo gives back every path as written; redo the relink again.
        form.missingPhotosBar()->closeButton()->click();
        form.undoStep();
        QCOMPARE(albumBytes(*f), before);
        form.photoChecker().waitUntilDone();
        QCOMPARE(window.listedRows(), (QList<int>{1, 2, 3, 4, 5}));
        // A relink undone is a relink: the bar is back.
        QVERIFY(form.missingPhotosBar()->isVisible());
        QCOMPARE(form.missingPhotosBar()->text(), QStringLiteral("写真 5 枚が見つからないか、読み取れません"));
        form.redoStep();
        form.photoChecker().waitUntilDone();
        QCOMPARE(f->photo(2), m_moved + "/写真/B.JPG");
        QCOMPARE(window.listedRows(), (QList<int>{3, 4, 5}));
    }

    // Yes to the mapping: it joins those kept in sorvane.ini (one of the
    // same prefix replaced), and the document's locator uses it at once.
    void mappingOfTheRelinkIsRemembered()
    {
        const QString settings = path("settings");
        QVERIFY(writePathMappings(settings, {{R"(\\NAS01\share)", "/old"}, {"C:", "/media/usb"}}));
        auto f = openAlbum({kShare + R"(\2026\A.JPG)", kShare + R"(\B.JPG)"}, settings);
        Form1 &form = *f->form;
        // The mappings kept are used from the start.
        QCOMPARE(form.document().photoLocator().mappings().size(), 2);
        form.ReviewPhotos();
        PhotoReviewWindow &window = *form.photoReviewWindow();
        f->services.folderAnswers.enqueue(m_moved);
        window.searchFolder();
        f->services.messageAnswers.enqueue(MessageResult::Yes);
        window.relinkFound();
        QCOMPARE(f->services.messages.size(), 1);
        const QString question = f->services.messages[0].text;
        QVERIFY2(question.contains(R"(\\nas01\share)") && question.contains(m_moved), qPrintable(question));
        const QList<PathMapping> expected{{R"(\\nas01\share)", m_moved}, {"C:", "/media/usb"}};
        QCOMPARE(readPathMappings(settings), expected);
        QCOMPARE(form.document().photoLocator().mappings(), expected);
        QVERIFY(!form.missingPhotosBar()->isVisible());

        // Undone, the album holds the paths as written again, and the
        // mapping now finds them.
        form.undoStep();
        form.photoChecker().waitUntilDone();
        QVERIFY(form.photoChecker().problemRows().isEmpty());
        QCOMPARE(form.document().locatePhoto(kShare + R"(\B.JPG)").found, PhotoFound::Mapping);
        QVERIFY(!form.missingPhotosBar()->isVisible());
    }

    // Before a print or an export: asked once, and No does nothing.
    void printAndExportAskFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("question");
        QTest::newRow("print") << "test_print"
                               << "写真 2 枚が見つからないか、読み取れません。このまま印刷しますか？";
        QTest::newRow("single page") << "oneprint_menu"
                                     << "写真 1 枚が見つかりません。このまま印刷しますか？";
        QTest::newRow("pdf") << "pdf_export"
                             << "写真 2 枚が見つからないか、読み取れません。このまま PDF に出力しますか？";
        QTest::newRow("preview") << "print_preview"
                                 << "写真 2 枚が見つからないか、読み取れません。このまま印刷プレビューを表示しますか？";
    }
    void printAndExportAskFirst()
    {
        QFETCH(QString, command);
        QFETCH(QString, question);
        // One missing photo on page 1, one unreadable on page 2.
        auto f = openAlbum({kShare + R"(\A.JPG)", m_present, "", m_broken});
        FakeServices &services = f->services;
        services.printers = QStringList{"Office"};
        f->form->session().setCurrentPrinter("Office");
        services.onModal = [](QObject &dialog) {
            if (auto *print = qobject_cast<PrintDialog *>(&dialog))
                print->printButton()->click();
        };
        // What each command does when it goes on.
        const auto wentOn = [&] {
            return services.printJobs.size() + services.previews.size() + services.fileRequests.size();
        };
        for (const MessageResult answer : {MessageResult::No, MessageResult::Yes}) {
            services.messages.clear();
            services.messageAnswers.enqueue(answer);
            services.fileAnswers.enqueue(path("out.pdf"));
            const qsizetype before = wentOn();
            f->form->action(command)->trigger();
            QVERIFY(!services.messages.isEmpty());
            QCOMPARE(services.messages[0].text, question);
            QCOMPARE(services.messages[0].buttons, MessageButtons::YesNo);
            QCOMPARE(wentOn() > before, answer == MessageResult::Yes);
            // Asked once: what follows is the report after the job.
            for (int i = 1; i < services.messages.size(); ++i)
                QVERIFY2(!services.messages[i].text.contains("このまま"), qPrintable(services.messages[i].text));
            services.fileAnswers.clear();
        }
        // A page whose photos are all there prints without a question.
        if (command == "oneprint_menu") {
            services.messages.clear();
            f->form->action("photo_review")->trigger();
            f->form->photoReviewWindow()->entryActivated(4);
            QCOMPARE(f->form->currentPage(), 2);
            f->form->document().setPhoto(4, m_present, false, "写真", {2, 0, 0});
            f->form->action(command)->trigger();
            QVERIFY(services.messages.isEmpty());
        }
    }
};

QTEST_MAIN(TestForm1MissingPhotos)
#include "tst_form1_missing_photos.moc"
