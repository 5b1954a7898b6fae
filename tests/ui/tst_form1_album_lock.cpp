// An album another Sorvane has open: the question when opening it and its
// three answers, Save refused onto an album opened read-only, and the lock
// going with the album through Open, Save under another name, New and Exit.
// "Another Sorvane" here is a lock file naming another machine, whose lock
// always stands.
#include "file_bytes.h"
#include "form_fixture.h"
#include "io/album_file.h"
#include "io/album_lock.h"
#include "io/album_versions.h"

#include <QCloseEvent>
#include <QFile>
#include <QTemporaryDir>

using namespace sorvane;
using namespace sorvane::testing;

using sorvane::testing::fileBytes;

namespace {

QString writeAlbum(const QString &path, const QString &firstTitle)
{
    AlbumTable table;
    table.clear();
    for (int i = 1; i <= 3; ++i)
        table.appendEntry(QStringLiteral(" %1").arg(i), i == 1 ? firstTitle : QStringLiteral("t%1").arg(i), {}, {});
    if (writeAlbumFile(path, CoverData(), table).isError())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// tanaka on office-pc has the album open.
QByteArray lockByTanaka(const QString &album)
{
    const QByteArray text = lockFileText(
        LockOwner{QStringLiteral("tanaka"), QStringLiteral("office-pc"), 4711, QDateTime::currentDateTimeUtc()});
    QFile f(lockFilePath(album));
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        qFatal("cannot write the lock of %s", qPrintable(album));
    return text;
}

// Whether the album's lock file names this process.
bool lockedByUs(const QString &album)
{
    const std::optional<LockOwner> owner = parseLockFile(fileBytes(lockFilePath(album)));
    return owner && owner->pid == thisProcess().pid && owner->host == thisProcess().host;
}

// Open with `path` chosen in the dialog. A shown album counts as changed
// (its boxes were refilled), so the question before discarding it is
// answered Yes and taken off the messages.
void openFrom(FormFixture &f, const QString &path)
{
    const bool asks = !f.form->isSaved();
    if (asks)
        f.services.messageAnswers.enqueue(MessageResult::Yes);
    f.services.fileAnswers.enqueue(path);
    f.form->Open();
    if (asks)
        f.services.messages.removeFirst();
}

bool tryClose(Form1 &form)
{
    QCloseEvent event;
    QApplication::sendEvent(&form, &event);
    return event.isAccepted();
}

const QString kInUse = QStringLiteral("この写真帳はtanakaさん（office-pc）が開いています。");

} // namespace

class TestForm1AlbumLock : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int serial = 0;
    // A fresh album file for each test, so that no lock is left over.
    QString freshAlbum(const QString &firstTitle)
    {
        return writeAlbum(dir.filePath(QStringLiteral("album%1.svd").arg(++serial)), firstTitle);
    }

private slots:
    void lockGoesWithTheAlbum()
    {
        const QString a = freshAlbum("a1");
        const QString b = freshAlbum("b1");
        FormFixture f(QStringLiteral("\"%1\"").arg(a));
        QVERIFY(lockedByUs(a));
        QVERIFY(f.form->albumLock().holds(a));

        // Opening another album moves the lock; a failed or cancelled Open
        // keeps the album and its lock and leaves no lock behind.
        openFrom(f, b);
        QVERIFY(lockedByUs(b));
        QVERIFY(!QFile::exists(lockFilePath(a)));
        const QString missing = dir.filePath("missing.svd");
        openFrom(f, missing);
        QCOMPARE(f.services.takeMessageTexts().size(), 1);
        QVERIFY(!QFile::exists(lockFilePath(missing)));
        openFrom(f, QString());
        QVERIFY(lockedByUs(b));
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("b1"));

        // The album it holds, opened again: no question, and it keeps its lock.
        openFrom(f, b);
        QVERIFY(f.services.choiceRequests.isEmpty());
        QVERIFY(lockedByUs(b));

        // Saved under a new name, the album belongs to the new file.
        const QString c = dir.filePath("saved as.svd");
        f.services.fileAnswers.enqueue(c);
        f.form->Save();
        QVERIFY(f.form->isSaved());
        QVERIFY(lockedByUs(c));
        QVERIFY(!QFile::exists(lockFilePath(b)));
        // Saved again onto its own file, it keeps the lock.
        f.services.fileAnswers.enqueue(c);
        f.form->Save();
        QVERIFY(lockedByUs(c));

        f.form->New();
        QVERIFY(!QFile::exists(lockFilePath(c)));
        QVERIFY(!f.form->albumLock().isHeld());

        // Exit gives it back once the exit question is answered Yes.
        openFrom(f, a);
        QVERIFY(lockedByUs(a));
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("x"));
        f.services.messageAnswers.enqueue(MessageResult::No);
        QVERIFY(!tryClose(*f.form));
        QVERIFY(lockedByUs(a));
        f.services.messageAnswers.enqueue(MessageResult::Yes);
        QVERIFY(tryClose(*f.form));
        QVERIFY(!QFile::exists(lockFilePath(a)));
    }

    // Where no lock can be made, the album opens without one and without a
    // word. Here the lock's name would be longer than the file system takes
    // (the album's own name just fits); the save's temporary file cannot be
    // made either, so Save rewrites the file in place after keeping the
    // previous version.
    void albumWithoutAPossibleLockOpensSilently()
    {
        const QString album = dir.filePath(QString(80, u'写') + QStringLiteral(".svd")); // 244 bytes
        AlbumTable table;
        table.clear();
        table.appendEntry(QStringLiteral(" 1"), QStringLiteral("long"), {}, {});
        {
            QFile file(album); // written directly: no temporary file fits beside it
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(serializeAlbum(CoverData(), table));
        }
        FormFixture f(QStringLiteral("\"%1\"").arg(album));
        QCOMPARE(f.form->titleBox(0)->text(), QStringLiteral("long"));
        QVERIFY(f.services.choiceRequests.isEmpty());
        QVERIFY(f.services.messages.isEmpty());
        QVERIFY(!f.form->albumLock().isHeld());
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("er"));
        f.services.fileAnswers.enqueue(album);
        f.form->Save();
        QVERIFY(f.services.messages.isEmpty());
        QVERIFY(f.form->isSaved());
        QCOMPARE(readAlbumFile(album).album.table.text(1, AlbumTable::Title), QStringLiteral("longer"));
        // The version kept has a shortened name.
        const QStringList kept = albumVersions(album, albumVersionsDirectory(f.services.stateDir));
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readAlbumFile(kept[0]).album.table.text(1, AlbumTable::Title), QStringLiteral("long"));
    }

    void questionAndItsAnswers_data()
    {
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<int>("answer"); // -1: Escape (no answer queued)
        for (bool commandLine : {false, true}) {
            const char *from = commandLine ? "command line, " : "dialog, ";
            QTest::newRow(QByteArray(from).append("read-only")) << commandLine << 0;
            QTest::newRow(QByteArray(from).append("anyway")) << commandLine << 1;
            QTest::newRow(QByteArray(from).append("cancel")) << commandLine << 2;
            QTest::newRow(QByteArray(from).append("escape")) << commandLine << -1;
        }
    }
    void questionAndItsAnswers()
    {
        QFETCH(bool, fromCommandLine);
        QFETCH(int, answer);
        const QString theirs = freshAlbum("theirs");
        const QByteArray theirLock = lockByTanaka(theirs);
        const QByteArray theirBytes = fileBytes(theirs);
        const QString mine = freshAlbum("mine");

        const auto queueAnswer = [answer](FakeServices &services) {
            if (answer >= 0)
                services.choiceAnswers.enqueue(answer);
        };
        std::unique_ptr<FormFixture> f;
        if (fromCommandLine) {
            f = std::make_unique<FormFixture>(QStringLiteral("\"%1\"").arg(theirs), QString(), queueAnswer);
        } else {
            f = std::make_unique<FormFixture>(QStringLiteral("\"%1\"").arg(mine));
            queueAnswer(f->services);
            openFrom(*f, theirs);
        }
        QCOMPARE(f->services.choiceRequests.size(), 1);
        const ChoiceRequest question = f->services.choiceRequests[0];
        QCOMPARE(question.text, kInUse);
        QCOMPARE(question.choices, QStringList({"読み取り専用で開く", "それでも開く", "キャンセル"}));
        QCOMPARE(question.escapeChoice, 2);
        // Whatever the answer, tanaka's lock stays tanaka's.
        QCOMPARE(fileBytes(lockFilePath(theirs)), theirLock);

        if (answer != 0 && answer != 1) {
            // Cancelled: the album in hand (the fresh one at start-up) stays.
            QCOMPARE(f->form->titleBox(0)->text(), fromCommandLine ? QString() : QStringLiteral("mine"));
            QCOMPARE(f->form->albumLock().isHeld(), !fromCommandLine);
            QCOMPARE(lockedByUs(mine), !fromCommandLine);
            QVERIFY(f->services.messages.isEmpty());
            return;
        }
        QCOMPARE(f->form->titleBox(0)->text(), QStringLiteral("theirs"));
        QVERIFY(!f->form->albumLock().isHeld());
        QVERIFY(!QFile::exists(lockFilePath(mine))); // the album before gave its lock back
        FormFixture::commit(f->form->titleBox(0), QStringLiteral("edited"));
        QCOMPARE(f->title(1), QStringLiteral("theirsedited"));

        f->services.fileAnswers.enqueue(theirs);
        f->form->Save();
        if (answer == 1) {
            // Opened anyway: it saves onto the file, and tanaka's lock stands.
            QVERIFY(f->services.messages.isEmpty());
            QVERIFY(f->form->isSaved());
            QCOMPARE(readAlbumFile(theirs).album.table.text(1, AlbumTable::Title), QStringLiteral("theirsedited"));
            QCOMPARE(fileBytes(lockFilePath(theirs)), theirLock);
            return;
        }
        // Read-only: Save onto the file is refused and writes nothing.
        if (fromCommandLine)
            QCOMPARE(f->services.fileRequests.last().initialFileName, theirs);
        QCOMPARE(f->services.takeMessageTexts(),
                 QStringList{"この写真帳は読み取り専用で開いています。別の名前で保存してください。"});
        QCOMPARE(fileBytes(theirs), theirBytes);
        QVERIFY(!f->form->isSaved());

        // Saved under another name, it is the new file's album, and not
        // read-only any more.
        const QString other = dir.filePath(QStringLiteral("other%1.svd").arg(++serial));
        f->services.fileAnswers.enqueue(other);
        f->form->Save();
        QVERIFY(f->services.messages.isEmpty());
        QVERIFY(f->form->isSaved());
        QVERIFY(lockedByUs(other));
        QVERIFY(f->form->readOnlyFile().isEmpty());
        QCOMPARE(readAlbumFile(other).album.table.text(1, AlbumTable::Title), QStringLiteral("theirsedited"));
        FormFixture::commit(f->form->titleBox(0), QStringLiteral("again"));
        f->services.fileAnswers.enqueue(other);
        f->form->Save();
        QVERIFY(f->form->isSaved());
        QCOMPARE(readAlbumFile(other).album.table.text(1, AlbumTable::Title), QStringLiteral("theirseditedagain"));

        // tanaka's album is still not ours to write.
        f->services.fileAnswers.enqueue(theirs);
        f->form->Save();
        const QStringList texts = f->services.takeMessageTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(kInUse + QStringLiteral("\r\n")), qPrintable(texts[0]));
        QCOMPARE(fileBytes(theirs), theirBytes);
        QVERIFY(lockedByUs(other));
    }
};

QTEST_MAIN(TestForm1AlbumLock)
#include "tst_form1_album_lock.moc"
