#pragma once

#include "fake_services.h"
#include "ui/main/fonts.h"
#include "ui/main/form1.h"
#include "ui/main/page_spinner.h"
#include "ui/main/photo_box.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace sorvane::testing {

// A started main window on scripted services.
struct FormFixture {
    FakeServices services;
    std::unique_ptr<Form1> form;

    explicit FormFixture(const QString &arguments = {})
    {
        registerFontSubstitutions();
        services.arguments = arguments;
        form = std::make_unique<Form1>(services);
        form->startUp();
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the main window did not become active");
    }

    // Fills entries directly in the table (one page per three) and shows page 1.
    void fill(const QStringList &titles)
    {
        AlbumTable &t = form->table();
        while (t.count() < titles.size())
            t.appendPage();
        for (int i = 0; i < titles.size(); ++i)
            t.setText(i + 1, AlbumTable::Title, titles[i]);
        form->pageSpinner()->setMaximum(t.pageCount());
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

    QString title(int row) const { return form->table().text(row, AlbumTable::Title); }
    QString comment(int row) const { return form->table().text(row, AlbumTable::Comment); }
    QString photo(int row) const { return form->table().text(row, AlbumTable::PhotoPath); }

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
