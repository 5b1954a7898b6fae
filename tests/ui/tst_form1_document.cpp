// The album's life: start-up with an album, Save and Open with their
// failures, New, the exit question, and the options dialog from the menu.
#include "file_bytes.h"
#include "file_size_limit.h"
#include "form_fixture.h"
#include "io/album_file.h"
#include "io/album_versions.h"
#include "io/safe_write.h"
#include "text/cp932.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

#include <utime.h>

using namespace sorvane;
using namespace sorvane::testing;

using sorvane::testing::fileBytes;
using sorvane::testing::writeFile;

namespace {

CoverData cover()
{
    CoverData c;
    for (int i = 0; i < kCoverFieldCount; ++i)
        c.field(i + 1) = QStringLiteral("表紙%1").arg(i + 1);
    return c;
}

// An album file of `entries` entries titled t1, t2, ...
QString writeAlbum(const QString &path, int entries)
{
    AlbumTable table;
    table.clear();
    for (int i = 1; i <= entries; ++i)
        table.appendEntry(QStringLiteral(" %1").arg(i), QStringLiteral("t%1").arg(i), {}, {});
    if (writeAlbumFile(path, cover(), table).isError())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

bool tryClose(Form1 &form)
{
    QCloseEvent event;
    QApplication::sendEvent(&form, &event);
    return event.isAccepted();
}

} // namespace

class TestForm1Document : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void commandLineSaveOpenAndNew()
    {
        const QString path = writeAlbum(dir.filePath("my album.svd"), 6);
        const QString copy = dir.filePath("copy.svd");
        FormFixture f(QStringLiteral("\"%1\"").arg(path));
        QCOMPARE(f.form->albumPath(), path);
        QVERIFY(f.services.fileRequests.isEmpty() && f.services.messages.isEmpty());
        QVERIFY(f.services.modalDialogs.isEmpty()); // no cover dialog
        QCOMPARE(f.form->pageCount(), 2);
        QVERIFY(!f.form->isSaved()); // showing page 1 filled the boxes

        f.goToPage(2);
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("基礎配筋"));
        f.services.fileAnswers.enqueue(copy);
        f.form->Save();
        QVERIFY(f.form->isSaved());
        const FileDialogRequest save = f.services.fileRequests.last();
        QCOMPARE(save.initialFileName, path);
        QCOMPARE(save.filter.split('|').value(2 * save.filterIndex - 1), QStringLiteral("*.svd"));
        QCOMPARE(save.defaultExtension, QStringLiteral("svd"));
        QVERIFY(save.confirmOverwrite);
        QCOMPARE(fileBytes(copy), serializeAlbum(cover(), f.album().table()));

        // Open replaces table and cover and shows page 1.
        const AlbumTable saved = f.album().table();
        FormFixture::commit(f.form->titleBox(1), QStringLiteral("later"));
        CoverData changed = cover();
        changed.constructionName = QStringLiteral("changed");
        f.form->document().setCover(changed);
        f.services.fileAnswers.enqueue(copy);
        f.services.messageAnswers.enqueue(MessageResult::Yes); // the changes may go
        f.form->Open();
        QVERIFY(!f.services.fileRequests.last().confirmOverwrite);
        QCOMPARE(f.album().table(), saved);
        QCOMPARE(f.album().cover(), cover());
        QVERIFY(!f.album().history().canUndo()); // a new history
        QCOMPARE(f.form->focusWidget(), f.form->titleBox(0));
        QCOMPARE(f.form->currentPage(), 1);
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("t1"));

        // New empties everything, asks for the cover and keeps the album path.
        f.goToPage(2);
        f.form->listWindow()->show();
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("unsaved"));
        f.services.messageAnswers.enqueue(MessageResult::Yes);
        f.form->New();
        QVERIFY(!f.form->listWindow()->isVisible());
        QCOMPARE(f.form->pageCount(), 1);
        QCOMPARE(f.form->currentPage(), 1);
        QCOMPARE(f.form->titleBox(0)->text(), QString());
        QVERIFY(f.album().cover() != cover());
        QCOMPARE(f.album().cover().fiscalYear, QStringLiteral("8")); // a fresh cover of 2026
        QCOMPARE(f.services.modalDialogs.last(), QStringLiteral("sorvane::CoverDialog"));
        f.services.fileAnswers.enqueue(QString());
        f.form->Save();
        QCOMPARE(f.services.fileRequests.last().initialFileName, path);
    }

    // A failed or cancelled Open leaves album, page and saved flag alone; a
    // failure names the file and the reason.
    void failedOpenChangesNothing_data()
    {
        QTest::addColumn<QString>("path"); // "" = cancelled
        QTest::addColumn<QString>("reason");
        QFile cut(dir.filePath("cut.svd"));
        QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(serializeAlbum(cover(), AlbumTable()).chopped(8)) > 0);
        QTest::newRow("cancelled") << QString() << QString();
        QTest::newRow("missing") << dir.filePath("missing.svd") << QStringLiteral("ファイルを開けません（");
        QTest::newRow("ends inside an entry")
            << cut.fileName() << QStringLiteral("ファイルが写真 3 件目の途中（24 行目）で終わっています。");
    }
    void failedOpenChangesNothing()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        FormFixture f;
        f.fill({"a", "b", "c", "d"});
        f.goToPage(2);
        f.form->document().setCover(cover());
        f.services.fileAnswers.enqueue(dir.filePath("before.svd"));
        f.form->Save();
        const AlbumTable before = f.album().table();
        f.services.fileAnswers.enqueue(path);
        f.form->Open();
        const QStringList texts = f.services.takeMessageTexts();
        QCOMPARE(texts.size(), reason.isEmpty() ? 0 : 1);
        const QString heading = QStringLiteral("写真帳ファイルを開けませんでした。\r\n\r\n%1\r\n\r\n").arg(path);
        QVERIFY2(texts.isEmpty() || texts[0].startsWith(heading + reason), qPrintable(texts.value(0)));
        QCOMPARE(f.album().table(), before);
        QCOMPARE(f.form->currentPage(), 2);
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("d"));
        QCOMPARE(f.album().cover(), cover());
        QVERIFY(f.form->isSaved());
    }

    // Characters that could not be read are told once when the album opens,
    // shown as "・", and stay in the file: saved unedited it is the file as it
    // was; with a title typed only that line changes; undone, it is as it was.
    void unreadableCharactersAreToldAndKept()
    {
        const QByteArray windows = fileBytes(QStringLiteral(SORVANE_TEST_DATA "/albums/windows_album.svd"));
        const QString path = writeFile(dir, QStringLiteral("windows.svd"), windows);
        const QString copy = dir.filePath("windows-copy.svd");
        FormFixture f(QStringLiteral("\"%1\"").arg(path));
        const MessageRequest told{
            QStringLiteral("読み取れない文字が 4 か所あります。編集しない限り、保存してもそのまま残ります。"),
            MessageButtons::Ok,
            MessageIcon::Information,
            {}};
        QCOMPARE(f.services.messages, QList<MessageRequest>{told});
        QCOMPARE(f.form->commentBox(2)->toPlainText(), QStringLiteral("不明・の文字\n行末・"));
        QCOMPARE(f.form->titleBox(1)->text(), QStringLiteral("掘削状況 "));

        f.goToPage(2);
        f.goToPage(1);
        f.services.fileAnswers.enqueue(copy);
        f.form->Save();
        QCOMPARE(fileBytes(copy), windows);

        FormFixture::commit(f.form->titleBox(0), QStringLiteral("東"));
        QVERIFY(f.title(1).contains(u'東'));
        f.services.fileAnswers.enqueue(copy);
        f.form->Save();
        QByteArrayList lines = windows.split('\n');
        lines[kCoverFieldCount + 1] = cp932::encode(f.title(1)) + '\r';
        QCOMPARE(fileBytes(copy), lines.join('\n'));

        f.form->undoStep();
        f.services.fileAnswers.enqueue(copy);
        f.form->Save();
        QCOMPARE(fileBytes(copy), windows);
        QCOMPARE(f.services.messages.size(), 1); // told once, at the opening

        // Told again at the next opening; an album read whole tells nothing.
        f.services.fileAnswers.enqueue(path);
        f.form->Open();
        QCOMPARE(f.services.messages.size(), 2);
        QCOMPARE(f.services.messages.last(), told);
        f.services.fileAnswers.enqueue(writeAlbum(dir.filePath("readable.svd"), 3));
        f.form->Open();
        QCOMPARE(f.services.messages.size(), 2);
    }

    void shortAlbumIsCompletedToOnePage()
    {
        FormFixture f(writeAlbum(dir.filePath("short.svd"), 1));
        QCOMPARE(f.album().rowCount(), 3);
        QCOMPARE(f.album().pageCount(), 1);
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("t1"));
        QCOMPARE(f.form->numberBox(2)->text(), QStringLiteral("No. 3"));
    }

    void failedSaveKeepsTheFileAndTheFlag()
    {
        FormFixture f;
        f.fill(QStringList(903));
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("x"));
        // A save cut short by a full disk (a file size limit here).
        const QString path = writeAlbum(dir.filePath("keep.svd"), 3);
        const QByteArray before = fileBytes(path);
        f.services.fileAnswers.enqueue(path);
        withFileSizeLimit(2048, [&] { f.form->Save(); });
        QVERIFY(!f.form->isSaved());
        QCOMPARE(fileBytes(path), before);
        const QStringList texts = f.services.takeMessageTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts[0].startsWith(QStringLiteral("写真帳ファイルを保存できませんでした。\r\n\r\n") + path));

        f.services.fileAnswers.enqueue(QString()); // cancelled: nothing happens
        f.form->Save();
        QVERIFY(f.services.messages.isEmpty());
        QVERIFY(!f.form->isSaved());
    }

    // Save keeps the file as it was in the state folder, never beside it; a
    // version that cannot be kept is told, and the album is saved all the same.
    void saveKeepsThePreviousVersion()
    {
        QVERIFY(QDir().mkpath(dir.filePath("kept")));
        const QString path = writeAlbum(dir.filePath("kept/site.svd"), 3);
        const QByteArray before = fileBytes(path);
        FormFixture f(QStringLiteral("\"%1\"").arg(path));
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("after"));
        f.services.fileAnswers.enqueue(path);
        f.form->Save();
        QVERIFY(f.form->isSaved());
        QVERIFY(f.services.messages.isEmpty());
        const QStringList kept = albumVersions(path, albumVersionsDirectory(f.services.stateDir));
        QCOMPARE(kept.size(), 1);
        QCOMPARE(fileBytes(kept[0]), before);
        QCOMPARE(fileBytes(path), serializeAlbum(cover(), f.album().table()));
        QCOMPARE(f.title(1), QStringLiteral("t1after"));
        // Beside the album: only the album and the lock of the open album.
        QCOMPARE(QDir(dir.filePath("kept")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({".site.svd.sorvane-lock", "site.svd"}));

        f.services.stateDir = path + QStringLiteral("/state"); // under a file: cannot be made
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("again"));
        f.services.fileAnswers.enqueue(path);
        f.form->Save();
        QVERIFY(f.form->isSaved());
        QCOMPARE(fileBytes(path), serializeAlbum(cover(), f.album().table()));
        const QStringList texts = f.services.takeMessageTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(QStringLiteral("写真帳ファイルを保存しましたが、保存前の内容を前の版として"
                                                    "残せませんでした。\r\n\r\n") +
                                     path + QStringLiteral("\r\n\r\nthe folder ")),
                 qPrintable(texts[0]));
    }

    void openRemovesTemporaryFilesOfKilledSaves()
    {
        QVERIFY(QDir().mkpath(dir.filePath("killed")));
        const QString path = writeAlbum(dir.filePath("killed/site.svd"), 3);
        const QString stale = dir.filePath("killed/") + saveFilePrefix("site.svd") + "k1LLed";
        QFile file(stale);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("half an album") > 0);
        file.close();
        const utimbuf anHourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
        QCOMPARE(::utime(QFile::encodeName(stale).constData(), &anHourAgo), 0);
        FormFixture f;
        f.services.fileAnswers.enqueue(path);
        f.form->Open();
        QCOMPARE(f.title(1), QStringLiteral("t1"));
        QVERIFY(!QFileInfo::exists(stale));
    }

    void exitAsksOnlyWhenSomethingChanged()
    {
        FormFixture f;
        QVERIFY(tryClose(*f.form));
        QVERIFY(f.services.messages.isEmpty());

        FormFixture::commit(f.form->titleBox(0), QStringLiteral("x"));
        f.services.messageAnswers.enqueue(MessageResult::No);
        QVERIFY(!tryClose(*f.form));
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(f.title(1), QStringLiteral("x"));
        f.services.messageAnswers.enqueue(MessageResult::Yes);
        QVERIFY(tryClose(*f.form));

        f.services.fileAnswers.enqueue(dir.filePath("exit.svd"));
        f.form->Save();
        f.services.messageAnswers.enqueue(MessageResult::No);
        QVERIFY(tryClose(*f.form));
        QCOMPARE(f.services.messages.size(), 2);
        // The cover dialog from the menu counts as a change.
        f.form->action("file_header")->trigger();
        QCOMPARE(f.services.modalDialogs.last(), QStringLiteral("sorvane::CoverDialog"));
        QVERIFY(!f.form->isSaved());
    }

    void optionsFromTheMenu()
    {
        FormFixture f;
        f.services.onModal = [](QObject &dialog) {
            if (auto *options = qobject_cast<OptionsDialog *>(&dialog)) {
                options->topMarginBox()->setText(QStringLiteral("7.5"));
                options->tabs()->setCurrentIndex(1); // the button lives on the second tab
                options->listButton()->click();
                options->okButton()->click();
            }
        };
        f.form->action("option_edit")->trigger();
        QCOMPARE(f.services.modalDialogs.last(), QStringLiteral("sorvane::OptionsDialog"));
        QCOMPARE(f.form->session().settingsForJob().topMargin, 8);
        QCOMPARE(f.form->session().topMarginText(), QStringLiteral("8"));
        QVERIFY(f.form->listWindow()->isVisible());
        QTRY_VERIFY(!f.form->isOptionsDialogLoaded()); // closing unloads it
        QCOMPARE(f.form->optionsDialog()->topMarginBox()->text(), QStringLiteral("8"));
    }
};

QTEST_MAIN(TestForm1Document)
#include "tst_form1_document.moc"
