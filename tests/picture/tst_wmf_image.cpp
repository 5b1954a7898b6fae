#include "picture/wmf_image.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <utility>

using namespace sorvane;

namespace {

QByteArray readData(const char *name)
{
    QFile file(QStringLiteral(SORVANE_TEST_DATA "/wmf/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void append16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void append32(QByteArray &out, quint32 value)
{
    append16(out, int(value & 0xFFFF));
    append16(out, int(value >> 16));
}

// Small metafiles written record by record. Objects are numbered in the order
// they are created (the tests never delete any).
class Metafile {
public:
    // MM_ANISOTROPIC with the window (0, 0)-(w, h); no mapping records when w is 0.
    explicit Metafile(int w = 1000, int h = 1000)
    {
        if (w)
            record(0x0103, {8}).record(0x020B, {0, 0}).record(0x020C, {h, w});
    }
    Metafile &record(quint16 function, std::initializer_list<int> words, QByteArrayView tail = {})
    {
        QByteArray params;
        for (const int word : words)
            append16(params, word);
        params.append(tail);
        if (params.size() % 2)
            params.append('\0');
        const int size = 3 + int(params.size() / 2);
        for (const int word : {size, 0, int(function)})
            append16(m_records, word);
        m_records.append(params);
        m_largest = std::max(m_largest, size);
        return *this;
    }
    Metafile &pen(int style, int width, QRgb c) { return object(0x02FA, {style, width, 0, rg(c), qBlue(c)}); }
    Metafile &brush(int style, QRgb c) { return object(0x02FC, {style, rg(c), qBlue(c), 0}); }
    // A font of the given height (negative: em size) and charset.
    Metafile &font(int height, QByteArray face, int charset)
    {
        ++m_objects;
        return record(0x02FB, {height, 0, 0, 0, 400, 0, charset << 8, 0, 0}, face.append('\0'));
    }
    Metafile &select(int object) { return record(0x012D, {object}); }
    Metafile &rectangle(int left, int top, int right, int bottom) { return record(0x041B, {bottom, right, top, left}); }
    // TextOut, or ExtTextOut when a spacing array is given.
    Metafile &text(int x, int y, const QByteArray &text, std::initializer_list<int> dx = {})
    {
        QByteArray tail = text + QByteArray(text.size() % 2, '\0');
        if (dx.size() == 0) {
            append16(tail, y);
            append16(tail, x);
            return record(0x0521, {int(text.size())}, tail);
        }
        for (const int d : dx)
            append16(tail, d);
        return record(0x0A32, {y, x, int(text.size()), 0}, tail);
    }
    // StretchDIB of the bitmap's source rectangle onto the whole 1000×1000 window.
    Metafile &stretchDib(const QByteArray &dib, QRect from, quint32 rop = 0x00CC0020)
    {
        return record(
            0x0F43,
            {int(rop & 0xFFFF), int(rop >> 16), 0, from.height(), from.width(), from.y(), from.x(), 1000, 1000, 0, 0},
            dib);
    }

    QByteArray plain() const
    {
        QByteArray out;
        const int words = 9 + int(m_records.size() / 2) + 3;
        for (const int word : {1, 9, 0x0300, words & 0xFFFF, words >> 16, m_objects, m_largest, 0, 0})
            append16(out, word);
        return out + m_records + QByteArray("\x03\0\0\0\0\0", 6); // and the end record
    }
    QByteArray placeable(int right = 1000, int bottom = 1000, int inch = 1440) const
    {
        QByteArray out;
        append32(out, 0x9AC6CDD7);
        for (const int word : {0, 0, 0, right, bottom, inch, 0, 0})
            append16(out, word);
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= quint16(uchar(out[2 * i]) | (uchar(out[2 * i + 1]) << 8));
        append16(out, sum);
        return out + plain();
    }

private:
    static int rg(QRgb c) { return qRed(c) | (qGreen(c) << 8); }
    Metafile &object(quint16 function, std::initializer_list<int> words)
    {
        ++m_objects;
        return record(function, words);
    }
    QByteArray m_records;
    int m_objects = 0;
    int m_largest = 3; // words, below 0x10000 here
};

// A 2 pixel wide device-independent bitmap: BITMAPINFOHEADER, palette, rows as
// given (bottom row first unless the height is negative, each padded to 4 bytes).
QByteArray dib(int height, int bits, const QList<QRgb> &palette, const QByteArray &rows)
{
    QByteArray out;
    for (const quint32 word :
         {40u, 2u, quint32(height), 1u | quint32(bits) << 16, 0u, 0u, 0u, 0u, quint32(palette.size()), 0u})
        append32(out, word);
    for (const QRgb c : palette)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return out + rows;
}

// Logical points with the colour each must have.
using Spots = QList<std::pair<QPointF, QRgb>>;

constexpr QRgb kNothing = qRgba(0, 0, 0, 0), kWhite = qRgb(255, 255, 255), kBlueFill = qRgb(0, 128, 255);
constexpr QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kYellow = qRgb(255, 255, 0);
constexpr QRgb kOrange = qRgb(255, 128, 0);

const QRectF kSampleFrame(0, 0, 2000, 1000);
// sample-rendered.png shows the drawing's extent as libwmf's scan reports it
// (pens included), not the placeable frame.
const QRectF kReferenceFrame(80, 90, 1960, 870);
const QRectF kTestFrame(0, 0, 1000, 1000); // the synthetic metafiles' window

// A logical rectangle of the frame in image pixels.
QRect pixels(const QImage &image, const QRectF &frame, const QRectF &logical)
{
    return QRect(int((logical.left() - frame.x()) * image.width() / frame.width()),
                 int((logical.top() - frame.y()) * image.height() / frame.height()),
                 int(logical.width() * image.width() / frame.width()),
                 int(logical.height() * image.height() / frame.height()));
}

// How many pixels in the area pass the test (unpremultiplied).
int count(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRect inside = area.intersected(argb.rect());
    int n = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        n += int(std::count_if(line + inside.left(), line + inside.right() + 1, test));
    }
    return n;
}

// Dark, opaque pixels (text and pen ink) in a logical rectangle.
int inkIn(const QImage &image, const QRectF &frame, const QRectF &logical)
{
    return count(image, pixels(image, frame, logical),
                 [](QRgb c) { return qAlpha(c) > 128 && qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128; });
}

// Anti-aliased edges and font differences stay out of the probes; 40 per
// channel still tells every colour of the pictures apart.
bool sameColour(QRgb a, QRgb b, int tolerance = 40)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// The spots whose colour is wrong, described; empty when all are right.
QByteArray wrongSpots(const QImage &image, const QRectF &frame, const Spots &spots)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QString wrong;
    for (const auto &[p, expected] : spots) {
        const QPoint at = pixels(argb, frame, QRectF(p, QSizeF())).topLeft();
        const QRgb c = argb.rect().contains(at) ? argb.pixel(at) : 0x12345678;
        if (!sameColour(c, expected))
            wrong += QStringLiteral("(%1, %2) is #%3; ").arg(p.x()).arg(p.y()).arg(c, 8, 16, QLatin1Char('0'));
    }
    return wrong.toLatin1();
}

#define VERIFY_SPOTS(image, frame, spots)                                                                              \
    do {                                                                                                               \
        const QByteArray wrong = wrongSpots(image, frame, spots);                                                      \
        QVERIFY2(wrong.isEmpty(), wrong.constData());                                                                  \
    } while (false)

// The points with their colours, or all with the first colour.
Spots spots(const QList<QPointF> &points, const QList<QRgb> &colours)
{
    Spots spots;
    for (qsizetype i = 0; i < points.size(); ++i)
        spots.append({points[i], colours.value(i, colours.first())});
    return spots;
}

// sample.wmf: the fills of rectangle, ellipse and triangle, and the bitmap.
const Spots kSampleFills =
    spots({{350, 250}, {900, 250}, {1450, 300}, {1650, 725}, {1850, 725}, {1650, 875}, {1850, 875}},
          {kBlueFill, kBlueFill, kBlueFill, kBlue, kWhite, kRed, kGreen});
// Its pens, 20 units wide: rectangle, ellipse, triangle, polyline vertex and last segment, LineTo.
const QList<QPointF> kSamplePens{{350, 100}, {700, 250}, {1450, 400}, {500, 600}, {1100, 750}, {1833, 600}};
const QList<QPointF> kSamplePaper{{1150, 250}, {650, 820}, {1250, 150}, {1980, 100}};

// The glyph cells of TextOut "工事写真 No.1" (em 120 at (100, 480), top
// aligned) and of ExtTextOut's "①" at (1200, 620).
const QRectF kGlyphCells[] = {{100, 480, 120, 120}, {220, 480, 120, 120}, {340, 480, 120, 120},
                              {460, 480, 120, 120}, {640, 480, 240, 120}, {1200, 620, 120, 120}};

// The colours of a 4×4 grid of points across a 1000×1000 window (x and y at
// 125, 375, 625 and 875), row by row, spaces left out.
Spots grid(const QByteArray &colours)
{
    static const QHash<char, QRgb> byLetter{{'R', kRed},    {'G', kGreen},  {'B', kBlue},
                                            {'Y', kYellow}, {'O', kOrange}, {'.', kNothing}};
    Spots spots;
    const QByteArray letters = QByteArray(colours).replace(' ', "");
    for (qsizetype i = 0; i < letters.size(); ++i)
        spots.append({QPointF(125 + 250 * (i % 4), 125 + 250 * (i / 4)), byLetter.value(letters[i])});
    return spots;
}

} // namespace

class TestWmfImage : public QObject {
    Q_OBJECT
private slots:
    // Whether bytes start like a metafile, and the frame size of those that are one.
    void recognisesMetafiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("wmf");
        QTest::addColumn<QSize>("size");
        // 2000×1000 at 1440 per inch; the plain copy's window is as large, so taken in twips too.
        QTest::newRow("sample") << readData("sample.wmf") << true << QSize(133, 67);
        QTest::newRow("sample, plain") << readData("sample_noplaceable.wmf") << true << QSize(133, 67);
        QTest::newRow("fish, y up") << readData("fish.wmf") << true << QSize(288, 211); // 3003×2199 at 1000
        QTest::newRow("placeable, 576 per inch")
            << Metafile(1000, 500).placeable(1152, 576, 576) << true << QSize(192, 96);
        QTest::newRow("plain, small window in pixels")
            << Metafile(400, 300).rectangle(0, 0, 10, 10).plain() << true << QSize(400, 300);
        // No window: the extent of what is drawn (MM_TEXT units are pixels).
        QTest::newRow("plain, drawing only")
            << Metafile(0).pen(5, 0, 0).select(0).rectangle(10, 20, 110, 70).plain() << true << QSize(101, 51);
        QTest::newRow("plain, nothing drawn") << Metafile(0).plain() << true << QSize();
        QTest::newRow("placeable header only") << readData("sample.wmf").first(22) << true << QSize();
        QTest::newRow("plain, first six bytes") << readData("sample_noplaceable.wmf").first(6) << true << QSize();
        QTest::newRow("type 2, version 0x0100") << QByteArray("\x02\x00\x09\x00\x00\x01", 6) << true << QSize();
        QTest::newRow("placeable key only") << QByteArray("\xD7\xCD\xC6\x9A", 4) << true << QSize();
        QTest::newRow("cut key") << QByteArray("\xD7\xCD\xC6", 3) << false << QSize();
        QTest::newRow("version 0x0200") << QByteArray("\x01\x00\x09\x00\x00\x02", 6) << false << QSize();
        QTest::newRow("header of 8 words") << QByteArray("\x01\x00\x08\x00\x00\x03", 6) << false << QSize();
        QTest::newRow("type 3") << QByteArray("\x03\x00\x09\x00\x00\x03", 6) << false << QSize();
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << false << QSize();
        QTest::newRow("empty") << QByteArray() << false << QSize();
    }
    void recognisesMetafiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, wmf);
        QFETCH(QSize, size);
        QCOMPARE(isWmf(bytes), wmf);
        QCOMPARE(wmfFrameSize(bytes), size);
    }

    // Shapes, pens and bitmap where the reference rendering has them. Its
    // text is twice as wide as the font, though: here each character has ink
    // in its own em cell, and nothing follows "No.1" or lies above. The plain
    // copy draws the same picture.
    void matchesReferenceRendering()
    {
        const QImage reference(QStringLiteral(SORVANE_TEST_DATA "/wmf/sample-rendered.png"));
        QVERIFY(!reference.isNull());
        QString error;
        const QImage image = renderWmf(readData("sample.wmf"), reference.size(), &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(image.size(), reference.size());
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        VERIFY_SPOTS(reference, kReferenceFrame,
                     kSampleFills + spots(kSamplePens, {kRed}) + spots(kSamplePaper, {kWhite}));
        VERIFY_SPOTS(image, kSampleFrame, kSampleFills + spots(kSamplePens, {kRed}) + spots(kSamplePaper, {kNothing}));
        for (const QRectF &cell : kGlyphCells)
            QVERIFY2(inkIn(image, kSampleFrame, cell) > 100, qPrintable(QStringLiteral("cell at x %1").arg(cell.x())));
        QCOMPARE(inkIn(image, kSampleFrame, QRectF(900, 480, 500, 110)), 0);
        QCOMPARE(inkIn(image, kSampleFrame, QRectF(100, 300, 1000, 170)), 0);

        const QImage plain = renderWmf(readData("sample_noplaceable.wmf"), reference.size());
        QCOMPARE(plain.size(), image.size());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!sameColour(image.pixel(x, y), plain.pixel(x, y), 8))
                    QFAIL(qPrintable(QStringLiteral("plain copy differs at %1, %2").arg(x).arg(y)));
            }
        }
    }

    // Clip-art whose windows have the y axis pointing up: how much is
    // covered, and colours where they belong (at fractions of the picture).
    void clipArt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("opaquePerMille");
        QTest::addColumn<Spots>("spots");
        const QRgb teal = qRgb(150, 204, 204), white = qRgb(237, 245, 245), blue = qRgb(0, 204, 255);
        QTest::newRow("fish") << readData("fish.wmf") << QSize(576, 422) << 700
                              << spots({{0.05, 0.05}, {0.3, 0.1}, {0.5, 0.93}, {0.85, 0.25}, {0.6, 0.3}, {0.03, 0.55}},
                                       {kNothing, teal, teal, white, blue, kNothing});
        const QRgb bun = qRgb(199, 148, 84), meat = qRgb(171, 125, 105), tomato = qRgb(227, 51, 56),
                   lettuce = qRgb(158, 245, 186), bottom = qRgb(189, 107, 0);
        QTest::newRow("burger")
            << readData("burger.wmf") << QSize(440, 390) << 780
            << spots({{0.03, 0.03}, {0.5, 0.12}, {0.5, 0.46}, {0.3, 0.62}, {0.12, 0.78}, {0.5, 0.93}, {0.97, 0.97}},
                     {kNothing, bun, meat, tomato, lettuce, bottom, kNothing});
    }
    void clipArt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, opaquePerMille);
        QFETCH(Spots, spots);
        QString error;
        const QImage image = renderWmf(bytes, size, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(image.size(), size);
        const int opaque = count(image, image.rect(), [](QRgb c) { return qAlpha(c) > 0; });
        QVERIFY2(opaque * 1000 / (size.width() * size.height()) >= opaquePerMille, qPrintable(QString::number(opaque)));
        VERIFY_SPOTS(image, QRectF(0, 0, 1, 1), spots);
    }

    // Stretched to any aspect; pens keep one width in both directions, the
    // logical width stretched by both axes.
    void stretchesToAnyAspect_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("tall") << QSize(300, 600);
        QTest::newRow("wide") << QSize(1200, 150);
    }
    void stretchesToAnyAspect()
    {
        QFETCH(QSize, size);
        const QImage image = renderWmf(readData("sample.wmf"), size);
        QCOMPARE(image.size(), size);
        VERIFY_SPOTS(image, kSampleFrame, kSampleFills + spots(kSamplePaper, {kNothing}));
        // The drawing reaches from the rectangle's pen, outside (100, 100), to
        // the end of the LineTo line at (1950, 950).
        const double sx = size.width() / 2000.0, sy = size.height() / 1000.0, halfPen = 10 * std::sqrt(sx * sy);
        QRect drawn;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 128)
                    drawn |= QRect(x, y, 1, 1);
            }
        }
        const double expected[] = {100 * sx - halfPen, 100 * sy - halfPen, 1950 * sx + halfPen, 950 * sy + halfPen};
        const int found[] = {drawn.left(), drawn.top(), drawn.right() + 1, drawn.bottom() + 1};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(found[i] - expected[i]) <= 1.5,
                     qPrintable(QStringLiteral("side %1: %2").arg(i).arg(found[i])));
    }

    void alignsText_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<QRectF>("inked"); // logical areas, around the reference point (500, 500)
        QTest::addColumn<QRectF>("blank");
        QTest::newRow("left, top") << 0 << QRectF(500, 500, 300, 100) << QRectF(0, 0, 1000, 490);
        QTest::newRow("right, baseline") << (2 | 24) << QRectF(200, 400, 300, 100) << QRectF(510, 0, 490, 1000);
        QTest::newRow("centre, baseline, right half")
            << (6 | 24) << QRectF(500, 400, 150, 100) << QRectF(0, 510, 1000, 490);
        QTest::newRow("centre, baseline, left half")
            << (6 | 24) << QRectF(350, 400, 150, 100) << QRectF(0, 510, 1000, 490);
        // The bottom of the cell, below the baseline by the descent.
        QTest::newRow("left, bottom") << 8 << QRectF(500, 400, 300, 100) << QRectF(0, 485, 1000, 515);
    }
    void alignsText()
    {
        QFETCH(int, align);
        QFETCH(QRectF, inked);
        QFETCH(QRectF, blank);
        // "WWWW" in a 100 unit em: about 380 units wide, with no descender.
        const QImage image = renderWmf(
            Metafile().font(-100, "Arial", 0).select(0).record(0x012E, {align}).text(500, 500, "WWWW").placeable(),
            QSize(400, 400));
        QVERIFY(!image.isNull());
        QVERIFY(inkIn(image, kTestFrame, inked) > 100);
        QCOMPARE(inkIn(image, kTestFrame, blank), 0);
    }

    // ExtTextOut "工事" with a spacing array (one entry per byte) draws each
    // character whole, at its own offset, as two TextOut records would.
    void keepsShiftJisPairsWithSpacing()
    {
        const QByteArray kouji("\x8D\x48\x8E\x96");
        auto withFont = [] { return Metafile().font(-100, "\x82\x6C\x82\x72 \x96\xBE\x92\xA9", 128).select(0); };
        const QImage spaced = renderWmf(withFont().text(100, 300, kouji, {300, 0, 300, 0}).placeable(), {500, 500});
        const QImage single = renderWmf(
            withFont().text(100, 300, kouji.first(2)).text(400, 300, kouji.sliced(2)).placeable(), {500, 500});
        QVERIFY(!spaced.isNull() && !single.isNull());
        QCOMPARE(inkIn(spaced, kTestFrame, QRectF(210, 280, 180, 140)), 0);
        for (const QRectF &cell : {QRectF(100, 300, 100, 100), QRectF(400, 300, 100, 100)}) {
            const int a = inkIn(spaced, kTestFrame, cell), b = inkIn(single, kTestFrame, cell);
            QVERIFY2(b > 100 && std::abs(a - b) <= b / 10, qPrintable(QStringLiteral("%1 / %2").arg(a).arg(b)));
        }
    }

    // Bitmaps, raster operations, clipping, arcs and flood fill, each drawn
    // into the 1000×1000 window and probed on a grid.
    void drawsRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("colours");
        const QRect whole(0, 0, 2, 2);
        const QList<QRgb> palette{kRed, kGreen, kBlue, kYellow}; // the bitmaps show red | green over blue | yellow
        const QByteArray bottomUp = dib(2, 8, palette, QByteArray("\x02\x03\0\0\x00\x01\0\0", 8));
        const QByteArray topDown = dib(-2, 8, palette, QByteArray("\x00\x01\0\0\x02\x03\0\0", 8));
        const QByteArray fourBit = dib(2, 4, palette, QByteArray("\x23\0\0\0\x01\0\0\0", 8));
        const QByteArray oneBit = dib(2, 1, {kRed, kBlue}, QByteArray("\x40\0\0\0\x80\0\0\0", 8));
        const QByteArray quadrants("RRGG RRGG BBYY BBYY");
        QTest::newRow("8 bit") << Metafile().stretchDib(bottomUp, whole).placeable() << quadrants;
        QTest::newRow("8 bit, top down") << Metafile().stretchDib(topDown, whole).placeable() << quadrants;
        QTest::newRow("4 bit") << Metafile().stretchDib(fourBit, whole).placeable() << quadrants;
        QTest::newRow("1 bit") << Metafile().stretchDib(oneBit, whole).placeable() << QByteArray("BBRR BBRR RRBB RRBB");
        // A bottom-up bitmap's source rectangle counts from its bottom row.
        QTest::newRow("bottom-up, crop at row 0")
            << Metafile().stretchDib(bottomUp, QRect(0, 0, 1, 1)).placeable() << QByteArray(16, 'B');
        QTest::newRow("bottom-up, crop at row 1")
            << Metafile().stretchDib(bottomUp, QRect(0, 1, 1, 1)).placeable() << QByteArray(16, 'R');
        QTest::newRow("top down, crop at row 0")
            << Metafile().stretchDib(topDown, QRect(0, 0, 1, 1)).placeable() << QByteArray(16, 'R');
        // The usual transparent bitmap: SRCAND with a mask (black where the
        // picture is), then SRCPAINT with the picture on black. Where the
        // mask is white the picture stays transparent.
        const QByteArray mask = dib(2, 1, {0, kWhite}, QByteArray("\x40\0\0\0\xC0\0\0\0", 8));
        const QByteArray picture = dib(2, 24, {}, QByteArray("\0\0\xFF\0\0\0\0\0", 8) + QByteArray(8, '\0'));
        QTest::newRow("mask bitmaps")
            << Metafile().stretchDib(mask, whole, 0x008800C6).stretchDib(picture, whole, 0x00EE0086).placeable()
            << QByteArray(".... .... RR.. RR..");
        const auto redBrush = [] { return Metafile().pen(5, 0, 0).brush(0, kRed).select(0).select(1); };
        QTest::newRow("IntersectClipRect")
            << redBrush().record(0x0416, {600, 600, 200, 200}).rectangle(0, 0, 1000, 1000).placeable()
            << QByteArray(".... .R.. .... ....");
        // Two squares, one inside the other, and a line of two points that is
        // left out: a hole in the alternate fill mode, none when winding.
        const std::initializer_list<int> squares{3, 4, 2,  4,  0,   0,   1000, 0,   1000, 1000, 0,   1000,
                                                 0, 0, 10, 10, 250, 250, 750,  250, 750,  750,  250, 750};
        QTest::newRow("PolyPolygon, alternate")
            << redBrush().record(0x0538, squares).placeable() << QByteArray("RRRR R..R R..R RRRR");
        QTest::newRow("PolyPolygon, winding")
            << redBrush().record(0x0106, {2}).record(0x0538, squares).placeable() << QByteArray(16, 'R');
        // From the ray to 3 o'clock counter-clockwise to the ray to 12 o'clock.
        QTest::newRow("pie") << redBrush().record(0x081A, {0, 500, 500, 1000, 1000, 1000, 0, 0}).placeable()
                             << QByteArray("..R. ..RR .... ....");
        Metafile flood = Metafile().pen(0, 20, 0).brush(1, 0).brush(0, kOrange).select(0).select(1);
        flood.rectangle(200, 200, 800, 800).select(2).record(0x0548, {0, 0, 0, 500, 500}); // to the black border
        QTest::newRow("flood fill") << flood.placeable() << QByteArray(".... .OO. .OO. ....");
    }
    void drawsRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, colours);
        QString error;
        const QImage image = renderWmf(bytes, QSize(100, 100), &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        VERIFY_SPOTS(image, kTestFrame, grid(colours));
    }

    // A deadline that has passed stops the drawing and says so; with time
    // left the picture is the one the three-argument form draws. Failures of
    // another kind are no timeout, whatever the deadline.
    void stopsAtTheDeadline()
    {
        const QByteArray sample = readData("sample.wmf");
        const QSize size(400, 200);
        QString error;
        bool timedOut = false;
        QVERIFY(renderWmf(sample, size, &error, QDeadlineTimer(0), &timedOut).isNull());
        QVERIFY(timedOut);
        QVERIFY(!error.isEmpty());

        timedOut = true;
        const QImage image = renderWmf(sample, size, &error, QDeadlineTimer(60000), &timedOut);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QVERIFY(!timedOut);
        QVERIFY(error.isEmpty());
        QCOMPARE(image, renderWmf(sample, size));
        VERIFY_SPOTS(image, kSampleFrame, kSampleFills);

        timedOut = true;
        QVERIFY(renderWmf(sample, size, &error, QDeadlineTimer(QDeadlineTimer::Forever), &timedOut) == image);
        QVERIFY(!timedOut);
        for (const QDeadlineTimer deadline : {QDeadlineTimer(0), QDeadlineTimer(60000)}) {
            timedOut = true;
            QVERIFY(renderWmf("not a metafile at all", size, &error, deadline, &timedOut).isNull());
            QVERIFY(!error.isEmpty());
            QVERIFY(!timedOut);
            timedOut = true;
            QVERIFY(renderWmf(sample, QSize(0, 10), &error, deadline, &timedOut).isNull());
            QVERIFY(!timedOut);
        }
        QVERIFY(renderWmf(sample, size, nullptr, QDeadlineTimer(0), nullptr).isNull());
    }

    // Sizes out of range, cut or damaged metafiles give a picture or a
    // reason, never a crash; a cut after a record still shows what came before it.
    void refusesOrSurvivesDamage()
    {
        const QByteArray sample = readData("sample.wmf");
        const QByteArray fish = readData("fish.wmf");
        QString error;
        for (const QSize size :
             {QSize(0, 10), QSize(10, 0), QSize(kMaxWmfImageSide + 1, 10), QSize(10, kMaxWmfImageSide + 1)}) {
            QVERIFY(renderWmf(sample, size, &error).isNull());
            QVERIFY(!error.isEmpty());
        }
        QVERIFY2(!renderWmf(sample, QSize(kMaxWmfImageSide, 2), &error).isNull(), qPrintable(error));
        QVERIFY(error.isEmpty());
        QVERIFY(renderWmf("not a metafile at all", QSize(10, 10), &error).isNull());
        QVERIFY(!error.isEmpty());

        auto survives = [](const QByteArray &bytes) {
            QString error;
            const QImage image = renderWmf(bytes, QSize(64, 48), &error);
            (void)wmfFrameSize(bytes);
            return image.isNull() ? !error.isEmpty() : image.size() == QSize(64, 48) && error.isEmpty();
        };
        for (int i = 0; i <= 50; ++i)
            QVERIFY2(survives(sample.first(sample.size() * i / 50)), qPrintable(QStringLiteral("cut %1").arg(i)));
        // Cut before the ellipse record (offset 0xD0): the rectangle only.
        const QImage partial = renderWmf(sample.first(0xD0 + 8), QSize(200, 100), &error);
        QVERIFY2(!partial.isNull(), qPrintable(error));
        VERIFY_SPOTS(partial, kSampleFrame, spots({{350, 250}, {900, 250}}, {kBlueFill, kNothing}));

        QRandomGenerator random(20240611);
        for (int i = 0; i < 200; ++i) { // garbage alone, and after a real header
            QByteArray bytes(1 + random.bounded(2000), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            if (i % 2)
                bytes.prepend(sample.first(i % 4 == 1 ? 40 : 22));
            QVERIFY2(survives(bytes), qPrintable(QStringLiteral("garbage %1").arg(i)));
        }
        for (int i = 0; i < 300; ++i) { // damaged words in real metafiles: sizes, counts, object numbers
            QByteArray bytes = i % 3 ? sample : fish;
            for (int n = random.bounded(1, 8); n > 0; --n) {
                const qsizetype at = random.bounded(40, int(bytes.size()) - 1) & ~1;
                static const quint16 values[] = {0, 1, 3, 0x7FFF, 0x8000, 0xFFFF};
                const quint16 value = random.bounded(2) ? values[random.bounded(6)] : quint16(random.generate());
                bytes[at] = char(value & 0xFF);
                bytes[at + 1] = char(value >> 8);
            }
            QVERIFY2(survives(bytes), qPrintable(QStringLiteral("damage %1").arg(i)));
        }
    }
};

QTEST_MAIN(TestWmfImage)
#include "tst_wmf_image.moc"
