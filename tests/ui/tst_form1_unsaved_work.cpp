// Unsaved work in the main window: New and Open ask before they throw it
// away, Save asks before it overwrites a file someone else changed, and a
// run that ended without saving leaves a recovery copy that the next start
// offers.
#include "file_bytes.h"
#include "form_fixture.h"
#include "io/album_file.h"
#include "io/album_lock.h"
#include "io/file_state.h"
#include "io/recovery_copies.h"
#include "ui/main/recovery_keeper.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <utime.h>

using namespace sorvane;
using namespace sorvane::testing;

using sorvane::testing::fileBytes;

namespace {

const QString kDiscardQuestion = QStringLiteral("保存されていない変更があります。破棄して続けますか？");

QString writeAlbum(const QString &path, const QStringList &titles)
{
    AlbumTable table;
    table.clear();
    for (qsizetype i = 0; i < titles.size(); ++i)
        table.appendEntry(QStringLiteral(" %1").arg(i + 1), titles[i], {}, {});
    if (writeAlbumFile(path, CoverData{}, table).isError())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Replaces what a title box holds, as typing over a selection does.
void retype(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    FormFixture::commit(box, text);
}

// The files of a folder, sorted.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestForm1UnsavedWork : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    // Asked only with unsaved changes, No the default; No changes nothing,
    // not even a dialog is shown.
    void newAndOpenAskBeforeDiscarding()
    {
        const QString album = writeAlbum(dir.filePath("a.svd"), {"one", "two", "three"});
        FormFixture f;
        f.services.fileAnswers.enqueue(album);
        f.form->Open(); // nothing unsaved yet: no question
        QCOMPARE(f.services.messages.size(), 0);
        QCOMPARE(f.title(1), QStringLiteral("one"));
        f.form->document().markSaved(album);

        retype(f.form->titleBox(0), QStringLiteral("edited"));
        const int dialogs = int(f.services.fileRequests.size());
        f.form->Open(); // unanswered: the default, No
        QCOMPARE(f.services.messages.size(), 1);
        const MessageRequest question = f.services.messages.last();
        QCOMPARE(question.text, kDiscardQuestion);
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QVERIFY(question.defaultNo);
        QCOMPARE(f.services.fileRequests.size(), dialogs);
        f.services.messageAnswers.enqueue(MessageResult::No);
        f.form->New();
        QCOMPARE(f.services.modalDialogs.count(QStringLiteral("sorvane::CoverDialog")), 1); // start-up only
        QCOMPARE(f.title(1), QStringLiteral("edited"));
        QVERIFY(!f.form->isSaved());

        f.services.messageAnswers.enqueue(MessageResult::Yes);
        f.services.fileAnswers.enqueue(album);
        f.form->Open();
        QCOMPARE(f.title(1), QStringLiteral("one"));
        QCOMPARE(f.services.messages.size(), 3);
    }

    // Save over the file the album came from asks when that file changed
    // meanwhile; not for our own saves, another file, or a file deleted.
    void saveAsksWhenTheFileChangedOnDisk()
    {
        const QString album = writeAlbum(dir.filePath("shared.svd"), {"mine"});
        const QString other = dir.filePath("other.svd");
        FormFixture f;
        f.services.fileAnswers.enqueue(album);
        f.form->Open();
        retype(f.form->titleBox(0), QStringLiteral("changed by me"));

        // A colleague saves the same file meanwhile.
        writeAlbum(album, {"theirs"});
        const QByteArray theirs = fileBytes(album);
        f.services.fileAnswers.enqueue(album);
        f.form->Save(); // the default: No
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages.last().text,
                 QStringLiteral("shared.svdは開いた後にほかで変更されています。上書きしますか？"));
        QVERIFY(f.services.messages.last().defaultNo);
        QCOMPARE(fileBytes(album), theirs);
        QVERIFY(!f.form->isSaved());

        // Saving elsewhere does not ask.
        f.services.fileAnswers.enqueue(other);
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.form->isSaved());

        // Yes overwrites; then our own save does not count as a change.
        retype(f.form->titleBox(0), QStringLiteral("again"));
        writeAlbum(other, {"someone else"});
        f.services.messageAnswers.enqueue(MessageResult::Yes);
        f.services.fileAnswers.enqueue(other);
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 2);
        QVERIFY(f.form->isSaved());
        QCOMPARE(readAlbumFile(other).album.table.text(1, AlbumTable::Title), QStringLiteral("again"));
        retype(f.form->titleBox(0), QStringLiteral("and again"));
        f.services.fileAnswers.enqueue(other);
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 2);

        // A change that keeps the size shows in the modification time.
        retype(f.form->titleBox(0), QStringLiteral("once more"));
        const QByteArray bytes = fileBytes(other);
        QFile same(other);
        QVERIFY(same.open(QIODevice::ReadWrite));
        same.write(bytes);
        same.close();
        const struct utimbuf later {
            0, time(nullptr) + 60
        };
        QCOMPARE(utime(QFile::encodeName(other).constData(), &later), 0);
        f.services.fileAnswers.enqueue(other);
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 3);

        // Deleted meanwhile: simply written again.
        QVERIFY(QFile::remove(other));
        f.services.fileAnswers.enqueue(other);
        f.form->Save();
        QCOMPARE(f.services.messages.size(), 3);
        QVERIFY(QFile::exists(other) && f.form->isSaved());
    }

    // The copy follows the album: written shortly after a change, with the
    // album and the file it belongs to; gone after Save, New, Open, and an
    // exit the user agreed to.
    void recoveryCopyFollowsTheAlbum()
    {
        QTemporaryDir state;
        const QString folder = recoveryDirectory(state.path());
        const QString album = writeAlbum(dir.filePath("site.svd"), {"a", "b", "c"});
        {
            FormFixture f({}, state.path());
            f.services.fileAnswers.enqueue(album);
            f.form->Open();
            // Just opened, the album is flagged unsaved (its boxes were
            // refilled) but holds no work: no copy, even after the delay.
            QVERIFY(!f.form->isSaved());
            QTest::qWait(RecoveryKeeper::kDelayMs + 300);
            QVERIFY(filesIn(folder).isEmpty());
            retype(f.form->titleBox(1), QStringLiteral("typed"));
            // Written by the timer, without anything else happening.
            QTRY_COMPARE_WITH_TIMEOUT(filesIn(folder).size(), 2, 10000);
            const RecoveryCopy copy = leftBehindCopies(folder).value(0);
            QCOMPARE(copy.originalPath, album);
            AlbumContents kept;
            QVERIFY(readRecoveryCopy(copy, &kept));
            QCOMPARE(kept.table, f.album().table());

            f.services.fileAnswers.enqueue(album);
            f.form->Save();
            QVERIFY(filesIn(folder).isEmpty());

            retype(f.form->titleBox(2), QStringLiteral("more"));
            f.form->recovery().flush();
            QCOMPARE(filesIn(folder).size(), 2);
            f.services.messageAnswers.enqueue(MessageResult::Yes);
            f.form->New();
            QVERIFY(filesIn(folder).isEmpty());

            retype(f.form->titleBox(0), QStringLiteral("last"));
            f.form->recovery().flush();
            QCOMPARE(filesIn(folder).size(), 2);
            // Exit refused: the copy stays; agreed: it goes.
            f.services.messageAnswers.enqueue(MessageResult::No);
            QCloseEvent refused;
            QApplication::sendEvent(f.form.get(), &refused);
            QVERIFY(!refused.isAccepted());
            QCOMPARE(filesIn(folder).size(), 2);
            f.services.messageAnswers.enqueue(MessageResult::Yes);
            QCloseEvent agreed;
            QApplication::sendEvent(f.form.get(), &agreed);
            QVERIFY(agreed.isAccepted());
            QVERIFY(filesIn(folder).isEmpty());
        }
    }

    // At start-up, before the cover dialog or the album on the command
    // line: each copy left behind is offered; 後で keeps it, 破棄する removes
    // it, 復元する opens it unsaved, belonging to its own file.
    void leftBehindCopiesAreOffered()
    {
        QTemporaryDir state;
        const QString folder = recoveryDirectory(state.path());
        const QString original = dir.filePath("restored.svd");
        const QString cli = writeAlbum(dir.filePath("command-line.svd"), {"x"});
        AlbumContents first, second;
        first.table.setText(1, AlbumTable::Title, QStringLiteral("never saved"));
        second.table.setText(2, AlbumTable::Comment, QStringLiteral("行1\r\n行2"));
        RecoveryCopyWriter(folder).write(first.cover, first.table, {},
                                         QDateTime(QDate(2026, 12, 1), QTime(9, 0), Qt::UTC));
        RecoveryCopyWriter(folder).write(second.cover, second.table, original,
                                         QDateTime(QDate(2026, 12, 2), QTime(9, 0), Qt::UTC));
        QCOMPARE(filesIn(folder).size(), 4);

        {
            // Later, then discard.
            FormFixture f;
            f.services.stateDir = state.path();
            f.services.choiceAnswers << 2 << 1;
            QVERIFY(!f.form->offerRecoveryCopies());
            QCOMPARE(f.services.choiceRequests.size(), 2);
            const ChoiceRequest asked = f.services.choiceRequests.first();
            QVERIFY2(asked.text.startsWith(QStringLiteral("前回保存されなかった写真帳があります。")),
                     qPrintable(asked.text));
            QVERIFY(asked.text.contains(QStringLiteral("（名前のない写真帳）")));
            QCOMPARE(asked.choices, QStringList({"復元する", "破棄する", "後で"}));
            QCOMPARE(asked.escapeChoice, 2);
            QVERIFY(f.services.choiceRequests.last().text.contains(QStringLiteral("restored.svd")));
            QCOMPARE(filesIn(folder).size(), 2); // the first kept, the second gone
        }
        // Two again, on a start with an album named: unanswered (Escape)
        // is 後で for both, and then the named album opens.
        RecoveryCopyWriter(folder).write(second.cover, second.table, original,
                                         QDateTime(QDate(2026, 12, 2), QTime(9, 0), Qt::UTC));
        FormFixture f(QStringLiteral("\"%1\"").arg(cli), state.path());
        QCOMPARE(f.services.choiceRequests.size(), 2);
        QCOMPARE(f.title(1), QStringLiteral("x"));
        QCOMPARE(filesIn(folder).size(), 4);
    }

    void restoredAlbumIsUnsavedAndBelongsToItsFile()
    {
        QTemporaryDir state;
        const QString folder = recoveryDirectory(state.path());
        const QString original = dir.filePath("lost work.svd");
        const QString cli = writeAlbum(dir.filePath("named.svd"), {"named"});
        AlbumContents lost;
        lost.table.setText(2, AlbumTable::Title, QStringLiteral("typed before the crash"));
        RecoveryCopyWriter old(folder);
        old.write(lost.cover, lost.table, original, QDateTime::currentDateTimeUtc());
        const QString oldFile = old.albumFile();

        FakeServices services;
        services.stateDir = state.path();
        services.arguments = QStringLiteral("\"%1\"").arg(cli);
        services.choiceAnswers << 0;
        Form1 form(services);
        form.startUp();
        QCOMPARE(form.document().text(2, AlbumTable::Title), QStringLiteral("typed before the crash"));
        QVERIFY(!form.isSaved());
        QCOMPARE(form.document().filePath(), original);
        QVERIFY(services.modalDialogs.isEmpty()); // neither the cover dialog nor the named album
        // The old copy gave way to this run's own.
        QVERIFY(!QFile::exists(oldFile));
        QCOMPARE(filesIn(folder).size(), 2);
        QVERIFY(form.recovery().writer().exists());

        services.fileAnswers.enqueue(QString()); // see what Save proposes
        form.Save();
        QCOMPARE(services.fileRequests.last().initialFileName, original);
        services.fileAnswers.enqueue(original);
        form.Save();
        QCOMPARE(readAlbumFile(original).album.table, lost.table);
        QVERIFY(filesIn(folder).isEmpty());
    }

    // A restored album is open on its file again: it takes the file's lock
    // (asking when another Sorvane has it), and knows the file as it was
    // when last read, so that a change made by someone since is asked about.
    void restoredAlbumTakesItsLockAndNoticesChanges()
    {
        QTemporaryDir state;
        const QString folder = recoveryDirectory(state.path());
        const QString original = writeAlbum(dir.filePath("shared.svd"), {"as read"});
        AlbumContents lost;
        lost.table.setText(1, AlbumTable::Title, QStringLiteral("mine"));
        const auto leaveCopy = [&] {
            RecoveryCopyWriter copy(folder);
            copy.setOriginalState(fileState(original));
            QVERIFY(copy.write(lost.cover, lost.table, original, QDateTime::currentDateTimeUtc()));
        };

        // A colleague has it open: asked, and read-only refuses Save onto it.
        leaveCopy();
        const QByteArray theirLock = lockFileText(
            LockOwner{QStringLiteral("tanaka"), QStringLiteral("office-pc"), 4711, QDateTime::currentDateTimeUtc()});
        {
            QFile lockFile(lockFilePath(original));
            QVERIFY(lockFile.open(QIODevice::WriteOnly));
            lockFile.write(theirLock);
        }
        {
            FormFixture f({}, state.path(), [](FakeServices &s) { s.choiceAnswers << 0 << 0; });
            QCOMPARE(f.services.choiceRequests.size(), 2);
            QVERIFY(f.services.choiceRequests[1].text.contains(QStringLiteral("tanakaさん（office-pc）")));
            QCOMPARE(f.title(1), QStringLiteral("mine"));
            f.services.fileAnswers.enqueue(original);
            f.form->Save();
            QCOMPARE(f.services.takeMessageTexts(),
                     QStringList{"この写真帳は読み取り専用で開いています。別の名前で保存してください。"});
            QCOMPARE(fileBytes(lockFilePath(original)), theirLock);
            QVERIFY(f.form->recovery().writer().exists()); // the work is still kept
            f.form->recovery().discard();
        }
        QVERIFY(QFile::remove(lockFilePath(original)));

        // Nobody has it: restored with the lock; the file changed since the
        // copy's album was read from it, so Save asks, and No keeps it.
        leaveCopy();
        writeAlbum(original, {"saved by someone else", "t2"});
        FormFixture f({}, state.path(), [](FakeServices &s) { s.choiceAnswers << 0; });
        QVERIFY(f.form->albumLock().holds(original));
        const QByteArray theirs = fileBytes(original);
        f.services.messageAnswers.enqueue(MessageResult::No);
        f.services.fileAnswers.enqueue(original);
        f.form->Save();
        QCOMPARE(f.services.takeMessageTexts(),
                 QStringList{"shared.svdは開いた後にほかで変更されています。上書きしますか？"});
        QCOMPARE(fileBytes(original), theirs);
        QVERIFY(!f.form->isSaved());
    }
};

QTEST_MAIN(TestForm1UnsavedWork)
#include "tst_form1_unsaved_work.moc"
