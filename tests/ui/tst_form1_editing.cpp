// Titles and comments, insert, cut out and delete, and the text commands.
#include "form_fixture.h"
#include "io/album_file.h"

#include <QToolButton>

using namespace sorvane;
using namespace sorvane::testing;

class TestForm1Editing : public QObject {
    Q_OBJECT

private slots:
    void typedTextIsStoredAtOnce()
    {
        FormFixture f;
        FormFixture::commit(f.form->titleBox(1), QStringLiteral("基礎配筋"));
        QCOMPARE(f.title(2), QStringLiteral("基礎配筋"));
        QVERIFY(!f.form->isSaved());

        QPlainTextEdit *comment = f.form->commentBox(0);
        FormFixture::commit(comment, QStringLiteral("一行目"));
        QTest::keyClick(comment, Qt::Key_Return);
        FormFixture::commit(comment, QStringLiteral("二行目"));
        QCOMPARE(f.comment(1), QStringLiteral("一行目\r\n二行目"));
        QVERIFY(f.services.messages.isEmpty());
    }

    void wideTitlesAreWarnedAboutButKept_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("warned");
        QTest::newRow("11 full-width (22 bytes)") << QString(11, u'工') << false;
        QTest::newRow("12 full-width") << QString(12, u'工') << true;
        QTest::newRow("11 full-width and one half-width") << QString(11, u'工') + u'a' << true;
        QTest::newRow("22 half-width") << QString(22, u'a') << false;
        QTest::newRow("23 half-width") << QString(23, u'a') << true;
    }
    void wideTitlesAreWarnedAboutButKept()
    {
        QFETCH(QString, title);
        QFETCH(bool, warned);
        FormFixture f;
        FormFixture::commit(f.form->titleBox(0), title);
        QCOMPARE(f.title(1), title);
        const QStringList expected = warned ? QStringList{"「" + title + "」は印刷範囲を超えています"} : QStringList{};
        QCOMPARE(f.services.takeMessageTexts(), expected);
    }

    void unchangedCommentsKeepTheirExactForm()
    {
        // A comment read from a file with a lone LF survives being shown.
        FormFixture f;
        f.form->table().setText(2, AlbumTable::Comment, QStringLiteral("a\nb\r\nc"));
        f.form->ShowPage();
        QCOMPARE(f.form->commentBox(1)->toPlainText(), QStringLiteral("a\nb\nc"));
        QCOMPARE(f.comment(2), QStringLiteral("a\nb\r\nc"));
    }

    void insertOpensAnEmptyEntry()
    {
        FormFixture f;
        f.fill({"X", "Y", ""});
        f.form->InsertEntry();
        QCOMPARE(f.title(1), QString());
        QCOMPARE(f.title(2), QStringLiteral("X"));
        QCOMPARE(f.title(3), QStringLiteral("Y"));
        QCOMPARE(f.form->titleBox(1)->text(), QStringLiteral("X"));
        QCOMPARE(f.form->table().text(3, AlbumTable::Number), QStringLiteral(" 3"));
        QCOMPARE(f.form->pageCount(), 1);
        QVERIFY(!f.form->isSaved());
    }

    void insertNeverLosesTheLastEntry()
    {
        FormFixture f;
        f.fill({"X", "Y", "Z"});
        f.form->InsertEntry();
        QCOMPARE(f.form->pageCount(), 2);
        QCOMPARE(f.form->table().count(), 6);
        QCOMPARE(f.title(4), QStringLiteral("Z"));
        QCOMPARE(f.form->table().text(4, AlbumTable::Number), QStringLiteral(" 4"));
    }

    void theAlbumStopsGrowingAtItsLimit()
    {
        FormFixture f;
        AlbumTable &t = f.form->table();
        while (t.count() + 3 <= kMaxAlbumEntries)
            t.appendPage();
        t.setText(t.count(), AlbumTable::Title, QStringLiteral("last"));
        f.form->pageSpinner()->setMaximum(t.pageCount());
        const int rows = t.count();
        f.form->InsertEntry();
        QCOMPARE(t.count(), rows);
        QCOMPARE(f.title(rows), QStringLiteral("last")); // refused, not lost
        QCOMPARE(f.services.takeMessageTexts(),
                 QStringList{QStringLiteral("写真帳の写真は %1 件までです。").arg(kMaxAlbumEntries)});
    }

    void insertOnAnEmptyLastRowMovesNothing()
    {
        FormFixture f;
        f.fill({"X", "Y", ""});
        QTest::mouseClick(f.form->photoBox(2), Qt::LeftButton);
        f.form->InsertEntry();
        QCOMPARE(f.title(1), QStringLiteral("X"));
        QCOMPARE(f.title(2), QStringLiteral("Y"));
        QCOMPARE(f.title(3), QString());
        QCOMPARE(f.form->pageCount(), 1);
    }

    void cutOutMovesLaterEntriesForward()
    {
        FormFixture f;
        f.fill({"X", "Y", "Z"});
        f.form->table().setText(2, AlbumTable::PhotoPath, "/y.jpg");
        f.form->table().setText(2, AlbumTable::Comment, "c");
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        f.form->CutOutEntry();
        QCOMPARE(f.title(2), QStringLiteral("Z"));
        QCOMPARE(f.photo(2), QString());
        QCOMPARE(f.comment(2), QString());
        QCOMPARE(f.title(3), QString());
        QVERIFY(!f.form->isSaved());

        // Across page boundaries: page 3's first entry becomes page 2's last.
        FormFixture g;
        g.fill({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
        g.goToPage(2);
        g.form->CutOutEntry(); // slot 0 of page 2
        QCOMPARE(g.title(4), QStringLiteral("5"));
        QCOMPARE(g.title(6), QStringLiteral("7"));
        QCOMPARE(g.title(8), QStringLiteral("9"));
        QCOMPARE(g.title(9), QString());
        QCOMPARE(g.form->titleBox(2)->text(), QStringLiteral("7"));
        for (int r = 1; r <= 9; ++r)
            QCOMPARE(g.form->table().text(r, AlbumTable::Number), QStringLiteral(" %1").arg(r));
    }

    void cutOutOfTheLastRowEmptiesIt()
    {
        FormFixture f;
        f.fill({"X", "Y", "Z"});
        QTest::mouseClick(f.form->photoBox(2), Qt::LeftButton);
        f.form->CutOutEntry();
        QCOMPARE(f.title(2), QStringLiteral("Y"));
        QCOMPARE(f.title(3), QString());
    }

    void deleteEmptiesOneSlot()
    {
        FormFixture f;
        f.fill({"X", "Y", "Z"});
        f.form->table().setText(2, AlbumTable::PhotoPath, "/y.jpg");
        f.form->table().setText(2, AlbumTable::Comment, "c");
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        f.form->DeletePhoto(1);
        QVERIFY(f.form->table().entry(2).isEmpty());
        QCOMPARE(f.form->numberBox(1)->text(), QStringLiteral("No. 2"));
        QCOMPARE(f.form->titleBox(1)->text(), QString());
        QVERIFY(f.form->photoBox(1)->picture().isNull());
        QCOMPARE(f.title(1), QStringLiteral("X"));
        QCOMPARE(f.title(3), QStringLiteral("Z"));

        FormFixture g; // even deleting an empty entry marks the album changed
        g.form->DeletePhoto(0);
        QVERIFY(!g.form->isSaved());
    }

    void refillingWarnsAboutWideTitles()
    {
        FormFixture f;
        f.fill({"X", QString(12, u'工'), ""});
        f.services.messages.clear();
        f.form->InsertEntry();
        QCOMPARE(f.services.takeMessageTexts(), QStringList{"「" + QString(12, u'工') + "」は印刷範囲を超えています"});
    }

    void copyAndPasteTexts()
    {
        FormFixture f;
        f.fill({"T", "", ""});
        f.form->table().setText(1, AlbumTable::Comment, "L1\r\nL2");
        f.form->CopyText();
        QCOMPARE(f.services.clipboard, QStringLiteral("T\r\nL1\r\nL2"));
        QVERIFY(f.form->pasteButton()->isEnabled());

        // With slot 1 selected and the focus in slot 2's title box, the paste
        // fills slot 1.
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        f.form->titleBox(2)->setFocus();
        f.form->PasteText();
        QCOMPARE(f.title(2), QStringLiteral("T"));
        QCOMPARE(f.comment(2), QStringLiteral("L1\r\nL2"));
        QCOMPARE(f.title(3), QString());

        f.services.setClipboardText("only a title");
        f.form->PasteText();
        QCOMPARE(f.title(2), QStringLiteral("only a title"));
        QCOMPARE(f.comment(2), QString());

        f.services.setClipboardText("t\r\nc\r\n");
        f.form->PasteText();
        QCOMPARE(f.comment(2), QStringLiteral("c\r\n"));

        f.services.clearClipboard();
        f.form->PasteText();
        QCOMPARE(f.services.takeMessageTexts(), QStringList{"クリップボード上にテキストがありません。"});
        QCOMPARE(f.title(2), QStringLiteral("t"));
    }

    void copyFromThePreviousPhoto()
    {
        FormFixture f;
        f.fill({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
        f.form->table().setText(6, AlbumTable::Comment, "six");
        f.form->table().setText(9, AlbumTable::PhotoPath, "/nine.jpg");
        f.goToPage(3);
        f.form->CopyFromPrevious(0);
        QCOMPARE(f.title(7), QStringLiteral("6"));
        QCOMPARE(f.comment(7), QStringLiteral("six"));
        QCOMPARE(f.services.clipboard, QStringLiteral("6\r\nsix"));
        f.form->CopyFromPrevious(2);
        QCOMPARE(f.title(9), QStringLiteral("8"));
        QCOMPARE(f.photo(9), QStringLiteral("/nine.jpg")); // the photo stays
        QVERIFY(!f.form->pasteButton()->isEnabled());

        f.goToPage(1);
        f.form->CopyFromPrevious(0); // nothing before the first photo
        QCOMPARE(f.title(1), QStringLiteral("1"));
    }

    void menuShortcutsWinOverTheTextBoxes()
    {
        FormFixture f;
        f.fill({"X", "Y", ""});
        f.form->titleBox(1)->setFocus();
        QTest::keyClick(f.form->titleBox(1), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(f.title(1), QString()); // inserted, not pasted
        QCOMPARE(f.title(2), QStringLiteral("X"));
        QTest::keyClick(f.form->titleBox(1), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(f.services.clipboard, QStringLiteral("\r\n"));
    }

    void versionBox()
    {
        FormFixture f;
        f.form->action("version_menu")->trigger();
        QCOMPARE(f.services.messages.size(), 1);
        const MessageRequest &m = f.services.messages.first();
        QCOMPARE(m.caption, QStringLiteral("Sorvane"));
        QCOMPARE(m.icon, MessageIcon::Information);
        QCOMPARE(m.buttons, MessageButtons::Ok);
        const QStringList lines = m.text.split("\r\n");
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("Version 1.2.3"));
        QVERIFY(lines[1].isEmpty() && lines[3].isEmpty());
        QVERIFY(!lines[2].isEmpty() && !lines[4].isEmpty());
    }
};

QTEST_MAIN(TestForm1Editing)
#include "tst_form1_editing.moc"
