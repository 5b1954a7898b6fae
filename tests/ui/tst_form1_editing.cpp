// Titles and comments, insert, cut out and delete, and the text commands.
#include "form_fixture.h"
#include "io/album_file.h"

#include <QToolButton>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// The titles of all rows; "#" for a row whose number is not its position.
QStringList titles(const FormFixture &f)
{
    QStringList list;
    for (int r = 1; r <= f.album().rowCount(); ++r)
        list += f.album().text(r, AlbumTable::Number) == QStringLiteral(" %1").arg(r) ? f.title(r) : "#";
    return list;
}

} // namespace

class TestForm1Editing : public QObject {
    Q_OBJECT

private slots:
    void typedTextIsStoredAtOnce()
    {
        // Titles wider than 22 bytes (full-width characters count two) are
        // warned about but kept.
        FormFixture f;
        QLineEdit *titleBox = f.form->titleBox(1);
        const std::pair<QString, bool> cases[] = {
            {QString(11, u'工'), false}, {QString(11, u'工') + u'a', true}, {QString(22, u'a'), false}};
        for (const auto &[title, warned] : cases) {
            titleBox->clear();
            FormFixture::commit(titleBox, title);
            QCOMPARE(f.title(2), title);
            QCOMPARE(f.services.takeMessageTexts().filter("「" + title + "」").size(), warned ? 1 : 0);
        }
        QVERIFY(!f.form->isSaved());

        QPlainTextEdit *comment = f.form->commentBox(0);
        FormFixture::commit(comment, QStringLiteral("一行目"));
        QTest::keyClick(comment, Qt::Key_Return);
        FormFixture::commit(comment, QStringLiteral("二行目"));
        QCOMPARE(f.comment(1), QStringLiteral("一行目\r\n二行目"));

        // A comment read from a file with a lone LF or CR, a line separator or
        // a non-breaking space survives being shown, and being edited after
        // them.
        const QString odd = QStringLiteral("a\nb\r\nc\rd\u2028e\u00A0f");
        // A title longer than a line edit's usual limit is shown and kept whole.
        const QString longTitle(40000, u'a');
        f.fill({"", longTitle, ""}, {{3, odd}});
        QCOMPARE(f.form->titleBox(1)->text(), longTitle);
        QCOMPARE(f.title(2), longTitle);
        f.services.messages.clear();
        QCOMPARE(f.form->commentBox(2)->toPlainText(), QStringLiteral("a\nb\nc\nd\ne f"));
        QCOMPARE(f.comment(3), odd);
        QVERIFY(!f.album().history().canUndo());
        QTextCursor end(f.form->commentBox(2)->document());
        end.movePosition(QTextCursor::End);
        f.form->commentBox(2)->setTextCursor(end);
        FormFixture::commit(f.form->commentBox(2), QStringLiteral("g"));
        QCOMPARE(f.comment(3), QStringLiteral("a\r\nb\r\nc\r\nd\r\ne\u00A0fg"));
        QVERIFY(f.services.messages.isEmpty());
    }

    void insertOpensAnEmptyEntry()
    {
        FormFixture f;
        const QString wide(12, u'工');
        f.fill({"X", wide, ""});
        f.services.messages.clear();
        // Shift+Insert from a title box: the menu shortcut wins over pasting.
        f.form->titleBox(1)->setFocus();
        QTest::keyClick(f.form->titleBox(1), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(titles(f), (QStringList{"", "X", wide}));
        QCOMPARE(f.form->titleBox(1)->text(), QStringLiteral("X"));
        // A wide title shifted into a box is warned about again.
        QCOMPARE(f.services.takeMessageTexts().size(), 1);
        QTest::keyClick(f.form->titleBox(1), Qt::Key_F, Qt::ControlModifier); // copies slot 0
        QCOMPARE(f.services.clipboard, QStringLiteral("\r\n"));

        // At the selected slot; a full last row first grows the album.
        FormFixture g;
        g.fill({"X", "Y", "Z"});
        QTest::mouseClick(g.form->photoBox(1), Qt::LeftButton);
        g.form->InsertEntry();
        QCOMPARE(g.form->pageCount(), 2);
        QCOMPARE(titles(g), (QStringList{"X", "", "Y", "Z", "", ""}));
    }

    void theAlbumStopsGrowingAtItsLimit()
    {
        FormFixture f;
        QStringList titles(kMaxAlbumEntries - 1); // 33,333 whole pages
        titles.last() = QStringLiteral("last");
        f.fill(titles);
        const int rows = f.album().rowCount();
        QCOMPARE(rows, kMaxAlbumEntries - 1);
        f.form->InsertEntry();
        QCOMPARE(f.album().rowCount(), rows);
        QCOMPARE(f.title(rows), QStringLiteral("last")); // refused, not lost
        QCOMPARE(f.title(1), QString());
        QVERIFY(!f.album().history().canUndo());
        QCOMPARE(f.services.takeMessageTexts().filter(QString::number(kMaxAlbumEntries)).size(), 1);
    }

    void cutOutMovesLaterEntriesForward()
    {
        // From page 2's middle slot: page 3's first entry becomes page 2's last.
        FormFixture f;
        f.fill({"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {{5, "c"}}, {{5, "/5.jpg"}});
        f.goToPage(2);
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        f.form->CutOutEntry();
        QCOMPARE(titles(f), (QStringList{"1", "2", "3", "4", "6", "7", "8", "9", ""}));
        QVERIFY(f.photo(5).isEmpty() && f.comment(5).isEmpty());
        QCOMPARE(f.form->titleBox(2)->text(), QStringLiteral("7"));
    }

    void deleteEmptiesOneSlot()
    {
        FormFixture f;
        f.fill({"X", "Y", "Z"}, {{2, "c"}}, {{2, "/y.jpg"}});
        f.form->DeletePhoto(1);
        QVERIFY(f.album().entry(2).isEmpty());
        QCOMPARE(titles(f), (QStringList{"X", "", "Z"}));
        QCOMPARE(f.form->numberBox(1)->text(), QStringLiteral("No. 2"));
        QVERIFY(f.form->titleBox(1)->text().isEmpty() && f.form->commentBox(1)->toPlainText().isEmpty());
        QVERIFY(f.form->photoBox(1)->picture().isNull());
    }

    void editsMarkTheAlbumChanged()
    {
        // Even on an empty album, where nothing shown changes.
        for (const char *command : {"input_line", "delete_line", "delete_image_menu"}) {
            FormFixture f;
            f.form->action(command)->trigger();
            QVERIFY2(!f.form->isSaved(), command);
        }
    }

    void textCommands()
    {
        FormFixture f;
        f.fill({"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {{6, "L1\r\nL2"}}, {{9, "/nine.jpg"}});
        f.goToPage(3);
        // The entry before, also across pages, goes to the slot and the
        // clipboard; the slot keeps its photo.
        f.form->CopyFromPrevious(0);
        QCOMPARE(f.title(7), QStringLiteral("6"));
        QCOMPARE(f.comment(7), QStringLiteral("L1\r\nL2"));
        QCOMPARE(f.services.clipboard, QStringLiteral("6\r\nL1\r\nL2"));
        f.form->CopyFromPrevious(2);
        QCOMPARE(f.title(9), QStringLiteral("8"));
        QCOMPARE(f.photo(9), QStringLiteral("/nine.jpg"));
        QVERIFY(!f.form->pasteButton()->isEnabled());

        // Copy and paste take the selected slot, wherever the focus is; a
        // pasted title ends at the first line break.
        QTest::mouseClick(f.form->photoBox(2), Qt::LeftButton);
        f.form->CopyText();
        QCOMPARE(f.services.clipboard, QStringLiteral("8\r\n"));
        QVERIFY(f.form->pasteButton()->isEnabled());
        QTest::mouseClick(f.form->photoBox(0), Qt::LeftButton);
        f.form->titleBox(2)->setFocus();
        const QString pastes[][3] = {
            {"8\r\n", "8", ""}, {"t\r\nc\r\n", "t", "c\r\n"}, {"only a title", "only a title", ""}};
        for (const auto &[clipboard, title, comment] : pastes) {
            f.services.setClipboardText(clipboard);
            f.form->PasteText();
            QCOMPARE(f.title(7), title);
            QCOMPARE(f.comment(7), comment);
        }
        f.services.clearClipboard();
        f.form->PasteText();
        QCOMPARE(f.services.takeMessageTexts().size(), 1);
        QCOMPARE(f.title(7), QStringLiteral("only a title"));

        f.goToPage(1);
        f.form->CopyFromPrevious(0); // nothing before the first photo
        QCOMPARE(f.title(1), QStringLiteral("1"));
    }

    void versionBox()
    {
        FormFixture f;
        f.form->action("version_menu")->trigger();
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.startsWith("Version 1.2.3\r\n"));
    }
};

QTEST_MAIN(TestForm1Editing)
#include "tst_form1_editing.moc"
