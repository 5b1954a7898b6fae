#pragma once

#include "fake_services.h"
#include "text/font_faces.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace sorvane::testing {

// A started main window on scripted services.
struct FormFixture {
    QTemporaryDir stateFolder; // the user's state folder: earlier versions of albums
    FakeServices services;
    std::unique_ptr<Form1> form;

    // stateDir: the user's state folder (recovery copies, versions); a
    // fresh temporary one when empty. `prepare` scripts the services before
    // start-up (answers to what start-up asks).
    explicit FormFixture(const QString &arguments = {}, const QString &stateDir = {},
                         const std::function<void(FakeServices &)> &prepare = {})
    {
        registerFontSubstitutions();
        services.arguments = arguments;
        services.stateDir = stateDir.isEmpty() ? stateFolder.path() : stateDir;
        if (prepare)
            prepare(services);
        form = std::make_unique<Form1>(services);
        form->startUp();
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the main window did not become active");
    }

    // Replaces the album by entries titled as given (one page per three, at
    // least one page), with comments and photo paths by row, and shows page 1.
    void fill(const QStringList &titles, const QHash<int, QString> &comments = {},
              const QHash<int, QString> &photos = {})
    {
        AlbumContents album;
        while (album.table.count() < titles.size())
            album.table.appendPage();
        for (int i = 0; i < titles.size(); ++i)
            album.table.setText(i + 1, AlbumTable::Title, titles[i]);
        for (auto it = comments.begin(); it != comments.end(); ++it)
            album.table.setText(it.key(), AlbumTable::Comment, it.value());
        for (auto it = photos.begin(); it != photos.end(); ++it)
            album.table.setText(it.key(), AlbumTable::PhotoPath, it.value());
        form->document().replace(std::move(album), {});
        form->ShowPage();
    }

    // Presses and releases one half of the page spinner.
    void page(bool forward)
    {
        PageSpinner *s = form->pageSpinner();
        const QPoint at(forward ? s->width() * 3 / 4 : s->width() / 4, s->height() / 2);
        QTest::mousePress(s, Qt::LeftButton, {}, at);
        QTest::mouseRelease(s, Qt::LeftButton, {}, at);
    }

    void goToPage(int n)
    {
        while (form->currentPage() < n)
            page(true);
        while (form->currentPage() > n)
            page(false);
    }

    const AlbumDocument &album() const { return form->document(); }
    QString title(int row) const { return album().text(row, AlbumTable::Title); }
    QString comment(int row) const { return album().text(row, AlbumTable::Comment); }
    QString photo(int row) const { return album().text(row, AlbumTable::PhotoPath); }

    // Types text into a box as an input method commits it.
    static void commit(QWidget *box, const QString &text)
    {
        box->setFocus();
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    }
};

} // namespace sorvane::testing
