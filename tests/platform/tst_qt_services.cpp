// The Qt side of the desktop services: file dialog filters, the clipboard's
// line ends and dropped file lists.
#include "platform/filter_text.h"
#include "platform/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace sorvane;

class TestQtServices : public QObject {
    Q_OBJECT

private slots:
    void filtersForTheFileDialog()
    {
        QCOMPARE(nameFiltersFromFilterText(QStringLiteral("すべてのファイル (*.*)|*.*|SORVANE ファイル (*.svd)|*.svd")),
                 QStringList({"すべてのファイル (*.*)", "SORVANE ファイル (*.svd)"}));
        QCOMPARE(nameFiltersFromFilterText(QStringLiteral("Pictures|*.jpg;*.png|")),
                 QStringList({"Pictures (*.jpg *.png)"}));
        QCOMPARE(nameFiltersFromFilterText(QString()), QStringList());
    }

    void clipboardLineEnds()
    {
        QCOMPARE(toDesktopLineEnds(QStringLiteral("T\r\nL1\r\nL2")), QStringLiteral("T\nL1\nL2"));
        QCOMPARE(fromDesktopLineEnds(QStringLiteral("T\nL1\nL2\n")), QStringLiteral("T\r\nL1\r\nL2\r\n"));
        QCOMPARE(fromDesktopLineEnds(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
        QCOMPARE(fromDesktopLineEnds(QStringLiteral("a\rb")), QStringLiteral("a\rb"));

        QtServices services;
        services.setClipboardText(QStringLiteral("題名\r\n一行目\r\n二行目"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("題名\n一行目\n二行目"));
        QVERIFY(services.clipboardHasText());
        QCOMPARE(services.clipboardText(), QStringLiteral("題名\r\n一行目\r\n二行目"));
        services.clearClipboard();
        QVERIFY(!services.clipboardHasText());
    }

    void droppedFiles()
    {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/tmp/a b.jpg"), QUrl("https://example.invalid/x.jpg")});
        const DropData data = dropDataFrom(&files);
        QVERIFY(data.hasFiles);
        QCOMPARE(data.paths, QStringList{"/tmp/a b.jpg"});

        QMimeData text;
        text.setText("just text");
        QVERIFY(!dropDataFrom(&text).hasFiles);
        QVERIFY(!dropDataFrom(nullptr).hasFiles);
    }
};

QTEST_MAIN(TestQtServices)
#include "tst_qt_services.moc"
