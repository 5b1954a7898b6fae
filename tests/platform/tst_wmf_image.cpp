#include "platform/wmf_image.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

using namespace sorvane;

namespace {

QByteArray readData(const QString &name)
{
    QFile file(QStringLiteral(SORVANE_TEST_DATA "/wmf/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void append16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
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
    Metafile &record(quint16 function, std::initializer_list<int> words, QByteArrayView tail = {})
    {
        QByteArray params;
        for (const int word : words)
            append16(params, word);
        params.append(tail);
        if (params.size() % 2)
            params.append('\0');
        append32(m_records, quint32(3 + params.size() / 2));
        append16(m_records, function);
        m_records.append(params);
        m_largest = std::max(m_largest, quint32(3 + params.size() / 2));
        return *this;
    }
    // MM_ANISOTROPIC with the window (0, 0)-(w, h).
    Metafile &window(int w, int h)
    {
        record(0x0103, {8});
        record(0x020B, {0, 0});
        return record(0x020C, {h, w});
    }
    Metafile &pen(int style, int width, QRgb c) { return object(0x02FA, {style, width, 0, rg(c), qBlue(c)}); }
    Metafile &brush(int style, QRgb c, int hatch = 0) { return object(0x02FC, {style, rg(c), qBlue(c), hatch}); }
    // A font of the given height (negative: em size) and charset.
    Metafile &font(int height, QByteArray face, int charset)
    {
        face.append('\0');
        ++m_objects;
        return record(0x02FB, {height, 0, 0, 0, 400, 0, charset << 8, 0, 0}, face);
    }
    Metafile &select(int object) { return record(0x012D, {object}); }
    Metafile &textAlign(int align) { return record(0x012E, {align}); }
    Metafile &rectangle(int left, int top, int right, int bottom) { return record(0x041B, {bottom, right, top, left}); }
    Metafile &textOut(int x, int y, const QByteArray &text)
    {
        QByteArray tail = text;
        if (tail.size() % 2)
            tail.append('\0');
        append16(tail, y);
        append16(tail, x);
        return record(0x0521, {int(text.size())}, tail);
    }
    Metafile &extTextOut(int x, int y, const QByteArray &text, std::initializer_list<int> dx)
    {
        QByteArray tail = text;
        if (tail.size() % 2)
            tail.append('\0');
        for (const int d : dx)
            append16(tail, d);
        return record(0x0A32, {y, x, int(text.size()), 0}, tail);
    }
    // StretchDIB of the whole bitmap onto (x, y, w, h).
    Metafile &stretchDib(int x, int y, int w, int h, int bitmapW, int bitmapH, const QByteArray &dib,
                         quint32 rop = 0x00CC0020)
    {
        return record(0x0F43, {int(rop & 0xFFFF), int(rop >> 16), 0, bitmapH, bitmapW, 0, 0, h, w, y, x}, dib);
    }

    QByteArray plain() const
    {
        QByteArray out;
        append16(out, 1);
        append16(out, 9);
        append16(out, 0x0300);
        append32(out, quint32(9 + m_records.size() / 2 + 3));
        append16(out, m_objects);
        append32(out, m_largest);
        append16(out, 0);
        out.append(m_records);
        append32(out, 3);
        append16(out, 0);
        return out;
    }
    QByteArray placeable(int right, int bottom, int inch = 1440) const
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
    quint32 m_largest = 3;
};

// A device-independent bitmap: BITMAPINFOHEADER, palette, rows as given
// (bottom row first unless the height is negative, each padded to 4 bytes).
QByteArray dib(int width, int height, int bits, const QList<QRgb> &palette, const QByteArray &rows)
{
    QByteArray out;
    append32(out, 40);
    append32(out, quint32(width));
    append32(out, quint32(height));
    append16(out, 1);
    append16(out, bits);
    for (int i = 0; i < 6; ++i)
        append32(out, i == 4 ? quint32(palette.size()) : 0);
    for (const QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    return out + rows;
}

// The frame of a rendering in logical units, and colours sampled there.
struct Frame {
    double x, y, w, h;
};

// The 3×3 average, unpremultiplied, around a logical point.
QRgb sample(const QImage &image, const Frame &frame, double x, double y)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int cx = int((x - frame.x) * argb.width() / frame.w);
    const int cy = int((y - frame.y) * argb.height() / frame.h);
    int sum[4] = {};
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QRgb c =
                argb.pixel(std::clamp(cx + dx, 0, argb.width() - 1), std::clamp(cy + dy, 0, argb.height() - 1));
            sum[0] += qRed(c);
            sum[1] += qGreen(c);
            sum[2] += qBlue(c);
            sum[3] += qAlpha(c);
        }
    }
    return qRgba(sum[0] / 9, sum[1] / 9, sum[2] / 9, sum[3] / 9);
}

// Anti-aliased edges and font differences stay out of the probes; 40 per
// channel still tells every colour of the pictures apart.
bool sameColour(QRgb a, QRgb b, int tolerance = 40)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

QByteArray rgbText(QRgb c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).arg(qAlpha(c)).toLatin1();
}

// Dark, opaque pixels (text and pen ink) in a logical rectangle.
int inkIn(const QImage &image, const Frame &frame, const QRectF &logical)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRect area(int((logical.left() - frame.x) * argb.width() / frame.w),
                     int((logical.top() - frame.y) * argb.height() / frame.h),
                     int(logical.width() * argb.width() / frame.w), int(logical.height() * argb.height() / frame.h));
    int ink = 0;
    for (int y = std::max(0, area.top()); y <= std::min(argb.height() - 1, area.bottom()); ++y) {
        for (int x = std::max(0, area.left()); x <= std::min(argb.width() - 1, area.right()); ++x) {
            const QRgb c = argb.pixel(x, y);
            ink += qAlpha(c) > 128 && qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128;
        }
    }
    return ink;
}

int share(const QImage &image, QRgb colour)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qint64 count = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        count += std::count_if(line, line + argb.width(), [&](QRgb c) { return sameColour(c, colour, 6); });
    }
    return int(count * 1000 / (qint64(argb.width()) * argb.height())); // per mille
}

const Frame kSampleFrame{0, 0, 2000, 1000};
// sample-rendered.png shows the drawing's extent as libwmf's scan reports it
// (pens included), not the placeable frame.
const Frame kReferenceFrame{80, 90, 1960, 870};
const Frame kTestFrame{0, 0, 1000, 1000}; // the synthetic metafiles' window

constexpr QRgb kBlueFill = qRgb(0, 128, 255);
constexpr QRgb kRedPen = qRgb(255, 0, 0);
constexpr QRgb kNothing = qRgba(0, 0, 0, 0);

// Points of sample.wmf in logical units, with the colour each must have.
struct Probe {
    const char *what;
    double x, y;
    QRgb colour;
    bool onPen; // in the middle of a pen line 20 units wide
};
const Probe kSampleProbes[] = {
    {"rectangle fill", 350, 250, kBlueFill, false},
    {"ellipse fill", 900, 250, kBlueFill, false},
    {"triangle fill", 1450, 300, kBlueFill, false},
    {"rectangle top edge", 350, 100, kRedPen, true},
    {"rectangle left edge", 100, 250, kRedPen, true},
    {"ellipse left edge", 700, 250, kRedPen, true},
    {"triangle base", 1450, 400, kRedPen, true},
    {"polyline vertex", 500, 600, kRedPen, true},
    {"polyline first segment", 300, 750, kRedPen, true},
    {"polyline last segment", 1100, 750, kRedPen, true},
    {"LineTo line", 1833, 600, kRedPen, true},
    {"bitmap blue", 1650, 725, qRgb(0, 0, 255), false},
    {"bitmap white", 1850, 725, qRgb(255, 255, 255), false},
    {"bitmap red", 1650, 875, qRgb(255, 0, 0), false},
    {"bitmap green", 1850, 875, qRgb(0, 255, 0), false},
};
const QPointF kSamplePaper[] = {{1150, 250}, {650, 820}, {1250, 150}, {1980, 100}};

// The glyph cells of TextOut "工事写真 No.1" (em 120 at (100, 480), top
// aligned) and of ExtTextOut's "①" at (1200, 620).
const QRectF kGlyphCells[] = {{100, 480, 120, 120}, {220, 480, 120, 120}, {340, 480, 120, 120},
                              {460, 480, 120, 120}, {640, 480, 240, 120}, {1200, 620, 120, 120}};

} // namespace

class TestWmfImage : public QObject {
    Q_OBJECT
private slots:
    void recognisesMetafiles_data();
    void recognisesMetafiles();
    void frameSizes_data();
    void frameSizes();

    void matchesReferenceRendering();
    void drawsTextAtItsOwnWidth();
    void plainRendersLikePlaceable();
    void clipArt_data();
    void clipArt();
    void stretchesToAnyAspect_data();
    void stretchesToAnyAspect();
    void refusesUnusableSizes();

    void alignsText_data();
    void alignsText();
    void keepsShiftJisPairsWithSpacing();
    void drawsPaletteBitmaps_data();
    void drawsPaletteBitmaps();
    void cropsBottomUpBitmapsFromBelow();
    void combinesMaskBitmaps();
    void clipsToRectangle();
    void drawsPieCounterClockwise();
    void floodFills();

    void survivesTruncation();
    void survivesDamage();
};

void TestWmfImage::recognisesMetafiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("wmf");
    const QByteArray plain = readData(QStringLiteral("sample_noplaceable.wmf"));
    QTest::newRow("placeable") << readData(QStringLiteral("sample.wmf")) << true;
    QTest::newRow("plain") << plain << true;
    QTest::newRow("plain, first six bytes") << plain.first(6) << true;
    QTest::newRow("fish") << readData(QStringLiteral("fish.wmf")) << true;
    QTest::newRow("burger") << readData(QStringLiteral("burger.wmf")) << true;
    QTest::newRow("placeable key only") << QByteArray("\xD7\xCD\xC6\x9A", 4) << true;
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << false;
    QTest::newRow("text") << QByteArray("Hello, metafile") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut key") << QByteArray("\xD7\xCD\xC6", 3) << false;
    QTest::newRow("version 0x0200") << QByteArray("\x01\x00\x09\x00\x00\x02", 6) << false;
    QTest::newRow("header of 8 words") << QByteArray("\x01\x00\x08\x00\x00\x03", 6) << false;
    QTest::newRow("type 3") << QByteArray("\x03\x00\x09\x00\x00\x03", 6) << false;
}

void TestWmfImage::recognisesMetafiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, wmf);
    QCOMPARE(isWmf(bytes), wmf);
}

void TestWmfImage::frameSizes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    const QByteArray sample = readData(QStringLiteral("sample.wmf"));
    // 2000×1000 at 1440 per inch; the plain copy's window is as large, so
    // taken in twips too.
    QTest::newRow("sample") << sample << QSize(133, 67);
    QTest::newRow("sample, plain") << readData(QStringLiteral("sample_noplaceable.wmf")) << QSize(133, 67);
    QTest::newRow("fish") << readData(QStringLiteral("fish.wmf")) << QSize(288, 211);     // 3003×2199 at 1000
    QTest::newRow("burger") << readData(QStringLiteral("burger.wmf")) << QSize(220, 195); // 2290×2035 at 1000
    QTest::newRow("placeable, 576 per inch")
        << Metafile().window(1000, 500).placeable(1152, 576, 576) << QSize(192, 96);
    QTest::newRow("plain, small window in pixels")
        << Metafile().window(400, 300).rectangle(0, 0, 10, 10).plain() << QSize(400, 300);
    // No window: the extent of what is drawn (MM_TEXT units are pixels).
    QTest::newRow("plain, drawing only") << Metafile().pen(5, 0, 0).select(0).rectangle(10, 20, 110, 70).plain()
                                         << QSize(101, 51);
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << QSize();
    QTest::newRow("empty") << QByteArray() << QSize();
    QTest::newRow("placeable header only") << sample.first(22) << QSize();
    QTest::newRow("plain, nothing drawn") << Metafile().plain() << QSize();
}

void TestWmfImage::frameSizes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QCOMPARE(wmfFrameSize(bytes), size);
}

void TestWmfImage::matchesReferenceRendering()
{
    const QImage reference(QStringLiteral(SORVANE_TEST_DATA "/wmf/sample-rendered.png"));
    QVERIFY(!reference.isNull());
    QString error;
    const QImage image = renderWmf(readData(QStringLiteral("sample.wmf")), reference.size(), &error);
    QVERIFY2(!image.isNull(), qPrintable(error));
    QCOMPARE(image.size(), reference.size());
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    for (const Probe &probe : kSampleProbes) {
        const QRgb expected = sample(reference, kReferenceFrame, probe.x, probe.y);
        const QRgb actual = sample(image, kSampleFrame, probe.x, probe.y);
        QVERIFY2(sameColour(expected, probe.colour), probe.what); // the probe sits well inside in both
        QVERIFY2(sameColour(actual, expected), probe.what + QByteArray(": ") + rgbText(actual));
    }
    // Where the reference shows white paper the picture stays transparent.
    for (const QPointF &paper : kSamplePaper) {
        QVERIFY(sameColour(sample(reference, kReferenceFrame, paper.x(), paper.y()), qRgb(255, 255, 255)));
        QVERIFY2(sameColour(sample(image, kSampleFrame, paper.x(), paper.y()), kNothing),
                 rgbText(sample(image, kSampleFrame, paper.x(), paper.y())));
    }
    // Ink where the first characters of both strings stand, in both.
    for (const QRectF &cell : {kGlyphCells[0], kGlyphCells[5]}) {
        QVERIFY(inkIn(reference, kReferenceFrame, cell) > 40);
        QVERIFY(inkIn(image, kSampleFrame, cell) > 40);
    }
}

void TestWmfImage::drawsTextAtItsOwnWidth()
{
    // The reference's text is twice as wide as its font; here each character
    // of "工事写真 No.1" and "①" has ink in its own em cell, and nothing
    // follows "No.1" on its line.
    const QImage image = renderWmf(readData(QStringLiteral("sample.wmf")), QSize(1000, 500));
    QVERIFY(!image.isNull());
    for (const QRectF &cell : kGlyphCells)
        QVERIFY2(inkIn(image, kSampleFrame, cell) > 100, qPrintable(QStringLiteral("cell at x %1").arg(cell.x())));
    QCOMPARE(inkIn(image, kSampleFrame, QRectF(900, 480, 500, 110)), 0);
    QCOMPARE(inkIn(image, kSampleFrame, QRectF(100, 300, 1000, 170)), 0); // nothing above the text
}

void TestWmfImage::plainRendersLikePlaceable()
{
    const QSize size(800, 397);
    const QImage placeable = renderWmf(readData(QStringLiteral("sample.wmf")), size);
    const QImage plain = renderWmf(readData(QStringLiteral("sample_noplaceable.wmf")), size);
    QVERIFY(!placeable.isNull());
    QVERIFY(!plain.isNull());
    int different = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            different += !sameColour(placeable.pixel(x, y), plain.pixel(x, y), 8);
    }
    QCOMPARE(different, 0);
}

void TestWmfImage::clipArt_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("opaquePerMille");
    QTest::addColumn<QList<QRgb>>("colours"); // main colours ...
    QTest::addColumn<QList<int>>("perMille"); // ... and the share each covers at least
    QTest::addColumn<QPointF>("topProbe");    // a point in the upper part (as a fraction) ...
    QTest::addColumn<QRgb>("topColour");      // ... and its colour: the files' y axis points up
    QTest::newRow("fish") << QStringLiteral("fish.wmf") << QSize(576, 422) << 700
                          << QList<QRgb>{qRgb(150, 204, 204), qRgb(237, 245, 245), qRgb(0, 204, 255), qRgb(0, 0, 0)}
                          << QList<int>{250, 40, 12, 30} << QPointF(0.85, 0.25) << qRgb(237, 245, 245);
    QTest::newRow("burger") << QStringLiteral("burger.wmf") << QSize(440, 390) << 780
                            << QList<QRgb>{qRgb(199, 148, 84), qRgb(171, 125, 105), qRgb(255, 255, 148),
                                           qRgb(158, 245, 186), qRgb(227, 51, 56)}
                            << QList<int>{150, 100, 40, 40, 8} << QPointF(0.5, 0.12) << qRgb(199, 148, 84);
}

void TestWmfImage::clipArt()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(int, opaquePerMille);
    QFETCH(QList<QRgb>, colours);
    QFETCH(QList<int>, perMille);
    QFETCH(QPointF, topProbe);
    QFETCH(QRgb, topColour);
    QString error;
    const QImage image = renderWmf(readData(file), size, &error);
    QVERIFY2(!image.isNull(), qPrintable(error));
    QCOMPARE(image.size(), size);
    qint64 opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 0;
    }
    QVERIFY2(opaque * 1000 / (size.width() * size.height()) >= opaquePerMille, qPrintable(QString::number(opaque)));
    for (qsizetype i = 0; i < colours.size(); ++i)
        QVERIFY2(share(image, colours[i]) >= perMille[i], rgbText(colours[i]));
    const Frame unit{0, 0, 1, 1};
    QVERIFY2(sameColour(sample(image, unit, topProbe.x(), topProbe.y()), topColour),
             rgbText(sample(image, unit, topProbe.x(), topProbe.y())));
}

void TestWmfImage::stretchesToAnyAspect_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("tall") << QSize(300, 600);
    QTest::newRow("wide") << QSize(1200, 150);
    QTest::newRow("square") << QSize(256, 256);
}

void TestWmfImage::stretchesToAnyAspect()
{
    QFETCH(QSize, size);
    const QImage image = renderWmf(readData(QStringLiteral("sample.wmf")), size);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), size);
    for (const Probe &probe : kSampleProbes) {
        if (!probe.onPen) // pens are only a few pixels wide here
            QVERIFY2(sameColour(sample(image, kSampleFrame, probe.x, probe.y), probe.colour), probe.what);
    }
    for (const QPointF &paper : kSamplePaper)
        QVERIFY(sameColour(sample(image, kSampleFrame, paper.x(), paper.y()), kNothing));
    // The drawing reaches from the rectangle's pen, outside (100, 100), to
    // the end of the LineTo line at (1950, 950); pens keep one width in both
    // directions, the logical width stretched by both axes.
    const double sx = size.width() / 2000.0, sy = size.height() / 1000.0;
    const double halfPen = 10 * std::sqrt(sx * sy);
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 128)
                drawn |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY2(std::abs(drawn.left() - (100 * sx - halfPen)) <= 1.5, qPrintable(QString::number(drawn.left())));
    QVERIFY2(std::abs(drawn.top() - (100 * sy - halfPen)) <= 1.5, qPrintable(QString::number(drawn.top())));
    QVERIFY2(std::abs(drawn.right() + 1 - (1950 * sx + halfPen)) <= 1.5, qPrintable(QString::number(drawn.right())));
    QVERIFY2(std::abs(drawn.bottom() + 1 - (950 * sy + halfPen)) <= 1.5, qPrintable(QString::number(drawn.bottom())));
}

void TestWmfImage::refusesUnusableSizes()
{
    const QByteArray bytes = readData(QStringLiteral("sample.wmf"));
    for (const QSize size : {QSize(0, 10), QSize(10, 0), QSize(-5, 5), QSize(), QSize(kMaxWmfImageSide + 1, 10),
                             QSize(10, kMaxWmfImageSide + 1)}) {
        QString error;
        QVERIFY(renderWmf(bytes, size, &error).isNull());
        QVERIFY(!error.isEmpty());
    }
    QString error;
    const QImage thin = renderWmf(bytes, QSize(kMaxWmfImageSide, 2), &error);
    QVERIFY2(!thin.isNull(), qPrintable(error));
    QString notWmf;
    QVERIFY(renderWmf("not a metafile at all", QSize(10, 10), &notWmf).isNull());
    QVERIFY(!notWmf.isEmpty());
}

void TestWmfImage::alignsText_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<QRectF>("inked"); // logical areas, around the reference point (500, 500)
    QTest::addColumn<QRectF>("blank");
    QTest::newRow("left, top") << 0 << QRectF(500, 500, 300, 100) << QRectF(0, 0, 1000, 490);
    QTest::newRow("right, baseline") << (2 | 24) << QRectF(200, 400, 300, 100) << QRectF(510, 0, 490, 1000);
    QTest::newRow("centre, baseline, right half")
        << (6 | 24) << QRectF(500, 400, 150, 100) << QRectF(0, 510, 1000, 490);
    QTest::newRow("centre, baseline, left half") << (6 | 24) << QRectF(350, 400, 150, 100) << QRectF(0, 510, 1000, 490);
    // The bottom of the cell, below the baseline by the descent.
    QTest::newRow("left, bottom") << 8 << QRectF(500, 400, 300, 100) << QRectF(0, 485, 1000, 515);
}

void TestWmfImage::alignsText()
{
    QFETCH(int, align);
    QFETCH(QRectF, inked);
    QFETCH(QRectF, blank);
    // "WWWW" in a 100 unit em: about 380 units wide, with no descender.
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .font(-100, "Arial", 0)
                                 .select(0)
                                 .textAlign(align)
                                 .textOut(500, 500, "WWWW")
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(400, 400));
    QVERIFY(!image.isNull());
    QVERIFY(inkIn(image, kTestFrame, inked) > 100);
    QCOMPARE(inkIn(image, kTestFrame, blank), 0);
}

void TestWmfImage::keepsShiftJisPairsWithSpacing()
{
    // ExtTextOut "工事" with a spacing array (one entry per byte): each
    // character whole, at its own offset, with an empty gap between.
    const QByteArray kouji("\x8D\x48\x8E\x96");
    const QByteArray spaced = Metafile()
                                  .window(1000, 1000)
                                  .font(-100, "\x82\x6C\x82\x72 \x96\xBE\x92\xA9", 128) // ＭＳ 明朝
                                  .select(0)
                                  .extTextOut(100, 300, kouji, {300, 0, 300, 0})
                                  .placeable(1000, 1000);
    const QByteArray single = Metafile()
                                  .window(1000, 1000)
                                  .font(-100, "\x82\x6C\x82\x72 \x96\xBE\x92\xA9", 128)
                                  .select(0)
                                  .textOut(100, 300, kouji.first(2))
                                  .textOut(400, 300, kouji.sliced(2))
                                  .placeable(1000, 1000);
    const QImage a = renderWmf(spaced, QSize(500, 500));
    const QImage b = renderWmf(single, QSize(500, 500));
    QVERIFY(!a.isNull());
    QVERIFY(!b.isNull());
    QCOMPARE(inkIn(a, kTestFrame, QRectF(210, 280, 180, 140)), 0);
    for (const QRectF &cell : {QRectF(100, 300, 100, 100), QRectF(400, 300, 100, 100)}) {
        const int spacedInk = inkIn(a, kTestFrame, cell), singleInk = inkIn(b, kTestFrame, cell);
        QVERIFY2(singleInk > 100, qPrintable(QStringLiteral("%1 / %2").arg(spacedInk).arg(singleInk)));
        QVERIFY2(std::abs(spacedInk - singleInk) <= singleInk / 10,
                 qPrintable(QStringLiteral("%1 / %2").arg(spacedInk).arg(singleInk)));
    }
}

void TestWmfImage::drawsPaletteBitmaps_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("height"); // negative: top row first
    QTest::addColumn<QByteArray>("rows");
    // Palette red, green, blue, yellow; the picture red | green over blue | yellow.
    QTest::newRow("8 bit") << 8 << 2 << QByteArray("\x02\x03\0\0\x00\x01\0\0", 8);
    QTest::newRow("8 bit, top down") << 8 << -2 << QByteArray("\x00\x01\0\0\x02\x03\0\0", 8);
    QTest::newRow("4 bit") << 4 << 2 << QByteArray("\x23\0\0\0\x01\0\0\0", 8);
    QTest::newRow("1 bit, two colours") << 1 << 2 << QByteArray("\x40\0\0\0\x80\0\0\0", 8);
}

void TestWmfImage::drawsPaletteBitmaps()
{
    QFETCH(int, bits);
    QFETCH(int, height);
    QFETCH(QByteArray, rows);
    const QList<QRgb> palette = bits == 1
                                    ? QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 0, 255)}
                                    : QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .stretchDib(0, 0, 1000, 1000, 2, 2, dib(2, height, bits, palette, rows))
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(100, 100));
    QVERIFY(!image.isNull());
    // The 1 bit picture is blue | red over red | blue.
    const QRgb expected[4] = {
        bits == 1 ? qRgb(0, 0, 255) : qRgb(255, 0, 0), bits == 1 ? qRgb(255, 0, 0) : qRgb(0, 255, 0),
        bits == 1 ? qRgb(255, 0, 0) : qRgb(0, 0, 255), bits == 1 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)};
    const QPointF centres[4] = {{250, 250}, {750, 250}, {250, 750}, {750, 750}};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(sameColour(sample(image, kTestFrame, centres[i].x(), centres[i].y()), expected[i]),
                 rgbText(sample(image, kTestFrame, centres[i].x(), centres[i].y())));
}

void TestWmfImage::cropsBottomUpBitmapsFromBelow()
{
    // A bottom-up bitmap's source rectangle counts from its bottom row: the
    // pixel at (0, 0) of red | green over blue | yellow is the blue one.
    const QList<QRgb> palette{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    const QByteArray bitmap = dib(2, 2, 8, palette, QByteArray("\x02\x03\0\0\x00\x01\0\0", 8));
    for (const int y : {0, 1}) {
        const QByteArray bytes = Metafile()
                                     .window(1000, 1000)
                                     .record(0x0F43, {0x0020, 0x00CC, 0, 1, 1, y, 0, 1000, 1000, 0, 0}, bitmap)
                                     .placeable(1000, 1000);
        const QImage image = renderWmf(bytes, QSize(50, 50));
        QVERIFY(!image.isNull());
        const QRgb expected = y == 0 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
        for (const QPointF &p : {QPointF(100, 100), QPointF(900, 900)})
            QVERIFY2(sameColour(sample(image, kTestFrame, p.x(), p.y()), expected),
                     rgbText(sample(image, kTestFrame, p.x(), p.y())));
    }
}

void TestWmfImage::combinesMaskBitmaps()
{
    // The usual transparent bitmap: SRCAND with a mask (black where the
    // picture is), then SRCPAINT with the picture on black. Where the mask
    // is white the picture stays transparent.
    const QList<QRgb> blackWhite{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const QByteArray mask = dib(2, 2, 1, blackWhite, QByteArray("\x40\0\0\0\xC0\0\0\0", 8)); // black at bottom left
    QByteArray pixels; // 24 bit: red at bottom left, black elsewhere
    pixels.append("\0\0\xFF\0\0\0\0\0", 8);
    pixels.append(QByteArray(8, '\0'));
    const QByteArray picture = dib(2, 2, 24, {}, pixels);
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .stretchDib(0, 0, 1000, 1000, 2, 2, mask, 0x008800C6)
                                 .stretchDib(0, 0, 1000, 1000, 2, 2, picture, 0x00EE0086)
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(100, 100));
    QVERIFY(!image.isNull());
    QVERIFY(sameColour(sample(image, kTestFrame, 250, 750), qRgb(255, 0, 0)));
    for (const QPointF &p : {QPointF(250, 250), QPointF(750, 250), QPointF(750, 750)})
        QVERIFY2(sameColour(sample(image, kTestFrame, p.x(), p.y()), kNothing),
                 rgbText(sample(image, kTestFrame, p.x(), p.y())));
}

void TestWmfImage::clipsToRectangle()
{
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .pen(5, 0, 0)
                                 .brush(0, qRgb(255, 0, 0))
                                 .select(0)
                                 .select(1)
                                 .record(0x0416, {600, 600, 200, 200}) // IntersectClipRect
                                 .rectangle(0, 0, 1000, 1000)
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(100, 100));
    QVERIFY(!image.isNull());
    QVERIFY(sameColour(sample(image, kTestFrame, 400, 400), qRgb(255, 0, 0)));
    for (const QPointF &p : {QPointF(100, 100), QPointF(800, 400), QPointF(400, 800), QPointF(900, 900)})
        QVERIFY(sameColour(sample(image, kTestFrame, p.x(), p.y()), kNothing));
}

void TestWmfImage::drawsPieCounterClockwise()
{
    // From the ray to 3 o'clock counter-clockwise to the ray to 12 o'clock:
    // the upper right quarter.
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .pen(5, 0, 0)
                                 .brush(0, qRgb(0, 160, 0))
                                 .select(0)
                                 .select(1)
                                 .record(0x081A, {100, 500, 500, 900, 900, 900, 100, 100}) // Pie
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(100, 100));
    QVERIFY(!image.isNull());
    QVERIFY(sameColour(sample(image, kTestFrame, 650, 350), qRgb(0, 160, 0)));
    for (const QPointF &p : {QPointF(350, 350), QPointF(350, 650), QPointF(650, 650)})
        QVERIFY(sameColour(sample(image, kTestFrame, p.x(), p.y()), kNothing));
}

void TestWmfImage::floodFills()
{
    // A black frame, then ExtFloodFill inside it up to the black border.
    const QByteArray bytes = Metafile()
                                 .window(1000, 1000)
                                 .pen(0, 20, qRgb(0, 0, 0))
                                 .brush(1, 0)
                                 .brush(0, qRgb(255, 128, 0))
                                 .select(0)
                                 .select(1)
                                 .rectangle(200, 200, 800, 800)
                                 .select(2)
                                 .record(0x0548, {0, 0, 0, 500, 500}) // border type, black, at (500, 500)
                                 .placeable(1000, 1000);
    const QImage image = renderWmf(bytes, QSize(100, 100));
    QVERIFY(!image.isNull());
    QVERIFY(sameColour(sample(image, kTestFrame, 500, 500), qRgb(255, 128, 0)));
    QVERIFY(sameColour(sample(image, kTestFrame, 300, 700), qRgb(255, 128, 0)));
    QVERIFY(sameColour(sample(image, kTestFrame, 100, 100), kNothing));
    QVERIFY(sameColour(sample(image, kTestFrame, 900, 500), kNothing));
}

void TestWmfImage::survivesTruncation()
{
    // Every cut gives a picture or a reason, never a crash. A cut after a
    // record still shows what came before it.
    const QByteArray sample = readData(QStringLiteral("sample.wmf"));
    QVERIFY(!sample.isEmpty());
    for (int i = 0; i <= 50; ++i) {
        const QByteArray cut = sample.first(sample.size() * i / 50);
        QString error;
        const QImage image = renderWmf(cut, QSize(200, 100), &error);
        QVERIFY2(image.isNull() != error.isEmpty(), qPrintable(QStringLiteral("length %1").arg(cut.size())));
        if (!image.isNull())
            QCOMPARE(image.size(), QSize(200, 100));
        (void)wmfFrameSize(cut);
    }
    // Up to the ellipse record (offset 0xD0): the rectangle only.
    QString error;
    const QImage partial = renderWmf(sample.first(0xD0 + 8), QSize(200, 100), &error);
    QVERIFY2(!partial.isNull(), qPrintable(error));
    QVERIFY(sameColour(::sample(partial, kSampleFrame, 350, 250), kBlueFill));
    QVERIFY(sameColour(::sample(partial, kSampleFrame, 900, 250), kNothing));
}

void TestWmfImage::survivesDamage()
{
    QRandomGenerator random(20240611);
    const QByteArray sample = readData(QStringLiteral("sample.wmf"));
    const QByteArray fish = readData(QStringLiteral("fish.wmf"));
    auto check = [](const QByteArray &bytes) {
        QString error;
        const QImage image = renderWmf(bytes, QSize(64, 48), &error);
        (void)wmfFrameSize(bytes);
        return image.isNull() ? !error.isEmpty() : image.size() == QSize(64, 48);
    };
    // Garbage after a real header, and garbage alone.
    for (int i = 0; i < 200; ++i) {
        QByteArray bytes(1 + random.bounded(2000), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        if (i % 2)
            bytes.prepend(sample.first(i % 4 == 1 ? 40 : 22));
        QVERIFY2(check(bytes), qPrintable(QString::number(i)));
    }
    // Damaged words in real metafiles: sizes, counts, object numbers.
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = i % 3 ? sample : fish;
        for (int n = random.bounded(1, 8); n > 0; --n) {
            const qsizetype at = random.bounded(40, int(bytes.size()) - 1) & ~1;
            static const quint16 values[] = {0, 1, 3, 0x7FFF, 0x8000, 0xFFFF};
            const quint16 value = random.bounded(2) ? values[random.bounded(6)] : quint16(random.generate());
            bytes[at] = char(value & 0xFF);
            bytes[at + 1] = char(value >> 8);
        }
        QVERIFY2(check(bytes), qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(TestWmfImage)
#include "tst_wmf_image.moc"
