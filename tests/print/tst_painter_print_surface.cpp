#include "pdf_words.h"
#include "print/painter_print_surface.h"
#include "print/print_fonts.h"

#include <QColor>
#include <QFontMetricsF>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

using sorvane::QPainterPrintSurface;
using namespace sorvane::testing;

namespace {

constexpr int kDpi = 600;
constexpr int kRenderDpi = 100;
// Where a word may be, in mm, against where it should be.
constexpr double kPositionTolerance = 0.1;

const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

QFont printFont(const QString &name, double points, bool bold)
{
    QFont font(name);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A 40 by 40 picture in four coloured quarters.
QImage quarteredPicture()
{
    QImage image(40, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool right = x >= 20;
            const bool bottom = y >= 20;
            QColor colour = !bottom ? (right ? Qt::green : Qt::red) : (right ? Qt::yellow : Qt::blue);
            image.setPixel(x, y, colour.rgb());
        }
    }
    return image;
}

void setUpWriter(QPdfWriter &writer, const QMarginsF &marginsMm)
{
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, marginsMm,
                                     QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0)));
}

// What each of the two pages of the main document holds, drawn relative to
// the page's origin: (0, 0) on the first page, (15, 25) on the second.
struct TextCase {
    QString text;
    QString font;
    double points;
    bool bold;
    double x;
    double y;
};

QList<TextCase> textCases(int page)
{
    // The words differ from page to page so each can be found by its text.
    const QString suffix = QString::number(page);
    return {
        {QStringLiteral("写真帳ABC") + suffix, kMincho, 10.5, false, 20.0, 30.0},
        {QStringLiteral("工事名称") + suffix, kGothic, 14.0, true, 60.5, 45.25},
        {QStringLiteral("Sorvane") + suffix, kMincho, 10.5, false, 150.0, 255.0},
        {QStringLiteral("gjpqy") + suffix, kGothic, 14.0, true, 12.3, 200.7},
    };
}

constexpr double kOrigin2X = 15.0;
constexpr double kOrigin2Y = 25.0;

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
    // Corners given bottom-right first: the box is the same either way.
    surface.drawBox(80.0, 170.0, 30.0, 140.0);
    surface.drawPicture(quarteredPicture(), 100.0, 140.0, 60.0, 30.0);
}

} // namespace

class TestPainterPrintSurface : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pdf;
    QList<Word> m_words;
    int m_pageCount = 0;
    QList<QImage> m_rendered;

    QFontMetricsF metricsFor(const TextCase &c)
    {
        QPdfWriter writer(m_dir.filePath(QStringLiteral("metrics.pdf")));
        setUpWriter(writer, QMarginsF(0, 0, 0, 0));
        return QFontMetricsF(printFont(c.font, c.points, c.bold), &writer);
    }

    double toMm(double devicePixels) const { return devicePixels * 25.4 / kDpi; }

    // The rendered sheet's colour at (x, y) mm from its top-left corner.
    QColor colourAt(int page, double x, double y) const
    {
        const QImage &image = m_rendered.at(page - 1);
        return image.pixelColor(int(std::floor(x * kRenderDpi / 25.4)), int(std::floor(y * kRenderDpi / 25.4)));
    }

    // The darkest grey level within one rendered pixel of (x, y) mm.
    int darkestNear(int page, double x, double y) const
    {
        const QImage &image = m_rendered.at(page - 1);
        const int cx = int(std::floor(x * kRenderDpi / 25.4));
        const int cy = int(std::floor(y * kRenderDpi / 25.4));
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx)
                darkest = std::min(darkest, qGray(image.pixel(cx + dx, cy + dy)));
        }
        return darkest;
    }

private slots:
    void initTestCase()
    {
        sorvane::registerPrintFontSubstitutions();
        QVERIFY(m_dir.isValid());
        m_pdf = m_dir.filePath(QStringLiteral("album.pdf"));
        {
            QPdfWriter writer(m_pdf);
            setUpWriter(writer, QMarginsF(0, 0, 0, 0));
            QPainterPrintSurface surface(writer);
            surface.setMillimetres();
            drawSheet(surface, 1);
            surface.newPage();
            surface.setOrigin(kOrigin2X, kOrigin2Y);
            drawSheet(surface, 2);
            surface.endDocument();
            QVERIFY(!surface.isActive());
        }
        QString error;
        m_words = readWords(m_pdf, &m_pageCount, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        const QString prefix = m_dir.filePath(QStringLiteral("render"));
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QString::number(kRenderDpi), QStringLiteral("-png"), m_pdf, prefix}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (int page = 1; page <= 2; ++page) {
            QImage image(prefix + QStringLiteral("-%1.png").arg(page));
            QVERIFY2(!image.isNull(), "pdftoppm wrote no picture of the sheet");
            m_rendered.append(image.convertToFormat(QImage::Format_RGB32));
        }
        if (qEnvironmentVariableIsSet("SORVANE_KEEP_PRINT_OUTPUT")) {
            m_dir.setAutoRemove(false);
            qInfo("print output kept in %s", qPrintable(m_dir.path()));
        }
    }

    void document_hasBothSheets() { QCOMPARE(m_pageCount, 2); }

    void document_sheetIsA4()
    {
        // 100 dpi of 210 by 297 mm, rounded up.
        QCOMPARE(m_rendered.at(0).size(), QSize(827, 1170));
    }

    void document_embedsTheSubstitutedFaces()
    {
        QString error;
        const QString fonts = runTool(QStringLiteral("pdffonts"), {m_pdf}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(fonts.contains(QLatin1String("IPAMincho")), qPrintable(fonts));
        QVERIFY2(fonts.contains(QLatin1String("IPAGothic")), qPrintable(fonts));
    }

    void text_position_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        for (int page = 1; page <= 2; ++page) {
            const QList<TextCase> cases = textCases(page);
            for (int i = 0; i < cases.size(); ++i)
                QTest::addRow("page %d %s", page, qPrintable(cases.at(i).text)) << page << i;
        }
    }

    void text_position()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        const TextCase c = textCases(page).at(index);
        const std::optional<Word> word = findWord(m_words, page, c.text);
        QVERIFY2(word, qPrintable(QStringLiteral("\"%1\" is not on page %2").arg(c.text).arg(page)));

        const double originX = page == 2 ? kOrigin2X : 0.0;
        const double originY = page == 2 ? kOrigin2Y : 0.0;
        // Poppler puts a word's left edge at the first glyph's pen position,
        // and its top at the baseline less the /Ascent of the embedded font's
        // descriptor times the size. Qt writes that /Ascent (880/1000 for both
        // IPA faces) from the same face metrics QFontMetricsF::ascent()
        // reports (0.88 em), so the box's top is the text cell's top. Measured
        // here, left and top both land within 0.001 mm of where they belong.
        const double expectedLeft = originX + c.x;
        const double expectedTop = originY + c.y;
        QVERIFY2(std::abs(word->left - expectedLeft) <= kPositionTolerance,
                 qPrintable(QStringLiteral("left %1 mm, expected %2 mm").arg(word->left).arg(expectedLeft)));
        QVERIFY2(std::abs(word->top - expectedTop) <= kPositionTolerance,
                 qPrintable(QStringLiteral("top %1 mm, expected %2 mm").arg(word->top).arg(expectedTop)));
    }

    void text_size_data() { text_position_data(); }

    void text_size()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        const TextCase c = textCases(page).at(index);
        const std::optional<Word> word = findWord(m_words, page, c.text);
        QVERIFY(word);

        // Poppler's box runs from the descriptor's ascent to its descent, which
        // for the IPA faces add up to exactly one em: the box is as tall as the
        // point size. (Qt rounds the size to whole device pixels, 88 dots for
        // 10.5 pt at 600 dpi, which is 0.02 mm more.) A font scaled twice
        // would be several times taller.
        const double height = word->bottom - word->top;
        const double em = c.points * kMmPerPoint;
        QVERIFY2(std::abs(height - em) <= kPositionTolerance,
                 qPrintable(QStringLiteral("text %1 mm tall for %2 pt (%3 mm)").arg(height).arg(c.points).arg(em)));

        // And as wide as the font measures on the device.
        const QFontMetricsF metrics = metricsFor(c);
        const double expectedWidth = toMm(metrics.horizontalAdvance(c.text));
        const double width = word->right - word->left;
        QVERIFY2(std::abs(width - expectedWidth) <= kPositionTolerance,
                 qPrintable(QStringLiteral("width %1 mm, expected %2 mm").arg(width).arg(expectedWidth)));
    }

    void text_boldIsHeavier()
    {
        // The same words regular and bold in Gothic 14 pt. The IPA faces have
        // no bold style: Qt emboldens by striking the glyphs twice a few dots
        // apart, which keeps the advances (and poppler's boxes) the same but
        // puts clearly more ink on the sheet.
        const QString pdf = m_dir.filePath(QStringLiteral("bold.pdf"));
        {
            QPdfWriter writer(pdf);
            setUpWriter(writer, QMarginsF(0, 0, 0, 0));
            QPainterPrintSurface surface(writer);
            surface.setFontName(kGothic);
            surface.setFontSize(14.0);
            surface.drawText(20.0, 20.0, QStringLiteral("工事写真帳"));
            surface.setFontBold(true);
            surface.drawText(20.0, 40.0, QStringLiteral("工事写真帳"));
            surface.setFontBold(false);
            surface.drawText(20.0, 60.0, QStringLiteral("工事写真帳"));
            surface.endDocument();
        }
        QString error;
        const QString prefix = m_dir.filePath(QStringLiteral("bold"));
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), QStringLiteral("-singlefile"),
                 pdf, prefix},
                &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QImage sheet(prefix + QStringLiteral(".pgm"));
        QVERIFY(!sheet.isNull());
        // Dark dots in the band 0..6 mm below each line's top, 20..60 mm across.
        const auto ink = [&sheet](double top) {
            int count = 0;
            for (int y = int(top * 300 / 25.4); y < int((top + 6.0) * 300 / 25.4); ++y) {
                for (int x = int(20.0 * 300 / 25.4); x < int(60.0 * 300 / 25.4); ++x)
                    count += qGray(sheet.pixel(x, y)) < 128 ? 1 : 0;
            }
            return count;
        };
        const int regular = ink(20.0);
        const int bold = ink(40.0);
        const int regularAgain = ink(60.0);
        QVERIFY(regular > 1000);
        // Bold does not stick once it is switched off again.
        QVERIFY2(std::abs(regularAgain - regular) < regular / 50,
                 qPrintable(QStringLiteral("%1 and %2 dots").arg(regular).arg(regularAgain)));
        QVERIFY2(bold > regular * 1.15, qPrintable(QStringLiteral("bold %1 dots, regular %2").arg(bold).arg(regular)));
    }

    void text_isBlackOnTransparent()
    {
        // The first glyph of the Gothic title, rendered: black ink, with the
        // sheet white right next to the cell (no background box).
        const TextCase c = textCases(1).at(1);
        QVERIFY(darkestNear(1, c.x + 2.0, c.y + 3.0) < 80);
        const QColor outside = colourAt(1, c.x - 1.0, c.y + 1.0);
        QCOMPARE(outside, QColor(Qt::white));
        int darkest = 255;
        QColor darkestColour;
        for (double x = c.x; x < c.x + 10.0; x += 0.2) {
            const QColor colour = colourAt(1, x, c.y + 3.0);
            if (qGray(colour.rgb()) < darkest) {
                darkest = qGray(colour.rgb());
                darkestColour = colour;
            }
        }
        QVERIFY(darkest < 40);
        QVERIFY(std::abs(darkestColour.red() - darkestColour.blue()) < 10);
    }

    void lines_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("dy");
        QTest::addRow("origin") << 1 << 0.0;
        QTest::addRow("moved origin") << 2 << kOrigin2Y;
    }

    void lines()
    {
        QFETCH(int, page);
        QFETCH(double, dy);
        const double dx = page == 2 ? kOrigin2X : 0.0;
        // The 6-dot line (0.25 mm) is drawn, black, and thin.
        QVERIFY(darkestNear(page, dx + 90.0, dy + 100.0) < 100);
        QCOMPARE(colourAt(page, dx + 90.0, dy + 100.8), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 90.0, dy + 99.2), QColor(Qt::white));
        // The 60-dot line is 2.54 mm thick, solid black through.
        for (double y : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
            const QColor colour = colourAt(page, dx + 90.0, dy + 120.0 + y);
            QVERIFY2(colour.red() < 40 && colour.green() < 40 && colour.blue() < 40,
                     qPrintable(QStringLiteral("at %1 mm: %2").arg(y).arg(colour.name())));
        }
        QCOMPARE(colourAt(page, dx + 90.0, dy + 121.8), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 90.0, dy + 118.2), QColor(Qt::white));
        // The lines run from x = 20 to 170 and no further.
        QVERIFY(darkestNear(page, dx + 21.0, dy + 120.0) < 40);
        QVERIFY(darkestNear(page, dx + 169.0, dy + 120.0) < 40);
        QCOMPARE(colourAt(page, dx + 18.5, dy + 120.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 171.5, dy + 120.0), QColor(Qt::white));
        if (page == 2) {
            // Nothing is left where the lines were before the origin moved.
            QCOMPARE(colourAt(page, 90.0, 120.0), QColor(Qt::white));
            QCOMPARE(colourAt(page, 90.0, 100.0), QColor(Qt::white));
        }
    }

    void box_data() { lines_data(); }

    void box()
    {
        QFETCH(int, page);
        QFETCH(double, dy);
        const double dx = page == 2 ? kOrigin2X : 0.0;
        // Outline on all four sides, from (30, 140) to (80, 170).
        QVERIFY(darkestNear(page, dx + 30.0, dy + 155.0) < 100);
        QVERIFY(darkestNear(page, dx + 80.0, dy + 155.0) < 100);
        QVERIFY(darkestNear(page, dx + 55.0, dy + 140.0) < 100);
        QVERIFY(darkestNear(page, dx + 55.0, dy + 170.0) < 100);
        // Not filled, and nothing just outside.
        QCOMPARE(colourAt(page, dx + 55.0, dy + 155.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 31.0, dy + 141.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 29.0, dy + 155.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 81.0, dy + 155.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 55.0, dy + 139.0), QColor(Qt::white));
        QCOMPARE(colourAt(page, dx + 55.0, dy + 171.0), QColor(Qt::white));
    }

    void picture_data() { lines_data(); }

    void picture()
    {
        QFETCH(int, page);
        QFETCH(double, dy);
        const double dx = page == 2 ? kOrigin2X : 0.0;
        // A square picture stretched to 60 by 30 mm at (100, 140): each
        // quarter is 30 by 15 mm.
        const double left = dx + 100.0, top = dy + 140.0, right = left + 60.0, bottom = top + 30.0;
        const auto near = [](const QColor &actual, const QColor &expected) {
            return std::abs(actual.red() - expected.red()) < 30 && std::abs(actual.green() - expected.green()) < 30 &&
                   std::abs(actual.blue() - expected.blue()) < 30;
        };
        struct Probe {
            double x;
            double y;
            QColor colour;
        };
        const double inset = 0.5;
        const QList<Probe> probes = {
            {left + 15.0, top + 7.5, Qt::red},
            {right - 15.0, top + 7.5, Qt::green},
            {left + 15.0, bottom - 7.5, Qt::blue},
            {right - 15.0, bottom - 7.5, Qt::yellow},
            // Just inside each corner and edge.
            {left + inset, top + inset, Qt::red},
            {right - inset, top + inset, Qt::green},
            {left + inset, bottom - inset, Qt::blue},
            {right - inset, bottom - inset, Qt::yellow},
            // The quarters meet in the middle; smoothing blends the colours
            // over about one picture pixel (1.5 mm across, 0.75 mm down) on
            // either side of the seam.
            {left + 27.0, top + 7.5, Qt::red},
            {left + 33.0, top + 7.5, Qt::green},
            {left + 15.0, top + 13.5, Qt::red},
            {left + 15.0, top + 16.5, Qt::blue},
            {left + 45.0, bottom - 13.5, Qt::yellow},
            // Just outside.
            {left - inset, top + 7.5, Qt::white},
            {right + inset, top + 7.5, Qt::white},
            {left + 15.0, top - inset, Qt::white},
            {left + 15.0, bottom + inset, Qt::white},
        };
        for (const Probe &probe : probes) {
            const QColor actual = colourAt(page, probe.x, probe.y);
            QVERIFY2(near(actual, probe.colour), qPrintable(QStringLiteral("at (%1, %2) mm: %3, expected %4")
                                                                .arg(probe.x)
                                                                .arg(probe.y)
                                                                .arg(actual.name(), probe.colour.name())));
        }
    }

    void pageMargins_moveTheOrigin()
    {
        // With page margins the painter's corner is the printable area's,
        // and the surface's origin counts from there.
        const QString pdf = m_dir.filePath(QStringLiteral("margins.pdf"));
        {
            QPdfWriter writer(pdf);
            setUpWriter(writer, QMarginsF(12.0, 18.0, 10.0, 10.0));
            QPainterPrintSurface surface(writer);
            surface.setMillimetres();
            surface.setFontName(kMincho);
            surface.setFontSize(10.5);
            surface.drawText(20.0, 30.0, QStringLiteral("余白"));
            surface.setOrigin(5.0, 7.0);
            surface.drawText(20.0, 60.0, QStringLiteral("原点"));
            surface.endDocument();
        }
        int pages = 0;
        QString error;
        const QList<Word> words = readWords(pdf, &pages, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(pages, 1);
        const std::optional<Word> margin = findWord(words, 1, QStringLiteral("余白"));
        const std::optional<Word> origin = findWord(words, 1, QStringLiteral("原点"));
        QVERIFY(margin && origin);
        QVERIFY2(std::abs(margin->left - 32.0) <= kPositionTolerance, qPrintable(QString::number(margin->left)));
        QVERIFY2(std::abs(margin->top - 48.0) <= kPositionTolerance, qPrintable(QString::number(margin->top)));
        QVERIFY2(std::abs(origin->left - 37.0) <= kPositionTolerance, qPrintable(QString::number(origin->left)));
        QVERIFY2(std::abs(origin->top - 85.0) <= kPositionTolerance, qPrintable(QString::number(origin->top)));
    }

    void endDocument_withoutDrawingGivesOneBlankSheet()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("blank.pdf"));
        {
            QPdfWriter writer(pdf);
            setUpWriter(writer, QMarginsF(0, 0, 0, 0));
            QPainterPrintSurface surface(writer);
            surface.endDocument();
            // Drawing after the hand-over goes nowhere and does not crash.
            surface.drawText(10.0, 10.0, QStringLiteral("late"));
            surface.newPage();
        }
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
