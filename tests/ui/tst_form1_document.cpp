// The album's life: start-up with and without an album, Save and Open with
// their failures, New, and the exit question.
#include "file_size_limit.h"
#include "form_fixture.h"
#include "io/album_file.h"

#include <QAbstractItemModel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

CoverData cover()
{
    CoverData c;
    for (int i = 0; i < kCoverFieldCount; ++i)
        c[size_t(i)] = QStringLiteral("表紙%1").arg(i + 1);
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

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    void commandLineOpensTheAlbum()
    {
        const QString path = writeAlbum(dir.filePath("my album.svd"), 4);
        FormFixture f(QStringLiteral("\"%1\"").arg(path));
        QCOMPARE(f.form->albumPath(), path);
        QVERIFY(!f.form->commandLineOpenPending());
        QVERIFY(f.services.fileRequests.isEmpty());
        QVERIFY(f.services.modalDialogs.isEmpty()); // no cover dialog
        QVERIFY(f.services.messages.isEmpty());
        QCOMPARE(f.form->coverDialog()->fields(), cover());
        QCOMPARE(f.form->table().count(), 4);
        QCOMPARE(f.form->pageCount(), 1);
        QCOMPARE(f.form->titleBox(2)->text(), QStringLiteral("t3"));
        QVERIFY(!f.form->isSaved()); // showing page 1 filled the boxes
    }

    void saveAndOpenRoundTrip()
    {
        FormFixture f;
        f.form->coverDialog()->setFields(cover());
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("基礎配筋"));
        f.form->table().setText(2, AlbumTable::Comment, QStringLiteral("一行目\r\n二行目"));
        f.form->table().setText(3, AlbumTable::PhotoPath, QStringLiteral("/photos/c.jpg"));
        const QString path = dir.filePath("round.svd");
        f.services.fileAnswers.enqueue(path);
        f.form->Save();
        QVERIFY(f.form->isSaved());
        const FileDialogRequest &request = f.services.fileRequests.last();
        QCOMPARE(request.filter, QStringLiteral("すべてのファイル (*.*)|*.*|SORVANE ファイル (*.svd)|*.svd"));
        QCOMPARE(request.filterIndex, 2);
        QCOMPARE(request.defaultExtension, QStringLiteral("svd"));
        QVERIFY(request.confirmOverwrite);
        QCOMPARE(fileBytes(path), serializeAlbum(cover(), f.form->table()));
        QVERIFY(fileBytes(path).contains("\x8A\xEE\x91\x62\x94\x7A\x8B\xD8\r\n")); // 基礎配筋 in code page 932

        const AlbumTable saved = f.form->table();
        f.form->New();
        QCOMPARE(f.form->table().count(), 3);
        QVERIFY(f.form->coverDialog()->fields() != cover());
        f.services.fileAnswers.enqueue(path);
        f.form->Open();
        QCOMPARE(f.services.fileRequests.last().filterIndex, 2);
        QVERIFY(!f.services.fileRequests.last().confirmOverwrite);
        QCOMPARE(f.form->table(), saved);
        QCOMPARE(f.form->coverDialog()->fields(), cover());
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("基礎配筋"));
    }

    void failedOpenLeavesTheAlbumAsItWas_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QByteArray cut = serializeAlbum(cover(), AlbumTable());
        cut.chop(8);
        QTest::newRow("ends inside an entry")
            << cut << QStringLiteral("ファイルが写真 3 件目の途中（24 行目）で終わっています。");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0", 10)
                                << QStringLiteral("写真帳ファイルではありません（テキストファイルではありません）。");
    }
    void failedOpenLeavesTheAlbumAsItWas()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = dir.filePath("broken.svd");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        FormFixture f;
        f.fill({"a", "b", "c", "d"});
        f.goToPage(2);
        f.form->coverDialog()->setFields(cover());
        const AlbumTable before = f.form->table();
        const bool savedBefore = f.form->isSaved();
        f.services.fileAnswers.enqueue(path);
        f.form->Open();
        QCOMPARE(f.services.messages.size(), 1);
        const QStringList lines = f.services.messages[0].text.split("\r\n");
        QCOMPARE(lines, QStringList({"写真帳ファイルを開けませんでした。", "", path, "", reason}));
        QCOMPARE(f.form->table(), before);
        QCOMPARE(f.form->currentPage(), 2);
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("d"));
        QCOMPARE(f.form->coverDialog()->fields(), cover());
        QCOMPARE(f.form->isSaved(), savedBefore);
    }

    void cancelledAndUnreadableOpen()
    {
        FormFixture f;
        f.fill({"a"});
        f.services.fileAnswers.enqueue(QString());
        f.form->Open();
        QVERIFY(f.services.messages.isEmpty());
        QCOMPARE(f.title(1), QStringLiteral("a"));

        f.services.fileAnswers.enqueue(dir.filePath("missing.svd"));
        f.form->Open();
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.contains(QStringLiteral("ファイルを開けません")));
        QCOMPARE(f.title(1), QStringLiteral("a"));
    }

    void fewerThanThreeEntriesStillMakeAPage()
    {
        for (int entries : {0, 1}) {
            const QString path = writeAlbum(dir.filePath(QStringLiteral("short%1.svd").arg(entries)), entries);
            FormFixture f(path);
            QCOMPARE(f.form->table().count(), 3);
            QCOMPARE(f.form->pageCount(), 1);
            QCOMPARE(f.form->table().text(3, AlbumTable::Number), QStringLiteral(" 3"));
            QCOMPARE(f.form->numberBox(2)->text(), QStringLiteral("No. 3"));
        }
    }

    void failedSaveKeepsTheFlagAndTheFile()
    {
        FormFixture f;
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("x"));
        f.services.fileAnswers.enqueue(dir.filePath("no/such/folder/a.svd"));
        f.form->Save();
        QVERIFY(!f.form->isSaved());
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.startsWith(QStringLiteral("写真帳ファイルを保存できませんでした。")));
        QVERIFY(f.services.messages[0].text.contains(QStringLiteral("元のファイルは変更されていません")));

        // A save cut short by a full disk (a file size limit here) keeps the
        // previous file.
        const QString path = writeAlbum(dir.filePath("keep.svd"), 3);
        const QByteArray before = fileBytes(path);
        for (int i = 0; i < 300; ++i)
            f.form->table().appendPage();
        f.services.fileAnswers.enqueue(path);
        withFileSizeLimit(2048, [&] { f.form->Save(); });
        QVERIFY(!f.form->isSaved());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(f.services.messages.size(), 2);

        // A folder without write permission (root may write anywhere, so the
        // check needs an ordinary user).
        if (geteuid() != 0) {
            const QString locked = dir.filePath("locked");
            QVERIFY(QDir().mkpath(locked));
            QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            f.services.fileAnswers.enqueue(locked + "/a.svd");
            f.form->Save();
            QVERIFY(!f.form->isSaved());
            QCOMPARE(f.services.messages.size(), 3);
            f.services.messages.removeLast();
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }

        f.services.fileAnswers.enqueue(QString()); // cancelled: nothing happens
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 2);
    }

    void exitAsksOnlyWhenSomethingChanged()
    {
        FormFixture f;
        QVERIFY(tryClose(*f.form));
        QVERIFY(f.services.messages.isEmpty());

        FormFixture g;
        FormFixture::commit(g.form->titleBox(0), QStringLiteral("x"));
        g.services.messageAnswers.enqueue(MessageResult::No);
        QVERIFY(!tryClose(*g.form));
        QCOMPARE(g.services.messages.size(), 1);
        const MessageRequest &question = g.services.messages[0];
        QCOMPARE(question.text, QStringLiteral("終了しますか？"));
        QCOMPARE(question.caption, QStringLiteral("Sorvane"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.icon, MessageIcon::None);
        QCOMPARE(g.title(1), QStringLiteral("x"));
        g.services.messageAnswers.enqueue(MessageResult::Yes);
        QVERIFY(tryClose(*g.form));

        // Saved: no question. The cover dialog from the menu: a question.
        FormFixture h;
        FormFixture::commit(h.form->titleBox(0), QStringLiteral("x"));
        h.services.fileAnswers.enqueue(dir.filePath("exit.svd"));
        h.form->Save();
        QVERIFY(tryClose(*h.form));
        QVERIFY(h.services.messages.isEmpty());
        h.form->action("file_header")->trigger();
        QCOMPARE(h.services.modalDialogs.last(), QStringLiteral("sorvane::CoverDialog"));
        QVERIFY(!h.form->isSaved());
    }

    void optionsAndTheListWindow()
    {
        FormFixture f;
        f.services.onModal = [](QDialog &dialog) {
            if (auto *options = qobject_cast<OptionsDialog *>(&dialog)) {
                options->topMarginBox()->setText(QStringLiteral("7.5"));
                options->leftMarginBox()->setText(QStringLiteral("12abc"));
                options->tabs()->setCurrentIndex(1); // the button lives on the second tab
                options->listButton()->click();
                options->okButton()->click();
            }
        };
        f.form->action("option_edit")->trigger();
        QCOMPARE(f.services.modalDialogs.last(), QStringLiteral("sorvane::OptionsDialog"));
        QCOMPARE(f.form->printOptions().topMargin, qint16(8));
        QCOMPARE(f.form->printOptions().leftMargin, qint16(12));
        QVERIFY(f.form->listWindow()->isVisible());
        QTRY_VERIFY(!f.form->isOptionsDialogLoaded()); // closing unloads it
        QCOMPARE(f.form->optionsDialog()->topMarginBox()->text(), QStringLiteral("8"));

        // The list window shows the table as it is now; closing only hides it.
        FormFixture::commit(f.form->titleBox(1), QStringLiteral("題"));
        f.form->listWindow()->refresh();
        QCOMPARE(f.form->listWindow()->listView()->model()->index(1, 2).data().toString(), QStringLiteral("題"));
        f.form->listWindow()->close();
        QVERIFY(!f.form->listWindow()->isVisible());
        QCOMPARE(f.title(2), QStringLiteral("題"));
    }

    void newKeepsTheAlbumPath()
    {
        const QString path = writeAlbum(dir.filePath("again.svd"), 6);
        FormFixture f(path);
        f.form->listWindow()->show();
        f.form->coverDialog()->setField(3, QStringLiteral("changed"));
        f.form->New();
        QVERIFY(!f.form->listWindow()->isVisible());
        QCOMPARE(f.form->table().count(), 3);
        QCOMPARE(f.form->pageCount(), 1);
        QCOMPARE(f.form->titleBox(0)->text(), QString());
        QVERIFY(f.form->coverDialog()->field(3) != QStringLiteral("changed"));
        QCOMPARE(f.services.modalDialogs.last(), QStringLiteral("sorvane::CoverDialog"));
        f.services.fileAnswers.enqueue(QString());
        f.form->Save();
        QCOMPARE(f.services.fileRequests.last().initialFileName, path);
    }
};

QTEST_MAIN(TestForm1Document)
#include "tst_form1_document.moc"
