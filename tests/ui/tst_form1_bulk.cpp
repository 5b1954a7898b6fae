// Photos in bulk in the main window: the import from its dialog and from a
// drop onto the window, its cancel, the skipped list, its undo; the sort by
// shooting date; and what a photo box's tool tip tells.
#include "exif_photos.h"
#include "form_fixture.h"
#include "io/album_file.h"

#include <QDir>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// Sends a drag of `files` over `target` at `pos` and drops it there.
void dropFiles(QWidget *target, QPoint pos, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(pos, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
}

} // namespace

class TestForm1Bulk : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_card; // a camera card: four photos, a note and a broken photo
    QStringList m_byDate;
    QString m_broken;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QByteArray albumBytes(const FormFixture &f) const { return serializeAlbum(f.album().cover(), f.album().table()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_card = path("card");
        QVERIFY(QDir().mkpath(m_card + "/DCIM/101"));
        // Named against their shooting order; two share a time.
        const std::pair<const char *, const char *> shots[] = {{"DCIM/A.jpg", "2026:10:05 14:00:00"},
                                                               {"DCIM/101/B.jpg", "2026:10:05 09:00:00"},
                                                               {"DCIM/C.jpg", "2026:10:05 11:00:00"},
                                                               {"DCIM/D.jpg", "2026:10:05 11:00:00"}};
        for (const auto &[name, when] : shots)
            exifPhoto(m_card + "/" + name, {{"Exif.Photo.DateTimeOriginal", when}});
        m_byDate = QStringList{"DCIM/101/B.jpg", "DCIM/C.jpg", "DCIM/D.jpg", "DCIM/A.jpg"};
        for (QString &p : m_byDate)
            p = m_card + "/" + p;
        QFile note(m_card + "/readme.txt");
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("site notes\n");
        note.close();
        m_broken = m_card + "/DCIM/broken.jpg";
        QFile broken(m_broken);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\xFF\xD8\xFF\xE0 not really");
        broken.close();
    }

    // From the dialog into the middle of an album: the entries from the
    // selected slot on move back with their texts, numbers stay with their
    // rows, pages grow, one step undoes all of it.
    void importIntoTheMiddleIsOneStep()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        f.fill({"一", "二", "三", "四", "五", "六"}, {{5, "五の説明"}});
        f.goToPage(2);
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        QCOMPARE(f.form->selectedSlot(), 1);
        const QByteArray before = albumBytes(f);

        f.services.filesOrFolderAnswers.enqueue({m_card});
        f.form->action("bulk_import")->trigger();
        QCOMPARE(f.services.fileRequests.last().filterIndex, 1);
        QVERIFY(f.services.fileRequests.last().filter.startsWith("すべてのファイル (*.*)|*.*|"));

        // Rows 5..8 hold the photos in shooting order; 五 and 六 follow.
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(f.photo(5 + i), m_byDate[i]);
            QVERIFY(f.title(5 + i).isEmpty());
        }
        QCOMPARE(f.title(9), QStringLiteral("五"));
        QCOMPARE(f.comment(9), QStringLiteral("五の説明"));
        QCOMPARE(f.title(10), QStringLiteral("六"));
        QCOMPARE(f.album().entry(9).number, QStringLiteral(" 9"));
        QCOMPARE(f.album().pageCount(), 4);
        QVERIFY(f.album().entry(12).isEmpty());
        QCOMPARE(f.form->currentPage(), 2);
        QCOMPARE(f.form->titleBox(1)->text(), QString());
        QVERIFY(!f.form->photoBox(1)->picture().isNull());

        // The files left out, once, at the end, with their reasons.
        const QStringList messages = f.services.takeMessageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith("取り込めなかったファイル: 2 件"), qPrintable(messages[0]));
        QVERIFY(messages[0].contains(m_card + "/readme.txt（写真のファイルではありません）"));
        QVERIFY(messages[0].contains(m_broken));
        QVERIFY(!f.services.progressSteps.isEmpty());
        QCOMPARE(f.services.progressSteps.last(), (QPair<int, int>(6, 6)));

        QCOMPARE(f.album().history().count(), 1);
        f.form->action("edit_undo")->trigger();
        QCOMPARE(albumBytes(f), before);
        QCOMPARE(f.album().pageCount(), 2);
        QCOMPARE(f.form->titleBox(1)->text(), QStringLiteral("五"));
    }

    // Cancel in the progress window, or in the dialog: the album as it was,
    // no step, no message.
    void cancelLeavesTheAlbumAlone()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        f.fill({"一", "二", "三"});
        const QByteArray before = albumBytes(f);
        f.services.cancelProgressAt = 3;
        f.services.filesOrFolderAnswers.enqueue({m_card});
        f.form->action("bulk_import")->trigger();
        f.services.filesOrFolderAnswers.enqueue({});
        f.form->action("bulk_import")->trigger();
        QCOMPARE(albumBytes(f), before);
        QCOMPARE(f.album().history().count(), 0);
        QVERIFY(f.services.messages.isEmpty());
        QCOMPARE(f.services.progressTexts.size(), 1);
        QVERIFY(f.services.progressSteps.size() <= 4);
    }

    // Several files dropped onto the window outside the photo boxes import;
    // onto a photo box they get the box's own message and nothing moves.
    void dropsOntoTheWindowImport()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        f.fill({"一", "二", "三"});
        const QStringList two{m_byDate[3], m_byDate[0]};

        dropFiles(f.form->photoBox(0), f.form->photoBox(0)->rect().center(), two);
        QCOMPARE(f.services.takeMessageTexts(),
                 QStringList{"複数のファイルがドロップされました.\r\nドラッグをやり直してください."});
        QCOMPARE(f.album().history().count(), 0);

        QTest::mouseClick(f.form->photoBox(2), Qt::LeftButton);
        dropFiles(f.form->surface(), QPoint(268, 300), two);
        QCOMPARE(f.photo(3), m_byDate[0]);
        QCOMPARE(f.photo(4), m_byDate[3]);
        QCOMPARE(f.title(5), QStringLiteral("三"));
        QVERIFY(f.services.takeMessageTexts().isEmpty());

        // A title box takes a drop of files as the window does, not as text.
        dropFiles(f.form->titleBox(0), QPoint(5, 5), {m_byDate[1]});
        QCOMPARE(f.title(1), QStringLiteral("一"));
        QCOMPARE(f.photo(3), m_byDate[1]);
        QCOMPARE(f.album().history().count(), 2);
    }

    void sortByDateIsOneStep()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        f.fill({"A", "メモ", "B", "C", "", ""}, {}, {{1, m_byDate[3]}, {3, m_byDate[0]}, {4, m_byDate[1]}});
        const QByteArray before = albumBytes(f);
        f.form->action("sort_by_date")->trigger();
        QCOMPARE(f.photo(1), m_byDate[0]);
        QCOMPARE(f.photo(2), m_byDate[1]);
        QCOMPARE(f.photo(3), m_byDate[3]);
        QCOMPARE(f.title(4), QStringLiteral("メモ")); // behind its photo
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("B"));
        QCOMPARE(f.album().history().undoText(), QStringLiteral("撮影日順に並べ替え"));
        f.form->action("sort_by_date")->trigger(); // in order now: no step
        QCOMPARE(f.album().history().count(), 1);
        f.form->action("edit_undo")->trigger();
        QCOMPARE(albumBytes(f), before);
    }

    void toolTipsTellAboutThePhoto()
    {
        FormFixture f;
        f.services.useRealLoader = true;
        const QString missing = path("gone/IMG_9.JPG");
        f.fill({"a", "b", "c"}, {}, {{1, m_byDate[0]}, {2, missing}, {3, m_broken}});
        const QString tip = f.form->photoToolTip(0);
        const QStringList lines = tip.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("B.jpg"));
        QCOMPARE(lines.value(1), QStringLiteral("フォルダ: ") + m_card + "/DCIM/101");
        QCOMPARE(lines.value(2), QStringLiteral("撮影日時: 2026/10/05 09:00:00（EXIF の撮影日時）"));
        QCOMPARE(lines.value(3), QStringLiteral("大きさ: 64 × 48 ピクセル"));
        QVERIFY2(
            lines.value(4).startsWith("ファイルの大きさ: ") &&
                lines.value(4).contains(QLocale(QLocale::Japanese).toString(QFileInfo(m_byDate[0]).size()) + " バイト"),
            qPrintable(tip));
        QVERIFY(f.form->photoToolTip(1).endsWith("表示できません: ファイルが見つかりません"));
        QVERIFY2(f.form->photoToolTip(2).contains("表示できません: 写真のデータが"),
                 qPrintable(f.form->photoToolTip(2)));

        // The box shows it on hovering; an empty slot shows none.
        PhotoBox *box = f.form->photoBox(0);
        QHelpEvent help(QEvent::ToolTip, box->rect().center(), box->mapToGlobal(box->rect().center()));
        QApplication::sendEvent(box, &help);
        QTRY_COMPARE(QToolTip::text(), tip);
        f.form->DeletePhoto(0);
        QCOMPARE(f.form->photoToolTip(0), QString());
    }
};

QTEST_MAIN(TestForm1Bulk)
#include "tst_form1_bulk.moc"
