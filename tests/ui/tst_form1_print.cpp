// The PDF export of the main window.
#include "form_fixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("pdftotext failed (poppler-utils missing?)");
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestForm1Print : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void exportsTheAlbumAsPdf()
    {
        FormFixture f;
        f.fill({"床掘状況", "", "", "基礎砕石", "", ""});
        const QString photo = dir.filePath("photo.png");
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(photo));
        f.form->table().setText(1, AlbumTable::PhotoPath, photo);
        f.form->table().setText(4, AlbumTable::PhotoPath, dir.filePath("gone.jpg"));
        f.form->coverDialog()->setField(3, QStringLiteral("市道改良工事"));

        const QString pdf = dir.filePath("album.pdf");
        f.services.fileAnswers.enqueue(pdf);
        f.form->action("pdf_export")->trigger();
        QCOMPARE(f.services.fileRequests.last().filter, QStringLiteral("PDF ファイル (*.pdf)|*.pdf"));
        QVERIFY(f.services.fileRequests.last().confirmOverwrite);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("市道改良工事")));
        QVERIFY(text.contains(QStringLiteral("床掘状況")));
        QVERIFY(text.contains(QStringLiteral("基礎砕石")));
        QCOMPARE(text.count(u'\f'), 3); // cover and two pages

        // The photo that could not be loaded is named after the job.
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.contains(dir.filePath("gone.jpg")));
    }

    void failedExportIsReported()
    {
        FormFixture f;
        f.services.fileAnswers.enqueue(dir.filePath("missing/folder/a.pdf"));
        f.form->exportPdf();
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.startsWith(QStringLiteral("PDF ファイルを保存できませんでした。")));
        QVERIFY(!QFile::exists(dir.filePath("missing/folder/a.pdf")));

        f.services.fileAnswers.enqueue(QString()); // cancelled
        f.form->exportPdf();
        QCOMPARE(f.services.messages.size(), 1);
    }
};

QTEST_MAIN(TestForm1Print)
#include "tst_form1_print.moc"
