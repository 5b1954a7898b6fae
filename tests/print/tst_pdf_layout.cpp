// The exported PDF against the layout: every text of the cover and of the
// photo pages, as the album print asks for it, is found by pdftotext at its
// place on its sheet within 0.1 mm, with the margins applied; the photos
// land in their boxes; a page without photo paths comes out blank.
#include "album_document_of.h"
#include "pdf_words.h"
#include "print/pdf_export.h"
#include "recording_surface.h"
#include "text/font_faces.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

constexpr double kTolerance = 0.1; // mm

// A text the print asked for: its sheet and where its cell's top-left corner
// lies on it, in millimetres.
struct PlacedText {
    int page = 1;
    double x = 0.0;
    double y = 0.0;
    QString text;
    double points = 0.0;
};

// The texts of a recorded print with the origin of their sheet added.
QList<PlacedText> placedTexts(const QStringList &calls)
{
    static const QRegularExpression origin(QStringLiteral("^origin ([-0-9.]+) ([-0-9.]+)$"));
    static const QRegularExpression text(QStringLiteral("^text ([-0-9.]+) ([-0-9.]+) (.*)$"));
    static const QRegularExpression size(QStringLiteral("^font size ([0-9.]+)$"));
    QList<PlacedText> placed;
    int page = 1;
    double ox = 0.0;
    double oy = 0.0;
    double points = 0.0;
    for (const QString &call : calls) {
        if (call == QLatin1String("new page")) {
            ++page;
        } else if (const auto m = origin.match(call); m.hasMatch()) {
            ox = m.captured(1).toDouble();
            oy = m.captured(2).toDouble();
        } else if (const auto m = size.match(call); m.hasMatch()) {
            points = m.captured(1).toDouble();
        } else if (const auto m = text.match(call); m.hasMatch()) {
            placed.append({page, ox + m.captured(1).toDouble(), oy + m.captured(2).toDouble(), m.captured(3), points});
        }
    }
    return placed;
}

bool isFullWidth(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x3000)
            return false;
    }
    return true;
}

QImage solid(QColor colour)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestPdfLayout : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString pdf;
    QList<PlacedText> expected;
    QList<Word> words;
    int pages = 0;
    QList<QImage> rendered;
    PrintSettings settings{5, -3, true};

private slots:
    void initTestCase()
    {
        registerFontSubstitutions();
        QVERIFY(dir.isValid());

        CoverData cover;
        const QStringList fields = {"7", "1234", "市道改良工事", "北区一丁目", "7", "4",  "1",
                                    "7", "12",   "25",           "山田建設",   "7", "12", "26"};
        for (int i = 0; i < kCoverFieldCount; ++i)
            cover.field(i + 1) = fields[i];

        AlbumTable table;
        table.reset();
        table.appendPage();
        table.appendPage();
        const QString red = dir.filePath("red.png");
        const QString blue = dir.filePath("blue.png");
        QVERIFY(solid(Qt::red).save(red));
        QVERIFY(solid(Qt::blue).save(blue));
        table.setText(1, AlbumTable::Title, QStringLiteral("床掘状況"));
        table.setText(1, AlbumTable::Comment,
                      QStringLiteral("掘削幅 1.2m\r\n深さ 0.8m\r\n\r\n土質は砂質土で湧水なし。床付面を確認した。"));
        table.setText(1, AlbumTable::PhotoPath, red);
        table.setText(2, AlbumTable::Title, QStringLiteral("写真なし"));
        table.setText(3, AlbumTable::Title, QStringLiteral("基礎砕石"));
        table.setText(3, AlbumTable::Comment, QStringLiteral("t=150"));
        table.setText(3, AlbumTable::PhotoPath, blue);
        table.setText(4, AlbumTable::Title, QStringLiteral("印刷されない頁"));
        table.setText(8, AlbumTable::Title, QStringLiteral("配筋"));
        table.setText(8, AlbumTable::PhotoPath, dir.filePath("gone.jpg"));

        const PrintPictureLoader loader = [](const QString &path, QString *) { return QImage(path); };
        RecordingSurface recording;
        PrintAlbum(recording, *documentOf(table, cover), settings, loader);
        expected = placedTexts(recording.calls);

        pdf = dir.filePath("album.pdf");
        PrintReport report;
        QString error;
        QVERIFY2(exportAlbumPdf(pdf, *documentOf(table, cover), settings, loader, &report, &error), qPrintable(error));
        QCOMPARE(report.missingPhotos, QStringList{dir.filePath("gone.jpg")});
        words = readWords(pdf, &pages, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        runTool(QStringLiteral("pdftoppm"), {"-r", "50", "-png", pdf, dir.filePath("sheet")}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (int page = 1; page <= pages; ++page) {
            rendered.append(QImage(dir.filePath(QStringLiteral("sheet-%1.png").arg(page))));
            QVERIFY(!rendered.last().isNull());
        }
    }

    void everyTextStandsWhereTheLayoutPutsIt()
    {
        QCOMPARE(pages, 4); // cover, page 1, page 2 left blank, page 3
        int checked = 0;
        for (const PlacedText &t : expected) {
            // A text that starts with a blank begins, for poppler, where its
            // first glyph does; those are the number labels, checked through
            // their neighbours' positions and the text of the sheet.
            if (t.text.trimmed().isEmpty() || t.text.front().isSpace())
                continue;
            bool found = false;
            QString near;
            for (const Word &w : words) {
                if (w.page != t.page)
                    continue;
                if (t.text.startsWith(w.text) || w.text.startsWith(t.text)) {
                    if (std::abs(w.left - t.x) <= kTolerance && std::abs(w.top - t.y) <= kTolerance)
                        found = true;
                    else
                        near += QStringLiteral(" (%1, %2)").arg(w.left, 0, 'f', 3).arg(w.top, 0, 'f', 3);
                } else if (w.text.endsWith(t.text) && isFullWidth(t.text)) {
                    // A literal set close behind a figure ("4" then "月")
                    // joins the figure's word; full-width glyphs are one em
                    // wide, so the text ends where the word does.
                    const double right = t.x + double(t.text.size()) * t.points * kMmPerPoint;
                    if (std::abs(w.right - right) <= kTolerance && std::abs(w.top - t.y) <= kTolerance)
                        found = true;
                    else
                        near += QStringLiteral(" (%1-%2, %3)").arg(w.left).arg(w.right).arg(w.top);
                }
            }
            QVERIFY2(found, qPrintable(QStringLiteral("\"%1\" not at (%2, %3) on sheet %4; seen at:%5")
                                           .arg(t.text)
                                           .arg(t.x)
                                           .arg(t.y)
                                           .arg(t.page)
                                           .arg(near)));
            ++checked;
        }
        // The cover's fixed texts and fields, and the pages' titles and comments.
        QVERIFY2(checked >= 40, qPrintable(QString::number(checked)));
    }

    void cancelledExportLeavesTheFileAlone()
    {
        const QString existing = dir.filePath("kept.pdf");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("an older export") > 0);
        file.close();
        AlbumTable table;
        table.reset();
        table.appendPage();
        table.setText(1, AlbumTable::PhotoPath, dir.filePath("red.png"));
        PrintReport report;
        QString error;
        int asked = 0;
        const bool written = exportAlbumPdf(
            existing, *documentOf(table), settings, [](const QString &path, QString *) { return QImage(path); },
            &report, &error,
            [&](int page, int) {
                ++asked;
                return page < 2;
            });
        QVERIFY(!written);
        QVERIFY(report.cancelled);
        QCOMPARE(asked, 2);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("an older export"));
        QCOMPARE(QDir(dir.path()).entryList({"kept.pdf*"}, QDir::Files | QDir::Hidden), QStringList{"kept.pdf"});
    }

    void theBlankPageHoldsNothing()
    {
        for (const Word &w : words)
            QVERIFY2(w.page != 3, qPrintable(w.text));
    }

    void photosFillTheirBoxes()
    {
        // The centre of each slot's photo box, with the margins (5 mm to the
        // right, 3 mm up), at 50 dpi.
        const auto pixel = [&](int page, double xMm, double yMm) {
            return rendered.at(page - 1).pixelColor(int(xMm * 50 / 25.4), int(yMm * 50 / 25.4));
        };
        for (const PlacedText &t : expected) {
            if (t.text == QLatin1String("床掘状況") || t.text == QLatin1String("基礎砕石")) {
                const QColor seen = pixel(t.page, t.x - 60.0, t.y + 30.0);
                const QColor want = t.text == QLatin1String("床掘状況") ? QColor(Qt::red) : QColor(Qt::blue);
                QVERIFY2(std::abs(seen.red() - want.red()) < 40 && std::abs(seen.blue() - want.blue()) < 40,
                         qPrintable(t.text + QLatin1Char(' ') + seen.name()));
            }
        }
    }
};

QTEST_MAIN(TestPdfLayout)
#include "tst_pdf_layout.moc"
