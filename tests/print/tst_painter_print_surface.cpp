// The painter surface on a real PDF writer, read back with poppler: words
// through pdftotext, lines, boxes and pictures from rendered sheets.
#include "pdf_words.h"
#include "print/painter_print_surface.h"
#include "text/font_faces.h"

#include <QColor>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using sorvane::QPainterPrintSurface;
using namespace sorvane::testing;

namespace {

constexpr int kDpi = 600;
constexpr int kRenderDpi = 100;
constexpr double kTolerance = 0.1; // mm

const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

// The main document's page margins (left 12, top 18 mm): the surface counts
// from the printable area's corner. Its second sheet moves the origin too.
const QMarginsF kPageMargins(12.0, 18.0, 10.0, 10.0);
const QPointF kOrigins[2] = {{12.0, 18.0}, {12.0 + 15.0, 18.0 + 25.0}};

struct TextCase {
    QString text; // ends with the page number, to tell the sheets apart
    QString font;
    double points;
    bool bold;
    double x;
    double y;
};

QList<TextCase> textCases(int page)
{
    const QString n = QString::number(page);
    return {{"写真帳ABC" + n, kMincho, 10.5, false, 20.0, 30.0}, {"工事名称" + n, kGothic, 14.0, true, 150.5, 230.25}};
}

QFont printFont(const TextCase &c)
{
    QFont font(c.font);
    font.setPointSizeF(c.points);
    font.setBold(c.bold);
    return font;
}

void setUpWriter(QPdfWriter &writer, const QMarginsF &margins)
{
    writer.setResolution(kDpi);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins, QPageLayout::Millimeter, QMarginsF()));
}

// An A4 PDF at 600 dpi, drawn by draw on a surface over it.
template <typename Draw> void writePdf(const QString &path, const QMarginsF &margins, Draw draw)
{
    QPdfWriter writer(path);
    setUpWriter(writer, margins);
    QPainterPrintSurface surface(writer);
    draw(surface);
}

// The sheets of a PDF rendered by pdftoppm.
QList<QImage> render(const QString &pdf, int dpi, QString *error)
{
    runTool("pdftoppm", {"-r", QString::number(dpi), "-png", pdf, pdf}, error);
    QList<QImage> sheets;
    for (QImage sheet; !(sheet = QImage(pdf + QStringLiteral("-%1.png").arg(sheets.size() + 1))).isNull();)
        sheets << sheet.convertToFormat(QImage::Format_RGB32);
    return sheets;
}

// A 40 by 40 picture in four quarters: red, green above blue, yellow.
QImage quarteredPicture()
{
    QImage image(40, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            image.setPixelColor(x, y, y < 20 ? (x < 20 ? Qt::red : Qt::green) : (x < 20 ? Qt::blue : Qt::yellow));
    }
    return image;
}

void drawSheet(QPainterPrintSurface &surface, int page)
{
    for (const TextCase &c : textCases(page)) {
        surface.setFontName(c.font);
        surface.setFontSize(c.points);
        surface.setFontBold(c.bold);
        surface.drawText(c.x, c.y, c.text);
    }
    surface.setLineWidth(6);
    surface.drawLine(20.0, 100.0, 170.0, 100.0);
    surface.setLineWidth(60);
    surface.drawLine(20.0, 120.0, 170.0, 120.0);
    surface.setLineWidth(6);
    surface.drawBox(80.0, 170.0, 30.0, 140.0); // corners bottom-right first
    surface.drawPicture(quarteredPicture(), 100.0, 140.0, 60.0, 30.0);
}

// Points of a rendered sheet, in mm from the origin, by what they show: a
// colour, or (for an invalid colour) black or grey ink within one pixel.
const struct {
    QColor colour;
    QList<QPointF> points;
} kProbes[] = {
    // The 6-dot (0.25 mm) line at y 100 and the 60-dot (2.54 mm) one at 120,
    // both from x 20 to 170; the box from (30, 140) to (80, 170); the word.
    {QColor(), {{90, 100}, {21, 120}, {169, 120}, {30, 155}, {80, 155}, {55, 140}, {55, 170}, {152.5, 233.25}}},
    {Qt::black, {{90, 119}, {90, 120}, {90, 121}}},
    // The square picture stretched to 60 by 30 mm at (100, 140), half a
    // millimetre inside its corners.
    {Qt::red, {{100.5, 140.5}}},
    {Qt::green, {{159.5, 140.5}}},
    {Qt::blue, {{100.5, 169.5}}},
    {Qt::yellow, {{159.5, 169.5}}},
    // Paper: beside the lines, inside and around the box, half a millimetre
    // around the picture, and behind the word.
    {Qt::white, {{90, 99.2}, {90, 100.8}, {90, 118.2}, {90, 121.8}, {18.5, 120}, {171.5, 120}}},
    {Qt::white, {{55, 155}, {29, 155}, {81, 155}, {55, 139}, {55, 171}}},
    {Qt::white, {{99.5, 155}, {160.5, 155}, {130, 139.5}, {130, 170.5}, {149.5, 231.25}}}};

} // namespace

class TestPainterPrintSurface : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pdf;
    QList<Word> m_words;
    int m_pageCount = 0;
    QList<QImage> m_sheets;

private slots:
    void initTestCase()
    {
        sorvane::registerFontSubstitutions();
        QVERIFY(m_dir.isValid());
        m_pdf = m_dir.filePath("album.pdf");
        writePdf(m_pdf, kPageMargins, [](QPainterPrintSurface &surface) {
            surface.setMillimetres();
            drawSheet(surface, 1);
            surface.newPage();
            surface.setOrigin(15.0, 25.0);
            drawSheet(surface, 2);
            surface.endDocument();
            QVERIFY(!surface.isActive());
        });
        QString error;
        m_words = readWords(m_pdf, &m_pageCount, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        m_sheets = render(m_pdf, kRenderDpi, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        if (qEnvironmentVariableIsSet("SORVANE_KEEP_PRINT_OUTPUT")) {
            m_dir.setAutoRemove(false);
            qInfo("print output kept in %s", qPrintable(m_dir.path()));
        }
    }

    // Two A4 sheets (100 dpi of 210 by 297 mm, rounded up) in the IPA faces
    // that stand in for the layouts' fonts.
    void document()
    {
        QCOMPARE(m_pageCount, 2);
        QCOMPARE(m_sheets.size(), 2);
        QCOMPARE(m_sheets[0].size(), QSize(827, 1170));
        QString error;
        const QString fonts = runTool("pdffonts", {m_pdf}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(fonts.contains("IPAMincho") && fonts.contains("IPAGothic"), qPrintable(fonts));
    }

    void text_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        for (int page = 1; page <= 2; ++page) {
            for (int i = 0; i < textCases(page).size(); ++i)
                QTest::addRow("%s", qPrintable(textCases(page)[i].text)) << page << i;
        }
    }

    // Poppler's word box starts at the first glyph's pen position and at the
    // baseline less the embedded font's /Ascent (0.88 em for the IPA faces,
    // as Qt's ascent), so it lies on the text cell; its height, ascent plus
    // descent, is one em: the point size on the device. Its width is the
    // font's advance measured on the device.
    void text()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        const TextCase c = textCases(page).at(index);
        const std::optional<Word> word = findWord(m_words, page, c.text);
        QVERIFY2(word, qPrintable(c.text + " is missing"));
        QPdfWriter writer(m_dir.filePath("metrics.pdf"));
        setUpWriter(writer, kPageMargins);
        const double width = QFontMetricsF(printFont(c), &writer).horizontalAdvance(c.text) * 25.4 / kDpi;
        const QPointF origin = kOrigins[page - 1];
        const struct {
            const char *what;
            double actual;
            double expected;
        } checks[] = {{"left", word->left, origin.x() + c.x},
                      {"top", word->top, origin.y() + c.y},
                      {"height", word->bottom - word->top, c.points * kMmPerPoint},
                      {"width", word->right - word->left, width}};
        for (const auto &check : checks) {
            QVERIFY2(
                std::abs(check.actual - check.expected) <= kTolerance,
                qPrintable(
                    QStringLiteral("%1 %2 mm, expected %3 mm").arg(check.what).arg(check.actual).arg(check.expected)));
        }
    }

    void sheet_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("page 1") << 1;
        QTest::newRow("page 2, moved origin") << 2;
    }

    void sheet()
    {
        QFETCH(int, page);
        const QImage &image = m_sheets.at(page - 1);
        const QPointF origin = kOrigins[page - 1];
        for (const auto &[colour, points] : kProbes) {
            for (const QPointF &at : points) {
                const int cx = int(std::floor((origin.x() + at.x()) * kRenderDpi / 25.4));
                const int cy = int(std::floor((origin.y() + at.y()) * kRenderDpi / 25.4));
                QColor seen = image.pixelColor(cx, cy);
                bool ok = seen == colour;
                if (!colour.isValid()) {
                    for (int d = 0; d < 9; ++d) {
                        if (qGray(image.pixel(cx + d % 3 - 1, cy + d / 3 - 1)) < qGray(seen.rgb()))
                            seen = image.pixelColor(cx + d % 3 - 1, cy + d / 3 - 1);
                    }
                    ok = qGray(seen.rgb()) < 100 && qAbs(seen.red() - seen.blue()) < 10 &&
                         qAbs(seen.green() - seen.blue()) < 10;
                } else if (colour != Qt::white) {
                    ok = qAbs(seen.red() - colour.red()) < 40 && qAbs(seen.green() - colour.green()) < 40 &&
                         qAbs(seen.blue() - colour.blue()) < 40;
                }
                QVERIFY2(ok, qPrintable(QStringLiteral("at (%1, %2) mm: %3").arg(at.x()).arg(at.y()).arg(seen.name())));
            }
        }
    }

    // The IPA faces have no bold style: Qt strikes the glyphs twice a few
    // dots apart, which puts clearly more ink on the sheet. Bold does not
    // stick once switched off.
    void boldIsHeavier()
    {
        const QString pdf = m_dir.filePath("bold.pdf");
        writePdf(pdf, QMarginsF(), [](QPainterPrintSurface &surface) {
            surface.setFontName(kGothic);
            surface.setFontSize(14.0);
            for (int line = 0; line < 3; ++line) {
                surface.setFontBold(line == 1);
                surface.drawText(20.0, 20.0 + 20.0 * line, "工事写真帳");
            }
            surface.endDocument();
        });
        QString error;
        const QList<QImage> sheets = render(pdf, 300, &error);
        QVERIFY2(error.isEmpty() && sheets.size() == 1, qPrintable(error));
        // Dark dots in the band 0..6 mm below each line's top, 20..60 mm across.
        int ink[3] = {};
        for (int line = 0; line < 3; ++line) {
            const double top = 20.0 + 20.0 * line;
            for (int y = int(top * 300 / 25.4); y < int((top + 6.0) * 300 / 25.4); ++y) {
                for (int x = int(20.0 * 300 / 25.4); x < int(60.0 * 300 / 25.4); ++x)
                    ink[line] += qGray(sheets[0].pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        QVERIFY2(
            ink[0] > 1000 && ink[1] > ink[0] * 1.15 && std::abs(ink[2] - ink[0]) < ink[0] / 50,
            qPrintable(QStringLiteral("regular %1, bold %2, regular %3 dots").arg(ink[0]).arg(ink[1]).arg(ink[2])));
    }

    // Ending at once still hands over one blank sheet; drawing after that
    // goes nowhere.
    void endDocumentWithoutDrawing()
    {
        const QString pdf = m_dir.filePath("blank.pdf");
        writePdf(pdf, QMarginsF(), [](QPainterPrintSurface &surface) {
            surface.endDocument();
            surface.drawText(10.0, 10.0, "late");
            surface.newPage();
        });
        int pages = 0;
        QString error;
        const QList<Word> words = readWords(pdf, &pages, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(pages, 1);
        QVERIFY(words.isEmpty());
    }
};

QTEST_MAIN(TestPainterPrintSurface)
#include "tst_painter_print_surface.moc"
