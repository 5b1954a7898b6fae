// The album's history in the main window: the undo and redo items, every
// edit taken back and done again, the page shown after undo, the boxes'
// own history kept out; the shortcuts from every kind of box; the names
// assistive technology reads.
#include "form_fixture.h"
#include "io/album_file.h"
#include "ui/dialogs/cover_dialog.h"
#include "ui/dialogs/options_dialog.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

QByteArray bytes(const FormFixture &f)
{
    return serializeAlbum(f.album().cover(), f.album().table());
}

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return list;
}

QImage picture()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

QString accessibleName(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

class TestForm1History : public QObject {
    Q_OBJECT

private slots:
    void laterMenuItemsFollowTheOthers()
    {
        FormFixture f;
        QCOMPARE(captions(f.form->editMenu()),
                 QStringList({"load_image_menu", "delete_image_menu", "-", "input_line", "delete_line", "-",
                              "text_copy", "text_past", "-", "zoom_photo", "-", "edit_undo", "edit_redo", "-",
                              "bulk_import", "sort_by_date", "photo_review"}));
        const auto *file = f.form->findChild<QMenu *>(QStringLiteral("file_menu"));
        QVERIFY(file);
        QCOMPARE(captions(file),
                 QStringList({"file_new", "file_open", "file_save", "-", "file_header", "-", "print_menu", "test_print",
                              "print_setting", "-", "oneprint_menu", "-", "option_edit", "-", "end_menu", "-",
                              "pdf_export", "print_preview", "open_version"}));

        // Each toolbar button is its menu item's action, with the button's
        // own text as its tool tip and no icon in the menu.
        const std::tuple<const char *, const char *, const char *> buttons[] = {
            {"newfile", "file_new", "新規作成"},
            {"openfile", "file_open", "ファイルを開く"},
            {"savefile", "file_save", "保存"},
            {"toppage", "file_header", "表紙"},
            {"printall", "test_print", "印刷"},
            {"oneprint", "oneprint_menu", "単票印刷"},
            {"photo", "load_image_menu", "写真を開く"},
            {"delete", "delete_image_menu", "削除"},
            {"input", "input_line", "挿入"},
            {"cutout", "delete_line", "抜取"}};
        QStringList keys;
        for (const QAction *a : f.form->toolbar()->actions())
            if (a->data().isValid())
                keys << a->data().toString();
        QCOMPARE(keys.size(), 11);
        QCOMPARE(keys.takeLast(), QStringLiteral("bulkimport")); // after the others
        for (const auto &[key, command, text] : buttons) {
            const auto *button = f.form->toolbar()->findChild<QToolButton *>(QStringLiteral("toolbar_") + key);
            QVERIFY2(button && button->defaultAction() == f.form->action(command), key);
            QCOMPARE(button->toolTip(), QString::fromUtf8(text));
            QVERIFY(!button->defaultAction()->isIconVisibleInMenu());
            QCOMPARE(keys.takeFirst(), QString::fromLatin1(key)); // in their fixed order
        }

        QAction *undo = f.form->action("edit_undo");
        QAction *redo = f.form->action("edit_redo");
        QCOMPARE(undo->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)});
        QCOMPARE(redo->shortcuts(), QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y),
                                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す"));
        f.fill({"a", "b"});
        QTest::mouseClick(f.form->toolbar()->findChild<QToolButton *>("toolbar_cutout"), Qt::LeftButton);
        QCOMPARE(f.title(1), QStringLiteral("b"));
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す（抜取）"));
        undo->trigger();
        QCOMPARE(redo->text(), QStringLiteral("やり直し（抜取）"));
        QCOMPARE(undo->text(), QStringLiteral("元に戻す"));
        QVERIFY(!undo->isEnabled());
    }

    // Each edit of the window, undone, gives back the album file it had
    // before, byte for byte; redone, the one it made.
    void everyEditIsUndoneAndRedone_data()
    {
        using Edit = std::function<void(FormFixture &)>;
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("name");
        QTest::newRow("typing") << Edit([](FormFixture &f) {
            FormFixture::commit(f.form->titleBox(1), QStringLiteral("x"));
            FormFixture::commit(f.form->titleBox(1), QStringLiteral("yz"));
        }) << QStringLiteral("タイトルの入力");
        QTest::newRow("comment") << Edit([](FormFixture &f) {
            FormFixture::commit(f.form->commentBox(2), QStringLiteral("一"));
            QTest::keyClick(f.form->commentBox(2), Qt::Key_Return);
            FormFixture::commit(f.form->commentBox(2), QStringLiteral("二"));
        }) << QStringLiteral("コメントの入力");
        QTest::newRow("photo, growing") << Edit([](FormFixture &f) {
            f.services.fileAnswers.enqueue("/p/new.jpg");
            f.form->LoadPhoto(2);
        }) << QStringLiteral("写真を開く");
        QTest::newRow("drop") << Edit([](FormFixture &f) {
            f.form->DropPhoto(0, DropData{true, {"/p/new.jpg"}});
        }) << QStringLiteral("写真のドロップ");
        QTest::newRow("delete") << Edit([](FormFixture &f) { f.form->DeletePhoto(1); }) << QStringLiteral("削除");
        QTest::newRow("insert, growing") << Edit([](FormFixture &f) { f.form->InsertEntry(); })
                                         << QStringLiteral("挿入");
        QTest::newRow("cut out") << Edit([](FormFixture &f) { f.form->CutOutEntry(); }) << QStringLiteral("抜取");
        QTest::newRow("paste") << Edit([](FormFixture &f) {
            f.services.setClipboardText(QStringLiteral("t\r\nc1\r\nc2"));
            f.form->PasteText();
        }) << QStringLiteral("テキスト貼り付け");
        QTest::newRow("copy from previous")
            << Edit([](FormFixture &f) { f.form->CopyFromPrevious(2); }) << QStringLiteral("前の写真からコピー");
        QTest::newRow("cover") << Edit([](FormFixture &f) {
            f.services.onModal = [](QObject &dialog) {
                if (auto *cover = qobject_cast<CoverDialog *>(&dialog))
                    cover->setField(3, QStringLiteral("市道改良"));
            };
            f.form->editCover();
        }) << QStringLiteral("表紙");
    }
    void everyEditIsUndoneAndRedone()
    {
        QFETCH(std::function<void(FormFixture &)>, edit);
        QFETCH(QString, name);
        FormFixture f;
        f.services.pictures.insert("/p/new.jpg", picture());
        f.fill({"a", "b", "c"}, {{2, "comment b"}}, {{2, "/p/b.jpg"}, {3, "/p/c.jpg"}});
        f.form->document().markSaved({});
        const QByteArray before = bytes(f);
        edit(f);
        const QByteArray after = bytes(f);
        QVERIFY(after != before);
        QCOMPARE(f.album().history().count(), 1);
        QCOMPARE(f.form->action("edit_undo")->text(), QStringLiteral("元に戻す（%1）").arg(name));

        f.form->document().markSaved({});
        QTest::keyClick(f.form->titleBox(0), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bytes(f), before);
        QVERIFY(!f.form->isSaved()); // an undo is an edit
        QCOMPARE(f.form->pageCount(), int(f.album().rowCount() / 3));
        // The boxes show the album as it is again.
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(f.form->titleBox(k)->text(), f.title(k + 1));
            QCOMPARE(Form1::commentFromBox(f.form->commentBox(k)->toPlainText()), f.comment(k + 1));
        }
        QTest::keyClick(f.form->commentBox(1), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(bytes(f), after);
        QTest::keyClick(f.form->titleBox(2), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(f.form->titleBox(2), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(bytes(f), after);
    }

    void typingMergesUntilTheFocusLeaves()
    {
        FormFixture f;
        QLineEdit *title = f.form->titleBox(0);
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("abc"));
        QCOMPARE(f.album().history().count(), 1);
        f.form->commentBox(0)->setFocus();
        f.form->titleBox(0)->setFocus();
        QTest::keyClicks(title, QStringLiteral("d"));
        QCOMPARE(f.album().history().count(), 2);
        // The box's own undo is not used: the album's takes back "d", then "abc".
        QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(title->text(), QStringLiteral("abc"));
        QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(title->text(), QString());
        QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier); // nothing left: nothing happens
        QCOMPARE(title->text(), QString());
        QCOMPARE(f.album().history().index(), 0);

        // The comment box's own history is off as well.
        QPlainTextEdit *comment = f.form->commentBox(1);
        comment->setFocus();
        QTest::keyClicks(comment, QStringLiteral("xy"));
        QVERIFY(!comment->isUndoRedoEnabled());
        QTest::keyClick(comment, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.comment(2), QString());
        QCOMPARE(f.album().history().count(), 1);
    }

    void undoShowsThePageAndSlotOfTheStep()
    {
        FormFixture f;
        const QString wide(12, u'工'); // 24 bytes: warned about when shown
        f.fill({"1", "2", "3", "4", "5", "6", "7", wide, "9"});
        f.services.messages.clear();
        f.goToPage(3);
        QTest::mouseClick(f.form->photoBox(1), Qt::LeftButton);
        f.form->CutOutEntry();
        f.goToPage(1);
        f.services.messages.clear();
        QTest::keyClick(f.form->titleBox(0), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.form->currentPage(), 3);
        QCOMPARE(f.form->pageBox()->text(), QStringLiteral("3"));
        QCOMPARE(f.form->selectedSlot(), 1);
        QCOMPARE(f.form->slotFrame(1)->borderColor(), QColor(80, 80, 192));
        QCOMPARE(f.form->focusWidget(), f.form->titleBox(1));
        QCOMPARE(f.form->titleBox(1)->text(), wide);
        QVERIFY(f.form->copyFromPreviousButton(0)->isEnabled());
        QCOMPARE(f.form->positionPanel()->text(), QStringLiteral(" 100%"));
        // The wide title came back into a box: the user was warned when it
        // was typed, not again now.
        QVERIFY(f.services.messages.isEmpty());

        // A typing step takes the focus back into its own box.
        FormFixture::commit(f.form->commentBox(2), QStringLiteral("c"));
        f.goToPage(1);
        f.form->action("edit_undo")->trigger();
        QCOMPARE(f.form->currentPage(), 3);
        QCOMPARE(f.form->focusWidget(), f.form->commentBox(2));
    }

    // Every command's shortcut works whichever kind of control has the focus,
    // the read-only number and page boxes included.
    void shortcutsFromEveryBox()
    {
        FormFixture f;
        f.fill({"a", "b", "c"});
        QList<QAction *> commands;
        for (QAction *a : f.form->findChildren<QAction *>())
            if (!a->shortcuts().isEmpty() && a->objectName() != "end_menu")
                commands << a;
        QVERIFY(commands.size() >= 16);
        const QList<QWidget *> boxes = {f.form->numberBox(0), f.form->pageBox(), f.form->titleBox(1),
                                        f.form->commentBox(2)};
        for (QWidget *box : boxes) {
            for (QAction *a : commands) {
                // Something to undo, or to redo.
                if (!a->isEnabled())
                    f.form->document().setTexts(1, QStringLiteral("step %1").arg(f.album().history().index()), {},
                                                QStringLiteral("テキスト貼り付け"), EditPlace{1, 0, 0});
                if (!a->isEnabled())
                    f.form->action("edit_undo")->trigger();
                QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
                const QKeySequence key = a->shortcuts().constFirst();
                QSignalSpy triggered(a, &QAction::triggered);
                box->activateWindow();
                box->setFocus();
                QTest::keySequence(box, key);
                QVERIFY2(triggered.count() == 1, qPrintable(box->metaObject()->className() + (" " + a->objectName())));
            }
        }
        // Start-up and Open leave the focus in the first title box.
        FormFixture g;
        QCOMPARE(g.form->focusWidget(), g.form->titleBox(0));
        QTest::keyClick(g.form->focusWidget(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(g.services.modalDialogs.last(), QStringLiteral("sorvane::OptionsDialog"));
    }

    void everyControlHasAName()
    {
        FormFixture f;
        f.fill({"a", "b", "c", "d"});
        f.goToPage(2);
        Form1 &form = *f.form;
        QCOMPARE(accessibleName(form.titleBox(0)), QStringLiteral("No. 4 タイトル"));
        QCOMPARE(accessibleName(form.commentBox(0)), QStringLiteral("No. 4 コメント"));
        QCOMPARE(accessibleName(form.photoBox(2)), QStringLiteral("No. 6 写真"));
        QCOMPARE(accessibleName(form.copyButton()), form.copyButton()->accessibleName());
        QVERIFY(accessibleName(form.copyButton()).startsWith(QStringLiteral("テキストコピー")));
        QCOMPARE(accessibleName(form.positionPanel()), QStringLiteral("ページ位置 100%"));
        QList<QWidget *> controls = {form.numberBox(0), form.pageBox(), form.pasteButton(), form.hintPanel(),
                                     form.copyFromPreviousButton(1)};
        for (QWidget *w : controls)
            QVERIFY2(!accessibleName(w).isEmpty(), w->metaObject()->className());

        // The spinner's halves are two buttons that page.
        QAccessibleInterface *spinner = QAccessible::queryAccessibleInterface(form.pageSpinner());
        QVERIFY(spinner);
        QCOMPARE(spinner->childCount(), 2);
        QAccessibleInterface *back = spinner->child(0);
        QAccessibleInterface *forward = spinner->child(1);
        QCOMPARE(back->role(), QAccessible::Button);
        QCOMPARE(back->text(QAccessible::Name), QStringLiteral("前ページ"));
        QCOMPARE(forward->text(QAccessible::Name), QStringLiteral("次ページ"));
        QCOMPARE(spinner->indexOfChild(forward), 1);
        QVERIFY(forward->state().disabled); // on the last page
        back->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(form.currentPage(), 1);
        QCOMPARE(form.titleBox(0)->text(), QStringLiteral("a"));
        QVERIFY(!form.copyFromPreviousButton(0)->isEnabled());

        // The dialogs' boxes, named from their labels.
        CoverDialog *cover = form.coverDialog();
        for (int n = 1; n <= kCoverFieldCount; ++n)
            QVERIFY(!accessibleName(cover->textBox(n)).isEmpty());
        QCOMPARE(accessibleName(cover->textBox(11)), QStringLiteral("工事施工者"));
        OptionsDialog *options = form.optionsDialog();
        QVERIFY(accessibleName(options->topMarginBox()).startsWith(QStringLiteral("上マージン")));
        QVERIFY(accessibleName(options->leftMarginBox()).startsWith(QStringLiteral("左マージン")));
    }

    // The boxes' context menus offer the album's undo and redo, not their own.
    void contextMenusUseTheAlbumsHistory()
    {
        FormFixture f;
        FormFixture::commit(f.form->titleBox(0), QStringLiteral("x"));
        const auto offers = [&f](QWidget *box) {
            QStringList names;
            QTimer::singleShot(0, [&names] {
                if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                    for (const QAction *a : menu->actions())
                        names << a->objectName();
                    menu->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(box, &event);
            return names;
        };
        for (QWidget *box :
             {static_cast<QWidget *>(f.form->titleBox(0)), static_cast<QWidget *>(f.form->commentBox(0))}) {
            const QStringList names = offers(box == f.form->commentBox(0) ? f.form->commentBox(0)->viewport() : box);
            QVERIFY2(names.contains("edit_undo") && names.contains("edit_redo"), qPrintable(names.join(',')));
            QCOMPARE(names.count("edit_undo") + names.count("edit_redo"), 2); // in place of the box's own
        }
    }
};

QTEST_MAIN(TestForm1History)
#include "tst_form1_history.moc"
